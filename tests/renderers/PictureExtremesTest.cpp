// Pictures and charts at the extremes, on the preview page and on paper: a
// chart far larger than a page, a chart of values near the largest double,
// and a picture larger than its box drawn without a copy of the box.
#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "RendererTestSupport.h"
#include "TestSupport.h"
#include "host/PictureImpl.h"
#include "host/model/Chart.h"
#include "host/model/Pictures.h"
#include "layout/Titles.h"
#include "renderers/Renderers.h"

namespace {

using namespace renderertest;
using host::Rect;

// The theme's bar colours, not the greys of text and axes.
bool isSeriesColour(host::Rgb pixel) {
  const int most = std::max({pixel.red, pixel.green, pixel.blue});
  const int least = std::min({pixel.red, pixel.green, pixel.blue});
  return most - least > 60;
}

class PictureExtremesTest : public RendererTest {
 protected:
  host::ObjectRef chart(std::vector<std::vector<double>> values, double width, double height) {
    host::ObjectRef made = add("MSChart", "Chart" + std::to_string(++made_));
    host::ChartTable table;
    table.rows = std::move(values);
    dynamic_cast<host::MSChart&>(*made).setTable(table);
    made->set("Left", 1500);
    made->set("Top", 300);
    made->set("Width", width);
    made->set("Height", height);
    made->set("BackColor", yellowValue);
    return made;
  }

  // The page drawn by one twin: the preview page or the printed sheet.
  host::RasterDc& drawnPage(bool printing) { return printing ? *printedPage().raster : previewPage(); }

  void begin(bool printing) { printing ? beginPrint() : beginPreview(); }

  // A box of 100 x 80 pixels without a border at (600, 300) twips.
  host::ObjectRef boxHolding(const host::Picture& picture) {
    host::ObjectRef box = add("PictureBox", "Photo" + std::to_string(++made_));
    box->set("BorderStyle", std::int16_t{0});
    box->set("Left", 600);
    box->set("Top", 300);
    box->set("Width", 1500);
    box->set("Height", 1200);
    host::setPicture(*box, picture);
    return box;
  }

 private:
  int made_ = 0;
};

TEST_F(PictureExtremesTest, AChartFarLargerThanThePageFillsThePageFromItsPlaceToTheFootLine) {
  // 2,000,000 twips each way: at a pixel each, 80 GB; it was left out.
  for (bool printing : {false, true}) {
    SCOPED_TRACE(printing ? "print" : "preview");
    begin(printing);
    render(printing ? PrnPictureBox : PrevPicture, chart({{3, 1}, {5, 9}}, 2000000, 2000000));
    if (printing) host::printer().endDoc();
    host::RasterDc& page = drawnPage(printing);
    const Rect whole = Rect::fromXywh(0, 0, page.size().width, page.size().height);
    const auto drawn = boundsOf(page, yellow, whole);
    ASSERT_TRUE(drawn);
    EXPECT_GE(drawn->right, page.size().width - 1) << "on to the page's right edge";
    EXPECT_LE(drawn->bottom, FootLineTop(job()) + 1) << "cut at the foot line";
    EXPECT_GT(drawn->height(), page.size().height / 2);
    const int yellowPixels = countWhere(page, *drawn, [](host::Rgb pixel) { return pixel == yellow; });
    EXPECT_GT(yellowPixels, drawn->width() * drawn->height() / 2);
    EXPECT_TRUE(ui_->clipboardPicture().isNull());
  }
}

TEST_F(PictureExtremesTest, AChartOfValuesWhoseRangeOverflowsDrawsItsBars) {
  for (bool printing : {false, true}) {
    SCOPED_TRACE(printing ? "print" : "preview");
    begin(printing);
    host::ObjectRef huge = chart({{1e308, -1e308}, {5e307, 9}}, 4500, 3600);
    huge->set("BackColor", 0xFFFFFF);  // its text and axes grey on white: the bars are the only colours
    render(printing ? PrnPictureBox : PrevPicture, huge);
    if (printing) host::printer().endDoc();
    host::RasterDc& page = drawnPage(printing);
    EXPECT_GT(countWhere(page, Rect::fromXywh(0, 0, page.size().width, page.size().height), isSeriesColour), 100);
  }
}

// A picture of 300 x 200 pixels in bands of colour, opaque or with an alpha
// channel (every pixel of it opaque all the same).
host::Picture bands(bool withAlpha) {
  QImage image(300, 200, withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb((x * 7) % 256, (y * 11) % 256, (x + y) % 256));
  return host::pictureOf(image);
}

TEST_F(PictureExtremesTest, APictureLargerThanItsBoxDrawsAsTheCopyOfTheBoxDid) {
  // An opaque picture is drawn from as it is; one with an alpha channel is
  // first copied into the box's client area, as every picture once was. The
  // pages come out the same, pixel for pixel.
  for (bool printing : {false, true}) {
    SCOPED_TRACE(printing ? "print" : "preview");
    std::vector<host::Picture> pages;
    for (bool withAlpha : {false, true}) {
      printer_->pages.clear();
      begin(printing);
      render(printing ? PrnPictureBox : PrevPicture, boxHolding(bands(withAlpha)));
      if (printing) host::printer().endDoc();
      pages.push_back(drawnPage(printing).picture());
    }
    ASSERT_EQ(pages[0].size(), pages[1].size());
    int differing = 0, coloured = 0;
    for (int y = 0; y < pages[0].height(); ++y)
      for (int x = 0; x < pages[0].width(); ++x) {
        differing += pages[0].pixel(x, y) == pages[1].pixel(x, y) ? 0 : 1;
        coloured += pages[0].pixel(x, y) == host::Rgb::white ? 0 : 1;
      }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(coloured, 100 * 80) << "the box's part of the picture is drawn";
  }
}

}  // namespace
