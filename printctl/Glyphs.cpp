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

const Rect kFace = Rect::fromXywh(0, 0, FacePictureSize, FacePictureSize);

[[nodiscard]] std::unique_ptr<host::RasterDc> blankFace() {
  auto dc = host::RasterDc::create({FacePictureSize, FacePictureSize}, host::RasterFormat::Color);
  dc->fillRect(kFace, Brush::solid(ButtonFace));
  return dc;
}

[[nodiscard]] Rgb inkOf(FaceState state) {
  return state == FaceState::Enabled ? Rgb::black : Rgb::fromRgb(128, 128, 128);
}

// A sheet with a folded-over corner and three lines of text.
void drawSheet(host::Dc& dc, Rgb ink) {
  dc.selectPen(Pen::solid(ink, 1));
  dc.selectBrush(Brush::solid(Rgb::white));
  dc.rectangle(Rect::fromXywh(1, 0, 10, 13));
  for (int line = 0; line < 3; ++line) dc.fillRect(Rect::fromXywh(3, 3 + 2 * line, 6, 1), Brush::solid(ink));
}

// A magnifying glass over the sheet's lower right: a ring and a handle.
void drawGlass(host::Dc& dc, Rgb ink) {
  dc.selectPen(Pen::solid(ink, 1));
  dc.selectBrush(Brush::solid(Rgb::white));
  dc.ellipse(Rect::fromXywh(6, 6, 7, 7));
  dc.selectPen(Pen::solid(ink, 2));
  dc.moveTo({12, 12});
  dc.lineTo({15, 15});
}

// A printer: a sheet coming out of the top, the body, and its slot.
void drawPrinter(host::Dc& dc, Rgb ink) {
  dc.selectPen(Pen::solid(ink, 1));
  dc.selectBrush(Brush::solid(Rgb::white));
  dc.rectangle(Rect::fromXywh(4, 1, 8, 7));
  dc.fillRect(Rect::fromXywh(6, 3, 4, 1), Brush::solid(ink));
  dc.selectBrush(Brush::solid(Rgb::fromRgb(160, 160, 160)));
  dc.rectangle(Rect::fromXywh(1, 7, 14, 6));
  dc.fillRect(Rect::fromXywh(4, 10, 8, 1), Brush::solid(ink));
}

}  // namespace

host::Picture PreviewFace(FaceState state) {
  auto dc = blankFace();
  drawSheet(*dc, inkOf(state));
  drawGlass(*dc, inkOf(state));
  return dc->picture();
}

host::Picture PrintFace(FaceState state) {
  auto dc = blankFace();
  drawPrinter(*dc, inkOf(state));
  return dc->picture();
}

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
