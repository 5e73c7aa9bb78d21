// Pictures, image controls and charts on the preview page and on paper.
#include <gtest/gtest.h>

#include <string>

#include "RendererTestSupport.h"
#include "TestSupport.h"
#include "host/Lang.h"
#include "host/model/Chart.h"
#include "host/model/Pictures.h"
#include "layout/Titles.h"
#include "renderers/Renderers.h"

namespace {

using namespace renderertest;
using host::Rect;

// A picture of `size` in blue whose top-left `corner` is red.
host::Picture redCorner(host::Size size, host::Size corner) {
  auto dc = host::RasterDc::create(size, host::RasterFormat::Color);
  dc->fillRect(Rect::fromXywh(0, 0, size.width, size.height), host::Brush::solid(blue));
  dc->fillRect(Rect::fromXywh(0, 0, corner.width, corner.height), host::Brush::solid(red));
  return dc->picture();
}

// A picture of `size`, its left half red and its right half blue.
host::Picture redAndBlueHalves(host::Size size) {
  auto dc = host::RasterDc::create(size, host::RasterFormat::Color);
  dc->fillRect(Rect::fromXywh(0, 0, size.width, size.height), host::Brush::solid(blue));
  dc->fillRect(Rect::fromXywh(0, 0, size.width / 2, size.height), host::Brush::solid(red));
  return dc->picture();
}

class PictureRenderTest : public RendererTest {
 protected:
  // A borderless picture box exactly the size of its picture.
  host::ObjectRef pictureBox(std::int32_t top, host::Size size, host::Rgb color = red) {
    host::ObjectRef box = boxOf(top, size, host::Picture::filled(size, color));
    box->set("BorderStyle", std::int16_t{0});
    return box;
  }

  // A picture box of `size` pixels with the host's usual sunken border (two
  // pixels each side), holding `picture`.
  host::ObjectRef boxOf(std::int32_t top, host::Size size, const host::Picture& picture) {
    host::ObjectRef box = add("PictureBox", "Photo" + std::to_string(++made_));
    box->set("Left", 600);
    box->set("Top", top);
    box->set("Width", size.width * 15);
    box->set("Height", size.height * 15);
    host::setPicture(*box, picture);
    return box;
  }

  // An image control at (600, 300) twips of `size` pixels holding `picture`.
  host::ObjectRef imageOf(host::Size size, const host::Picture& picture, bool stretch) {
    host::ObjectRef image = add("Image", "Stamp" + std::to_string(++made_));
    image->set("Stretch", stretch);
    host::setPicture(*image, picture);
    image->set("Left", 600);
    image->set("Top", 300);
    image->set("Width", size.width * 15);
    image->set("Height", size.height * 15);
    return image;
  }

  // The Top (twips) that puts a control's top `units` page units below the
  // body top of the current job's first page.
  std::int32_t topAt(std::int32_t units) { return host::CLng((units - job().BodyTop) * job().TwipsPerUnit); }

  std::optional<Rect> redOnPreview(int page) { return boundsOf(previewPage(page), red, Rect::fromXywh(0, 0, 700, 1000)); }
  std::optional<Rect> redOnSheet(int sheet) {
    return boundsOf(*printedPage(sheet).raster, red, Rect::fromXywh(0, 0, 700, job().PageHeight + 40));
  }

  host::ObjectRef chart(std::int32_t color) {
    host::ObjectRef made = add("MSChart", "Sales");
    auto& msChart = dynamic_cast<host::MSChart&>(*made);
    host::ChartTable table;
    table.rows = {{3, 1}, {5, 9}};
    msChart.setTable(table);
    made->set("Left", 1500);
    made->set("Top", 300);
    made->set("Width", 1500);  // 100 x 60 pixels
    made->set("Height", 900);
    made->set("BackColor", color);
    return made;
  }

 private:
  int made_ = 0;  // controls made, for their names
};

TEST_F(PictureRenderTest, PreviewDrawsThePictureAtTheControlsPlaceAndLeavesCurYThere) {
  beginPreview();
  render(PrevPicture, pictureBox(300, {30, 20}));
  // Left 600 twips = 40 units past BodyLeft 30; Top 300 = 20 below BodyTop 60; 16/15.9 and 16/15.8 a pixel.
  EXPECT_EQ(boundsOf(previewPage(), red, Rect::fromXywh(0, 0, 700, 1000)), Rect::fromXywh(70, 80, 30, 20));
  EXPECT_EQ(job().CurY, 80);
  EXPECT_EQ(job().PageStore.size(), 1u);
}

TEST_F(PictureRenderTest, PrintedPixelIsFivePointSixTwoFivePrinterPixelsWideAt600Dpi) {
  auto env = testsupport::makeHeadless(600);  // 2.4 twips a printer pixel
  beginPrint();
  render(PrnPictureBox, pictureBox(300, {40, 10}));
  host::printer().endDoc();
  ASSERT_EQ(env.printer->pages().size(), 1u);
  const host::Picture& page = env.printer->pages().front();
  std::optional<Rect> bounds;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 1200; ++x)
      if (page.pixel(x, y) == red)
        bounds = bounds ? Rect::fromLtrb(std::min(bounds->left, x), std::min(bounds->top, y),
                                         std::max(bounds->right, x + 1), std::max(bounds->bottom, y + 1))
                        : Rect::fromXywh(x, y, 1, 1);
  ASSERT_TRUE(bounds);
  EXPECT_EQ(bounds->width(), 225);   // 40 x 13.5 / 2.4 = 40 x 5.625
  EXPECT_EQ(bounds->height(), 61);   // 10 x 14.6 / 2.4, rounded
  // At (Left / TwipsPerUnit + BodyLeft) less two gap units, CurY less two gap units.
  EXPECT_EQ(bounds->left, host::CLng(host::CLng(600 / 2.4 + job().BodyLeft) - 2 * job().PrnGapUnit));
  EXPECT_EQ(bounds->top, host::CLng(job().CurY - 2 * job().PrnGapUnit));
}

TEST_F(PictureRenderTest, PictureTallerThanAPageNearTheFootStaysOnItsPageAndStopsAtTheFootLine) {
  beginPreview();
  const std::int32_t foot = FootLineTop(job());
  // The box starts 10 pixels above the foot line and is taller than a whole page body.
  render(PrevPicture, pictureBox((foot - 10 - job().BodyTop) * 15, {30, 900}));
  EXPECT_EQ(job().PageStore.size(), 1u);
  EXPECT_EQ(job().PageCounter, 0);
  EXPECT_EQ(job().CurY, foot - 10);
  const auto drawn = boundsOf(previewPage(), red, Rect::fromXywh(0, 0, 700, 1000));
  ASSERT_TRUE(drawn);
  EXPECT_EQ(drawn->top, foot - 10);
  EXPECT_LE(drawn->bottom, foot);
  EXPECT_GE(drawn->bottom, foot - 1);
}

TEST_F(PictureRenderTest, ImageControlIsDrawnAsItShowsItsPicture) {
  beginPreview();
  host::ObjectRef image = add("Image", "Stamp");
  image->set("Left", 300);
  image->set("Top", 150);
  host::setPicture(*image, host::Picture::filled({12, 8}, blue));
  render(PrevPicture, image);
  EXPECT_EQ(boundsOf(previewPage(), blue, Rect::fromXywh(0, 0, 700, 1000)), Rect::fromXywh(50, 70, 12, 8));
}

TEST_F(PictureRenderTest, ChartComesFromTheClipboardWhichIsLeftEmpty) {
  beginPreview();
  ui_->setClipboardPicture(host::Picture::filled({5, 5}, grey));  // whatever the user had copied
  render(PrevPicture, chart(yellowValue));
  EXPECT_TRUE(ui_->clipboardPicture().isNull());
  // The chart's background fills its place: 100 x 60 pixels from (130, 80).
  const auto background = boundsOf(previewPage(), yellow, Rect::fromXywh(0, 0, 700, 1000));
  ASSERT_TRUE(background);
  EXPECT_EQ(background->left, 130);
  EXPECT_EQ(background->top, 80);
  EXPECT_NEAR(background->width(), 101, 1);
  EXPECT_NEAR(background->height(), 61, 1);
}

TEST_F(PictureRenderTest, PrintedChartIsCopiedLargerAndTheControlKeepsItsSize) {
  beginPrint();
  host::ObjectRef sales = chart(yellowValue);
  render(PrnPictureBox, sales);
  EXPECT_TRUE(ui_->clipboardPicture().isNull());
  EXPECT_EQ(sales->get("Width").toDouble(), 1500);
  EXPECT_EQ(sales->get("Height").toDouble(), 900);
  // Copied at 1.112 x 1.03 of its size: 111 x 62 pixels, 13.5 / 9.6 printer pixels each.
  const auto background = boundsOf(*printedPage().raster, yellow, Rect::fromXywh(0, 0, 600, 400));
  ASSERT_TRUE(background);
  EXPECT_NEAR(background->width(), host::CLng(111 * 13.5 / 9.6), 2);
  EXPECT_NEAR(background->height(), host::CLng(62 * 14.6 / 9.6), 2);
  // Moved left by 4 % of its Left (60 twips), in page units.
  const double left = 1500 / 9.6 - 60 / 9.6 + job().BodyLeft - 2 * job().PrnGapUnit;
  EXPECT_NEAR(background->left, left, 1);
}

TEST_F(PictureRenderTest, AFailingStatementIsPassedOverAndThePreviousPictureStays) {
  beginPreview();
  render(PrevPicture, pictureBox(300, {30, 20}));
  // A label has no Picture: baki keeps the picture it held, drawn at the label's place.
  host::ObjectRef label = add("Label", "Caption");
  label->set("Left", 3000);
  label->set("Top", 600);
  EXPECT_NO_THROW(render(PrevPicture, label));
  EXPECT_EQ(boundsOf(previewPage(), red, Rect::fromXywh(200, 0, 500, 1000)), Rect::fromXywh(230, 100, 30, 20));
}

// --- a picture as its control shows it ----------------------------------------

TEST_F(PictureRenderTest, PictureLargerThanItsBoxPrintsOnlyTheTopLeftPartTheBoxShows) {
  // 40 x 30 pixels less the two-pixel border: a client area of 36 x 26 shows
  // the picture's red corner of just that size; the blue rest lies outside it.
  const host::Picture picture = redCorner({90, 70}, {36, 26});
  beginPreview();
  render(PrevPicture, boxOf(300, {40, 30}, picture));
  EXPECT_EQ(redOnPreview(0), Rect::fromXywh(70, 80, 36, 26));
  EXPECT_FALSE(boundsOf(previewPage(), blue, Rect::fromXywh(0, 0, 700, 1000))) << "nothing beyond the box";

  beginPrint();
  render(PrnPictureBox, boxOf(300, {40, 30}, picture));
  const auto printed = redOnSheet(0);
  ASSERT_TRUE(printed);
  // 36 x 26 source pixels at 13.5 / 9.6 and 14.6 / 9.6 printer pixels each.
  EXPECT_EQ(printed->width(), 51);
  EXPECT_EQ(printed->height(), 40);
  EXPECT_FALSE(boundsOf(*printedPage().raster, blue, Rect::fromXywh(0, 0, 700, 700))) << "nothing beyond the box";
}

TEST_F(PictureRenderTest, PictureSmallerThanItsBoxPrintsAtItsOwnSizeAndNothingElse) {
  beginPreview();
  render(PrevPicture, boxOf(300, {40, 30}, host::Picture::filled({12, 8}, red)));
  EXPECT_EQ(redOnPreview(0), Rect::fromXywh(70, 80, 12, 8));
  const auto notWhite = [](host::Rgb pixel) { return pixel != host::Rgb::white; };
  EXPECT_EQ(countWhere(previewPage(), Rect::fromXywh(60, 70, 60, 50), notWhite), 12 * 8)
      << "neither stretched nor boxed in the back colour";

  beginPrint();
  render(PrnPictureBox, boxOf(300, {40, 30}, host::Picture::filled({12, 8}, red)));
  const auto printed = redOnSheet(0);
  ASSERT_TRUE(printed);
  EXPECT_EQ(printed->width(), 17);   // 12 x 13.5 / 9.6
  EXPECT_EQ(printed->height(), 12);  // 8 x 14.6 / 9.6
}

TEST_F(PictureRenderTest, StretchedImageFillsItsControlOnPageAndPaper) {
  beginPreview();
  render(PrevPicture, imageOf({40, 30}, redAndBlueHalves({10, 10}), true));
  EXPECT_EQ(redOnPreview(0), Rect::fromXywh(70, 80, 20, 30));
  EXPECT_EQ(boundsOf(previewPage(), blue, Rect::fromXywh(0, 0, 700, 1000)), Rect::fromXywh(90, 80, 20, 30));

  beginPrint();
  render(PrnPictureBox, imageOf({40, 30}, redAndBlueHalves({10, 10}), true));
  const auto drawn = boundsWhere(*printedPage().raster, Rect::fromXywh(0, 0, 700, 700),
                                 [](host::Rgb pixel) { return pixel == red || pixel == blue; });
  ASSERT_TRUE(drawn);
  EXPECT_EQ(drawn->width(), 56);   // 40 x 13.5 / 9.6
  EXPECT_EQ(drawn->height(), 46);  // 30 x 14.6 / 9.6
  const auto redHalf = redOnSheet(0);
  ASSERT_TRUE(redHalf);
  EXPECT_NEAR(redHalf->width(), 28, 1);
}

TEST_F(PictureRenderTest, ImageThatDoesNotStretchPrintsItsPictureAtItsOwnSize) {
  beginPreview();
  render(PrevPicture, imageOf({40, 30}, redAndBlueHalves({10, 10}), false));
  EXPECT_EQ(redOnPreview(0), Rect::fromXywh(70, 80, 5, 10));
  EXPECT_EQ(boundsOf(previewPage(), blue, Rect::fromXywh(0, 0, 700, 1000)), Rect::fromXywh(75, 80, 5, 10));
}

// --- pictures at the foot of the page --------------------------------------------

TEST_F(PictureRenderTest, PictureReachingBelowTheFootStartsTheNextPageAndPrintsWholeThere) {
  beginPreview();
  const std::int32_t foot = FootLineTop(job());
  render(PrevPicture, pictureBox(topAt(foot - 10), {30, 40}));
  ASSERT_EQ(job().PageStore.size(), 2u);
  EXPECT_EQ(job().PageCounter, 1);
  EXPECT_FALSE(redOnPreview(0)) << "nothing of it is left on the first page";
  // Whole at the body top: 40 pixels at 16 / 15.8 each.
  EXPECT_EQ(redOnPreview(1), Rect::fromXywh(70, job().BodyTop, 30, 41));
  EXPECT_EQ(job().CurY, job().BodyTop) << "the next control follows from the picture's new top";
}

TEST_F(PictureRenderTest, PictureWhollyBelowTheFootIsPrintedOnTheNextPage) {
  beginPreview();
  const std::int32_t foot = FootLineTop(job());
  render(PrevPicture, pictureBox(topAt(foot + 30), {30, 20}));
  ASSERT_EQ(job().PageStore.size(), 2u);
  EXPECT_FALSE(redOnPreview(0));
  EXPECT_EQ(redOnPreview(1), Rect::fromXywh(70, job().BodyTop, 30, 20));
}

TEST_F(PictureRenderTest, PictureTallerThanAPageWhollyBelowTheFootIsCutAtTheNextPagesFoot) {
  beginPreview();
  const std::int32_t foot = FootLineTop(job());
  render(PrevPicture, pictureBox(topAt(foot + 30), {30, 900}));
  ASSERT_EQ(job().PageStore.size(), 2u);
  EXPECT_FALSE(redOnPreview(0));
  const auto drawn = redOnPreview(1);
  ASSERT_TRUE(drawn);
  EXPECT_EQ(drawn->top, job().BodyTop);
  EXPECT_LE(drawn->bottom, foot);
  EXPECT_GE(drawn->bottom, foot - 1);
}

TEST_F(PictureRenderTest, PrintedPictureReachingBelowTheFootGoesWholeToTheNextSheet) {
  beginPrint();
  const std::int32_t foot = FootLineTop(job());
  render(PrnPictureBox, pictureBox(topAt(foot - 10), {30, 40}));
  host::printer().endDoc();
  ASSERT_EQ(printer_->pages.size(), 2u);
  EXPECT_FALSE(redOnSheet(0)) << "nothing of it is left on the first sheet";
  const auto drawn = redOnSheet(1);
  ASSERT_TRUE(drawn);
  EXPECT_EQ(drawn->height(), 61);  // 40 x 14.6 / 9.6: whole
  // Two gap units above the cursor of the new sheet, which starts 38 pixels below the body top.
  EXPECT_EQ(drawn->top, host::CLng(job().BodyTop + 38 - 2 * job().PrnGapUnit));
  EXPECT_LE(drawn->bottom, foot);
}

TEST_F(PictureRenderTest, PrintedPictureTallerThanAPageIsCutAtTheFootOfItsSheet) {
  beginPrint();
  const std::int32_t foot = FootLineTop(job());
  render(PrnPictureBox, pictureBox(topAt(foot - 200), {30, 1200}));
  host::printer().endDoc();
  ASSERT_EQ(printer_->pages.size(), 1u);
  const auto drawn = redOnSheet(0);
  ASSERT_TRUE(drawn);
  EXPECT_LE(drawn->bottom, foot);
  EXPECT_GE(drawn->bottom, foot - 2);
}

TEST_F(PictureRenderTest, PictureForAPageAfterTheRangeIsNotDrawnAndEndsTheJob) {
  control_->setToPage(1);
  beginPreview();
  render(PrevPicture, pictureBox(topAt(FootLineTop(job()) - 10), {30, 40}));
  EXPECT_TRUE(job().JobEnded);
  EXPECT_EQ(job().PageStore.size(), 1u);
  EXPECT_FALSE(redOnPreview(0));
}

TEST_F(PictureRenderTest, RichTextOfAControlThatCannotLayItselfOutEndsOnItsFirstPage) {
  beginPreview();
  // A text box has a Text but no format-range operation: each stretch fails,
  // and the text stops after a whole page took nothing.
  host::ObjectRef notRich = add("TextBox", "NotRichText");
  notRich->set("Text", "some text that has length");
  EXPECT_NO_THROW(render(PrevRichText, notRich));
  EXPECT_EQ(job().PageCounter, 1);
  EXPECT_FALSE(job().JobEnded);
}

}  // namespace
