#pragma once
// host::Dc: the device context every page surface, printer page and window
// picture is drawn on, with the drawing calls of the classic desktop
// graphics interface and its pixel rules:
// - a rectangle (left, top, right, bottom) excludes its right and bottom edges;
// - a frame is one pixel wide, inside its rectangle;
// - outlined shapes take the selected pen, their insides the selected brush;
// - a line leaves out its end point;
// - text is placed by the top-left of its cell, not by its baseline;
// - no antialiasing on raster devices.
// Pens, brushes and fonts are values: selecting one never leaks anything.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/Font.h"
#include "host/Geometry.h"

namespace host {

class Picture;

enum class PenStyle { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Null = 5 };

struct Pen {
  PenStyle style = PenStyle::Solid;
  int width = 1;
  Rgb color = Rgb::black;
  [[nodiscard]] static Pen solid(Rgb color, int width = 1) { return {PenStyle::Solid, width, color}; }
  [[nodiscard]] static Pen null() { return {PenStyle::Null, 1, Rgb::black}; }
  // A pen from the classic style number (0 solid .. 4 dash-dot-dot, 5 null);
  // other numbers give a null pen.
  [[nodiscard]] static Pen fromStyleNumber(int style, int width, Rgb color);
  friend bool operator==(const Pen&, const Pen&) = default;
};

enum class BrushStyle { Solid = 0, Hollow = 1, Hatched = 2 };
enum class HatchStyle { Horizontal = 0, Vertical = 1, ForwardDiagonal = 2, BackwardDiagonal = 3, Cross = 4, DiagonalCross = 5 };

struct Brush {
  BrushStyle style = BrushStyle::Solid;
  Rgb color = Rgb::white;
  HatchStyle hatch = HatchStyle::Horizontal;
  [[nodiscard]] static Brush solid(Rgb color) { return {BrushStyle::Solid, color, HatchStyle::Horizontal}; }
  [[nodiscard]] static Brush hollow() { return {BrushStyle::Hollow, Rgb::black, HatchStyle::Horizontal}; }
  [[nodiscard]] static Brush hatched(HatchStyle hatch, Rgb color) { return {BrushStyle::Hatched, color, hatch}; }
  friend bool operator==(const Brush&, const Brush&) = default;
};

enum class BkMode { Transparent = 1, Opaque = 2 };

// Options of extTextOut.
namespace eto {
inline constexpr unsigned Opaque = 2;
inline constexpr unsigned Clipped = 4;
}  // namespace eto

// Formats of drawText (the classic DT_ flags).
namespace dt {
inline constexpr unsigned Left = 0x0;
inline constexpr unsigned Center = 0x1;
inline constexpr unsigned Right = 0x2;
inline constexpr unsigned WordBreak = 0x10;
inline constexpr unsigned ExpandTabs = 0x40;
inline constexpr unsigned ExternalLeading = 0x200;
inline constexpr unsigned CalcRect = 0x400;
inline constexpr unsigned NoPrefix = 0x800;
}  // namespace dt

class Dc {
 public:
  Dc() = default;
  Dc(const Dc&) = delete;
  Dc& operator=(const Dc&) = delete;
  virtual ~Dc() = default;

  // Size of the drawing area in device pixels, and its resolution.
  [[nodiscard]] virtual Size size() const = 0;
  [[nodiscard]] virtual double dotsPerInchX() const = 0;
  [[nodiscard]] virtual double dotsPerInchY() const = 0;

  // Attributes. The background colour also fills opaque text cells.
  virtual void setBkMode(BkMode mode) = 0;
  [[nodiscard]] virtual BkMode bkMode() const = 0;
  virtual void setBkColor(Rgb color) = 0;
  [[nodiscard]] virtual Rgb bkColor() const = 0;
  virtual void setTextColor(Rgb color) = 0;
  [[nodiscard]] virtual Rgb textColor() const = 0;
  virtual void setFont(const Font& font) = 0;
  [[nodiscard]] virtual const Font& font() const = 0;
  virtual void selectPen(const Pen& pen) = 0;
  [[nodiscard]] virtual const Pen& pen() const = 0;
  virtual void selectBrush(const Brush& brush) = 0;
  [[nodiscard]] virtual const Brush& brush() const = 0;

  // Rectangles: fill with a brush (no outline), frame one pixel inside, invert.
  virtual void fillRect(const Rect& rect, const Brush& brush) = 0;
  virtual void frameRect(const Rect& rect, const Brush& brush) = 0;
  virtual void invertRect(const Rect& rect) = 0;

  // Shapes with the selected pen (outline) and brush (inside).
  virtual void rectangle(const Rect& rect) = 0;
  virtual void ellipse(const Rect& rect) = 0;
  virtual void roundRect(const Rect& rect, int cornerWidth, int cornerHeight) = 0;
  virtual void moveTo(Point p) = 0;
  virtual void lineTo(Point p) = 0;  // end point excluded; the current position moves there

  // One line of text with its cell's top-left at `origin`. eto::Opaque fills
  // `rect` with the background colour first (also for an empty text);
  // eto::Clipped cuts the text at `rect`. Without options `rect` is unused.
  virtual void extTextOut(Point origin, unsigned options, const Rect& rect, std::string_view text) = 0;

  // Formatted text in `rect` (dt:: flags): left, right or centre; WordBreak
  // breaks lines at words (and always at line feeds), and a word wider than
  // the line at the character that no longer fits; ExpandTabs expands tabs
  // to 8 average characters; NoPrefix leaves "&" alone (this implementation
  // never processes prefixes); text is top-aligned and clipped to `rect`
  // horizontally and vertically. With CalcRect nothing is drawn: `rect` is set
  // to the rectangle the text needs (its width kept for word-wrapped text) and
  // the text height is returned. Otherwise returns the height of the lines
  // drawn: lines below the rectangle, or below the device, are not laid out
  // at all.
  virtual int drawText(std::string_view text, Rect& rect, unsigned format) = 0;

  // Width and height of one line of text in the current font (height = the
  // font's line height, also for an empty text).
  [[nodiscard]] virtual Size textExtent(std::string_view text) const = 0;

  // The font's language information: bit 0 (double-byte character set) is set
  // for fonts of a double-byte charset (128, 129, 134, 136).
  [[nodiscard]] virtual std::uint32_t fontLanguageInfo() const = 0;

  // Copies `source` (a region of a picture) stretched into `dest`.
  virtual void stretchPicture(const Rect& dest, const Picture& source, const Rect& sourceRect) = 0;
};

// Every change of a device context's attributes inside a drawing call is
// undone by this guard when the call returns, however it returns.
class DcStateSaver {
 public:
  explicit DcStateSaver(Dc& dc);
  DcStateSaver(const DcStateSaver&) = delete;
  DcStateSaver& operator=(const DcStateSaver&) = delete;
  ~DcStateSaver();

 private:
  Dc& dc_;
  BkMode bkMode_;
  Rgb bkColor_;
  Rgb textColor_;
  Font font_;
  Pen pen_;
  Brush brush_;
};

}  // namespace host
