// A live chart copied far larger than any screen, as a print job may size it:
// the copy has the size asked for, in bounded memory, and shows the chart.
#include <QWidget>
#include <QtCharts/QChartView>
#include <gtest/gtest.h>

#include "BarChartView.h"
#include "TestSupport.h"
#include "host/Runtime.h"
#include "host/Ui.h"
#include "qtforms/LiveForm.h"

namespace {

TEST(HugeLiveChart, ACopyOfAChartFarLargerThanAScreenIsDrawnAtItsSizeInBoundedMemory) {
  testsupport::HeadlessRuntime env = testsupport::makeHeadless(600);
  QWidget form;
  form.resize(500, 400);
  QChartView* view = qtformstest::addRedBarChart(form);

  auto live = qtforms::LiveForm::adapt(form, qtforms::Writes::KeptByAdapter);
  const host::ObjectRef control = live->adapterOf(*view);
  ASSERT_TRUE(control);
  // 2,000,000 twips each way: 133,333 pixels, 71 GB at a pixel each; the
  // copy once came out as no picture at all.
  control->set("Width", 2000000);
  control->set("Height", 2000000);
  control->call("EditCopy");
  const host::Picture copy = host::ui().clipboardPicture();
  ASSERT_FALSE(copy.isNull());
  EXPECT_EQ(copy.size(), (host::Size{133333, 133333}));
  EXPECT_LE(copy.byteCount(), std::size_t{100} << 20);
  int red = 0;
  for (int y = 0; y < copy.height(); y += 1000)
    for (int x = 0; x < copy.width(); x += 1000) {
      const host::Rgb pixel = copy.pixel(x, y);
      red += pixel.red > 200 && pixel.green < 60 && pixel.blue < 60 ? 1 : 0;
    }
  EXPECT_GT(red, 500) << "the bars fill much of the chart";
  EXPECT_EQ(view->size(), QSize(300, 200));
}

}  // namespace
