// Printing live Qt Widgets forms end to end: what the PDF holds page by page,
// and that the widgets end exactly as they were.
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "printctl/Vellora.h"
#include "qtforms/LiveForm.h"
#include "qtforms/LivePrint.h"
#include "qtforms/QtFormsTestSupport.h"

namespace {

using qtformstest::pageCount;
using qtformstest::pageText;

// An order form made in code, laid out by hand: a title, fields, a group
// box with check boxes, a rule, and notes of `noteLines` numbered lines.
struct OrderForm {
  explicit OrderForm(int noteLines = 5) {
    form.setObjectName("OrderForm");
    form.setWindowTitle("Order");
    form.resize(640, 480);
    title = new QLabel("Customer order", &form);
    title->setGeometry(20, 10, 300, 24);
    customer = new QLineEdit("Ada Lovelace", &form);
    customer->setGeometry(20, 40, 200, 24);
    password = new QLineEdit("secret", &form);
    password->setEchoMode(QLineEdit::Password);
    password->setGeometry(240, 40, 120, 24);
    quantity = new QSpinBox(&form);
    quantity->setRange(0, 1000);
    quantity->setValue(42);
    quantity->setSuffix(" pcs");
    quantity->setGeometry(380, 40, 100, 24);
    options = new QGroupBox("Delivery", &form);
    options->setGeometry(20, 80, 300, 90);
    express = new QCheckBox("Express", options);
    express->setGeometry(10, 25, 120, 24);
    express->setChecked(true);
    insured = new QRadioButton("Insured", options);
    insured->setGeometry(10, 55, 120, 24);
    rule = new QFrame(&form);
    rule->setFrameShape(QFrame::HLine);
    rule->setGeometry(20, 180, 400, 3);
    notes = new QPlainTextEdit(&form);
    notes->setGeometry(20, 200, 400, 120);
    QStringList lines;
    for (int n = 1; n <= noteLines; ++n) lines << QString::fromStdString(testsupport::numberedLine(n));
    notes->setPlainText(lines.join('\n'));
  }

  QWidget form;
  QLabel* title;
  QLineEdit* customer;
  QLineEdit* password;
  QSpinBox* quantity;
  QGroupBox* options;
  QCheckBox* express;
  QRadioButton* insured;
  QFrame* rule;
  QPlainTextEdit* notes;
};

class LivePrintTest : public ::testing::Test {
 protected:
  std::filesystem::path folder = testsupport::makeTempDir("liveprint");
  std::filesystem::path pdf = folder / "form.pdf";
  void TearDown() override { std::filesystem::remove_all(folder); }
};

TEST_F(LivePrintTest, TheFormPrintsWhatItsWidgetsShow) {
  OrderForm order;
  qtforms::LivePrint job(order.form);
  ASSERT_TRUE(job.printToPdf(pdf));
  const std::string text = pageText(pdf, 1);
  EXPECT_NE(text.find("Customer order"), std::string::npos) << text;
  EXPECT_NE(text.find("Ada Lovelace"), std::string::npos);
  EXPECT_NE(text.find("42 pcs"), std::string::npos) << "a spin box prints its text as shown, suffix and all";
  EXPECT_EQ(text.find("secret"), std::string::npos) << "a password prints masked";
  EXPECT_NE(text.find("Delivery"), std::string::npos) << "the group box prints its title";
  EXPECT_NE(text.find("Express"), std::string::npos) << "controls inside the group box print";
  EXPECT_NE(text.find("Insured"), std::string::npos);
  EXPECT_NE(text.find("Line 005"), std::string::npos) << "the notes print";
}

TEST_F(LivePrintTest, LongNotesContinueLineByLineAcrossPagesEachLineOnce) {
  OrderForm order(300);
  qtforms::LivePrint job(order.form);
  job.control().setToPage(0);
  ASSERT_TRUE(job.printToPdf(pdf));
  const int pages = pageCount(pdf);
  ASSERT_GT(pages, 2);
  std::string all;
  for (int page = 1; page <= pages; ++page) all += pageText(pdf, page);
  int previous = -1;
  for (int n = 1; n <= 300; ++n) {
    const std::string line = testsupport::numberedLine(n);
    const std::size_t at = all.find(line);
    ASSERT_NE(at, std::string::npos) << line << " is missing";
    EXPECT_EQ(all.find(line, at + 1), std::string::npos) << line << " printed twice";
    EXPECT_GT(static_cast<long>(at), previous) << line << " out of order";
    previous = static_cast<long>(at);
  }
}

TEST_F(LivePrintTest, HiddenAndNoprintWidgetsStayOffThePage) {
  OrderForm order;
  order.customer->hide();
  order.options->setProperty("tag", "noprint");
  qtforms::LivePrint job(order.form);
  ASSERT_TRUE(job.printToPdf(pdf));
  const std::string text = pageText(pdf, 1);
  EXPECT_EQ(text.find("Ada Lovelace"), std::string::npos);
  EXPECT_EQ(text.find("Express"), std::string::npos) << "a noprint group box leaves its controls out";
  EXPECT_NE(text.find("Customer order"), std::string::npos);
}

TEST_F(LivePrintTest, ATitleSetOnTheControlHeadsEveryPage) {
  OrderForm order(300);
  qtforms::LivePrint job(order.form);
  job.control().set("TopTitle", host::Value("Quarterly orders"));
  job.control().setToPage(0);
  ASSERT_TRUE(job.printToPdf(pdf));
  for (int page = 1; page <= pageCount(pdf); ++page)
    EXPECT_NE(pageText(pdf, page).find("Quarterly orders"), std::string::npos) << "page " << page;
}

TEST_F(LivePrintTest, AFormInALayoutThatWasNeverShownPrintsWhereItsLayoutPutsIt) {
  QWidget form;
  auto* layout = new QVBoxLayout(&form);
  layout->addWidget(new QLabel("First row"));
  layout->addWidget(new QLabel("Second row"));
  layout->addWidget(new QLabel("Third row"));
  ASSERT_FALSE(form.isVisible());
  qtforms::LivePrint job(form);
  ASSERT_TRUE(job.printToPdf(pdf));
  const std::string text = pageText(pdf, 1);
  const std::size_t first = text.find("First row");
  const std::size_t second = text.find("Second row");
  const std::size_t third = text.find("Third row");
  ASSERT_NE(first, std::string::npos) << text;
  ASSERT_NE(third, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  EXPECT_FALSE(form.isVisible()) << "no window appears";
}

TEST_F(LivePrintTest, PrintPreviewAndAStoppedJobLeaveTheWidgetsAsTheyWere) {
  OrderForm order(300);
  order.form.show();
  order.notes->verticalScrollBar()->setValue(40);
  order.customer->setCursorPosition(3);
  const auto before = qtformstest::stateOf(order.form);

  qtforms::LivePrint job(order.form);
  job.control().setToPage(0);
  ASSERT_TRUE(job.printToPdf(pdf));
  EXPECT_EQ(qtformstest::stateOf(order.form), before) << "after a print";

  ASSERT_TRUE(job.preview());
  EXPECT_EQ(qtformstest::stateOf(order.form), before) << "after a preview";

  job.control().events().Page = [&](std::int32_t& page) {
    if (page == 2) job.stopPrint();
  };
  EXPECT_FALSE(job.printToPdf(pdf));
  EXPECT_EQ(qtformstest::stateOf(order.form), before) << "after a stopped job";
}

// The height of the first word box of `word` on page 1, in points.
double wordHeight(const std::filesystem::path& pdf, const std::string& word) {
  const std::string boxes = qtformstest::commandOutput("pdftotext -bbox -f 1 -l 1 '" + pdf.string() + "' -");
  const std::size_t at = boxes.find(">" + word + "<");
  if (at == std::string::npos) return 0;
  const std::size_t start = boxes.rfind("<word", at);
  auto number = [&](const std::string& name) {
    const std::size_t from = boxes.find(name + "=\"", start) + name.size() + 2;
    return std::stod(boxes.substr(from));
  };
  return number("yMax") - number("yMin");
}

TEST_F(LivePrintTest, TheFormScalesWithTheControlsZoom) {
  OrderForm order;
  qtforms::LivePrint job(order.form);
  ASSERT_TRUE(job.printToPdf(pdf));
  const double atDesign = wordHeight(pdf, "Customer");
  ASSERT_GT(atDesign, 0);
  for (const int zoom : {50, 150}) {
    job.control().setZoom(static_cast<std::int16_t>(zoom));
    ASSERT_TRUE(job.printToPdf(pdf));
    EXPECT_NEAR(wordHeight(pdf, "Customer") / atDesign, zoom / 100.0, 0.15) << "zoom " << zoom;
    EXPECT_NE(pageText(pdf, 1).find("Line 005"), std::string::npos) << "zoom " << zoom;
  }
}

TEST_F(LivePrintTest, TheCurrentPrinterIsKeptAfterPrintingToAFile) {
  OrderForm order;
  qtforms::LivePrint job(order.form);
  const auto current = host::printer().device();
  ASSERT_TRUE(job.printToPdf(pdf));
  EXPECT_EQ(host::printer().device(), current);
  EXPECT_TRUE(std::filesystem::exists(pdf));
}

TEST_F(LivePrintTest, TheAdapterReadsTheLiveWidgetNotACopy) {
  OrderForm order;
  auto live = qtforms::LiveForm::adapt(order.form, qtforms::Writes::KeptByAdapter);
  const host::ObjectRef customer = live->adapterOf(*order.customer);
  ASSERT_TRUE(customer);
  EXPECT_EQ(customer->get("Text").toString(), "Ada Lovelace");
  order.customer->setText("Grace Hopper");
  EXPECT_EQ(customer->get("Text").toString(), "Grace Hopper");
  EXPECT_EQ(customer->get("Left").toLong(), 20 * 15);
  EXPECT_EQ(customer->get("Width").toLong(), 200 * 15);
  // Controls in a group box count from the box, as they do in a frame.
  const host::ObjectRef express = live->adapterOf(*order.express);
  ASSERT_TRUE(express);
  EXPECT_EQ(express->get("Container").toObject(), live->adapterOf(*order.options));
  EXPECT_EQ(express->get("Top").toLong(), 25 * 15);
  EXPECT_EQ(express->get("Value").toInteger(), 1);
  // A print job's writes stay on the adapter.
  customer->set("Width", host::Value(std::int32_t{9000}));
  EXPECT_EQ(customer->get("Width").toLong(), 9000);
  EXPECT_EQ(order.customer->width(), 200);
}

TEST_F(LivePrintTest, AWidgetDestroyedDuringAJobIsARunTimeErrorNotACrash) {
  OrderForm order;
  auto live = qtforms::LiveForm::adapt(order.form, qtforms::Writes::KeptByAdapter);
  const host::ObjectRef notes = live->adapterOf(*order.notes);
  delete order.notes;
  EXPECT_EQ(testsupport::errorNumberOf([&] { (void)notes->get("Text"); }), host::err::ObjectVariableNotSet);
}

}  // namespace
