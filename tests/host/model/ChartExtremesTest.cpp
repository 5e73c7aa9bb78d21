// The chart control at the extremes: values near the largest double, data
// that is no number, and charts far larger than any screen.
#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "host/PictureImpl.h"
#include "host/Runtime.h"
#include "host/model/Chart.h"
#include "host/model/FormFile.h"

namespace {

using host::Value;

// Bars, lines, areas and points in the theme's colours; the axes, grid and
// labels are grey or black, the background white.
bool isSeriesColour(host::Rgb pixel) {
  const int most = std::max({pixel.red, pixel.green, pixel.blue});
  const int least = std::min({pixel.red, pixel.green, pixel.blue});
  return most - least > 60;
}

int seriesPixels(const host::Picture& picture, int top, int bottom) {
  int count = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < picture.width(); ++x) count += isSeriesColour(picture.pixel(x, y)) ? 1 : 0;
  return count;
}

host::Picture pictureOf(const host::ChartTable& table, int chartType) {
  host::MSChart chart;
  chart.setTable(table);
  chart.set("Width", Value(4500));  // 300 x 240 pixels
  chart.set("Height", Value(3600));
  chart.set("ChartType", Value(static_cast<std::int16_t>(chartType)));
  return chart.chartPicture();
}

host::ChartTable rows(std::vector<std::vector<double>> values) {
  host::ChartTable table;
  table.rows = std::move(values);
  return table;
}

TEST(ChartExtremes, ValuesWhoseRangeOverflowsAreDrawnOnFiniteAxes) {
  // 1e308 against -1e308 spans more than the largest double; stacked, two
  // 1e308 add up past it; a pie of them sums past it too. Each drew nothing.
  auto runtime = testsupport::makeHeadless();
  const auto huge = rows({{1e308, -1e308, 1e308}, {-1e308, 5e307, 1e308}, {2e307, 1e308, -3e307}});
  for (int type : {1, 3, 5, 7, 9, 14, 16}) {
    const host::Picture picture = pictureOf(huge, type);
    EXPECT_GT(seriesPixels(picture, 0, picture.height()), 60) << "chart type " << type;
  }
}

// The rows of a bar chart's picture that hold bar colours, from the top.
std::optional<std::pair<int, int>> barRows(const host::Picture& picture, int fromX, int toX) {
  std::optional<std::pair<int, int>> found;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = fromX; x < toX; ++x)
      if (isSeriesColour(picture.pixel(x, y))) {
        found = found ? std::pair{found->first, y} : std::pair{y, y};
        break;
      }
  return found;
}

TEST(ChartExtremes, HugeValuesKeepTheirProportions) {
  // A bar of 3e307 beside one of 1e307, and bars of 3 and 1: the same chart
  // but for the axis's title, so the tall bar is three times the short one.
  auto runtime = testsupport::makeHeadless();
  for (double unit : {1.0, 1e307}) {
    const host::Picture picture = pictureOf(rows({{3 * unit}, {1 * unit}}), 1);
    const auto tall = barRows(picture, 0, picture.width() / 2 + 20);
    const auto short_ = barRows(picture, picture.width() / 2 + 20, picture.width());
    ASSERT_TRUE(tall && short_) << unit;
    EXPECT_EQ(tall->second, short_->second) << "both stand on the zero line";
    const double ratio = static_cast<double>(tall->second - tall->first + 1) / (short_->second - short_->first + 1);
    EXPECT_NEAR(ratio, 3.0, 0.15) << unit;
  }
}

TEST(ChartExtremes, DataThatIsNoFiniteNumberIsRefused) {
  host::MSChart chart;
  chart.setTable(rows({{1, 2}}));
  for (double bad : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(testsupport::errorNumberOf([&] { chart.set("Data", Value(bad)); }), 380);
    EXPECT_EQ(chart.get("Data").toDouble(), 1) << "the value stays";
  }
  chart.set("Data", Value(-1e308));
  EXPECT_EQ(chart.get("Data").toDouble(), -1e308);
}

TEST(ChartExtremes, AChartLargerThanAnyScreenIsDrawnAtItsSizeInBoundedMemory) {
  auto runtime = testsupport::makeHeadless();
  host::MSChart chart;
  chart.setTable(rows({{3, 1}, {5, 9}}));
  chart.set("BackColor", Value(0x00FFFF));  // yellow
  // 2,000,000 twips each way: 133,333 pixels, 71 GB at a pixel each.
  chart.set("Width", Value(2000000));
  chart.set("Height", Value(2000000));
  const host::Picture huge = chart.chartPicture();
  ASSERT_FALSE(huge.isNull());
  EXPECT_EQ(huge.size(), (host::Size{133333, 133333}));
  EXPECT_LE(huge.byteCount(), std::size_t{300} << 20);
  EXPECT_EQ(huge.pixel(0, 0), host::Rgb::fromRgb(255, 255, 0));
  EXPECT_EQ(huge.pixel(133332, 133332), host::Rgb::fromRgb(255, 255, 0));

  // A strip as long is drawn pixel for pixel: it fits in the same memory.
  chart.set("Height", Value(3600));
  const host::Picture strip = chart.chartPicture();
  EXPECT_EQ(strip.size(), (host::Size{133333, 240}));
  EXPECT_EQ(strip.byteCount(), std::size_t{133333} * 240 * 4);
}

}  // namespace

namespace {

TEST(BoundedPicture, APictureFileShowsAtTheSizeOfItsPixelsWhateverItsTextClaims) {
  // A picture drawn at fewer pixels than it shows keeps its shown size in its
  // image's text, which a saved file holds too: a file read back must not
  // claim more pixels than it has (a box sized to it would ask for them).
  QImage pixels(10, 8, QImage::Format_RGB32);
  pixels.fill(Qt::red);
  const host::Picture reduced = host::pictureShownAt(pixels, {1000, 800});
  ASSERT_EQ(reduced.size(), (host::Size{1000, 800}));
  EXPECT_EQ(reduced.pixel(999, 799), host::Rgb::fromRgb(255, 0, 0));
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "vellora-bounded-picture.png";
  reduced.savePng(file);
  const host::Picture loaded = host::Picture::load(file);
  std::filesystem::remove(file);
  EXPECT_EQ(loaded.size(), (host::Size{10, 8}));
}

}  // namespace
