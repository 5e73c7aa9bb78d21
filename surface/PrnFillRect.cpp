#include "surface/PrnFillRect.h"

#include <algorithm>

#include "host/Dc.h"
#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Runtime.h"
#include "layout/Pagination.h"
#include "layout/PrintJob.h"
#include "surface/CellRules.h"
#include "surface/DrawingGuards.h"

using host::Rect;
using surface::longSum;

namespace {

// drawText formats of the printer's wrapped captions.
constexpr unsigned PrinterTextFormat = host::dt::WordBreak | host::dt::ExpandTabs | host::dt::NoPrefix;
constexpr unsigned LeftFormat = PrinterTextFormat | host::dt::Left | host::dt::ExternalLeading;
constexpr unsigned RightFormat = PrinterTextFormat | host::dt::Right;
constexpr unsigned CentreFormat = PrinterTextFormat | host::dt::Center;

// The caption's one-line origin and wrapped format. An unaligned code leaves
// both at 0: its one-line caption starts at the page's top-left corner.
struct CaptionOrigin {
  std::int32_t x = 0;
  std::int32_t y = 0;
  unsigned format = 0;
};

CaptionOrigin captionOrigin(std::int32_t align, host::Size extent, std::int32_t nLeft, std::int32_t nTop,
                            std::int32_t nnWidth, std::int32_t nHeight, double k) {
  CaptionOrigin origin;
  switch (surface::captionPlacement(align)) {
    case surface::CaptionPlacement::Left:
      origin.x = longSum(nLeft, 1);
      origin.format = LeftFormat;
      break;
    case surface::CaptionPlacement::Right:
      origin.x = longSum(nLeft, nnWidth, -1, -extent.width, -11 * k);
      origin.format = RightFormat;
      break;
    case surface::CaptionPlacement::Centre:
      origin.x = longSum(nLeft, surface::halfTowardZero(longSum(nnWidth, -extent.width)));
      origin.format = CentreFormat;
      break;
    case surface::CaptionPlacement::Unaligned:
      return origin;
  }
  origin.y = longSum(nTop, surface::halfTowardZero(longSum(nHeight, -extent.height)));
  return origin;
}

// The cell's background: CellFillColor without an outline.
void paintBackground(host::Dc& dc, const Rect& cell, std::int32_t CellFillColor) {
  surface::PenAndBrushRestorer restore(dc);
  dc.selectPen(host::Pen::null());
  dc.selectBrush(host::Brush::solid(host::Rgb::fromHost(CellFillColor)));
  dc.rectangle(cell);
}

// Cells against a grid divider: -3 reaches over the divider on both sides,
// -2 stops short of it on the right, -1 ends where it began. Each move is
// rounded to a whole pixel on its own.
Rect withDivider(Rect text, std::int16_t Divider, double k) {
  if (Divider == -3 || Divider == -2) text.left = longSum(text.left, -2 * k);
  if (Divider == -3 || Divider == -1) text.right = longSum(text.right, 2 * k);
  if (Divider == -1) text.right = longSum(text.right, -2 * k);
  if (Divider == -2) {
    text.left = longSum(text.left, 2 * k);
    text.right = longSum(text.right, -2 * k);
  }
  return text;
}

// The rectangle a caption is written in: the cell less the insets of the
// output mode, each a multiple of k rounded on its own. Sets the background
// mode where a mode draws its text transparently.
Rect captionRect(const Rect& cell, std::int32_t nTop, std::int16_t Divider, bool Wr, bool Grid, double k,
                 host::Dc* dc) {
  Rect text = withDivider(cell, Divider, k);
  text.right = longSum(text.right, -8 * k);
  if (!Wr) {
    text.top = longSum(nTop, -3 * k);
  } else if (!Grid) {
    text.left = longSum(text.left, 2 * k);
    text.right = longSum(text.right, -5 * k);
    if (dc != nullptr) dc->setBkMode(host::BkMode::Transparent);
    text.left = longSum(text.left, 4 * k);
    text.top = longSum(text.top, 3 * k);
    text.bottom = longSum(text.bottom, -2 * k);
  } else {
    if (dc != nullptr) dc->setBkMode(host::BkMode::Transparent);
    text.left = longSum(text.left, 7 * k);
    text.right = longSum(text.right, 4 * k);
  }
  text.right = longSum(text.right, k);
  return text;
}

Rect cellRect(std::int32_t nLeft, std::int32_t nTop, std::int32_t nnWidth, std::int32_t nHeight, double k) {
  return Rect::fromLtrb(nLeft, nTop, longSum(nLeft, nnWidth, 2 * k), longSum(nTop, nHeight, k));
}

double printerUnit() { return 7.4 / host::printer().twipsPerPixelX(); }

}  // namespace

Rect PrnWrappedTextRect(std::int32_t nLeft, std::int32_t nTop, std::int32_t nnWidth, std::int32_t nHeight, bool Grid,
                        std::int16_t Divider) {
  const double k = printerUnit();
  return captionRect(cellRect(nLeft, nTop, nnWidth, nHeight, k), nTop, Divider, true, Grid, k, nullptr);
}

namespace {

unsigned wrappedCountFormat(std::int32_t CaptionAlign) {
  return captionOrigin(CaptionAlign, {}, 0, 0, 0, 0, 0).format | host::dt::CalcRect;
}

}  // namespace

int PrnWrappedLineHeight(std::int32_t CaptionAlign) {
  Rect unit = Rect::fromLtrb(0, 0, 0, 0);
  return std::max(1, host::printer().hDC().drawText("A", unit, wrappedCountFormat(CaptionAlign)));
}

int PrnWrappedLineCount(const std::string& sCaption, std::int32_t nLeft, std::int32_t nnWidth,
                        std::int32_t CaptionAlign, bool Grid, std::int16_t Divider) {
  if (sCaption.empty()) return 0;
  return PrnWrappedLineCount(sCaption, nLeft, nnWidth, CaptionAlign, Grid, Divider, PrnWrappedLineHeight(CaptionAlign));
}

int PrnWrappedLineCount(const std::string& sCaption, std::int32_t nLeft, std::int32_t nnWidth,
                        std::int32_t CaptionAlign, bool Grid, std::int16_t Divider, int lineHeight) {
  if (sCaption.empty()) return 0;
  host::Dc& dc = host::printer().hDC();
  Rect text = PrnWrappedTextRect(nLeft, 0, nnWidth, 0, Grid, Divider);
  return dc.drawText(sCaption, text, wrappedCountFormat(CaptionAlign)) / std::max(1, lineHeight);
}

bool OddBit(std::int32_t& n) {
  const bool odd = n % 2 != 0;
  n = static_cast<std::int32_t>(host::Int(n / 2.0));
  return odd;
}

void PrnFillRect(PrintJob& job, std::int32_t nLeft, std::int32_t nTop, std::int32_t nnWidth, std::int32_t nHeight,
                 const std::string& sCaption, std::int32_t CaptionAlign, std::int16_t frame, bool Wr, bool Grid,
                 bool transpar, std::int16_t Divider) {
  try {
    host::Printer& printer = host::printer();
    host::Dc& dc = printer.hDC();
    surface::OpaqueOnReturn opaqueAfterwards(dc);
    if (transpar) dc.setBkMode(host::BkMode::Transparent);
    // Every inset is a multiple of 7.4 twips, so the cell keeps its size on paper at any resolution.
    const double k = printerUnit();
    job.PrnUnit = k;
    // Captions travel in the host's code page, UTF-8, and are handed on whole
    // for every font: a count of characters would cut a caption whose
    // converted form has more bytes than characters.
    // Only a one-line caption is placed by its extent; a word-wrapped one is
    // placed by its format, so a long caption is not measured whole for nothing.
    const std::string_view shown =
        Wr ? std::string_view(sCaption) : surface::visibleCaption(sCaption, surface::captionPlacement(CaptionAlign), nnWidth);
    const host::Size extent = Wr ? host::Size{} : dc.textExtent(shown);
    const CaptionOrigin origin = captionOrigin(CaptionAlign, extent, nLeft, nTop, nnWidth, nHeight, k);

    const Rect cell = cellRect(nLeft, nTop, nnWidth, nHeight, k);
    if (!transpar) paintBackground(dc, cell, job.CellFillColor);
    if (frame == 1) dc.frameRect(cell, job.drawing.frameBrush);

    Rect text = captionRect(cell, nTop, Divider, Wr, Grid, k, &dc);

    if (!Wr) {
      text.top = longSum(text.top, 5 * k);
      text.right = longSum(text.right, 7 * k);
      dc.extTextOut({longSum(origin.x, 3 * k), origin.y}, host::eto::Clipped, text, shown);
    } else {
      dc.drawText(sCaption, text, origin.format);
    }
  } catch (const host::HostError& error) {
    ReportJobError(job, error);
  }
}
