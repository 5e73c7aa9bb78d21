// The printer cell painter: its rectangles and insets in PrnUnit steps, on a
// recording printer (exact calls) and on the in-memory raster printer (pixels).
#include <gtest/gtest.h>

#include "RecordingPrinter.h"
#include "SurfaceTestSupport.h"
#include "TestSupport.h"
#include "printctl/Vellora.h"
#include "surface/PrnFillRect.h"

using host::Rect;
using host::Rgb;
using namespace surfacetest;

namespace {

std::unique_ptr<host::Runtime> runtimeWith(std::shared_ptr<host::PrinterDevice> printer) {
  auto ui = std::make_unique<host::HeadlessUi>();
  ui->setEchoToStandardError(false);
  return std::make_unique<host::Runtime>(std::move(ui), std::vector{std::move(printer)});
}

TEST(OddBit, ReportsTheLowestBitAndHalvesDownwards) {
  struct Case { std::int32_t n; bool odd; std::int32_t half; };
  for (Case c : {Case{5, true, 2}, {4, false, 2}, {0, false, 0}, {-3, true, -2}, {-4, false, -2}}) {
    std::int32_t n = c.n;
    EXPECT_EQ(OddBit(n), c.odd) << c.n;
    EXPECT_EQ(n, c.half) << c.n;
  }
}

class PrnFillRectRecorded : public ::testing::Test {
 protected:
  // The cell every case paints: 300 x 60 pixels at (100, 200); "Hello" measures 50 x 20.
  void cell(std::int32_t align, bool wrapped = false, bool grid = false, std::int16_t divider = 0,
            const std::string& caption = "Hello", bool transparent = false) {
    page().calls.clear();
    PrnFillRect(job, 100, 200, 300, 60, caption, align, 1, wrapped, grid, transparent, divider);
  }
  RecordingDc& page() { return printer->page; }
  Call only(const std::string& name) {
    const auto calls = page().named(name);
    EXPECT_EQ(calls.size(), 1u) << name;
    return calls.empty() ? Call{} : calls.front();
  }

  std::shared_ptr<RecordingPrinter> printer = std::make_shared<RecordingPrinter>(600);
  std::unique_ptr<host::Runtime> runtime = runtimeWith(printer);
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();
  PrintJob job{*control};
};

TEST_F(PrnFillRectRecorded, OneLineCaptionByAlignmentCode) {
  struct Case { std::int32_t align; int x; int y; };  // k = 7.4 / 2.4 twips a pixel
  for (Case c : {Case{0, 110, 220}, {4, 110, 220}, {7, 110, 220}, {1, 324, 220}, {5, 324, 220}, {8, 324, 220},
                 {2, 234, 220}, {3, 234, 220}, {6, 234, 220}, {9, 9, 0}, {-1, 9, 0}}) {
    cell(c.align);
    EXPECT_EQ(only("rectangle").rect, Rect::fromLtrb(100, 200, 406, 263)) << c.align;
    EXPECT_EQ(only("frameRect").rect, Rect::fromLtrb(100, 200, 406, 263)) << c.align;
    const Call text = only("extTextOut");
    EXPECT_EQ(text.origin, (host::Point{c.x, c.y})) << c.align;
    EXPECT_EQ(text.rect, Rect::fromLtrb(100, 206, 406, 263)) << c.align;
    EXPECT_EQ(text.flags, host::eto::Clipped);
  }
  EXPECT_NEAR(job.PrnUnit, 7.4 / 2.4, 1e-12);
}

TEST_F(PrnFillRectRecorded, WrappedCaptionInsetsAndFormats) {
  struct Case { std::int32_t align; bool grid; Rect rect; unsigned format; };
  for (Case c : {Case{0, false, Rect::fromLtrb(118, 209, 369, 257), 2640}, {1, false, Rect::fromLtrb(118, 209, 369, 257), 2130},
                 {2, false, Rect::fromLtrb(118, 209, 369, 257), 2129}, {0, true, Rect::fromLtrb(122, 200, 396, 263), 2640},
                 {9, false, Rect::fromLtrb(118, 209, 369, 257), 0}}) {
    cell(c.align, true, c.grid);
    const Call text = only("drawText");
    EXPECT_EQ(text.rect, c.rect) << c.align << c.grid;
    EXPECT_EQ(text.flags, c.format) << c.align;
    EXPECT_EQ(text.text, "Hello");
  }
}

TEST_F(PrnFillRectRecorded, DividerMovesTheTextRectangle) {
  struct Case { std::int16_t divider; int left, right; };
  for (Case c : {Case{-3, 94, 412}, {-2, 100, 400}, {-1, 100, 406}, {0, 100, 406}, {5, 100, 406}}) {
    cell(0, false, false, c.divider);
    EXPECT_EQ(only("extTextOut").rect, Rect::fromLtrb(c.left, 206, c.right, 263)) << c.divider;
  }
}

TEST_F(PrnFillRectRecorded, RightAlignedCaptionWiderThanItsCellStartsLeftOfIt) {
  cell(1, false, false, 0, std::string(40, 'W'));  // 400 pixels in a 300-pixel cell
  const Call text = only("extTextOut");
  EXPECT_EQ(text.origin.x, -26);
  EXPECT_EQ(text.rect.left, 100);
  EXPECT_EQ(text.flags & host::eto::Clipped, host::eto::Clipped);
}

TEST_F(PrnFillRectRecorded, CaptionIsHandedOnWholeInEveryFont) {
  const std::string caption = "Gr\xC3\xBC\xC3\x9F" "e \xE6\xBC\xA2\xE5\xAD\x97";  // more bytes than characters
  for (std::uint32_t info : {0u, 1u}) {
    page().languageInfo = info;
    cell(0, false, false, 0, caption);
    EXPECT_EQ(only("extTextOut").text, caption) << info;
    cell(0, true, false, 0, caption);
    EXPECT_EQ(only("drawText").text, caption) << info;
  }
}

TEST_F(PrnFillRectRecorded, TransparentCellPaintsNoBackgroundAndEndsOpaque) {
  cell(0, false, false, 0, "Hello", true);
  EXPECT_TRUE(page().named("rectangle").empty());
  const auto modes = page().named("setBkMode");
  ASSERT_GE(modes.size(), 2u);
  EXPECT_EQ(modes.front().flags, static_cast<unsigned>(host::BkMode::Transparent));
  EXPECT_EQ(page().bkMode(), host::BkMode::Opaque);
}

TEST_F(PrnFillRectRecorded, OverflowGoesToTheJobsErrorExit) {
  job.Printing = 1;
  PrnFillRect(job, 2147483000, 200, 1000, 60, "Hello", 0, 1, false, false, true, 0);
  EXPECT_TRUE(job.StopRequested);
  ASSERT_FALSE(host::ui().messages().empty());
  EXPECT_EQ(host::ui().messages().back().text, control->props().Err_Mess + " 6");
  EXPECT_EQ(page().bkMode(), host::BkMode::Opaque);
}

// The same framed grey cell on raster printers of two resolutions.
TEST(PrnFillRectPixels, CellRectangleScalesWithTheResolution) {
  struct Case { double dpi; int right, bottom; };
  for (Case c : {Case{600, 406, 263}, {300, 403, 262}}) {
    auto printer = host::MemoryPrinter::create("Memory", c.dpi);
    auto runtime = runtimeWith(printer);
    auto control = std::make_shared<Vellora>();
    PrintJob job(*control);
    job.CellFillColor = grey.toHost();
    host::printer().hDC().fillRect(Rect::fromXywh(500, 200, 100, 60), host::Brush::solid(blue));
    PrnFillRect(job, 100, 200, 300, 60, "", 0, 1, false, false, false, 0);
    PrnFillRect(job, 500, 200, 100, 60, "", 0, 1, false, false, true, 0);  // blue shows through
    host::printer().endDoc();
    ASSERT_EQ(printer->pages().size(), 1u);
    const host::Picture& page = printer->pages().front();
    EXPECT_EQ(boundsOf(page, Rgb::black, Rect::fromLtrb(90, 190, 420, 280)),
              Rect::fromLtrb(100, 200, c.right, c.bottom)) << c.dpi;
    EXPECT_EQ(page.pixel(200, 230), grey) << c.dpi;
    EXPECT_EQ(page.pixel(550, 230), blue) << c.dpi;
  }
}

}  // namespace
