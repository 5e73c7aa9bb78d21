// Lines, shapes and frames: one procedure each for both kinds of job, drawing
// on the preview page or, through PrnDrawLine and PrnShape, on the printer.
// A line passes over any statement that fails and is drawn with what stands;
// a shape or frame is abandoned at its first failing statement.
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "host/Lang.h"
#include "host/Runtime.h"
#include "host/TextMetrics.h"
#include "layout/Pagination.h"
#include "printctl/Vellora.h"
#include "renderers/RendererSupport.h"
#include "renderers/Renderers.h"
#include "surface/CellRules.h"
#include "surface/DrawingGuards.h"
#include "surface/PrnFillRect.h"
#include "surface/ShapeRules.h"

namespace {

using host::CLng;
using renderers::FailureStyle;
using renderers::scaled;
using renderers::Statements;

using surface::White;
constexpr std::int32_t Grey = 8421504;

[[nodiscard]] bool printing(const PrintJob& job) { return job.Printing == 1; }

// --- lines -------------------------------------------------------------------

// The entry of a line: a line near the foot of the page, or one tagged
// "newpage", goes to the next page, lifted to one line below its body top.
void enterLine(PrintJob& job, const host::Object& line, const Statements& run) {
  run([&] { renderers::applyAdvance(job); });
  const bool newPage = run.test([&] {
    return renderers::wantsNewPage(job, line) || job.CurY + 14 + job.BottomReserve - 20 > job.PageHeight;
  });
  if (!newPage) return;
  run([&] { NextPage(job); });
  if (job.JobEnded) return;
  if (job.CurY < job.BodyTop + 30) run([&] { job.CurY = CLng(renderers::controlLineHeight(job) + job.BodyTop); });
}

// A line along an axis is painted as a rectangle between its two ends, which
// must come in ascending order: painted the other way round the rectangle
// would be empty and the line would vanish.
void orderAxisParallelEnds(std::int32_t& x0, std::int32_t& y0, std::int32_t& x1, std::int32_t& y1) {
  if (x0 == x1 && y0 > y1) std::swap(y0, y1);
  if (y0 == y1 && x0 > x1) std::swap(x0, x1);
}

// --- shapes --------------------------------------------------------------------

// The common entry of shapes and frames. Returns false when the job ended at
// the page break.
[[nodiscard]] bool enterShapeOrFrame(PrintJob& job, const host::Object& control) {
  renderers::applyAdvance(job);
  const double lineHeight = renderers::controlLineHeight(job);
  if (renderers::wantsNewPage(job, control) || lineHeight + job.CurY + job.BottomReserve >= job.PageHeight) {
    NextPage(job);
    if (job.JobEnded) return false;
    renderers::applyAdvance(job);
  }
  renderers::keepBelowBodyTop(job);
  return true;
}

struct ShapeBox {
  std::int32_t left = 0, width = 0, height = 0;
};

// The box of a shape or frame: its record's left and width, its own height.
[[nodiscard]] ShapeBox boxOf(const PrintJob& job, const host::Object& control) {
  const CtlRecord& record = job.record();
  return {CLng(scaled(job, record.Left) + job.BodyLeft), CLng(scaled(job, record.Width)),
          CLng(std::abs(scaled(job, control.get("Height").toDouble())))};
}

// A shape of the given style on the preview page or the printer.
struct ShapeStyle {
  std::int32_t kind = 0, backColor = White, backStyle = 1, borderColor = 0, borderStyle = 0, borderWidth = 1,
               fillStyle = 1, fillColor = 0;
};

void drawShape(PrintJob& job, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
               const ShapeStyle& s) {
  if (printing(job)) {
    PrnShape(job, left, top, width, height, s.kind, s.backColor, s.backStyle, s.borderColor, s.borderStyle,
             s.borderWidth, s.fillStyle, s.fillColor);
  } else {
    job.page().Shape(left, top, width, height, s.kind, s.backColor, s.backStyle, s.borderColor, s.borderStyle,
                     s.borderWidth, s.fillStyle, s.fillColor);
  }
}

// The pen of a border style: 1 solid, 2 dash, 3 dot, 4 dash-dot,
// 5 dash-dot-dot; 0 (transparent) and 6 give no outline.
[[nodiscard]] host::Pen borderPen(std::int32_t borderStyle, std::int32_t width, std::int32_t color) {
  std::int32_t style = borderStyle - 1;
  if (style == -1) style = 5;
  return host::Pen::fromStyleNumber(style, width, host::Rgb::fromHost(color));
}

// --- frames --------------------------------------------------------------------

// The frame's caption line: its height and the width of its caption cell.
struct CaptionMetrics {
  std::int32_t height = 0;  // h
  std::int32_t width = 0;   // cw
  bool clipped = false;     // the frame is narrower than its caption
};

[[nodiscard]] CaptionMetrics captionMetrics(const PrintJob& job, const host::Font& font, const std::string& caption) {
  host::Size line;
  host::Size text;
  if (printing(job)) {
    host::Dc& dc = renderers::printerDc();
    line = dc.textExtent("A");
    text = dc.textExtent(caption);
  } else {
    line = host::measureText(font, "A", 96.0);
    text = host::measureText(font, caption, 96.0);
  }
  CaptionMetrics metrics;
  metrics.height = CLng(line.height + 1.0);
  metrics.width = CLng(text.width + 2.0);
  const double frameWidth = scaled(job, job.record().Width);
  if (frameWidth - 1 < metrics.width) {
    metrics.width = CLng(frameWidth - 4);
    metrics.clipped = true;
  }
  return metrics;
}

// The caption cell's own insets (the text starts a few pixels in from the
// cell's edges); a caption that fits its frame gets a cell that holds it
// whole, so that the last word is neither wrapped away nor cut.
[[nodiscard]] std::int32_t captionCellWidth(const PrintJob& job, const CaptionMetrics& metrics) {
  std::int32_t width = metrics.width + 2;
  if (metrics.clipped) return width;
  return width + (printing(job) ? CLng(8 * job.PrnUnit) : 3);
}

[[nodiscard]] std::int32_t captionCellHeight(const PrintJob& job, const CaptionMetrics& metrics) {
  return metrics.height + (printing(job) ? 0 : 2);
}

void writeCaption(PrintJob& job, const host::Object& frame, const host::Font& font, const ShapeBox& box,
                  const CaptionMetrics& metrics, std::int32_t foreground, std::int32_t background) {
  const std::string caption = frame.get("Caption").toString();
  const bool rightToLeft = frame.get("RightToLeft").toBool();
  const std::int32_t cellWidth = captionCellWidth(job, metrics);
  const std::int32_t cellHeight = captionCellHeight(job, metrics);
  std::int32_t x = CLng((job.record().Left + 55) / job.TwipsPerUnit * job.LayoutFactor + job.BodyLeft);
  // Right to left, the caption sits as far in from the frame's right end.
  if (rightToLeft) x = box.left + box.width - (x - box.left) - cellWidth;
  const std::int32_t top = CLng(155 / job.TwipsPerUnit * job.LayoutFactor + job.CurY - metrics.height / 2.0);
  const std::int32_t alignment = rightToLeft ? 1 : 0;
  if (printing(job)) {
    renderers::printerDc().setTextColor(host::Rgb::fromHost(foreground));
    renderers::printerDc().setBkColor(host::Rgb::fromHost(background));
    PrnFillRect(job, x, top, cellWidth, cellHeight, caption, alignment, 5, true, true, true, 5);
  } else {
    job.page().setBackColor(background);
    job.page().setTextColor(foreground);
    job.page().setFont(font);
    job.page().FillRect(x, top, cellWidth, cellHeight, caption, alignment, 5, true, false, 0, true, 5);
  }
}

void renderFrame(PrintJob& job) {
  host::Object& frame = *job.CurCtl;
  if (!enterShapeOrFrame(job, frame)) return;
  std::int32_t background = renderers::colorProperty(frame, "BackColor");
  const std::int32_t foreground = renderers::colorProperty(frame, "ForeColor");
  if (job.SurfaceColorMode != 2) background = White;
  const ShapeBox box = boxOf(job, frame);
  const std::int32_t top = printing(job) ? job.CurY : job.CurY - 1;
  ShapeStyle fill;
  fill.backColor = background;
  drawShape(job, box.left, top, box.width, box.height, fill);
  if (frame.get("BorderStyle").toLong() == 0) return;

  // Off the design size the caption scales with the frame it names.
  const host::Font font = renderers::layoutFont(job, renderers::fontOf(frame));
  if (printing(job)) renderers::setPrinterFont(font);
  const CaptionMetrics metrics = captionMetrics(job, font, frame.get("Caption").toString());
  // The grey outline runs through the middle of the caption line and ends on
  // the frame's bottom edge.
  ShapeStyle outline;
  outline.backStyle = 0;
  outline.borderColor = Grey;
  outline.borderStyle = 1;
  const double frameHeight = frame.get("Height").toDouble() / job.TwipsPerUnit;
  drawShape(job, box.left, CLng(metrics.height / 2.0 + job.CurY), CLng(scaled(job, job.record().Width) - 1),
            CLng(std::abs(frameHeight * job.LayoutFactor - metrics.height / 2.0) - 1), outline);
  writeCaption(job, frame, font, box, metrics, foreground, background);
}

void renderShape(PrintJob& job) {
  host::Object& shape = *job.CurCtl;
  if (!enterShapeOrFrame(job, shape)) return;
  ShapeStyle style;
  style.backColor = renderers::colorProperty(shape, "BackColor");
  if (job.SurfaceColorMode != 2) style.backColor = White;
  style.borderColor = renderers::colorProperty(shape, "BorderColor");
  const ShapeBox box = boxOf(job, shape);
  style.kind = shape.get("Shape").toLong();
  style.backStyle = shape.get("BackStyle").toLong();
  style.borderStyle = shape.get("BorderStyle").toLong();
  style.borderWidth = shape.get("BorderWidth").toLong();
  style.fillStyle = shape.get("FillStyle").toLong();
  style.fillColor = renderers::colorProperty(shape, "FillColor");
  const std::int32_t top = printing(job) ? job.CurY : job.CurY - 1;
  drawShape(job, box.left, top, box.width, box.height, style);
}

}  // namespace

void PrintLine(PrintJob& job) {
  const Statements run(FailureStyle::StatementByStatement);
  host::Object& line = *job.CurCtl;
  const CtlRecord& record = job.record();
  enterLine(job, line, run);
  if (job.JobEnded) return;

  std::int32_t color = 0;
  run([&] { color = renderers::colorProperty(line, "BorderColor"); });
  // The record holds the line's upper end (Top) and minus its lower end (Extent).
  std::int32_t extent = 0;
  run([&] {
    extent = CLng(std::abs(record.Top / job.TwipsPerUnit - std::abs(record.Extent) / job.TwipsPerUnit) *
                  job.LayoutFactor);
  });
  std::int32_t y0 = job.CurY;
  std::int32_t y1 = job.CurY + extent;
  if (run.test([&] { return line.get("Y2").toDouble() < line.get("Y1").toDouble(); })) std::swap(y0, y1);
  std::int32_t x0 = 0;
  std::int32_t x1 = 0;
  run([&] { x0 = CLng(scaled(job, line.get("X1").toDouble() + record.Left) + job.BodyLeft); });
  run([&] { x1 = CLng(scaled(job, line.get("X2").toDouble() + record.Left) + job.BodyLeft); });
  std::int32_t width = 0;
  std::int32_t style = 0;
  run([&] {
    const double borderWidth = line.get("BorderWidth").toDouble();
    width = printing(job) ? CLng(borderWidth) : CLng(borderWidth * job.LayoutFactor);
  });
  run([&] { style = CLng(line.get("BorderStyle").toDouble()); });
  orderAxisParallelEnds(x0, y0, x1, y1);
  run([&] {
    if (printing(job)) {
      PrnDrawLine(job, x0, y0, x1, y1, style, color, width);
    } else {
      job.page().DrawLine(x0, y0, x1, y1, style, color, width);
    }
  });
}

void PrintShape(PrintJob& job) {
  try {
    renderShape(job);
  } catch (const host::HostError&) {
    // The control is abandoned; the walk goes on with the next one.
  }
}

void PrintFrame(PrintJob& job) {
  try {
    renderFrame(job);
  } catch (const host::HostError&) {
    // The control is abandoned; the walk goes on with the next one.
  }
}

void PrnDrawLine(PrintJob& job, std::int32_t FromX, std::int32_t FromY, std::int32_t ToX, std::int32_t ToY,
                 std::int32_t& Style, std::int32_t BordColor, std::int32_t tWidth) {
  host::Dc& dc = renderers::printerDc();
  if (FromX != ToX && FromY != ToY) {
    // A slanted line takes a pen of the line's style; a transparent border
    // style gives the null pen and nothing shows.
    Style -= 1;
    if (Style == -1) Style = 5;
    surface::PenAndBrushRestorer restore(dc);
    dc.selectPen(host::Pen::fromStyleNumber(Style, tWidth, host::Rgb::fromHost(BordColor)));
    dc.moveTo({FromX, FromY});
    dc.lineTo({ToX, ToY});
    return;
  }
  // Lines along an axis are solid rectangles; the brush of the last colour
  // is kept and only a new colour makes a new one.
  if (job.LineBrushColor != BordColor) {
    job.LineBrushColor = BordColor;
    ++job.LineBrushesMade;
  }
  const host::Brush brush = host::Brush::solid(host::Rgb::fromHost(BordColor));
  if (FromX == ToX) {
    dc.fillRect(host::Rect::fromLtrb(FromX - tWidth, FromY, ToX, ToY - 1), brush);
  } else {
    dc.fillRect(host::Rect::fromLtrb(FromX - 1, FromY, ToX, ToY + tWidth), brush);
  }
}

void PrnShape(PrintJob& /*job*/, std::int32_t nLeft, std::int32_t nTop, std::int32_t nWidth, std::int32_t nHeight,
              std::int32_t ShapeKind, std::int32_t BackColor, std::int32_t BackStyle, std::int32_t BorderColor,
              std::int32_t BorderStyle, std::int32_t BorderWidth, std::int32_t FillStyle, std::int32_t FillColor) {
  host::Dc& dc = renderers::printerDc();
  // The shape's back colour becomes the printer's background colour (the gaps
  // of a hatched fill) and stays set after the shape, as on the page surface.
  // The print control's own BackColor, the colour of its face on the form,
  // is left as it is.
  dc.setBkColor(host::Rgb::fromHost(BackColor));
  surface::PenAndBrushRestorer restore(dc);
  dc.selectPen(borderPen(BorderStyle, BorderWidth, BorderColor));
  dc.selectBrush(surface::ShapeBrush(BackStyle, BackColor, FillStyle, FillColor));
  surface::DrawShapeKind(dc, ShapeKind, nLeft, nTop, nWidth, nHeight);
}
