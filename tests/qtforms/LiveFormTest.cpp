// The live form adapter: which widgets a form's Controls hold, where they
// lie, and what prints of containers (tabs, scroll areas, multiple-document
// areas).
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "printctl/Vellora.h"
#include "qtforms/LiveForm.h"
#include "qtforms/LivePrint.h"
#include "qtforms/QtFormsTestSupport.h"

namespace {

using qtforms::LiveForm;
using qtforms::Writes;
using qtformstest::pageCount;
using qtformstest::pageText;

QLabel* labelAt(QWidget& parent, const QString& text, int x, int y) {
  auto* label = new QLabel(text, &parent);
  label->setGeometry(x, y, 160, 20);
  return label;
}

std::string printedText(QWidget& form) {
  const std::filesystem::path folder = testsupport::makeTempDir("liveform");
  const std::filesystem::path pdf = folder / "form.pdf";
  qtforms::LivePrint job(form);
  job.control().setToPage(0);
  std::string text;
  if (job.printToPdf(pdf)) {
    for (int page = 1; page <= pageCount(pdf); ++page) text += pageText(pdf, page);
  }
  std::filesystem::remove_all(folder);
  return text;
}

TEST(LiveForm, ControlsAreListedInCreationOrderWithNamesUniqueOnTheForm) {
  QWidget form;
  form.setObjectName("Orders");
  labelAt(form, "one", 0, 0)->setObjectName("First");
  labelAt(form, "two", 0, 30);
  labelAt(form, "three", 0, 60);
  auto* button = new QPushButton("OK", &form);
  auto live = LiveForm::adapt(form, Writes::KeptByAdapter);
  ASSERT_EQ(live->controls().size(), 4u);
  EXPECT_EQ(live->controls()[0]->get("Name").toString(), "First");
  EXPECT_EQ(live->controls()[1]->get("Name").toString(), "Label1");
  EXPECT_EQ(live->controls()[2]->get("Name").toString(), "Label2");
  EXPECT_EQ(live->adapterOf(*button)->kind(), host::Kind::CommandButton) << "buttons are controls that never print";
  EXPECT_EQ(live->get("Name").toString(), "Orders");
  EXPECT_EQ(live->get("Controls").toObject()->get("Count").toLong(), 4);
  EXPECT_EQ(live->get("Controls").toObject()->get("Item", {host::Value("first")}).toObject(), live->controls()[0]);
}

TEST(LiveForm, TheFormsScaleModeIsTheAdaptersOwnAndItsSizeFollowsIt) {
  QWidget form;
  form.resize(300, 200);
  auto live = LiveForm::adapt(form, Writes::KeptByAdapter);
  EXPECT_DOUBLE_EQ(live->get("ScaleWidth").toDouble(), 4500);
  live->set("ScaleMode", host::Value(std::int16_t{3}));
  EXPECT_DOUBLE_EQ(live->get("ScaleWidth").toDouble(), 300);
  EXPECT_DOUBLE_EQ(live->get("ScaleHeight").toDouble(), 200);
  // A print job never moves or sizes the form.
  live->set("Width", host::Value(std::int32_t{9000}));
  EXPECT_EQ(form.width(), 300);
}

TEST(LiveForm, OnlyTheCurrentTabsControlsPrint) {
  QWidget form;
  form.resize(400, 300);
  auto* tabs = new QTabWidget(&form);
  tabs->setGeometry(10, 10, 380, 280);
  auto* first = new QWidget;
  labelAt(*first, "On the first tab", 10, 10);
  auto* second = new QWidget;
  labelAt(*second, "On the second tab", 10, 10);
  tabs->addTab(first, "First");
  tabs->addTab(second, "Second");
  tabs->setCurrentIndex(1);
  form.show();
  const std::string text = printedText(form);
  EXPECT_NE(text.find("On the second tab"), std::string::npos) << text;
  EXPECT_EQ(text.find("On the first tab"), std::string::npos);
  EXPECT_EQ(tabs->currentIndex(), 1);
}

TEST(LiveForm, AScrollAreaPrintsItsWholeContentNotOnlyWhatIsScrolledIntoView) {
  QWidget form;
  form.resize(300, 200);
  auto* area = new QScrollArea(&form);
  area->setGeometry(0, 0, 300, 200);
  auto* content = new QWidget;
  content->resize(280, 3000);
  for (int row = 0; row < 100; ++row) labelAt(*content, QString("Entry %1").arg(row, 3, 10, QChar('0')), 10, row * 30);
  area->setWidget(content);
  form.show();
  area->verticalScrollBar()->setValue(1500);
  auto live = LiveForm::adapt(form, Writes::KeptByAdapter);
  const host::ObjectRef firstEntry = live->adapterOf(*content->findChildren<QLabel*>().front());
  ASSERT_TRUE(firstEntry);
  EXPECT_EQ(firstEntry->get("Top").toLong(), area->viewport()->y() * 15) << "placed as if not scrolled";

  const std::string text = printedText(form);
  std::size_t previous = 0;
  for (int row = 0; row < 100; ++row) {
    const std::string entry = QString("Entry %1").arg(row, 3, 10, QChar('0')).toStdString();
    const std::size_t at = text.find(entry);
    ASSERT_NE(at, std::string::npos) << entry;
    EXPECT_GE(at, previous) << entry << " out of order";
    previous = at;
  }
  EXPECT_EQ(area->verticalScrollBar()->value(), 1500) << "the view stays scrolled where the user left it";
}

TEST(LiveForm, AMultipleDocumentFormPrintsItsActiveChild) {
  QWidget frame;
  frame.resize(600, 400);
  auto* area = new QMdiArea(&frame);
  area->setGeometry(0, 0, 600, 400);
  auto* invoices = new QWidget;
  labelAt(*invoices, "Invoice list", 10, 10);
  auto* customers = new QWidget;
  labelAt(*customers, "Customer list", 10, 10);
  area->addSubWindow(invoices)->resize(300, 200);
  QMdiSubWindow* active = area->addSubWindow(customers);
  active->resize(300, 200);
  frame.show();
  area->setActiveSubWindow(active);

  auto live = LiveForm::adapt(frame, Writes::KeptByAdapter);
  EXPECT_EQ(live->typeName(), "MDIForm");
  const host::ObjectRef child = live->get("ActiveForm").toObject();
  EXPECT_TRUE(child->get("MDIChild").toBool());
  const std::string text = printedText(frame);
  EXPECT_NE(text.find("Customer list"), std::string::npos) << text;
  EXPECT_EQ(text.find("Invoice list"), std::string::npos);
}

TEST(LiveForm, TheResizersWritesReachTheWidgetsPlacedByHandAndOnlyTheFontsOfThoseInALayout) {
  QWidget form;
  form.resize(400, 300);
  QLabel* byHand = labelAt(form, "by hand", 20, 30);
  auto* group = new QGroupBox("Laid out", &form);
  group->setGeometry(20, 100, 200, 100);
  auto* layout = new QVBoxLayout(group);
  auto* inLayout = new QLineEdit("in a layout");
  layout->addWidget(inLayout);
  form.show();
  const QRect laidOut = inLayout->geometry();

  auto live = LiveForm::adapt(form, Writes::ToWidgets);
  const host::ObjectRef hand = live->adapterOf(*byHand);
  hand->set("Left", host::Value(std::int32_t{600}));
  hand->set("Width", host::Value(std::int32_t{3000}));
  EXPECT_EQ(byHand->geometry(), QRect(40, 30, 200, 20));
  const host::ObjectRef managed = live->adapterOf(*inLayout);
  managed->set("Left", host::Value(std::int32_t{1500}));
  managed->set("Width", host::Value(std::int32_t{600}));
  EXPECT_EQ(inLayout->geometry(), laidOut) << "a widget in a layout is left to its layout";
  host::getObject(*managed, "Font")->set("Size", host::Value(14.0));
  EXPECT_NEAR(inLayout->font().pointSizeF(), 14, 0.3) << "its font is scaled";
}

}  // namespace
