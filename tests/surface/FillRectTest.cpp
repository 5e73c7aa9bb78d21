// The cell primitive of the page surface: box, caption placement, frame and divider.
#include <gtest/gtest.h>

#include "SurfaceTestSupport.h"
#include "surface/CellRules.h"
#include "surface/OffScreenDC.h"

using host::Rgb;
using namespace surfacetest;

namespace {

class FillRectTest : public ::testing::Test {
 protected:
  // A fresh 80 x 40 colour surface that fills cells red.
  std::unique_ptr<OffScreenDC> makeSurface() {
    auto surface = std::make_unique<OffScreenDC>(drawing);
    surface->Initialize(nullptr, 80, 40, 2);
    surface->setBackColor(red.toHost());
    return surface;
  }
  Rgb px(int x, int y) const { return surface->dc()->pixel(x, y); }

  SharedDrawing drawing;
  std::unique_ptr<OffScreenDC> surface = makeSurface();
};

TEST_F(FillRectTest, EmptyCaptionStillFillsAndFrames) {
  surface->FillRect(10, 5, 20, 10, "", 0, 1);
  EXPECT_EQ(px(15, 10), red);
  // The frame reaches one pixel left of and one pixel below the box.
  for (auto [x, y] : {std::pair{9, 10}, {29, 10}, {15, 5}, {15, 15}}) EXPECT_EQ(px(x, y), Rgb::black) << x << "," << y;
  for (auto [x, y] : {std::pair{8, 10}, {30, 10}, {15, 16}, {15, 4}}) EXPECT_EQ(px(x, y), Rgb::white) << x << "," << y;
}

TEST_F(FillRectTest, DividerWidensOrNarrowsTheBox) {
  struct Case { std::int16_t divider; int first, last; };
  for (const Case& c : {Case{-3, 9, 30}, {-2, 10, 28}, {-1, 10, 29}, {0, 10, 29}, {5, 10, 29}}) {
    surface = makeSurface();
    surface->FillRect(10, 5, 20, 10, "", 0, 0, false, false, 0, false, c.divider);
    EXPECT_EQ(px(c.first, 8), red) << c.divider;
    EXPECT_EQ(px(c.last, 8), red) << c.divider;
    EXPECT_EQ(px(c.first - 1, 8), Rgb::white) << c.divider;
    EXPECT_EQ(px(c.last + 1, 8), Rgb::white) << c.divider;
  }
}

TEST_F(FillRectTest, TransparencyLeavesOnlyWrappedCellsUnfilled) {
  surface->FillRect(10, 5, 20, 10, "Ab", 0, 0, false, false, 0, true);
  EXPECT_EQ(px(11, 6), red);
  surface->FillRect(40, 5, 20, 10, "Ab", 0, 0, true, false, 0, true);
  EXPECT_EQ(px(58, 13), Rgb::white);
  EXPECT_EQ(surface->dc()->bkMode(), host::BkMode::Opaque);
}

TEST_F(FillRectTest, OneLineCaptionIsPlacedByItsAlignment) {
  const host::Size text = surface->dc()->textExtent("Wg");
  const int y = 5 + (30 - text.height) / 2 - 1;
  struct Case { std::int32_t align; int x; };
  for (const Case& c : {Case{0, 10 + 3}, {1, 10 + 60 - text.width - 4}, {2, 10 + (60 - text.width) / 2 + 2}}) {
    surface = makeSurface();
    surface->FillRect(10, 5, 60, 30, "Wg", c.align);
    auto expected = makeSurface();
    const auto box = host::Rect::fromXywh(10, 5, 60, 30);
    expected->dc()->extTextOut({c.x, y}, host::eto::Opaque | host::eto::Clipped, box, "Wg");
    EXPECT_TRUE(samePixels(*surface->dc(), *expected->dc(), {80, 40})) << c.align;
  }
}

TEST(VisibleCaption, AFarLongerCaptionKeepsThePartItsPlacementShowsAndWholeCharacters) {
  const std::string ordinary(5000, 'w');
  EXPECT_EQ(surface::visibleCaption(ordinary, surface::CaptionPlacement::Right, 600).size(), ordinary.size())
      << "a caption within reach of its cell is kept whole";
  // "é" is two bytes: no cut may fall between them.
  std::string huge = "START";
  for (int i = 0; i < 100000; ++i) huge += "\xC3\xA9";
  huge += "END";
  const std::string_view left = surface::visibleCaption(huge, surface::CaptionPlacement::Left, 100);
  const std::string_view right = surface::visibleCaption(huge, surface::CaptionPlacement::Right, 100);
  const std::string_view centre = surface::visibleCaption(huge, surface::CaptionPlacement::Centre, 100);
  for (const std::string_view part : {left, right, centre}) {
    EXPECT_LE(part.size(), 2 * 100 + 4096U + 1);
    EXPECT_GE(part.size(), 4096U);
    EXPECT_NE(static_cast<unsigned char>(part.front()) & 0xC0, 0x80) << "starts on a character";
  }
  EXPECT_TRUE(left.starts_with("START"));
  EXPECT_TRUE(right.ends_with("END"));
  EXPECT_FALSE(centre.starts_with("START"));
  EXPECT_FALSE(centre.ends_with("END"));
}

TEST_F(FillRectTest, ACellOfAHugeCaptionLooksAsItsVisiblePartDoes) {
  // Of a caption of one glyph over and over, any run far wider than the
  // cell shows the same pixels at any placement.
  const std::string huge(2'000'000, 'W');
  const std::string wide(2 * 60 + 4096, 'W');
  for (const std::int32_t align : {0, 1, 2}) {
    surface = makeSurface();
    surface->FillRect(10, 5, 60, 30, huge, align, 1);
    auto expected = makeSurface();
    expected->FillRect(10, 5, 60, 30, wide, align, 1);
    EXPECT_TRUE(samePixels(*surface->dc(), *expected->dc(), {80, 40})) << align;
  }
}

TEST_F(FillRectTest, AlignmentCodesRepeatEveryThree) {
  auto drawn = [&](std::int32_t align, bool wrapped) {
    auto s = makeSurface();
    s->FillRect(4, 4, 70, 30, "Wg wg", align, 0, wrapped);
    return s;
  };
  for (bool wrapped : {false, true}) {
    for (auto [code, same] : {std::pair{3, 2}, {4, 0}, {5, 1}, {6, 2}, {7, 0}, {8, 1}})
      EXPECT_TRUE(samePixels(*drawn(code, wrapped)->dc(), *drawn(same, wrapped)->dc(), {80, 40})) << code;
    EXPECT_FALSE(samePixels(*drawn(0, wrapped)->dc(), *drawn(1, wrapped)->dc(), {80, 40}));
  }
}

TEST_F(FillRectTest, UnalignedCaptionStartsAtSurfaceXTwo) {
  auto empty = makeSurface();
  empty->FillRect(50, 5, 30, 12, "", 0);
  surface->FillRect(50, 5, 30, 12, "WW", 9);
  EXPECT_TRUE(samePixels(*surface->dc(), *empty->dc(), {80, 40}));  // the text lies left of the box
  surface->FillRect(0, 20, 40, 12, "WW", -1);
  EXPECT_TRUE(boundsOf(*surface->dc(), Rgb::black, host::Rect::fromXywh(0, 20, 40, 12)).has_value());
}

TEST_F(FillRectTest, WrappedCaptionStaysInsideTheShrunkBox) {
  surface->setTextColor(0);
  surface->FillRect(10, 2, 40, 36, "one two three four", 0, 0, true);
  const auto ink = boundsOf(*surface->dc(), Rgb::black, host::Rect::fromXywh(0, 0, 80, 40));
  ASSERT_TRUE(ink.has_value());
  EXPECT_GE(ink->left, 13);
  EXPECT_LE(ink->right, 48);
  EXPECT_GE(ink->top, 4);
  EXPECT_GT(ink->height(), surface->dc()->textExtent("one").height);  // more than one line
}

}  // namespace
