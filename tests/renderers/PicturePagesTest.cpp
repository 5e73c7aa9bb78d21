// Pictures and a chart previewed and printed end to end by the vellora
// program, read back from the preview's PNG pages and the printed PDF as a
// user would look at them: a picture box shows only what its box holds, a
// stretched image fills its control, a one-row pie has a slice per column,
// and pictures that reach below the foot of a page go whole to the next one.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "TestSupport.h"
#include "apps/ProgramTestSupport.h"
#include "host/Dc.h"
#include "host/Picture.h"
#include "host/RasterDc.h"
#include "host/drawing/PdfTools.h"

namespace fs = std::filesystem;

namespace {

using host::Rect;
using host::Rgb;

// Pure colours on the preview pages; the PDF's rendering is matched loosely.
constexpr Rgb green = Rgb::fromRgb(0, 255, 0);
constexpr Rgb magenta = Rgb::fromRgb(255, 0, 255);
constexpr Rgb blue = Rgb::fromRgb(0, 0, 255);
constexpr Rgb yellow = Rgb::fromRgb(255, 255, 0);
constexpr Rgb cyan = Rgb::fromRgb(0, 255, 255);

// The form: a 100 x 80 pixel picture box (a 96 x 76 client area inside its
// border) holding a larger picture whose top-left 96 x 76 are green and the
// rest magenta; a stretched 100 x 60 image of a 10 x 10 blue picture; a pie
// of one row; a yellow picture at `lowTop` that straddles the foot of the
// first page and a cyan one at `belowTop`, wholly below it. (The foot lies
// lower on the form in a print job, whose margins are set in printer pixels.)
std::string formText(int lowTop, int belowTop) {
  return R"({"Form": {"Name": "Pictures", "Width": 11000, "Height": 18000, "BackColor": "#FFFFFF", "Controls": [
  {"Type": "PictureBox", "Name": "Big", "Picture": "big.png", "Left": 600, "Top": 600, "Width": 1500, "Height": 1200},
  {"Type": "Image", "Name": "Stretched", "Picture": "small.png", "Stretch": true,
   "Left": 3000, "Top": 600, "Width": 1500, "Height": 900},
  {"Type": "MSChart", "Name": "Share", "ChartType": 14, "ShowLegend": true, "BackColor": "#FFFFFF",
   "Left": 600, "Top": 2400, "Width": 4500, "Height": 3000,
   "ChartData": [["Total", 5, 3, 2]], "ColumnLabels": ["North", "South", "West"]},
  {"Type": "PictureBox", "Name": "Low", "Picture": "low.png", "BorderStyle": 0,
   "Left": 600, "Top": )" + std::to_string(lowTop) + R"(, "Width": 900, "Height": 900},
  {"Type": "PictureBox", "Name": "Below", "Picture": "below.png", "BorderStyle": 0,
   "Left": 3000, "Top": )" + std::to_string(belowTop) + R"(, "Width": 900, "Height": 900}]}})";
}

void savePicture(const fs::path& file, host::Size size, Rgb color, std::optional<host::Size> greenCorner = {}) {
  auto dc = host::RasterDc::create(size, host::RasterFormat::Color);
  dc->fillRect(Rect::fromXywh(0, 0, size.width, size.height), host::Brush::solid(color));
  if (greenCorner)
    dc->fillRect(Rect::fromXywh(0, 0, greenCorner->width, greenCorner->height), host::Brush::solid(green));
  dc->picture().savePng(file);
}

// The bounds of the pixels of a page that pass `match`.
std::optional<Rect> boundsWhere(const host::Picture& page, const std::function<bool(Rgb)>& match) {
  std::optional<Rect> bounds;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      if (!match(page.pixel(x, y))) continue;
      bounds = bounds ? Rect::fromLtrb(std::min(bounds->left, x), std::min(bounds->top, y),
                                       std::max(bounds->right, x + 1), std::max(bounds->bottom, y + 1))
                      : Rect::fromXywh(x, y, 1, 1);
    }
  return bounds;
}

std::optional<Rect> boundsOf(const host::Picture& page, Rgb color) {
  return boundsWhere(page, [color](Rgb pixel) { return pixel == color; });
}

// A colour as a rendered PDF shows it: each channel within a margin.
std::function<bool(Rgb)> near(Rgb color) {
  return [color](Rgb pixel) {
    return std::abs(pixel.red - color.red) < 60 && std::abs(pixel.green - color.green) < 60 &&
           std::abs(pixel.blue - color.blue) < 60;
  };
}

// The colours of a page, other than greys and those of the pictures, that
// cover at least `least` pixels each: the slices of a pie (and their legend
// marks), not the blends at their edges.
int sliceColours(const host::Picture& page, int least) {
  std::map<std::int32_t, int> counts;
  const auto ofAPicture = [](Rgb pixel) {
    for (Rgb colour : {green, magenta, blue, yellow, cyan})
      if (near(colour)(pixel)) return true;
    return false;
  };
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const Rgb pixel = page.pixel(x, y);
      const int spread = std::max({pixel.red, pixel.green, pixel.blue}) - std::min({pixel.red, pixel.green, pixel.blue});
      if (spread > 30 && !ofAPicture(pixel)) ++counts[pixel.toHost()];
    }
  int strong = 0;
  for (const auto& [colour, count] : counts) strong += count >= least ? 1 : 0;
  return strong;
}

class PicturePages : public programtest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (IsSkipped()) return;
    savePicture(folder_ / "big.png", {160, 120}, magenta, host::Size{96, 76});
    savePicture(folder_ / "small.png", {10, 10}, blue);
    savePicture(folder_ / "low.png", {60, 60}, yellow);
    savePicture(folder_ / "below.png", {60, 60}, cyan);
  }

  void writeForm(int lowTop, int belowTop) { std::ofstream(folder_ / "pictures.json") << formText(lowTop, belowTop); }
  host::Picture page(const std::string& name) { return host::Picture::load(folder_ / name); }
};

TEST_F(PicturePages, PreviewPagesShowEachPictureAsItsControlShowsIt) {
  writeForm(13000, 14500);
  const programtest::Outcome outcome = run({"preview", "pictures.json", "--png", "pages"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  ASSERT_TRUE(fs::exists(folder_ / "pages" / "page-002.png"));
  EXPECT_FALSE(fs::exists(folder_ / "pages" / "page-003.png"));

  const host::Picture first = page("pages/page-001.png");
  // The 96 x 76 client area at 16 / 15.9 and 16 / 15.8 a pixel; nothing of the picture beyond it.
  const auto shown = boundsOf(first, green);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->width(), 97);
  EXPECT_EQ(shown->height(), 77);
  EXPECT_FALSE(boundsOf(first, magenta)) << "the picture is cut to its box";
  // The stretched image covers its 100 x 60 control.
  const auto stretched = boundsOf(first, blue);
  ASSERT_TRUE(stretched);
  EXPECT_EQ(stretched->width(), 101);
  EXPECT_EQ(stretched->height(), 61);
  EXPECT_GE(sliceColours(first, 200), 3) << "a slice for each of the row's three columns";
  EXPECT_FALSE(boundsOf(first, yellow)) << "nothing of the picture at the foot is left on the first page";
  EXPECT_FALSE(boundsOf(first, cyan));

  const host::Picture second = page("pages/page-002.png");
  const auto low = boundsOf(second, yellow);
  const auto below = boundsOf(second, cyan);
  ASSERT_TRUE(low && below);
  EXPECT_EQ(low->height(), 61) << "whole";
  EXPECT_EQ(below->height(), 61) << "whole";
  EXPECT_LT(low->top, below->top);
}

TEST_F(PicturePages, PrintedPdfShowsEachPictureAsItsControlShowsIt) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  writeForm(14800, 16200);
  const programtest::Outcome outcome = run({"print", "pictures.json", "--pdf", "pictures.pdf"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  ASSERT_EQ(drawingtest::pdfPages(folder_ / "pictures.pdf"), 2);
  // At 72 dots per inch a pixel of the page is 20 twips; a source pixel is 13.5 twips wide and 14.6 high.
  (void)drawingtest::run("cd " + drawingtest::quoted(folder_) + " && pdftoppm -r 72 -png pictures.pdf sheet");
  const host::Picture first = page("sheet-1.png");
  const auto shown = boundsWhere(first, near(green));
  ASSERT_TRUE(shown);
  EXPECT_NEAR(shown->width(), 96 * 13.5 / 20, 2);
  EXPECT_NEAR(shown->height(), 76 * 14.6 / 20, 2);
  EXPECT_FALSE(boundsWhere(first, near(magenta))) << "the picture is cut to its box";
  const auto stretched = boundsWhere(first, near(blue));
  ASSERT_TRUE(stretched);
  EXPECT_NEAR(stretched->width(), 100 * 13.5 / 20, 2);
  EXPECT_NEAR(stretched->height(), 60 * 14.6 / 20, 2);
  EXPECT_GE(sliceColours(first, 100), 3) << "a slice for each of the row's three columns";
  EXPECT_FALSE(boundsWhere(first, near(yellow))) << "nothing of the picture at the foot is left on the first page";
  EXPECT_FALSE(boundsWhere(first, near(cyan)));

  const host::Picture second = page("sheet-2.png");
  const auto low = boundsWhere(second, near(yellow));
  const auto below = boundsWhere(second, near(cyan));
  ASSERT_TRUE(low && below);
  EXPECT_NEAR(low->height(), 60 * 14.6 / 20, 2) << "whole";
  EXPECT_NEAR(below->height(), 60 * 14.6 / 20, 2) << "whole";
  EXPECT_LT(low->top, below->top);
}

}  // namespace
