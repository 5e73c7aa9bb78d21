#include "surface/OffScreenDC.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "host/FormatRange.h"
#include "host/HostError.h"
#include "host/Lang.h"
#include "host/SysColors.h"
#include "host/model/Pictures.h"
#include "layout/PrintJob.h"
#include "surface/CellRules.h"
#include "surface/DrawingGuards.h"
#include "surface/ShapeRules.h"

// Captions travel in the host's code page, UTF-8: every drawing call gets the
// whole text, so the byte count handed on is always the full converted length.

using host::Rect;
using host::Rgb;
using surface::longSum;

namespace {

constexpr int ObjectVariableNotSet = 91;

// The drawText formats of the surface's cells: word break, no prefix, and the placement.
constexpr unsigned CellTextFormat = host::dt::WordBreak | host::dt::NoPrefix;

// Where a one-line caption starts and how a wrapped one is formatted.
struct CaptionLayout {
  unsigned format = 0;
  std::int32_t x = 2;  // an empty or unaligned caption starts at surface x = 2
  std::int32_t y = 0;
};

// Only a one-line caption is placed by its extent; a word-wrapped one is
// placed by its format alone, so a long caption is not measured whole for nothing.
enum class CaptionLines { One, Wrapped };

CaptionLayout layCaption(const host::Dc& dc, std::string_view caption, CaptionLines lines, std::int32_t align,
                         std::int32_t nLeft, std::int32_t nTop, std::int32_t nnWidth, std::int32_t nHeight) {
  CaptionLayout layout;
  host::Size extent;
  if (!caption.empty()) {
    if (lines == CaptionLines::One) extent = dc.textExtent(caption);
    switch (surface::captionPlacement(align)) {
      case surface::CaptionPlacement::Left:
        layout.format = CellTextFormat | host::dt::Left;
        layout.x = longSum(nLeft, 3);
        break;
      case surface::CaptionPlacement::Right:
        layout.format = CellTextFormat | host::dt::Right;
        layout.x = longSum(nLeft, nnWidth, -extent.width, -4);
        break;
      case surface::CaptionPlacement::Centre:
        layout.format = CellTextFormat | host::dt::Center;
        layout.x = longSum(nLeft, surface::halfTowardZero(longSum(nnWidth, -extent.width)), 2);
        break;
      case surface::CaptionPlacement::Unaligned:
        break;
    }
  }
  layout.y = longSum(nTop, surface::halfTowardZero(longSum(nHeight, -extent.height)), -1);
  return layout;
}

// -3 widens the box by a pixel on each side (the cell covers the divider
// line); -2 draws it a pixel short on the right; other codes leave it.
Rect withDivider(Rect box, std::int16_t Divider) {
  if (Divider == -3) return Rect::fromLtrb(longSum(box.left, -1), box.top, longSum(box.right, 1), box.bottom);
  if (Divider == -2) return Rect::fromLtrb(box.left, box.top, longSum(box.right, -1), box.bottom);
  return box;
}

// A wrapped caption is written inside the box less three pixels on the left,
// two at the top and right and one at the bottom.
Rect wrappedTextRect(const Rect& box) {
  return Rect::fromLtrb(longSum(box.left, 3), longSum(box.top, 2), longSum(box.right, -2), longSum(box.bottom, -1));
}

// A cell's frame reaches one pixel left of and one pixel below its box, so
// neighbouring cells share their frame lines.
Rect frameAround(const Rect& box) {
  return Rect::fromLtrb(longSum(box.left, -1), box.top, box.right, longSum(box.bottom, 1));
}

// A solid rectangle in `color`, painted as an opaque empty text so that it
// takes exactly the rectangle's pixels; the background colour is put back.
void paintSolid(host::Dc& dc, const Rect& rect, std::int32_t color) {
  const Rgb previous = dc.bkColor();
  dc.setBkColor(Rgb::fromHost(color));
  dc.extTextOut(rect.topLeft(), host::eto::Opaque, rect, {});
  dc.setBkColor(previous);
}

}  // namespace

namespace surface {

host::Brush ShapeBrush(std::int32_t BackStyle, std::int32_t BackColor, std::int32_t FillStyle,
                       std::int32_t FillColor) {
  // Fill styles 2..7 are the six hatches; a hatch replaces the back-style brush.
  if (FillStyle >= 2 && FillStyle <= 7)
    return host::Brush::hatched(static_cast<host::HatchStyle>(FillStyle - 2), Rgb::fromHost(FillColor));
  // Brush style |BackStyle - 1|: an opaque shape (1) gets a solid brush, anything else a hollow one.
  return std::abs(longSum(BackStyle, -1)) == 0 ? host::Brush::solid(Rgb::fromHost(BackColor))
                                               : host::Brush::hollow();
}

void DrawShapeKind(host::Dc& dc, std::int32_t kind, std::int32_t L, std::int32_t T, std::int32_t W,
                   std::int32_t H) {
  switch (kind) {
    case 0:
      dc.rectangle(Rect::fromLtrb(L, T, longSum(L, W), longSum(T, H)));
      break;
    case 1: {
      const std::int32_t side = std::min(W, H);
      dc.rectangle(Rect::fromLtrb(L, T, longSum(L, side), longSum(T, side)));
      break;
    }
    case 2:
      dc.ellipse(Rect::fromLtrb(L, T, longSum(L, W), longSum(T, H, 1)));
      break;
    case 3:
      if (H <= W) {
        L = longSum(L, longSum(W, -H) / 2.0);
        W = H;
        dc.ellipse(Rect::fromLtrb(L, T, longSum(L, W), longSum(T, H, 1)));
      } else {
        T = longSum(T, longSum(H, -W) / 2.0);
        L = longSum(L, 0.5);
        dc.ellipse(Rect::fromLtrb(L, T, longSum(L, W), longSum(T, W)));
      }
      break;
    case 4:
      dc.roundRect(Rect::fromLtrb(L, T, longSum(L, W), longSum(T, H)), 8, 8);
      break;
    case 5:
      if (H <= W) {
        L = longSum(L, longSum(W, -H) / 2.0);
        W = H;
      } else {
        T = longSum(T, longSum(H, -W) / 2.0);
        H = W;
      }
      dc.roundRect(Rect::fromLtrb(L, T, longSum(L, W), longSum(T, H)), 8, 8);
      break;
    default:
      break;  // not a shape the host knows: nothing is drawn
  }
}

}  // namespace surface

struct OffScreenDC::State {
  State(const SharedDrawing& drawing, PrintJob* job) : drawing(drawing), job(job) {}

  const SharedDrawing& drawing;
  PrintJob* job;
  host::RasterDc* reference = nullptr;
  std::unique_ptr<host::RasterDc> surface;  // the memory device with its page bitmap
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::optional<host::Font> font;  // the font object last set
  host::Font initialFont;          // the font the surface was made with
};

OffScreenDC::OffScreenDC(const SharedDrawing& drawing, PrintJob* job)
    : state_(std::make_unique<State>(drawing, job)) {}

OffScreenDC::~OffScreenDC() { Finale(); }

void OffScreenDC::Initialize(host::RasterDc* hRefDC, std::int32_t nWidth, std::int32_t nHeight,
                             std::int16_t ColorMode) {
  State& state = *state_;
  state.reference = hRefDC;
  state.width = nWidth;
  state.height = nHeight;
  state.surface.reset();
  if (nWidth <= 0 || nHeight <= 0) return;  // no bitmap can be made: the surface stays blank and inert
  // The walker asks for colour (2) only for colour previews; everything else is one bit per pixel.
  const auto format = ColorMode == 2 ? host::RasterFormat::Color : host::RasterFormat::Monochrome;
  state.surface = host::RasterDc::create({nWidth, nHeight}, format);
  state.initialFont = state.surface->font();
  if (state.font) state.surface->setFont(*state.font);
  state.surface->fillRect(Rect::fromXywh(0, 0, nWidth, nHeight), state.drawing.whiteBrush);
}

std::int32_t OffScreenDC::BackColor() const { return state_->surface ? state_->surface->bkColor().toHost() : 0; }

void OffScreenDC::setBackColor(std::int32_t color) {
  if (state_->surface) state_->surface->setBkColor(Rgb::fromHost(color));
}

std::int32_t OffScreenDC::TextColor() const {
  return state_->surface ? state_->surface->textColor().toHost() : 0;
}

void OffScreenDC::setTextColor(std::int32_t color) {
  if (state_->surface) state_->surface->setTextColor(Rgb::fromHost(color));
}

const host::Font& OffScreenDC::Font() const { return state_->font ? *state_->font : state_->initialFont; }

void OffScreenDC::setFont(const host::Font& font) {
  state_->font = font;
  if (state_->surface) state_->surface->setFont(font);
}

void OffScreenDC::resetFont() {
  state_->font.reset();
  if (state_->surface) state_->surface->setFont(state_->initialFont);
}

void OffScreenDC::FillRect(std::int32_t nLeft, std::int32_t nTop, std::int32_t nnWidth, std::int32_t nHeight,
                           const std::string& sCaption, std::int32_t CaptionAlign, std::int32_t frame, bool Wr,
                           [[maybe_unused]] bool Grid, [[maybe_unused]] std::int16_t CntrT, bool transpar,
                           std::int16_t Divider) {
  host::RasterDc* dc = state_->surface.get();
  if (dc == nullptr) return;
  surface::OpaqueOnReturn opaqueAfterwards(*dc);
  if (transpar) dc->setBkMode(host::BkMode::Transparent);
  const std::string_view shown =
      Wr ? std::string_view(sCaption) : surface::visibleCaption(sCaption, surface::captionPlacement(CaptionAlign), nnWidth);
  const CaptionLayout caption = layCaption(*dc, shown, Wr ? CaptionLines::Wrapped : CaptionLines::One, CaptionAlign,
                                           nLeft, nTop, nnWidth, nHeight);
  const host::Brush fill = host::Brush::solid(dc->bkColor());
  const Rect box = withDivider(Rect::fromLtrb(nLeft, nTop, longSum(nLeft, nnWidth), longSum(nTop, nHeight)),
                               Divider);
  dc->setBkMode(host::BkMode::Transparent);
  if (Wr) {
    if (!transpar) dc->fillRect(box, fill);
    Rect textBox = wrappedTextRect(box);
    dc->drawText(sCaption, textBox, caption.format);
  } else {
    // A one-line cell is always filled: the opaque text output paints the whole box.
    dc->extTextOut({caption.x, caption.y}, host::eto::Opaque | host::eto::Clipped, box, shown);
  }
  if (frame == 1) dc->frameRect(frameAround(box), state_->drawing.frameBrush);
}

Rect OffScreenDC::WrappedTextRect(std::int32_t nLeft, std::int32_t nTop, std::int32_t nnWidth, std::int32_t nHeight,
                                  std::int16_t Divider) {
  return wrappedTextRect(withDivider(Rect::fromXywh(nLeft, nTop, nnWidth, nHeight), Divider));
}

namespace {

unsigned wrappedCountFormat(const host::Dc& dc, std::int32_t CaptionAlign, std::int32_t nnWidth) {
  // CalcRect measures; nothing is drawn.
  return layCaption(dc, "A", CaptionLines::Wrapped, CaptionAlign, 0, 0, nnWidth, 0).format | host::dt::CalcRect;
}

}  // namespace

int OffScreenDC::WrappedLineHeight(std::int32_t CaptionAlign) {
  host::RasterDc* dc = state_->surface.get();
  if (dc == nullptr) return 0;
  Rect unit = WrappedTextRect(0, 0, 0, 0, 0);
  return std::max(1, dc->drawText("A", unit, wrappedCountFormat(*dc, CaptionAlign, 0)));
}

int OffScreenDC::WrappedLineCount(const std::string& sCaption, std::int32_t nnWidth, std::int32_t CaptionAlign,
                                  std::int16_t Divider) {
  if (sCaption.empty()) return 0;
  return WrappedLineCount(sCaption, nnWidth, CaptionAlign, Divider, WrappedLineHeight(CaptionAlign));
}

int OffScreenDC::WrappedLineCount(const std::string& sCaption, std::int32_t nnWidth, std::int32_t CaptionAlign,
                                  std::int16_t Divider, int lineHeight) {
  host::RasterDc* dc = state_->surface.get();
  if (dc == nullptr || sCaption.empty()) return 0;
  Rect text = WrappedTextRect(0, 0, nnWidth, 0, Divider);
  return dc->drawText(sCaption, text, wrappedCountFormat(*dc, CaptionAlign, nnWidth)) / std::max(1, lineHeight);
}

void OffScreenDC::BlastToScreen(std::int32_t nLeft, std::int32_t nTop, std::int32_t nWidth, std::int32_t nHeight) {
  const State& state = *state_;
  if (!state.surface || state.reference == nullptr) return;
  if (nWidth == -1) nWidth = state.width;
  if (nHeight == -1) nHeight = state.height;
  host::RasterDc& reference = *state.reference;
  const Rect whole = Rect::fromXywh(0, 0, state.width, state.height);
  reference.extTextOut(whole.topLeft(), host::eto::Opaque, whole, {});
  const Rect region = Rect::fromLtrb(nLeft, nTop, longSum(nLeft, nWidth), longSum(nTop, nHeight));
  reference.copyFrom(*state.surface, region, region.topLeft());
}

void OffScreenDC::Finale() { state_->surface.reset(); }

void OffScreenDC::Compact() {
  if (state_->surface) state_->surface->compact();
}

void OffScreenDC::DrawLine(std::int32_t FromX, std::int32_t FromY, std::int32_t ToX, std::int32_t ToY,
                           [[maybe_unused]] std::int32_t Style, std::int32_t BordColor, std::int32_t tWidth) {
  host::RasterDc* dc = state_->surface.get();
  if (dc == nullptr) return;
  // Straight lines are solid rectangles: a vertical one tWidth wide left of
  // its x, a horizontal one tWidth high above its y. Their ends are taken in
  // order, so a line drawn upwards or leftwards covers the same pixels.
  if (FromX == ToX) {
    const auto [top, bottom] = std::minmax(FromY, ToY);
    paintSolid(*dc, Rect::fromLtrb(longSum(FromX, -tWidth), longSum(top, -1), ToX, bottom), BordColor);
  } else if (FromY == ToY) {
    const auto [left, right] = std::minmax(FromX, ToX);
    paintSolid(*dc, Rect::fromLtrb(longSum(left, -1), longSum(FromY, -tWidth), longSum(right, 1), ToY), BordColor);
  } else {
    surface::PenAndBrushRestorer restore(*dc);
    dc->selectPen(host::Pen::solid(Rgb::fromHost(BordColor), tWidth));
    dc->moveTo({FromX, FromY});
    dc->lineTo({ToX, ToY});
  }
}

void OffScreenDC::Shape(std::int32_t nLeft, std::int32_t nTop, std::int32_t nWidth, std::int32_t nHeight,
                        std::int32_t ShapeKind, std::int32_t BackColor, std::int32_t BackStyle,
                        std::int32_t BorderColor, std::int32_t BorderStyle, std::int32_t BorderWidth,
                        std::int32_t FillStyle, std::int32_t FillColor) {
  host::RasterDc* dc = state_->surface.get();
  if (dc == nullptr) return;
  setBackColor(BackColor);  // also the background between hatch lines; it stays after the call
  surface::PenAndBrushRestorer restore(*dc);
  // Border style 0 (transparent) becomes pen style -1, which is the null pen.
  dc->selectPen(host::Pen::fromStyleNumber(longSum(BorderStyle, -1), BorderWidth, Rgb::fromHost(BorderColor)));
  dc->selectBrush(surface::ShapeBrush(BackStyle, BackColor, FillStyle, FillColor));
  surface::DrawShapeKind(*dc, ShapeKind, nLeft, nTop, nWidth, nHeight);
}

void OffScreenDC::CDRTF(std::int32_t nTop, std::int32_t nLeft, std::int32_t nBottom, bool wholePage,
                        std::int32_t wholePageTwips) {
  host::RasterDc* dc = state_->surface.get();
  if (dc == nullptr) return;
  PrintJob* job = state_->job;
  if (job == nullptr || !job->CurrentRichText)
    host::raise(ObjectVariableNotSet, "Object variable or With block variable not set");
  host::Object& richText = *job->CurrentRichText;
  setBackColor(host::colorFromHost(richText.get("BackColor").toLong()).toHost());
  host::FormatRange range;
  range.target = dc;
  range.drawTwips = Rect::fromLtrb(longSum(nLeft, 60), nTop, longSum(nLeft, 60, richText.get("Width").toDouble(), -50),
                                   nBottom);
  range.pageTwips = Rect::fromLtrb(0, 0, 24440, host::CLng(nBottom * 0.94));
  range.firstChar = job->RichTextPos;
  range.lastChar = -1;
  range.render = true;
  range.wholePage = wholePage;
  range.wholePageTwips = wholePageTwips;
  job->RichTextPos = host::formatRangeOf(richText).formatRange(range);
}

void OffScreenDC::Printpic(const host::ObjectRef& Source, double Scale, std::int32_t nLeft, std::int32_t nTop,
                           std::int32_t nCutAt) {
  host::RasterDc* dc = state_->surface.get();
  if (dc == nullptr) return;
  if (!Source) host::raise(ObjectVariableNotSet, "Object variable or With block variable not set");
  const host::Size client = surface::clientPixels(*Source);
  const std::int32_t sourceDevice = Source->get("hDC").toLong();
  const std::int32_t w = client.width;
  const std::int32_t h = client.height;
  const host::Picture picture = host::pictureOf(*Source);
  const host::Size target = PrintpicSize(client, Scale);
  const std::int32_t targetWidth = target.width;
  const std::int32_t targetHeight = target.height;
  if (sourceDevice == 0 || w <= 0 || h <= 0 || picture.isNull()) return;
  const Rect onPage = Rect::fromLtrb(nLeft, nTop, longSum(nLeft, targetWidth), longSum(nTop, targetHeight));
  if (surface::coversClientArea(picture, client)) {
    surface::stretchPictureCut(*dc, onPage, picture, Rect::fromXywh(0, 0, w, h), nCutAt);
    return;
  }

  // The box's client area as it holds its picture: the picture from its
  // top-left corner, cut at the area, and white where it does not reach.
  auto boxArea = host::RasterDc::create({w, h}, host::RasterFormat::Color);
  const Rect shown = Rect::fromXywh(0, 0, std::min(w, picture.width()), std::min(h, picture.height()));
  boxArea->stretchPicture(shown, picture, shown);
  surface::stretchPictureCut(*dc, onPage, boxArea->picture(), Rect::fromXywh(0, 0, w, h), nCutAt);
}

host::Size OffScreenDC::PrintpicSize(host::Size client, double Scale) {
  // A preview pixel is 15 twips; these factors carry the picture to the page's scale.
  return {host::CLng(client.width * Scale * 16 / 15.9), host::CLng(client.height * Scale * 16 / 15.8)};
}

bool OffScreenDC::isReady() const { return state_->surface != nullptr; }
std::int32_t OffScreenDC::width() const { return state_->width; }
std::int32_t OffScreenDC::height() const { return state_->height; }
host::RasterDc* OffScreenDC::dc() { return state_->surface.get(); }
const host::RasterDc* OffScreenDC::dc() const { return state_->surface.get(); }
