// Making, showing and releasing a page surface.
#include <gtest/gtest.h>

#include "SurfaceTestSupport.h"
#include "host/RasterDc.h"
#include "surface/OffScreenDC.h"

using host::Rect;
using host::Rgb;
using namespace surfacetest;

namespace {

TEST(SurfaceLifecycle, ColourModeTwoIsColourAnyOtherIsOneBitPerPixel) {
  SharedDrawing drawing;
  for (std::int16_t mode : {0, 1, 2, 3}) {
    OffScreenDC surface(drawing);
    surface.Initialize(nullptr, 30, 20, mode);
    ASSERT_TRUE(surface.isReady());
    EXPECT_EQ(surface.dc()->pixel(29, 19), Rgb::white) << "a new surface is cleared";
    const bool colour = mode == 2;
    EXPECT_EQ(surface.dc()->picture().depth() == 1, !colour) << mode;
    // Dark red becomes black and yellow white on a monochrome page.
    surface.setBackColor(Rgb::fromRgb(160, 0, 0).toHost());
    surface.FillRect(0, 0, 10, 10);
    surface.setBackColor(Rgb::fromRgb(255, 255, 0).toHost());
    surface.FillRect(10, 0, 10, 10);
    EXPECT_EQ(surface.dc()->pixel(5, 5), colour ? Rgb::fromRgb(160, 0, 0) : Rgb::black) << mode;
    EXPECT_EQ(surface.dc()->pixel(15, 5), colour ? Rgb::fromRgb(255, 255, 0) : Rgb::white) << mode;
  }
}

TEST(SurfaceLifecycle, BlastToScreenClearsTheScreenAndCopiesOneToOne) {
  SharedDrawing drawing;
  auto screen = host::RasterDc::create({60, 50}, host::RasterFormat::Color);
  screen->fillRect(Rect::fromXywh(0, 0, 60, 50), host::Brush::solid(blue));
  screen->setBkColor(grey);
  OffScreenDC surface(drawing, nullptr);
  surface.Initialize(screen.get(), 40, 30, 2);
  surface.setBackColor(red.toHost());
  surface.FillRect(5, 5, 10, 10, "", 0, 1);

  surface.BlastToScreen(0, 0, -1, -1);  // width and height -1: the whole surface
  EXPECT_TRUE(samePixels(*screen, *surface.dc(), {40, 30}));
  EXPECT_EQ(screen->pixel(45, 10), blue);  // beyond the surface the screen is left alone

  surface.BlastToScreen(0, 0, 10, 10);  // only the region comes over; the rest is cleared
  EXPECT_EQ(screen->pixel(6, 6), red);
  EXPECT_EQ(screen->pixel(12, 12), grey);
}

TEST(SurfaceLifecycle, FinaleIsSafeTwiceAndLeavesAnInertSurface) {
  SharedDrawing drawing;
  auto surface = std::make_unique<OffScreenDC>(drawing);
  surface->Initialize(nullptr, 20, 20, 2);
  surface->Finale();
  surface->Finale();
  EXPECT_FALSE(surface->isReady());
  EXPECT_EQ(surface->dc(), nullptr);
  surface->FillRect(0, 0, 10, 10, "x", 0, 1);  // drawing on a released surface has no effect
  surface->BlastToScreen(0, 0, -1, -1);
  surface.reset();  // and the end of its life releases nothing twice
}

TEST(SurfaceLifecycle, FontSetBeforeInitializeIsSelectedAndResetRestoresTheInitialOne) {
  SharedDrawing drawing;
  OffScreenDC plain(drawing);
  plain.Initialize(nullptr, 20, 20, 2);
  const host::Font initial = plain.dc()->font();
  OffScreenDC surface(drawing);
  const host::Font big("Arial", 20);
  surface.setFont(big);
  surface.Initialize(nullptr, 20, 20, 2);
  EXPECT_EQ(surface.dc()->font(), big);
  surface.resetFont();
  EXPECT_EQ(surface.Font(), initial);
  EXPECT_EQ(surface.dc()->font(), initial);
}

}  // namespace
