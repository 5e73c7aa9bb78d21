// A printer page's drawing tidied before it reaches the device: what a later
// fill hides is left out and rules that neighbouring cells share are joined,
// and the page still paints exactly the pixels it painted before.
#include <gtest/gtest.h>

#include <QImage>
#include <random>
#include <string>

#include "host/Dc.h"
#include "host/printers/PageRecording.h"

namespace {

using host::Brush;
using host::Rect;
using host::Rgb;
using Kind = host::PageRecording::Kind;

std::size_t fillsOf(const host::PageRecording& page) {
  std::size_t fills = 0;
  for (const auto& operation : page.operations()) fills += operation.kind == Kind::Fill ? 1 : 0;
  return fills;
}

// A table drawn as the printer's cell painter draws one: each cell filled,
// framed a little wider and taller than its step (so that the next cell
// covers its right and bottom edges) and its caption written clipped.
void drawTable(host::Dc& dc, int rows, int cols) {
  constexpr int Width = 150;
  constexpr int Height = 40;
  dc.setFont(host::Font("Arial", 8));
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      const Rect cell = Rect::fromXywh(30 + col * Width, 60 + row * Height, Width + 6, Height + 3);
      const Rgb back = row == 0 ? Rgb::fromRgb(192, 192, 192) : Rgb::white;
      dc.fillRect(cell, Brush::solid(back));
      dc.frameRect(cell, Brush::solid(Rgb::black));
      dc.setBkColor(back);
      dc.extTextOut({cell.left + 10, cell.top + 8}, host::eto::Clipped, cell.inflated(-2),
                    std::string(1, static_cast<char>('a' + col)) + std::to_string(row));
    }
  }
}

TEST(TidiedPage, ATablePageKeepsItsPixelsWithFewerFills) {
  host::PageRecording page({1000, 1400}, 300);
  drawTable(page, 30, 6);
  const QImage before = page.render(QImage::Format_RGB32);
  const std::size_t fillsBefore = fillsOf(page);
  page.tidy();
  EXPECT_EQ(page.render(QImage::Format_RGB32), before);
  // Of each cell's five fills the right and bottom edges under the next
  // cells go, and a row's top edges become one rule.
  const std::size_t interiorCells = 29 * 5;
  EXPECT_LE(fillsOf(page), fillsBefore - 2 * interiorCells - 5 * 30);
}

// Fills of a few colours (rules among them, many on shared rows), frames and
// texts in any order and overlap: tidied, the page paints the same pixels.
TEST(TidiedPage, AnyDrawingKeepsItsPixels) {
  const Rgb colours[] = {Rgb::black, Rgb::white, Rgb::fromRgb(200, 0, 0)};
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 random(seed);
    const auto any = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    host::PageRecording page({400, 300}, 96);
    host::Dc& dc = page;
    dc.setFont(host::Font("Arial", 9));
    for (int step = 0; step < 400; ++step) {
      const Rgb colour = colours[any(0, 2)];
      const int x = any(-10, 390);
      const int y = any(0, 29) * 10;  // rows shared by many fills
      switch (any(0, 5)) {
        case 0: dc.fillRect(Rect::fromXywh(x, y, any(1, 80), 1), Brush::solid(colour)); break;
        case 1: dc.fillRect(Rect::fromXywh(x, y, 1, any(1, 60)), Brush::solid(colour)); break;
        case 2: dc.fillRect(Rect::fromXywh(x, y, any(2, 120), any(2, 50)), Brush::solid(colour)); break;
        case 3: dc.frameRect(Rect::fromXywh(x, y, any(3, 90), any(3, 40)), Brush::solid(colour)); break;
        case 4:
          dc.setTextColor(colour);
          dc.setBkMode(any(0, 1) ? host::BkMode::Opaque : host::BkMode::Transparent);
          dc.extTextOut({x, y}, host::eto::Clipped, Rect::fromXywh(x - 5, y + 2, any(5, 60), 14), "Tidy");
          break;
        default: dc.extTextOut({x, y}, 0, Rect{}, "Rules"); break;
      }
    }
    const QImage before = page.render(QImage::Format_RGB32);
    const std::size_t stepsBefore = page.operationCount();
    page.tidy();
    ASSERT_EQ(page.render(QImage::Format_RGB32), before) << "seed " << seed;
    EXPECT_LT(page.operationCount(), stepsBefore) << "seed " << seed;
  }
}

}  // namespace
