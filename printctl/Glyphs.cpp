#include "printctl/Glyphs.h"

#include <memory>

#include "host/RasterDc.h"

namespace glyphs {
namespace {

using host::Brush;
using host::Pen;
using host::Point;
using host::Rect;
using host::Rgb;

[[nodiscard]] std::unique_ptr<host::RasterDc> blankGlyph() {
  return host::RasterDc::create({GlyphSize, GlyphSize}, host::RasterFormat::Color);
}

const Rect kWhole = Rect::fromXywh(0, 0, GlyphSize, GlyphSize);

// A one-pixel black square with a white inside.
void drawBox(host::Dc& dc) {
  dc.fillRect(kWhole, Brush::solid(Rgb::white));
  dc.frameRect(kWhole, Brush::solid(Rgb::black));
}

// A tick two pixels thick: down from the left to the low point, then up to the right.
void drawTick(host::Dc& dc) {
  dc.selectPen(Pen::solid(Rgb::black, 1));
  for (int thickness = 0; thickness < 2; ++thickness) {
    dc.moveTo({3, 6 + thickness});
    dc.lineTo({5, 8 + thickness});
    dc.lineTo({10, 3 + thickness});
    dc.lineTo({11, 2 + thickness});
  }
}

// A black ring with a white inside.
void drawRing(host::Dc& dc) {
  dc.fillRect(kWhole, Brush::solid(Rgb::white));
  dc.selectPen(Pen::solid(Rgb::black, 1));
  dc.selectBrush(Brush::solid(Rgb::white));
  dc.ellipse(kWhole);
}

// The dot of a selected option, centred in the ring.
void drawDot(host::Dc& dc) {
  dc.selectPen(Pen::solid(Rgb::black, 1));
  dc.selectBrush(Brush::solid(Rgb::black));
  dc.ellipse(Rect::fromXywh(4, 4, 5, 5));
}

}  // namespace

host::Picture Check() {
  auto dc = blankGlyph();
  drawBox(*dc);
  drawTick(*dc);
  return dc->picture();
}

host::Picture Uncheck() {
  auto dc = blankGlyph();
  drawBox(*dc);
  return dc->picture();
}

host::Picture Optik() {
  auto dc = blankGlyph();
  drawRing(*dc);
  drawDot(*dc);
  return dc->picture();
}

host::Picture Optinon() {
  auto dc = blankGlyph();
  drawRing(*dc);
  return dc->picture();
}

}  // namespace glyphs
