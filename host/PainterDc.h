#pragma once
// Host-side only: the one implementation of the drawing calls of host::Dc on
// a QPainter. Every call is turned into a paint operation with the pixel
// rules of the classic calls; a device decides where the operation lands:
// straight on a colour image, on a one-bit page (through a scratch image), or
// into a page recording that is replayed onto a printer when the page ends.
#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <functional>
#include <initializer_list>
#include <string>

#include "host/Dc.h"
#include "host/QtFont.h"

class QPainter;
class QImage;

namespace host {

// A one-bit image of a colour image: each pixel becomes black when its
// brightness is below the middle (Rgb::brightness() < 128), else white.
[[nodiscard]] QImage monochromeOf(const QImage& image);
// Whether a pixel of a colour image turns black on a one-bit page.
[[nodiscard]] bool isDarkPixel(unsigned int argb);

// `Interface` is Dc or one of its extensions (RasterDc); the drawing calls
// are implemented once here for both.
template <class Interface>
class PainterDc : public Interface {
 public:
  [[nodiscard]] Size size() const override { return size_; }
  [[nodiscard]] double dotsPerInchX() const override { return dotsPerInchX_; }
  [[nodiscard]] double dotsPerInchY() const override { return dotsPerInchY_; }

  void setBkMode(BkMode mode) override { bkMode_ = mode; }
  [[nodiscard]] BkMode bkMode() const override { return bkMode_; }
  void setBkColor(Rgb color) override { bkColor_ = color; }
  [[nodiscard]] Rgb bkColor() const override { return bkColor_; }
  void setTextColor(Rgb color) override { textColor_ = color; }
  [[nodiscard]] Rgb textColor() const override { return textColor_; }
  void setFont(const Font& font) override;
  [[nodiscard]] const Font& font() const override { return font_; }
  void selectPen(const Pen& pen) override { pen_ = pen; }
  [[nodiscard]] const Pen& pen() const override { return pen_; }
  void selectBrush(const Brush& brush) override { brush_ = brush; }
  [[nodiscard]] const Brush& brush() const override { return brush_; }

  void fillRect(const Rect& rect, const Brush& brush) override;
  void frameRect(const Rect& rect, const Brush& brush) override;
  void invertRect(const Rect& rect) override;
  void rectangle(const Rect& rect) override;
  void ellipse(const Rect& rect) override;
  void roundRect(const Rect& rect, int cornerWidth, int cornerHeight) override;
  void moveTo(Point p) override { position_ = p; }
  void lineTo(Point p) override;
  void extTextOut(Point origin, unsigned options, const Rect& rect, std::string_view text) override;
  int drawText(std::string_view text, Rect& rect, unsigned format) override;
  [[nodiscard]] Size textExtent(std::string_view text) const override;
  [[nodiscard]] std::uint32_t fontLanguageInfo() const override;
  void stretchPicture(const Rect& dest, const Picture& source, const Rect& sourceRect) override;

  // One drawing step, painted in device pixels. It holds copies of everything
  // it needs, so a recording can replay it later.
  using PaintOperation = std::function<void(QPainter&)>;

  // Switches off every kind of smoothing: pages are drawn pixel-exact.
  static void preparePainter(QPainter& painter);

  // Paints host-side drawing that has no call of its own (rich text, charts)
  // with the painter, on this device's terms: on a one-bit page it arrives in
  // black and white, on a printer page it is recorded with the page.
  void paintOperation(const Rect& bounds, const PaintOperation& operation) { paintHostDrawing(bounds, operation); }

 protected:
  PainterDc(Size size, double dotsPerInchX, double dotsPerInchY);

  // Paints one operation whose pixels all lie inside `bounds` (device pixels;
  // the bounds may reach past the device).
  virtual void paint(const Rect& bounds, const PaintOperation& operation) = 0;
  // The same for an operation that sets the pen and font it draws with and
  // changes nothing else of the painter (no clip, transform or composition):
  // a device that keeps the drawing may run several of them in one painter
  // state.
  virtual void paintSelfContained(const Rect& bounds, const PaintOperation& operation) { paint(bounds, operation); }
  // The same for drawing from outside the device's own calls: it may read
  // objects that change after it (a document, a chart), so a device that
  // keeps its drawing for later paints this at once.
  virtual void paintHostDrawing(const Rect& bounds, const PaintOperation& operation) { paint(bounds, operation); }
  // Fills a rectangle with one opaque colour. Devices may do this faster, or
  // take note of a fill that covers the whole page.
  virtual void fillSolid(const Rect& rect, Rgb color);
  // Inverts every pixel of a rectangle (on raster devices only: a vector
  // device such as a PDF file keeps what was drawn).
  virtual void invert(const Rect& rect);

  [[nodiscard]] Rect deviceRect() const { return Rect::fromXywh(0, 0, size_.width, size_.height); }
  [[nodiscard]] const QFont& qfont() const { return qfont_; }
  [[nodiscard]] const QFontMetrics& metrics() const { return advances_.metrics(); }

 private:
  void fillWithBrush(const Rect& rect, const Brush& brush);
  void outlineRectangle(const Rect& rect);
  void styledPolyline(std::initializer_list<Point> points);
  void paintShape(const Rect& rect, const std::function<void(QPainter&, const QRectF&)>& draw);
  void paintTextCell(Point origin, const QString& text, int width, const Rect* clip);
  void paintText(const Rect& bounds, bool clipped, const PaintOperation& operation);
  [[nodiscard]] int lineHeight(unsigned format) const;

  // The last text measured in the current font: a caption is usually
  // measured for its placement and then drawn, and shaping it is the dearest
  // step of both.
  struct MeasuredText {
    std::string utf8;
    QString text;
    int width = -1;  // -1: nothing measured in this font
  };
  const MeasuredText& measure(std::string_view text) const;

  Size size_;
  double dotsPerInchX_;
  double dotsPerInchY_;
  BkMode bkMode_ = BkMode::Opaque;
  Rgb bkColor_ = Rgb::white;
  Rgb textColor_ = Rgb::black;
  Font font_;
  QFont qfont_;
  TextAdvances advances_;
  mutable MeasuredText measured_;
  Pen pen_ = Pen::solid(Rgb::black);
  Brush brush_ = Brush::solid(Rgb::white);
  Point position_;
};

// Paints with a QPainter on any device context of the host (raster surface or
// printer page); `bounds` holds every pixel the operation touches. Returns
// false, painting nothing, for a device context that is not the host's own.
bool paintWithPainter(Dc& dc, const Rect& bounds, const std::function<void(QPainter&)>& operation);

}  // namespace host
