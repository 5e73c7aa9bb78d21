// Pictures, image controls and charts on the preview page and on paper.
#include <gtest/gtest.h>

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

class PictureRenderTest : public RendererTest {
 protected:
  host::ObjectRef pictureBox(std::int32_t top, host::Size size, host::Rgb color = red) {
    host::ObjectRef box = add("PictureBox", "Photo");
    box->set("Left", 600);
    box->set("Top", top);
    box->set("Width", size.width * 15);
    box->set("Height", size.height * 15);
    host::setPicture(*box, host::Picture::filled(size, color));
    return box;
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

TEST_F(PictureRenderTest, PictureNearThePageFootStaysOnItsPageAndStopsAtTheFootLine) {
  beginPreview();
  const std::int32_t foot = FootLineTop(job());
  // The box starts 10 pixels above the foot line and is 40 high.
  render(PrevPicture, pictureBox((foot - 10 - job().BodyTop) * 15, {30, 40}));
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
