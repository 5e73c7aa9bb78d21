#pragma once
// OffScreenDC: one raster page of a preview, with the cell, line, shape,
// picture and rich-text primitives the renderers draw with. Coordinates are
// surface pixels; colours are host RGB values (system colours translated by
// the caller).
#include <cstdint>
#include <memory>
#include <string>

#include "host/Font.h"
#include "host/Object.h"
#include "host/RasterDc.h"
#include "surface/PictureCut.h"
#include "surface/SharedDrawing.h"

struct PrintJob;

class OffScreenDC {
 public:
  // The surface draws with the control's shared resources; `job` gives it the
  // rich text being printed (CurrentRichText, RichTextPos).
  OffScreenDC(const SharedDrawing& drawing, PrintJob* job = nullptr);
  OffScreenDC(const OffScreenDC&) = delete;
  OffScreenDC& operator=(const OffScreenDC&) = delete;
  ~OffScreenDC();  // releases whatever Finale has not

  // Creates the surface, cleared white: colour when ColorMode is 2, else one
  // bit per pixel. `hRefDC` is the device BlastToScreen copies to (may be null).
  void Initialize(host::RasterDc* hRefDC, std::int32_t nWidth, std::int32_t nHeight, std::int16_t ColorMode);

  [[nodiscard]] std::int32_t BackColor() const;
  void setBackColor(std::int32_t color);
  [[nodiscard]] std::int32_t TextColor() const;
  void setTextColor(std::int32_t color);
  [[nodiscard]] const host::Font& Font() const;
  void setFont(const host::Font& font);
  // Font set to nothing: the surface's own initial font comes back.
  void resetFont();

  // A filled box with a caption and an optional frame (the cell primitive).
  void FillRect(std::int32_t nLeft, std::int32_t nTop, std::int32_t nnWidth, std::int32_t nHeight,
                const std::string& sCaption = {}, std::int32_t CaptionAlign = 0, std::int32_t frame = 0,
                bool Wr = false, bool Grid = false, std::int16_t CntrT = 0, bool transpar = false,
                std::int16_t Divider = 0);
  // Where FillRect writes a word-wrapped caption in the box it is given, and
  // how many lines a caption takes there in the current font (0 for an
  // empty caption): a renderer sizes what it draws by these, so that the
  // cell holds every line of it.
  [[nodiscard]] static host::Rect WrappedTextRect(std::int32_t nLeft, std::int32_t nTop, std::int32_t nnWidth,
                                                  std::int32_t nHeight, std::int16_t Divider = 0);
  [[nodiscard]] int WrappedLineCount(const std::string& sCaption, std::int32_t nnWidth, std::int32_t CaptionAlign = 0,
                                     std::int16_t Divider = 0);
  // The same count with the height of one wrapped line given, as
  // WrappedLineHeight measured it for the current font: a renderer counting
  // the lines of many captions measures that height once (0 when there is no
  // surface).
  [[nodiscard]] int WrappedLineHeight(std::int32_t CaptionAlign = 0);
  [[nodiscard]] int WrappedLineCount(const std::string& sCaption, std::int32_t nnWidth, std::int32_t CaptionAlign,
                                     std::int16_t Divider, int lineHeight);
  void BlastToScreen(std::int32_t nLeft, std::int32_t nTop, std::int32_t nWidth, std::int32_t nHeight);
  void Finale();
  void DrawLine(std::int32_t FromX, std::int32_t FromY, std::int32_t ToX, std::int32_t ToY, std::int32_t Style,
                std::int32_t BordColor, std::int32_t tWidth);
  void Shape(std::int32_t nLeft, std::int32_t nTop, std::int32_t nWidth, std::int32_t nHeight,
             std::int32_t ShapeKind, std::int32_t BackColor, std::int32_t BackStyle, std::int32_t BorderColor,
             std::int32_t BorderStyle, std::int32_t BorderWidth, std::int32_t FillStyle, std::int32_t FillColor);
  // Draws the next stretch of the job's CurrentRichText from RichTextPos into
  // the given band (twips) and advances RichTextPos past what fitted. The
  // control lays the text out itself through host::FormatRangeControl
  // (host/FormatRange.h) with this surface as target; a control without that
  // operation raises 438, no rich text at all (or no job) raises 91.
  // wholePage: the band is all a page gives, so a line or picture taller
  // than it is drawn cut at its bottom and the text goes on after it;
  // wholePageTwips: the height of such a band (0: not known).
  void CDRTF(std::int32_t nTop, std::int32_t nLeft, std::int32_t nBottom, bool wholePage = false,
             std::int32_t wholePageTwips = 0);
  // Draws the picture of a host picture control scaled by Scale: its client
  // area (ScaleWidth x ScaleHeight pixels) holding its Picture, white where
  // the picture does not reach. A box without a picture draws nothing.
  // Nothing is drawn from the row nCutAt down (the page's foot line).
  void Printpic(const host::ObjectRef& Source, double Scale, std::int32_t nLeft, std::int32_t nTop,
                std::int32_t nCutAt = surface::NoCut);
  // The size on the page of a client area of `client` pixels drawn by Printpic at Scale.
  [[nodiscard]] static host::Size PrintpicSize(host::Size client, double Scale);

  // Keeps a finished page in as little memory as holds it exactly; drawing
  // on it again still works.
  void Compact();

  // State: ready between Initialize and Finale.
  [[nodiscard]] bool isReady() const;
  [[nodiscard]] std::int32_t width() const;
  [[nodiscard]] std::int32_t height() const;
  // The surface's drawing context and pixels (null before Initialize / after Finale).
  [[nodiscard]] host::RasterDc* dc();
  [[nodiscard]] const host::RasterDc* dc() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};
