// Pictures on a live form, printed on the in-memory printer: a label's
// pixmap prints its pixels, a chart prints as a picture, and a widget of no
// known family prints as the picture of itself, finer than the screen.
#include <QLCDNumber>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <QtCharts/QChartView>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

#include "BarChartView.h"
#include "TestSupport.h"
#include "host/PictureImpl.h"
#include "host/model/Pictures.h"
#include "qtforms/LiveForm.h"
#include "qtforms/LivePrint.h"
#include "qtforms/QtFormsTestSupport.h"

namespace {

// The smallest rectangle of a page (or of an area of it) holding every
// pixel that passes `is`.
std::optional<QRect> boundsOf(const host::Picture& page, const std::function<bool(QColor)>& is,
                              std::optional<QRect> area = {}) {
  const QImage image = host::imageOf(page).convertToFormat(QImage::Format_RGB32);
  const QRect within = area ? area->intersected(image.rect()) : image.rect();
  std::optional<QRect> bounds;
  for (int y = within.top(); y <= within.bottom(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = within.left(); x <= within.right(); ++x) {
      if (!is(QColor(row[x]))) continue;
      bounds = bounds ? bounds->united(QRect(x, y, 1, 1)) : QRect(x, y, 1, 1);
    }
  }
  return bounds;
}

bool isRed(QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }
bool isBlue(QColor c) { return c.blue() > 200 && c.red() < 60 && c.green() < 60; }
bool isGreen(QColor c) { return c.green() > 200 && c.red() < 60 && c.blue() < 60; }
bool isBlack(QColor c) { return c.red() < 60 && c.green() < 60 && c.blue() < 60; }

// A widget that paints itself: green with a black rule a third of a pixel
// high across its middle. It is built on a number display (a class of its own, of no family the
// form knows) and paints all of itself.
class Gauge final : public QLCDNumber {
 public:
  using QLCDNumber::QLCDNumber;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::green);
    painter.fillRect(QRectF(0, height() / 2, width(), 1.0 / 3), Qt::black);
  }
};

class PictureFamily : public ::testing::Test {
 protected:
  // The job's pages come from an in-memory printer at 600 dpi.
  testsupport::HeadlessRuntime env = testsupport::makeHeadless(600);
  QWidget form;

  void SetUp() override { form.resize(500, 400); }

  host::ObjectRef adapterOf(QWidget& widget) {
    live_ = qtforms::LiveForm::adapt(form, qtforms::Writes::KeptByAdapter);
    return live_->adapterOf(widget);
  }

  const host::Picture& printedPage() {
    qtforms::LivePrint job(form);
    EXPECT_TRUE(job.print());
    EXPECT_FALSE(env.printer->pages().empty());
    return env.printer->pages().front();
  }

 private:
  std::shared_ptr<qtforms::LiveForm> live_;
};

TEST_F(PictureFamily, ALabelsPixmapIsAnImageThatPrintsItsPixels) {
  QPixmap pixmap(40, 20);
  pixmap.fill(Qt::red);
  {
    QPainter painter(&pixmap);
    painter.fillRect(20, 0, 20, 20, Qt::blue);
  }
  auto* label = new QLabel(&form);
  label->setPixmap(pixmap);
  label->setGeometry(20, 20, 40, 20);
  auto* caption = new QLabel("Caption", &form);
  caption->setGeometry(20, 60, 100, 20);

  const host::ObjectRef image = adapterOf(*label);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->kind(), host::Kind::Image);
  EXPECT_EQ(adapterOf(*caption)->kind(), host::Kind::Label) << "a label of text is no picture";
  const std::int32_t handle = image->get("Picture").toLong();
  ASSERT_NE(handle, 0);
  EXPECT_EQ(image->get("Picture").toLong(), handle) << "the same picture keeps its handle";
  EXPECT_EQ(host::pictureFromHandle(handle).size(), (host::Size{40, 20}));
  EXPECT_FALSE(image->get("Stretch").toBool());

  const host::Picture& page = printedPage();
  const auto red = boundsOf(page, isRed);
  const auto blue = boundsOf(page, isBlue);
  ASSERT_TRUE(red && blue);
  EXPECT_LE(red->right(), blue->left()) << "the left half prints left of the right half";
  EXPECT_NEAR(red->width(), blue->width(), 2);
  EXPECT_NEAR(red->height(), blue->height(), 2);
  EXPECT_NEAR(red->width(), red->height(), red->height() * 0.15) << "each half is square on paper";
}

TEST_F(PictureFamily, AScaledLabelShowsItsPixmapStretchedOverItsContents) {
  QPixmap pixmap(10, 10);
  pixmap.fill(Qt::blue);
  auto* label = new QLabel(&form);
  label->setPixmap(pixmap);
  label->setScaledContents(true);
  label->setGeometry(20, 20, 80, 30);
  const host::ObjectRef image = adapterOf(*label);
  ASSERT_TRUE(image);
  EXPECT_TRUE(image->get("Stretch").toBool());
  EXPECT_EQ(host::pictureFromHandle(image->get("Picture").toLong()).size(), (host::Size{80, 30}));
}

TEST_F(PictureFamily, AScaledLabelPrintsItsPixmapOverTheWholeLabel) {
  QPixmap pixmap(10, 10);
  pixmap.fill(Qt::blue);
  auto* label = new QLabel(&form);
  label->setPixmap(pixmap);
  label->setScaledContents(true);
  label->setGeometry(20, 20, 80, 30);
  const host::Picture& page = printedPage();
  const auto printed = boundsOf(page, isBlue);
  ASSERT_TRUE(printed);
  // 80 x 30 host pixels at 13.5 and 14.6 twips each on a 600-dpi page (2.4 twips a pixel).
  EXPECT_NEAR(printed->width(), 80 * 13.5 / 2.4, 2);
  EXPECT_NEAR(printed->height(), 30 * 14.6 / 2.4, 2);
}

TEST_F(PictureFamily, AChartPrintsAsAPictureAndTheViewKeepsItsSize) {
  QChartView* view = qtformstest::addRedBarChart(form);

  const host::ObjectRef control = adapterOf(*view);
  ASSERT_TRUE(control);
  EXPECT_EQ(control->typeName(), "MSChart");
  control->call("EditCopy");
  EXPECT_EQ(host::ui().clipboardPicture().size(), (host::Size{300, 200})) << "the chart as shown";
  host::ui().clearClipboard();

  const host::Picture& page = printedPage();
  const auto bars = boundsOf(page, isRed);
  ASSERT_TRUE(bars) << "the bars print";
  EXPECT_GT(bars->width(), 300);
  EXPECT_EQ(view->size(), QSize(300, 200)) << "the print job stretched the chart on the adapter's side only";
}

TEST_F(PictureFamily, AWidgetOfNoKnownFamilyPrintsAsItsPictureFinerThanTheScreen) {
  auto* gauge = new Gauge(&form);
  gauge->setGeometry(20, 20, 60, 40);
  const host::ObjectRef box = adapterOf(*gauge);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->kind(), host::Kind::PictureBox);
  const host::Picture picture = host::pictureFromHandle(box->get("Picture").toLong());
  EXPECT_EQ(picture.size(), (host::Size{60, 40})) << "the widget's size in host pixels";
  EXPECT_GT(picture.pixelRatio(), 1);
  EXPECT_NE(box->get("Image").toLong(), 0);

  const host::Picture& page = printedPage();
  const auto green = boundsOf(page, isGreen);
  ASSERT_TRUE(green);
  // 60 host pixels at 13.5 twips each on a 600-dpi page (2.4 twips a pixel).
  EXPECT_NEAR(green->width(), 60 * 13.5 / 2.4, 4);
  const auto rule = boundsOf(page, isBlack, green);
  ASSERT_TRUE(rule);
  // A host pixel is 14.6 twips high on paper: 6 printer pixels.
  EXPECT_LT(rule->height(), 4) << "the rule prints finer than a screen pixel, as the widget drew it";
  qtforms::LivePrint preview(form);
  EXPECT_TRUE(preview.preview()) << "the preview draws the finer picture at its own scale";
}

}  // namespace
