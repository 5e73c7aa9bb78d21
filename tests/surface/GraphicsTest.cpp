// Lines and host shapes on the page surface.
#include <gtest/gtest.h>

#include "SurfaceTestSupport.h"
#include "surface/OffScreenDC.h"

using host::Rect;
using host::Rgb;
using namespace surfacetest;

namespace {

class GraphicsTest : public ::testing::Test {
 protected:
  std::unique_ptr<OffScreenDC> makeSurface() {
    auto surface = std::make_unique<OffScreenDC>(drawing);
    surface->Initialize(nullptr, 80, 80, 2);
    return surface;
  }
  Rgb px(int x, int y) const { return surface->dc()->pixel(x, y); }
  std::optional<Rect> bounds(Rgb color) const { return boundsOf(*surface->dc(), color, Rect::fromXywh(0, 0, 80, 80)); }
  // A shape with a red inside and a black one-pixel border.
  void shape(int left, int top, int width, int height, int kind, int borderStyle = 1) {
    surface->Shape(left, top, width, height, kind, red.toHost(), 1, 0, borderStyle, 1, 1, 0);
  }

  SharedDrawing drawing;
  std::unique_ptr<OffScreenDC> surface = makeSurface();
};

TEST_F(GraphicsTest, PointLineIsARectangleLeftOfItsX) {
  surface->DrawLine(10, 20, 10, 20, 1, blue.toHost(), 3);
  EXPECT_EQ(bounds(blue), Rect::fromLtrb(7, 19, 10, 20));
}

TEST_F(GraphicsTest, StraightLinesCoverTheSamePixelsInEitherDirection) {
  surface->setBackColor(grey.toHost());
  surface->DrawLine(10, 5, 10, 25, 3, blue.toHost(), 2);
  EXPECT_EQ(bounds(blue), Rect::fromLtrb(8, 4, 10, 25));
  surface->DrawLine(25, 40, 5, 40, 0, red.toHost(), 2);
  EXPECT_EQ(bounds(red), Rect::fromLtrb(4, 38, 26, 40));
  EXPECT_EQ(surface->BackColor(), grey.toHost());

  auto upwards = makeSurface();
  upwards->DrawLine(10, 25, 10, 5, 1, blue.toHost(), 2);
  upwards->DrawLine(5, 40, 25, 40, 1, red.toHost(), 2);
  EXPECT_TRUE(samePixels(*upwards->dc(), *surface->dc(), {80, 80}));
}

TEST_F(GraphicsTest, SlantedLineLeavesOutItsEndPoint) {
  surface->DrawLine(5, 5, 15, 15, 1, blue.toHost(), 1);
  EXPECT_EQ(px(5, 5), blue);
  EXPECT_EQ(px(10, 10), blue);
  EXPECT_EQ(px(15, 15), Rgb::white);
}

TEST_F(GraphicsTest, SquareTakesTheShorterSide) {
  shape(10, 10, 40, 60, 1);
  EXPECT_EQ(bounds(Rgb::black), Rect::fromLtrb(10, 10, 50, 50));
  EXPECT_EQ(px(30, 30), red);
  EXPECT_EQ(surface->BackColor(), red.toHost());
}

TEST_F(GraphicsTest, CircleIsCentredAlongTheLongerSide) {
  shape(10, 5, 60, 40, 3);
  EXPECT_EQ(bounds(Rgb::black), Rect::fromLtrb(20, 5, 60, 46));
  surface = makeSurface();
  shape(11, 5, 40, 60, 3);  // left 11.5 rounds to the even 12
  EXPECT_EQ(bounds(Rgb::black), Rect::fromLtrb(12, 15, 52, 55));
}

TEST_F(GraphicsTest, OtherShapeKindsDrawNothing) {
  shape(10, 10, 40, 40, 6);
  shape(10, 10, 40, 40, -1);
  EXPECT_FALSE(bounds(Rgb::black).has_value());
  EXPECT_FALSE(bounds(red).has_value());
}

TEST_F(GraphicsTest, BorderStyleZeroDrawsNoOutlineAndHatchesReplaceTheFill) {
  shape(10, 10, 30, 30, 0, 0);
  EXPECT_FALSE(bounds(Rgb::black).has_value());
  EXPECT_EQ(px(25, 25), red);
  surface->Shape(45, 10, 30, 30, 0, Rgb::white.toHost(), 0, 0, 1, 1, 2, blue.toHost());  // horizontal hatch
  int hatched = 0;
  for (int y = 12; y < 38; ++y) hatched += px(60, y) == blue;
  EXPECT_GT(hatched, 0);
  EXPECT_LT(hatched, 26);
}

}  // namespace
