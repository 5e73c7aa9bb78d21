// Pixel rules of rectangles, frames, lines and shapes on raster surfaces.
#include <gtest/gtest.h>

#include "DrawingTestSupport.h"
#include "host/Dc.h"

using namespace drawingtest;
using host::Brush;
using host::HatchStyle;
using host::Pen;
using host::PenStyle;
using host::Point;
using host::Rect;
using host::Rgb;

TEST(RasterRectangles, FillRectExcludesRightAndBottomEdges) {
  auto dc = colourSurface(12, 12);
  dc->fillRect(Rect::fromLtrb(2, 3, 6, 5), Brush::solid(red));
  EXPECT_EQ(inkBounds(*dc), Rect::fromLtrb(2, 3, 6, 5));
  EXPECT_EQ(dc->pixel(5, 4), red);
  EXPECT_EQ(dc->pixel(6, 4), Rgb::white);
  EXPECT_EQ(dc->pixel(5, 5), Rgb::white);
}

TEST(RasterRectangles, EmptyOrInvertedRectanglesFillNothing) {
  auto dc = colourSurface(12, 12);
  dc->fillRect(Rect::fromLtrb(5, 5, 5, 9), Brush::solid(red));
  dc->fillRect(Rect::fromLtrb(8, 8, 4, 4), Brush::solid(red));
  dc->fillRect(Rect::fromLtrb(2, 2, 6, 6), Brush::hollow());
  EXPECT_EQ(inkBounds(*dc), Rect{});
}

TEST(RasterRectangles, FillsReachingPastTheSurfaceAreCut) {
  auto dc = colourSurface(10, 10);
  dc->fillRect(Rect::fromLtrb(-5, -5, 3, 20), Brush::solid(red));
  EXPECT_EQ(inkBounds(*dc), Rect::fromLtrb(0, 0, 3, 10));
}

TEST(RasterRectangles, FrameRectIsOnePixelInsideTheRectangle) {
  auto dc = colourSurface(12, 12);
  dc->frameRect(Rect::fromLtrb(1, 2, 8, 7), Brush::solid(Rgb::black));
  EXPECT_EQ(inkBounds(*dc), Rect::fromLtrb(1, 2, 8, 7));
  EXPECT_EQ(row(*dc, 2, 0, 9), ".#######.");
  EXPECT_EQ(row(*dc, 4, 0, 9), ".#.....#.");
  EXPECT_EQ(row(*dc, 6, 0, 9), ".#######.");
}

TEST(RasterRectangles, RectangleDrawsOutlineWithPenAndInsideWithBrush) {
  auto dc = colourSurface(12, 12);
  dc->selectPen(Pen::solid(blue));
  dc->selectBrush(Brush::solid(red));
  dc->rectangle(Rect::fromLtrb(2, 2, 8, 6));
  EXPECT_EQ(inkBounds(*dc), Rect::fromLtrb(2, 2, 8, 6));
  EXPECT_EQ(dc->pixel(2, 2), blue);
  EXPECT_EQ(dc->pixel(7, 5), blue);
  EXPECT_EQ(dc->pixel(7, 3), blue);
  EXPECT_EQ(dc->pixel(3, 3), red);
  EXPECT_EQ(dc->pixel(6, 4), red);
}

TEST(RasterRectangles, RectangleWithNullPenFillsTheWholeRectangle) {
  auto dc = colourSurface(12, 12);
  dc->selectPen(Pen::null());
  dc->selectBrush(Brush::solid(red));
  dc->rectangle(Rect::fromLtrb(2, 2, 8, 6));
  EXPECT_EQ(inkBounds(*dc), Rect::fromLtrb(2, 2, 8, 6));
  EXPECT_EQ(countPixels(*dc, red, Rect::fromLtrb(2, 2, 8, 6)), 24);
}

TEST(RasterRectangles, RectangleWithHollowBrushLeavesTheInside) {
  auto dc = colourSurface(12, 12);
  dc->fillRect(Rect::fromLtrb(0, 0, 12, 12), Brush::solid(green));
  dc->selectPen(Pen::solid(Rgb::black));
  dc->selectBrush(Brush::hollow());
  dc->rectangle(Rect::fromLtrb(2, 2, 8, 6));
  EXPECT_EQ(dc->pixel(2, 2), Rgb::black);
  EXPECT_EQ(dc->pixel(4, 4), green);
}

TEST(RasterRectangles, WidePenIsCentredOnTheOutline) {
  auto dc = colourSurface(20, 20);
  dc->selectPen(Pen::solid(Rgb::black, 3));
  dc->selectBrush(Brush::hollow());
  dc->rectangle(Rect::fromLtrb(5, 5, 15, 15));
  EXPECT_EQ(inkBounds(*dc), Rect::fromLtrb(4, 4, 16, 16));
  EXPECT_EQ(row(*dc, 10, 3, 17), ".###......###.");
}

TEST(RasterRectangles, InvertRectFlipsColours) {
  auto dc = colourSurface(10, 10);
  dc->fillRect(Rect::fromLtrb(0, 0, 5, 10), Brush::solid(red));
  dc->invertRect(Rect::fromLtrb(3, 0, 8, 1));
  EXPECT_EQ(dc->pixel(2, 0), red);
  EXPECT_EQ(dc->pixel(3, 0), Rgb::fromRgb(0, 255, 255));
  EXPECT_EQ(dc->pixel(7, 0), Rgb::black);
  EXPECT_EQ(dc->pixel(8, 0), Rgb::white);
}

TEST(RasterLines, LineToLeavesOutItsEndPointAndMovesThere) {
  auto dc = colourSurface(12, 12);
  dc->selectPen(Pen::solid(Rgb::black));
  dc->moveTo({1, 1});
  dc->lineTo({6, 1});
  EXPECT_EQ(row(*dc, 1, 0, 8), ".#####..");
  dc->lineTo({6, 5});  // continues from (6, 1)
  EXPECT_EQ(column(*dc, 6, 0, 7), ".####..");
}

TEST(RasterLines, DiagonalLinesStopBeforeTheEndPoint) {
  auto dc = colourSurface(12, 12);
  dc->selectPen(Pen::solid(Rgb::black));
  dc->moveTo({8, 8});
  dc->lineTo({2, 2});
  for (int i = 3; i <= 8; ++i) EXPECT_EQ(dc->pixel(i, i), Rgb::black) << i;
  EXPECT_EQ(dc->pixel(2, 2), Rgb::white);
  EXPECT_EQ(inkBounds(*dc), Rect::fromLtrb(3, 3, 9, 9));
}

TEST(RasterLines, LineToTheSamePointAndNullPenDrawNothing) {
  auto dc = colourSurface(12, 12);
  dc->selectPen(Pen::solid(Rgb::black));
  dc->moveTo({4, 4});
  dc->lineTo({4, 4});
  dc->selectPen(Pen::null());
  dc->lineTo({9, 4});
  EXPECT_EQ(inkBounds(*dc), Rect{});
}

TEST(RasterLines, DashedAndDottedPensFollowTheirPatterns) {
  auto dc = colourSurface(40, 4);
  dc->setBkMode(host::BkMode::Transparent);
  dc->selectPen(Pen::fromStyleNumber(1, 1, Rgb::black));  // dash: 18 on, 6 off
  dc->moveTo({0, 0});
  dc->lineTo({30, 0});
  EXPECT_EQ(row(*dc, 0, 0, 30), std::string(18, '#') + std::string(6, '.') + std::string(6, '#'));
  dc->selectPen(Pen::fromStyleNumber(2, 1, Rgb::black));  // dot: 3 on, 3 off
  dc->moveTo({0, 1});
  dc->lineTo({12, 1});
  EXPECT_EQ(row(*dc, 1, 0, 12), "###...###...");
  dc->selectPen(Pen::fromStyleNumber(4, 1, Rgb::black));  // dash-dot-dot: 9 3 3 3 3 3
  dc->moveTo({0, 2});
  dc->lineTo({26, 2});
  EXPECT_EQ(row(*dc, 2, 0, 26), "#########...###...###...##");
}

TEST(RasterLines, OpaqueModeFillsThePatternGapsWithTheBackground) {
  auto dc = colourSurface(12, 2);
  dc->setBkMode(host::BkMode::Opaque);
  dc->setBkColor(red);
  dc->selectPen(Pen::fromStyleNumber(2, 1, Rgb::black));
  dc->moveTo({0, 0});
  dc->lineTo({12, 0});
  EXPECT_EQ(row(*dc, 0, 0, 12), "###???###???");
  EXPECT_EQ(dc->pixel(4, 0), red);
}

TEST(RasterLines, StyleNumbersOutsideTheClassicRangeGiveANullPen) {
  EXPECT_EQ(Pen::fromStyleNumber(5, 1, red).style, PenStyle::Null);
  EXPECT_EQ(Pen::fromStyleNumber(-1, 1, red).style, PenStyle::Null);
  EXPECT_EQ(Pen::fromStyleNumber(9, 1, red).style, PenStyle::Null);
  EXPECT_EQ(Pen::fromStyleNumber(3, 2, red), (Pen{PenStyle::DashDot, 2, red}));
}

TEST(RasterShapes, EllipseStaysInsideItsRectangleAndTouchesEverySide) {
  auto dc = colourSurface(50, 40);
  dc->selectPen(Pen::solid(Rgb::black));
  dc->selectBrush(Brush::solid(red));
  dc->ellipse(Rect::fromLtrb(10, 5, 40, 25));
  EXPECT_EQ(inkBounds(*dc), Rect::fromLtrb(10, 5, 40, 25));
  EXPECT_EQ(dc->pixel(25, 15), red);
  EXPECT_EQ(dc->pixel(10, 5), Rgb::white);  // corners stay outside the ellipse
  EXPECT_EQ(dc->pixel(39, 24), Rgb::white);
}

TEST(RasterShapes, EllipseWithoutOutlineFillsItsRectangle) {
  auto dc = colourSurface(50, 40);
  dc->selectPen(Pen::null());
  dc->selectBrush(Brush::solid(red));
  dc->ellipse(Rect::fromLtrb(10, 5, 40, 25));
  const Rect ink = inkBounds(*dc);
  EXPECT_GE(ink.left, 10);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.right, 40);
  EXPECT_LE(ink.bottom, 25);
  EXPECT_LE(std::abs(ink.width() - 30), 1);
  EXPECT_LE(std::abs(ink.height() - 20), 1);
}

TEST(RasterShapes, RoundRectCutsItsCornersOnly) {
  auto dc = colourSurface(50, 40);
  dc->selectPen(Pen::solid(Rgb::black));
  dc->selectBrush(Brush::hollow());
  dc->roundRect(Rect::fromLtrb(10, 5, 40, 25), 8, 8);
  EXPECT_EQ(inkBounds(*dc), Rect::fromLtrb(10, 5, 40, 25));
  EXPECT_EQ(dc->pixel(10, 5), Rgb::white);
  EXPECT_EQ(dc->pixel(25, 5), Rgb::black);   // straight top edge
  EXPECT_EQ(dc->pixel(10, 15), Rgb::black);  // straight left edge
  EXPECT_EQ(dc->pixel(39, 15), Rgb::black);
  EXPECT_EQ(dc->pixel(25, 24), Rgb::black);
}

TEST(RasterShapes, HatchBrushesTileFromTheDeviceOrigin) {
  auto dc = colourSurface(16, 16);
  dc->setBkMode(host::BkMode::Transparent);
  dc->fillRect(Rect::fromLtrb(2, 2, 16, 16), Brush::hatched(HatchStyle::Horizontal, Rgb::black));
  EXPECT_EQ(column(*dc, 5, 0, 16), "...#.......#....");
  auto vertical = colourSurface(16, 4);
  vertical->setBkMode(host::BkMode::Transparent);
  vertical->fillRect(Rect::fromLtrb(0, 0, 16, 4), Brush::hatched(HatchStyle::Vertical, Rgb::black));
  EXPECT_EQ(row(*vertical, 1, 0, 16), "....#.......#...");
}

TEST(RasterShapes, DiagonalHatchesRunTheirOwnWay) {
  auto forward = colourSurface(8, 8);
  forward->setBkMode(host::BkMode::Transparent);
  forward->fillRect(Rect::fromLtrb(0, 0, 8, 8), Brush::hatched(HatchStyle::ForwardDiagonal, Rgb::black));
  auto backward = colourSurface(8, 8);
  backward->setBkMode(host::BkMode::Transparent);
  backward->fillRect(Rect::fromLtrb(0, 0, 8, 8), Brush::hatched(HatchStyle::BackwardDiagonal, Rgb::black));
  auto crossed = colourSurface(8, 8);
  crossed->setBkMode(host::BkMode::Transparent);
  crossed->fillRect(Rect::fromLtrb(0, 0, 8, 8), Brush::hatched(HatchStyle::DiagonalCross, Rgb::black));
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(forward->pixel(i, i), Rgb::black);
    EXPECT_EQ(backward->pixel(7 - i, i), Rgb::black);
    EXPECT_EQ(crossed->pixel(i, i), Rgb::black);
    EXPECT_EQ(crossed->pixel(7 - i, i), Rgb::black);
  }
  EXPECT_EQ(countPixels(*forward, Rgb::black, Rect::fromLtrb(0, 0, 8, 8)), 8);
  EXPECT_EQ(countPixels(*backward, Rgb::black, Rect::fromLtrb(0, 0, 8, 8)), 8);
  EXPECT_EQ(countPixels(*crossed, Rgb::black, Rect::fromLtrb(0, 0, 8, 8)), 16);
}

TEST(RasterShapes, HatchGapsTakeTheBackgroundOnlyInOpaqueMode) {
  auto dc = colourSurface(8, 8);
  dc->fillRect(Rect::fromLtrb(0, 0, 8, 8), Brush::solid(green));
  dc->setBkColor(red);
  dc->setBkMode(host::BkMode::Transparent);
  dc->fillRect(Rect::fromLtrb(0, 0, 4, 8), Brush::hatched(HatchStyle::Cross, Rgb::black));
  dc->setBkMode(host::BkMode::Opaque);
  dc->fillRect(Rect::fromLtrb(4, 0, 8, 8), Brush::hatched(HatchStyle::Cross, Rgb::black));
  EXPECT_EQ(dc->pixel(0, 0), green);
  EXPECT_EQ(dc->pixel(0, 3), Rgb::black);
  EXPECT_EQ(dc->pixel(5, 0), red);
  EXPECT_EQ(dc->pixel(4, 0), Rgb::black);
}

TEST(RasterShapes, HatchedShapesKeepTheirOutline) {
  auto dc = colourSurface(20, 20);
  dc->setBkMode(host::BkMode::Transparent);
  dc->selectPen(Pen::solid(blue));
  dc->selectBrush(Brush::hatched(HatchStyle::Horizontal, red));
  dc->rectangle(Rect::fromLtrb(0, 0, 20, 20));
  EXPECT_EQ(dc->pixel(0, 3), blue);
  EXPECT_EQ(dc->pixel(5, 3), red);
  EXPECT_EQ(dc->pixel(5, 4), Rgb::white);
}

TEST(DcStateSaver, RestoresEveryAttributeWhenTheCallReturns) {
  auto dc = colourSurface(4, 4);
  dc->setBkColor(red);
  dc->setBkMode(host::BkMode::Transparent);
  dc->setTextColor(blue);
  dc->selectPen(Pen::solid(green, 2));
  dc->selectBrush(Brush::hollow());
  const host::Font before("Arial", 10);
  dc->setFont(before);
  {
    host::DcStateSaver saver(*dc);
    dc->setBkColor(Rgb::black);
    dc->setBkMode(host::BkMode::Opaque);
    dc->setTextColor(Rgb::white);
    dc->selectPen(Pen::null());
    dc->selectBrush(Brush::solid(red));
    dc->setFont(host::Font("Courier New", 20));
  }
  EXPECT_EQ(dc->bkColor(), red);
  EXPECT_EQ(dc->bkMode(), host::BkMode::Transparent);
  EXPECT_EQ(dc->textColor(), blue);
  EXPECT_EQ(dc->pen(), Pen::solid(green, 2));
  EXPECT_EQ(dc->brush(), Brush::hollow());
  EXPECT_EQ(dc->font(), before);
  auto reference = colourSurface(4, 4);
  reference->setFont(before);
  EXPECT_EQ(dc->textExtent("Mm"), reference->textExtent("Mm"));
}
