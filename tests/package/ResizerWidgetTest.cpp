// The resizer as a Qt widget on a live form: widgets placed by hand follow
// the form's size, those in a layout keep their place and scale their font,
// and every size gives one layout, the design size the design layout.
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QHeaderView>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "qtforms/QtFormsTestSupport.h"
#include "vellora/PrintControl.h"
#include "vellora/Resizer.h"

namespace {

struct Placed {
  QRect geometry;
  double points = 0;
  friend bool operator==(const Placed&, const Placed&) = default;
};

class ResizerWidgetTest : public ::testing::Test {
 protected:
  ResizerWidgetTest() {
    form.resize(400, 300);
    title = new QLabel("Title", &form);
    title->setGeometry(20, 20, 200, 20);
    field = new QLineEdit("Field", &form);
    field->setGeometry(20, 60, 160, 24);
    fixed = new QLabel("Fixed", &form);
    fixed->setGeometry(250, 20, 100, 20);
    fixed->setProperty("tag", "nosize");
    table = new QTableWidget(5, 3, &form);
    table->setGeometry(20, 100, 300, 150);
    for (int c = 0; c < 3; ++c) table->setColumnWidth(c, 80);
    group = new QGroupBox("In a layout", &form);
    group->setGeometry(200, 60, 180, 40);
    laidOut = new QLineEdit("laid out");
    (new QVBoxLayout(group))->addWidget(laidOut);
    resizer = new vellora::Resizer(&form);
    resizer->setResizing(true);
    form.show();
  }

  // The layout once Qt's layouts have caught up, as the user sees it.
  std::vector<Placed> layout() const {
    QCoreApplication::processEvents();
    std::vector<Placed> placed;
    for (QWidget* widget : {static_cast<QWidget*>(title), static_cast<QWidget*>(field), static_cast<QWidget*>(fixed),
                            static_cast<QWidget*>(table), static_cast<QWidget*>(laidOut)})
      placed.push_back({widget->geometry(), widget->font().pointSizeF()});
    for (int c = 0; c < 3; ++c) placed.push_back({QRect(0, 0, table->columnWidth(c), 0), 0});
    return placed;
  }

  QWidget form;
  QLabel* title;
  QLineEdit* field;
  QLabel* fixed;
  QTableWidget* table;
  QGroupBox* group;
  QLineEdit* laidOut;
  vellora::Resizer* resizer;
};

TEST_F(ResizerWidgetTest, ItIsInvisibleAtRunTimeAndAtWorkOnceTheFormShows) {
  EXPECT_TRUE(resizer->isRunning());
  EXPECT_FALSE(resizer->isVisible());
  EXPECT_EQ(resizer->designScaleWidth(), 400 * 15);
}

TEST_F(ResizerWidgetTest, WidgetsPlacedByHandFollowTheFormsSize) {
  const QRect before = title->geometry();
  const double points = title->font().pointSizeF();
  form.resize(800, 600);
  EXPECT_EQ(title->geometry(), QRect(before.x() * 2, before.y() * 2, before.width() * 2, before.height() * 2));
  EXPECT_NEAR(title->font().pointSizeF(), points * 2, 0.5);
  EXPECT_NEAR(table->columnWidth(0), 160, 1) << "table columns scale with their table";
  EXPECT_EQ(fixed->geometry(), QRect(250, 20, 100, 20)) << "nosize keeps its size";
  EXPECT_NEAR(laidOut->font().pointSizeF(), points * 2, 0.5) << "a widget in a layout scales its font only";
}

TEST_F(ResizerWidgetTest, ASizeGivesOneLayoutWhicheverWayItWasReachedAndTheDesignSizeTheDesignLayout) {
  const std::vector<Placed> design = layout();
  form.resize(600, 450);
  const std::vector<Placed> atSix = layout();
  form.resize(900, 700);
  form.resize(500, 350);
  form.resize(600, 450);
  EXPECT_EQ(layout(), atSix);
  form.resize(400, 300);
  EXPECT_EQ(layout(), design);
}

TEST_F(ResizerWidgetTest, AThousandResizesLeaveNoDrift) {
  const std::vector<Placed> design = layout();
  for (int step = 0; step < 1000; ++step) form.resize(400 + (step * 37) % 500, 300 + (step * 53) % 400);
  form.resize(400, 300);
  EXPECT_EQ(layout(), design);
}

TEST_F(ResizerWidgetTest, APrintWhileResizedPrintsTheDesignLayoutAndPutsTheResizedOneBack) {
  auto* control = new vellora::PrintControl(&form);
  control->move(330, 270);
  const std::filesystem::path folder = testsupport::makeTempDir("resizerprint");
  const QString designPdf = QString::fromStdString((folder / "design.pdf").string());
  const QString resizedPdf = QString::fromStdString((folder / "resized.pdf").string());
  ASSERT_TRUE(control->printToPdf(designPdf));
  form.resize(800, 600);
  const std::vector<Placed> resized = layout();
  ASSERT_TRUE(control->printToPdf(resizedPdf));
  EXPECT_EQ(layout(), resized) << "the form is as the user sized it after the job";
  const std::string bboxDesign = qtformstest::commandOutput("pdftotext -bbox '" + designPdf.toStdString() + "' - | grep '<word'");
  const std::string bboxResized = qtformstest::commandOutput("pdftotext -bbox '" + resizedPdf.toStdString() + "' - | grep '<word'");
  EXPECT_FALSE(bboxDesign.empty());
  EXPECT_EQ(bboxResized, bboxDesign) << "every word where the design layout puts it, in the design font";
  std::filesystem::remove_all(folder);
}

}  // namespace
