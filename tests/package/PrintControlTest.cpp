// The print control as a Qt widget on a live form: its settings as Qt
// properties, its face, its signals, and the jobs it runs.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QThread>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/Runtime.h"
#include "host/Ui.h"
#include "host/Window.h"
#include "qtforms/QtFormsTestSupport.h"
#include "vellora/PrintControl.h"

namespace {

using qtformstest::pageCount;
using qtformstest::pageText;

class PrintControlTest : public ::testing::Test {
 protected:
  PrintControlTest() {
    form.resize(500, 400);
    auto* label = new QLabel("Shipping note", &form);
    label->setGeometry(20, 50, 200, 20);
    notes = new QPlainTextEdit(&form);
    notes->setGeometry(20, 80, 300, 100);
    QStringList lines;
    for (int n = 1; n <= 200; ++n) lines << QString::fromStdString(testsupport::numberedLine(n));
    notes->setPlainText(lines.join('\n'));
    control = new vellora::PrintControl(&form);
    control->move(400, 10);
  }
  ~PrintControlTest() override { std::filesystem::remove_all(folder); }

  QWidget form;
  QPlainTextEdit* notes;
  vellora::PrintControl* control;
  std::filesystem::path folder = testsupport::makeTempDir("printcontrol");
  QString pdf = QString::fromStdString((folder / "form.pdf").string());
};

TEST_F(PrintControlTest, SettingsAreQtPropertiesWithTheControlsOwnChecks) {
  EXPECT_EQ(control->property("toPage").toInt(), 100);
  EXPECT_EQ(control->property("topTitle").toString(), " ");
  EXPECT_TRUE(control->setProperty("topTitle", "Deliveries"));
  EXPECT_EQ(control->topTitle(), "Deliveries");
  EXPECT_TRUE(control->setProperty("fromPage", 3));
  EXPECT_EQ(control->fromPage(), 3);
  // A FromPage after ToPage is refused with the control's message, the value kept.
  control->setProperty("toPage", 5);
  const std::size_t messages = host::ui().messages().size();
  control->setProperty("fromPage", 7);
  EXPECT_EQ(control->fromPage(), 3);
  ASSERT_EQ(host::ui().messages().size(), messages + 1);
  EXPECT_EQ(host::ui().messages().back().text, "FromPage must be smaller or equal to ToPage");
  // A zoom outside 26 to 249 is ignored.
  control->setProperty("zoom", 300);
  EXPECT_EQ(control->zoom(), 100);
  control->setProperty("prevBkColor", QColor(10, 20, 30));
  EXPECT_EQ(control->prevBkColor(), QColor(10, 20, 30));
  QFont titles("Liberation Serif", 12);
  titles.setBold(true);
  control->setTitlesFont(titles);
  EXPECT_EQ(control->titlesFont().family(), "Liberation Serif");
  EXPECT_TRUE(control->titlesFont().bold());
}

TEST_F(PrintControlTest, TheFaceShowsBothButtonsOrThePrintButtonAlone) {
  EXPECT_EQ(control->sizeHint(), QSize(48, 25));
  const QImage both = control->grab().toImage();
  control->setPreviewBtnEnabled(false);
  EXPECT_EQ(control->sizeHint(), QSize(24, 25));
  EXPECT_EQ(control->size(), QSize(24, 25));
  const QImage printAlone = control->grab().toImage();
  // Each face holds pictures, not one flat colour.
  auto colours = [](const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) seen.insert(image.pixel(x, y));
    return seen.size();
  };
  EXPECT_GT(colours(both), 4);
  EXPECT_GT(colours(printAlone), 4);
}

TEST_F(PrintControlTest, PrintToPdfRunsTheJobAndRaisesTheSignalsInOrder) {
  QStringList events;
  QObject::connect(control, &vellora::PrintControl::beforePrint,
                   [&](bool*, int mode) { events << QString("before %1").arg(mode); });
  QObject::connect(control, &vellora::PrintControl::page, [&](int page) { events << QString("page %1").arg(page); });
  QObject::connect(control, &vellora::PrintControl::afterPrint, [&] { events << "after"; });
  control->setToPage(0);
  ASSERT_TRUE(control->printToPdf(pdf));
  const int pages = pageCount(pdf.toStdString());
  ASSERT_GE(pages, 2);
  ASSERT_EQ(events.size(), pages + 2) << events.join(", ").toStdString();
  EXPECT_EQ(events.front(), "before 1");
  for (int page = 1; page <= pages; ++page) EXPECT_EQ(events[page], QString("page %1").arg(page));
  EXPECT_EQ(events.back(), "after");
  EXPECT_NE(pageText(pdf.toStdString(), 1).find("Shipping note"), std::string::npos);
  EXPECT_EQ(pageText(pdf.toStdString(), 1).find("Preview"), std::string::npos) << "the control does not print itself";
}

TEST_F(PrintControlTest, ACancelInBeforePrintStopsTheJob) {
  QObject::connect(control, &vellora::PrintControl::beforePrint, [](bool* cancel, int) { *cancel = true; });
  bool after = false;
  QObject::connect(control, &vellora::PrintControl::afterPrint, [&] { after = true; });
  EXPECT_FALSE(control->printToPdf(pdf));
  EXPECT_FALSE(after);
}

TEST_F(PrintControlTest, StopPrintFromAPageSignalEndsTheJobAndLeavesNoDocument) {
  control->setToPage(0);
  QObject::connect(control, &vellora::PrintControl::page, [&](int page) {
    if (page == 2) control->stopPrint();
  });
  int afterPrints = 0;
  QObject::connect(control, &vellora::PrintControl::afterPrint, [&] { ++afterPrints; });
  EXPECT_FALSE(control->printToPdf(pdf));
  EXPECT_EQ(afterPrints, 1);
  EXPECT_FALSE(std::filesystem::exists(pdf.toStdString()));
  EXPECT_FALSE(control->isPrinting());
}

TEST_F(PrintControlTest, SaveAsPdfInThePreviewPrintsTheLiveFormIntoTheFileChosen) {
  ASSERT_TRUE(control->preview());
  host::Window* preview = host::ui().kit().find("Prview");
  ASSERT_NE(preview, nullptr);
  ASSERT_NE(preview->button("SavePdf"), nullptr);
  host::ui().setSaveFileScript(folder / "saved.pdf");
  preview->button("SavePdf")->click();
  host::ui().setSaveFileScript(std::nullopt);
  // The control looks for the print asked of its preview on a timer.
  QElapsedTimer waited;
  waited.start();
  while (!std::filesystem::exists(folder / "saved.pdf") && waited.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QThread::msleep(10);
  }
  ASSERT_TRUE(std::filesystem::exists(folder / "saved.pdf")) << "printed once the window had gone";
  EXPECT_GE(pageCount(folder / "saved.pdf"), 2);
  EXPECT_NE(pageText(folder / "saved.pdf", 1).find("Shipping note"), std::string::npos);
}

TEST_F(PrintControlTest, TheButtonsRunTheJobsOnTheFormAsItIsNow) {
  int previews = 0;
  QObject::connect(control, &vellora::PrintControl::beforePrint, [&](bool* cancel, int mode) {
    if (mode == 0) ++previews;
    *cancel = true;  // nothing to print here: the job starting is what counts
  });
  QMouseEvent click(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(control, &click);
  EXPECT_EQ(previews, 1) << "the left button previews";
}

}  // namespace
