#include "printctl/Glyphs.h"

#include <gtest/gtest.h>

#include "host/Geometry.h"

namespace {

using host::Rgb;

constexpr int Centre = glyphs::GlyphSize / 2;

int darkPixels(const host::Picture& picture) {
  int count = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.pixel(x, y).brightness() < 128) ++count;
  return count;
}

TEST(Glyphs, AllFourAreOneSize) {
  for (const host::Picture& glyph : {glyphs::Check(), glyphs::Uncheck(), glyphs::Optik(), glyphs::Optinon()}) {
    ASSERT_FALSE(glyph.isNull());
    EXPECT_EQ(glyph.size(), (host::Size{glyphs::GlyphSize, glyphs::GlyphSize}));
  }
}

// An empty check box is a black square outline with a white inside; the
// ticked one adds a tick through the middle.
TEST(Glyphs, CheckBoxesAreSquaresAndOnlyTheTickedOneIsMarked) {
  const host::Picture empty = glyphs::Uncheck();
  const host::Picture ticked = glyphs::Check();
  const int last = glyphs::GlyphSize - 1;
  for (const host::Picture* box : {&empty, &ticked}) {
    EXPECT_EQ(box->pixel(0, 0), Rgb::black);
    EXPECT_EQ(box->pixel(last, last), Rgb::black);
    EXPECT_EQ(box->pixel(Centre, 0), Rgb::black);
    EXPECT_EQ(box->pixel(0, Centre), Rgb::black);
  }
  for (int y = 1; y < last; ++y)
    for (int x = 1; x < last; ++x) ASSERT_EQ(empty.pixel(x, y), Rgb::white) << x << "," << y;
  EXPECT_GT(darkPixels(ticked), darkPixels(empty) + 8);
  // The tick's low point lies left of the centre, below the middle row.
  EXPECT_EQ(ticked.pixel(5, 8), Rgb::black);
}

// Option buttons are round: their corners stay white; the selected one has a
// black dot in the middle, the empty one a white middle.
TEST(Glyphs, OptionButtonsAreRingsAndOnlyTheSelectedOneHasADot) {
  const host::Picture empty = glyphs::Optinon();
  const host::Picture selected = glyphs::Optik();
  for (const host::Picture* ring : {&empty, &selected}) {
    EXPECT_EQ(ring->pixel(0, 0), Rgb::white);
    EXPECT_EQ(ring->pixel(Centre, 0), Rgb::black);
    EXPECT_EQ(ring->pixel(0, Centre), Rgb::black);
  }
  EXPECT_EQ(empty.pixel(Centre, Centre), Rgb::white);
  EXPECT_EQ(selected.pixel(Centre, Centre), Rgb::black);
  EXPECT_GT(darkPixels(selected), darkPixels(empty) + 8);
}

}  // namespace
