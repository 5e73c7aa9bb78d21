// Text output on raster surfaces: cell placement, background modes, clipping,
// formatted text and measuring.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QStringList>

#include "DrawingTestSupport.h"
#include "host/Dc.h"
#include "host/QtFont.h"
#include "host/TextMetrics.h"

using namespace drawingtest;
using host::BkMode;
using host::Brush;
using host::Point;
using host::Rect;
using host::Rgb;
namespace dt = host::dt;
namespace eto = host::eto;

namespace {

std::unique_ptr<host::RasterDc> textSurface(int width, int height) {
  auto dc = colourSurface(width, height);
  dc->setFont(host::Font("Arial", 12));
  dc->setBkMode(BkMode::Transparent);
  return dc;
}

}  // namespace

TEST(RasterText, TextIsPlacedByTheTopLeftOfItsCell) {
  auto dc = textSurface(120, 80);
  const host::Size cell = dc->textExtent("Hg");
  dc->extTextOut({10, 20}, 0, Rect{}, "Hg");
  const Rect ink = inkBounds(*dc);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.left, 10);
  EXPECT_GE(ink.top, 20);
  EXPECT_LE(ink.right, 10 + cell.width + 1);
  EXPECT_LE(ink.bottom, 20 + cell.height);
  // The capital reaches well above the middle of the cell, the descender below it.
  EXPECT_LT(ink.top, 20 + cell.height / 2);
  EXPECT_GT(ink.bottom, 20 + cell.height / 2);

  auto moved = textSurface(120, 80);
  moved->extTextOut({17, 33}, 0, Rect{}, "Hg");
  EXPECT_EQ(inkBounds(*moved), ink.translated(7, 13));
}

TEST(RasterText, TextIsDrawnWithoutAntialiasing) {
  auto dc = textSurface(200, 40);
  dc->setFont(host::Font("Times New Roman", 14));
  dc->extTextOut({2, 2}, 0, Rect{}, "Quite round glyphs @%&");
  const Rect all = Rect::fromLtrb(0, 0, 200, 40);
  EXPECT_GT(countPixels(*dc, Rgb::black, all), 50);
  EXPECT_EQ(countPixels(*dc, Rgb::black, all) + countPixels(*dc, Rgb::white, all), 200 * 40);
}

TEST(RasterText, OpaqueModePaintsTheCellBackgroundTransparentDoesNot) {
  auto dc = textSurface(120, 60);
  dc->fillRect(Rect::fromLtrb(0, 0, 120, 60), Brush::solid(green));
  dc->setBkColor(red);
  const host::Size cell = dc->textExtent("ab");
  dc->setBkMode(BkMode::Opaque);
  dc->extTextOut({5, 5}, 0, Rect{}, "ab");
  dc->setBkMode(BkMode::Transparent);
  dc->extTextOut({5, 35}, 0, Rect{}, "ab");
  EXPECT_EQ(dc->pixel(5, 5), red);
  EXPECT_EQ(dc->pixel(5 + cell.width - 1, 5 + cell.height - 1), red);
  EXPECT_EQ(dc->pixel(5 + cell.width, 5), green);
  EXPECT_EQ(dc->pixel(5, 35), green);
  EXPECT_EQ(countPixels(*dc, red, Rect::fromLtrb(0, 30, 120, 60)), 0);
}

TEST(RasterText, OpaqueOptionFillsTheRectangleEvenForEmptyText) {
  auto dc = textSurface(40, 40);
  dc->setBkColor(blue);
  dc->extTextOut({0, 0}, eto::Opaque, Rect::fromLtrb(4, 6, 30, 20), "");
  EXPECT_EQ(inkBounds(*dc), Rect::fromLtrb(4, 6, 30, 20));
  EXPECT_EQ(dc->pixel(29, 19), blue);
}

TEST(RasterText, ClippedTextIsCutAtTheRectangle) {
  auto dc = textSurface(200, 60);
  const Rect clip = Rect::fromLtrb(10, 10, 40, 20);
  dc->extTextOut({5, 5}, eto::Clipped, clip, "WWWWWWWW");
  const Rect ink = inkBounds(*dc);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_EQ(ink.intersected(clip), ink);

  auto unclipped = textSurface(200, 60);
  unclipped->extTextOut({5, 5}, 0, clip, "WWWWWWWW");
  EXPECT_GT(inkBounds(*unclipped).right, 40);
}

TEST(RasterText, OpaqueAndClippedTogetherFillTheBoxAndCutTheText) {
  auto dc = textSurface(200, 60);
  dc->setBkColor(Rgb::fromRgb(192, 192, 192));
  const Rect box = Rect::fromLtrb(10, 10, 40, 40);
  dc->extTextOut({12, 12}, eto::Opaque | eto::Clipped, box, "WWWWWWWW");
  EXPECT_EQ(inkBounds(*dc), box);
  EXPECT_GT(countPixels(*dc, Rgb::black, box), 10);
}

TEST(RasterText, TextExtentMeasuresWidthAndTheLineHeight) {
  auto dc = textSurface(10, 10);
  const host::Size empty = dc->textExtent("");
  const host::Size one = dc->textExtent("W");
  const host::Size two = dc->textExtent("WW");
  EXPECT_EQ(empty.width, 0);
  EXPECT_GT(empty.height, 10);  // 12 points at 96 dpi are 16 pixels
  EXPECT_EQ(one.height, empty.height);
  EXPECT_EQ(two.width, 2 * one.width);
  dc->setFont(host::Font("Arial", 24));
  EXPECT_GT(dc->textExtent("W").width, one.width);
}

TEST(RasterText, FontLanguageInfoFlagsDoubleByteCharsets) {
  auto dc = textSurface(10, 10);
  EXPECT_EQ(dc->fontLanguageInfo() & 1u, 0u);
  for (int charset : {128, 129, 134, 136}) {
    host::Font font("Arial", 10);
    font.setCharset(charset);
    dc->setFont(font);
    EXPECT_EQ(dc->fontLanguageInfo() & 1u, 1u) << charset;
  }
  host::Font greek("Arial", 10);
  greek.setCharset(161);
  dc->setFont(greek);
  EXPECT_EQ(dc->fontLanguageInfo() & 1u, 0u);
}

TEST(RasterFormattedText, LeftRightAndCentreAlignEachLine) {
  const Rect box = Rect::fromLtrb(10, 5, 190, 40);
  Rect rect = box;
  auto left = textSurface(200, 50);
  left->drawText("Mid", rect, dt::Left | dt::NoPrefix);
  auto right = textSurface(200, 50);
  rect = box;
  right->drawText("Mid", rect, dt::Right | dt::NoPrefix);
  auto centre = textSurface(200, 50);
  rect = box;
  centre->drawText("Mid", rect, dt::Center | dt::NoPrefix);

  const Rect leftInk = inkBounds(*left);
  const Rect rightInk = inkBounds(*right);
  const Rect centreInk = inkBounds(*centre);
  EXPECT_LE(leftInk.left - box.left, 3);
  EXPECT_LE(box.right - rightInk.right, 3);
  EXPECT_LE(std::abs((centreInk.left - box.left) - (box.right - centreInk.right)), 3);
  EXPECT_EQ(leftInk.top, rightInk.top);  // top-aligned
  EXPECT_EQ(rightInk.width(), leftInk.width());
  EXPECT_EQ(centreInk.translated(leftInk.left - centreInk.left, 0), leftInk);
}

TEST(RasterFormattedText, WordBreakWrapsAtWordsAndReturnsTheHeight) {
  auto dc = textSurface(300, 200);
  const int lineHeight = dc->textExtent("x").height;
  const int width = dc->textExtent("three").width + 4;
  Rect rect = Rect::fromXywh(0, 0, width, 150);
  EXPECT_EQ(dc->drawText("one two three", rect, dt::WordBreak | dt::NoPrefix), 3 * lineHeight);
  // Every line starts at the left edge; the third line holds "three".
  EXPECT_GT(countPixels(*dc, Rgb::black, Rect::fromXywh(0, 2 * lineHeight, width, lineHeight)), 10);
  EXPECT_EQ(countPixels(*dc, Rgb::black, Rect::fromXywh(0, 3 * lineHeight, 300, 50)), 0);
  EXPECT_EQ(countPixels(*dc, Rgb::black, Rect::fromXywh(width, 0, 300 - width, 200)), 0);
}

TEST(RasterFormattedText, AWordWiderThanTheLineBreaksWhereItPassesTheEdge) {
  auto dc = textSurface(300, 200);
  const int lineHeight = dc->textExtent("x").height;
  const std::string word = "Extraordinarily";
  const int width = dc->textExtent(word).width / 2 + 2;
  Rect measured = Rect::fromXywh(0, 0, width, 5);
  EXPECT_EQ(dc->drawText(word, measured, dt::WordBreak | dt::CalcRect), 2 * lineHeight);
  EXPECT_EQ(measured.width(), width);
  // Every piece stays inside the line's width: nothing passes the right edge.
  Rect rect = Rect::fromXywh(0, 0, width, 100);
  EXPECT_EQ(dc->drawText(word, rect, dt::WordBreak), 2 * lineHeight);
  EXPECT_LE(inkBounds(*dc).right, width);
  EXPECT_GT(countPixels(*dc, Rgb::black, Rect::fromXywh(0, lineHeight, width, lineHeight)), 10);
  // A narrow column still takes every character, one or more a line.
  Rect column = Rect::fromXywh(0, 0, 1, 5);
  EXPECT_EQ(dc->drawText("abc", column, dt::WordBreak | dt::CalcRect), 3 * lineHeight);
}

TEST(RasterFormattedText, DrawingLaysOutOnlyTheLinesThatReachIntoTheRectangle) {
  auto dc = textSurface(300, 100);
  const int lineHeight = dc->textExtent("x").height;
  std::string many;
  for (int i = 0; i < 500; ++i) many += "line\n";
  Rect rect = Rect::fromXywh(0, 0, 300, 2 * lineHeight + 1);
  EXPECT_EQ(dc->drawText(many, rect, 0), 3 * lineHeight);  // two whole lines and the one cut at the bottom
  Rect measured = rect;
  EXPECT_EQ(dc->drawText(many, measured, dt::CalcRect), 500 * lineHeight);
}

TEST(RasterFormattedText, LineFeedsAlwaysBreakLines) {
  auto dc = textSurface(300, 100);
  const int lineHeight = dc->textExtent("x").height;
  Rect rect = Rect::fromXywh(0, 0, 300, 100);
  EXPECT_EQ(dc->drawText("first\r\nsecond\nthird", rect, dt::Left), 3 * lineHeight);
  EXPECT_EQ(dc->drawText("a\n\nb", rect, 0), 3 * lineHeight);
  EXPECT_EQ(dc->drawText("ends with a break\n", rect, 0), lineHeight);
  EXPECT_EQ(dc->drawText("", rect, dt::WordBreak), 0);
}

TEST(RasterFormattedText, CalcRectMeasuresWithoutDrawing) {
  auto dc = textSurface(300, 200);
  const int lineHeight = dc->textExtent("x").height;
  Rect wrapped = Rect::fromXywh(10, 10, dc->textExtent("three").width + 4, 5);
  const Rect wrappedBefore = wrapped;
  EXPECT_EQ(dc->drawText("one two three", wrapped, dt::WordBreak | dt::CalcRect), 3 * lineHeight);
  EXPECT_EQ(wrapped.bottom, 10 + 3 * lineHeight);
  EXPECT_EQ(wrapped.width(), wrappedBefore.width());

  Rect single = Rect::fromXywh(10, 10, 5, 5);
  EXPECT_EQ(dc->drawText("one two", single, dt::CalcRect), lineHeight);
  EXPECT_EQ(single.width(), dc->textExtent("one two").width);
  EXPECT_EQ(single.height(), lineHeight);
  EXPECT_EQ(inkBounds(*dc), Rect{});
}

TEST(RasterFormattedText, ExpandTabsMovesTextToTheNextTabStop) {
  auto dc = textSurface(400, 40);
  Rect expanded = Rect::fromXywh(0, 0, 400, 40);
  dc->drawText("a\tb", expanded, dt::ExpandTabs | dt::CalcRect);
  Rect plain = Rect::fromXywh(0, 0, 400, 40);
  dc->drawText("a\tb", plain, dt::CalcRect);
  EXPECT_GT(expanded.width(), plain.width());
  const int tabStop = 8 * host::averageCharWidth(dc->font());
  EXPECT_EQ(expanded.width(), tabStop + dc->textExtent("b").width);

  Rect rect = Rect::fromXywh(0, 0, 400, 40);
  dc->drawText("\tI", rect, dt::ExpandTabs);
  EXPECT_GE(inkBounds(*dc).left, tabStop);
  EXPECT_LE(inkBounds(*dc).left, tabStop + 3);
}

TEST(RasterFormattedText, TextIsClippedToTheRectangleVertically) {
  auto dc = textSurface(200, 200);
  const int lineHeight = dc->textExtent("x").height;
  Rect rect = Rect::fromXywh(0, 0, 200, 2 * lineHeight);
  EXPECT_EQ(dc->drawText("1\n2\n3\n4\n5", rect, 0), 2 * lineHeight);  // the lines below are not laid out
  EXPECT_LE(inkBounds(*dc).bottom, 2 * lineHeight);
}

TEST(RasterFormattedText, ExternalLeadingNeverShrinksTheLines) {
  auto dc = textSurface(200, 200);
  Rect plain = Rect::fromXywh(0, 0, 200, 200);
  Rect leading = plain;
  EXPECT_GE(dc->drawText("1\n2", leading, dt::ExternalLeading | dt::CalcRect),
            dc->drawText("1\n2", plain, dt::CalcRect));
}

TEST(RasterFormattedText, OpaqueModePaintsEachLineBackground) {
  auto dc = textSurface(200, 100);
  dc->setBkMode(BkMode::Opaque);
  dc->setBkColor(red);
  Rect rect = Rect::fromXywh(0, 0, 200, 100);
  const int height = dc->drawText("ab\nabcdef", rect, dt::Left);
  EXPECT_EQ(dc->pixel(0, 0), red);
  EXPECT_EQ(dc->pixel(dc->textExtent("abcdef").width - 1, height - 1), red);
  EXPECT_EQ(dc->pixel(dc->textExtent("ab").width + 2, 0), Rgb::white);  // first line is shorter
  EXPECT_EQ(dc->pixel(0, height), Rgb::white);
}

namespace {

// The pixels of a band of rows, one mark a pixel.
std::string band(const host::RasterDc& dc, int top, int bottom) {
  std::string pixels;
  for (int y = top; y < bottom; ++y) pixels += row(dc, y, 0, dc.size().width) + "\n";
  return pixels;
}

// Paragraphs with tabs, surrogate pairs, blanks at either end and a long run
// of words: where a paragraph fits its line whole, the line is exactly what
// breaking it word by word gives.
const std::vector<std::string> trickyParagraphs = {
    "Tab\there and\tthere",
    "Clef \xF0\x9D\x84\x9E\xF0\x9D\x84\x9E and smile \xF0\x9F\x98\x80 words",
    "  leading blanks and trailing   ",
    "one two three four five six seven eight nine ten eleven twelve thirteen fourteen fifteen",
};

constexpr unsigned Wrapped = dt::WordBreak | dt::ExpandTabs | dt::NoPrefix;

}  // namespace

TEST(RasterFormattedText, AParagraphThatFitsIsTheLineWordBreakingGives) {
  for (const std::string& paragraph : trickyParagraphs) {
    auto whole = textSurface(900, 60);
    const int lineHeight = whole->textExtent("x").height;
    Rect natural = Rect::fromXywh(0, 0, 0, 0);
    (void)whole->drawText(paragraph, natural, dt::ExpandTabs | dt::NoPrefix | dt::CalcRect);
    const int width = natural.width();
    ASSERT_LT(width, 880) << paragraph;

    Rect measured = Rect::fromXywh(0, 0, width, 0);
    EXPECT_EQ(whole->drawText(paragraph, measured, Wrapped | dt::CalcRect), lineHeight) << paragraph;
    Rect narrower = Rect::fromXywh(0, 0, width - 1, 0);
    EXPECT_GE(whole->drawText(paragraph, narrower, Wrapped | dt::CalcRect), 2 * lineHeight) << paragraph;

    // The same paragraph followed by a word that cannot join it is broken
    // word by word; its first line must be drawn exactly as the whole, also
    // placed from the right (trailing blanks are not part of the line).
    for (unsigned placement : {dt::Left, dt::Right}) {
      auto alone = textSurface(900, 60);
      Rect rect = Rect::fromXywh(0, 0, width, 60);
      EXPECT_EQ(alone->drawText(paragraph, rect, Wrapped | placement), lineHeight) << paragraph;
      auto broken = textSurface(900, 60);
      Rect brokenRect = rect;
      EXPECT_EQ(broken->drawText(paragraph + " Overflowing", brokenRect, Wrapped | placement), 2 * lineHeight)
          << paragraph;
      EXPECT_EQ(band(*broken, 0, lineHeight), band(*alone, 0, lineHeight)) << paragraph << " " << placement;
    }
  }
}

TEST(RasterFormattedText, LinesBelowTheDeviceAreNotLaidOutAndTheRestDrawsAlike) {
  std::string many;
  for (int i = 0; i < 2000; ++i) many += "line of the notes " + std::to_string(i) + "\r\n";
  auto tall = textSurface(200, 100);
  const int lineHeight = tall->textExtent("x").height;
  Rect farBelow = Rect::fromXywh(0, 10, 200, 1000000);
  const int visibleLines = (90 + lineHeight - 1) / lineHeight;
  EXPECT_EQ(tall->drawText(many, farBelow, dt::WordBreak), visibleLines * lineHeight);

  auto exact = textSurface(200, 100);
  Rect toTheFoot = Rect::fromXywh(0, 10, 200, 90);
  (void)exact->drawText(many, toTheFoot, dt::WordBreak);
  EXPECT_EQ(band(*tall, 0, 100), band(*exact, 0, 100));

  Rect measured = Rect::fromXywh(0, 10, 200, 0);
  EXPECT_EQ(tall->drawText(many, measured, dt::WordBreak | dt::CalcRect), 2000 * lineHeight);
}

TEST(RasterFormattedText, CarriageReturnsAndLineFeedsMakeTheSameParagraphs) {
  auto dc = textSurface(300, 100);
  const int lineHeight = dc->textExtent("x").height;
  auto linesOf = [&](const std::string& text) {
    Rect rect = Rect::fromXywh(0, 0, 300, 0);
    return dc->drawText(text, rect, dt::WordBreak | dt::CalcRect) / lineHeight;
  };
  EXPECT_EQ(linesOf("a\r\rb"), 3);
  EXPECT_EQ(linesOf("a\r\n\r\nb"), 3);
  EXPECT_EQ(linesOf("\r\r\n"), 2);
  EXPECT_EQ(linesOf("\r\n"), 1);
  EXPECT_EQ(linesOf("ends\r"), 1);
  EXPECT_EQ(linesOf("ends\n\n"), 2);
}

TEST(RasterFormattedText, WidthsMeasuredInOneFontAreNotReusedInAnother) {
  auto dc = textSurface(600, 100);
  Rect small = Rect::fromXywh(0, 0, 0, 0);
  (void)dc->drawText("Remembered widths", small, dt::CalcRect);
  EXPECT_EQ(small.width(), dc->textExtent("Remembered widths").width);
  dc->setFont(host::Font("Arial", 24));
  Rect large = Rect::fromXywh(0, 0, 0, 0);
  (void)dc->drawText("Remembered widths", large, dt::CalcRect);
  EXPECT_EQ(large.width(), dc->textExtent("Remembered widths").width);
  EXPECT_GT(large.width(), small.width());
}

// Widths are remembered for every measurer of a font: each run must still
// come out as the font itself measures it, whatever was measured before it
// in this font or another one.
TEST(RasterFormattedText, RememberedWidthsAreTheFontsOwnForEveryRunAndFont) {
  const QFont regular = host::toQFont(host::Font("Arial", 12), 96.0);
  QFont bold = regular;
  bold.setBold(true);
  QFont italic = regular;
  italic.setItalic(true);
  const QFont larger = host::toQFont(host::Font("Arial", 13), 96.0);
  const QStringList runs{"iiii", "WWWW", "Remembered widths", "", "\t", "Wi", "iW", "Remembered widths "};
  for (int round = 0; round < 2; ++round) {
    for (const QFont& font : {regular, bold, italic, larger}) {
      const host::TextAdvances advances(font);
      const QFontMetrics metrics(font);
      for (const QString& run : runs) EXPECT_EQ(advances.of(run), metrics.horizontalAdvance(run)) << run.toStdString();
    }
  }
  EXPECT_EQ(host::measureText(host::Font("Arial", 12), "WWWW").width, QFontMetrics(regular).horizontalAdvance("WWWW"));
  auto dc = textSurface(100, 100);
  EXPECT_EQ(dc->textExtent("WWWW").width, QFontMetrics(regular).horizontalAdvance("WWWW"));
}
