// The preview window with the control's own jobs: what its Print button and
// its closing do while the control prints.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "PageCompare.h"
#include "TestSupport.h"
#include "host/PictureImpl.h"
#include "host/QtKit.h"
#include "host/RasterDc.h"
#include "host/Runtime.h"
#include "host/Window.h"
#include "host/model/Control.h"
#include "layout/Interin.h"
#include "layout/PrintJob.h"
#include "preview/Prview.h"
#include "printctl/Vellora.h"

namespace {

struct PreviewJob : testing::Test {
  testsupport::HeadlessRuntime headless = testsupport::makeHeadless(150);
  std::shared_ptr<host::Form> form = host::Form::create("Invoice");
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();
  PrintJob& job = control->job();

  void SetUp() override {
    form->adopt(control);
    control->setWindowFactory({makeProgressWindow, makePreviewWindow});
    auto label = form->addControl("Label", "Total");
    label->set("Caption", host::Value("Total due: 120.00"));
    label->set("Left", host::Value(600.0));
    label->set("Top", host::Value(600.0));
    label->set("Width", host::Value(3000.0));
    label->set("Height", host::Value(300.0));
  }
  host::Window* previewWindow() const { return headless.ui->kit().find("Prview"); }
};

TEST_F(PreviewJob, PrintFromThePreviewStartsOnlyWhenTheControlRepaints) {
  ASSERT_TRUE(control->Preview());
  ASSERT_NE(previewWindow(), nullptr);
  ASSERT_TRUE(previewWindow()->isShown());

  previewWindow()->button("Printbt")->click();
  EXPECT_FALSE(previewWindow()->isShown());
  EXPECT_EQ(headless.printer->documentsDelivered(), 0) << "nothing is printed from inside the window";

  control->Paint();
  EXPECT_EQ(headless.printer->documentsDelivered(), 1);
  control->Paint();
  EXPECT_EQ(headless.printer->documentsDelivered(), 1) << "a second repaint does not print again";
}

TEST_F(PreviewJob, SaveAsPdfPrintsIntoTheFileChosenAndKeepsTheCurrentPrinter) {
  const std::filesystem::path folder = testsupport::makeTempDir("vellora-save-pdf");
  form->set("Caption", host::Value("Invoice 7"));
  ASSERT_TRUE(control->Preview());
  host::Button* save = previewWindow()->button("SavePdf");
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->caption(), "Save as PDF");

  headless.ui->setSaveFileScript(std::filesystem::path());  // the user cancels
  save->click();
  EXPECT_TRUE(previewWindow()->isShown()) << "a cancelled choice leaves the preview open";

  headless.ui->setSaveFileScript(folder / "invoice.pdf");
  save->click();
  EXPECT_FALSE(previewWindow()->isShown());
  control->Paint();
  EXPECT_TRUE(std::filesystem::exists(folder / "invoice.pdf"));
  EXPECT_GT(std::filesystem::file_size(folder / "invoice.pdf"), 500U);
  EXPECT_EQ(headless.printer->documentsDelivered(), 0) << "nothing went to the current printer";
  EXPECT_EQ(host::printer().deviceName(), "Memory") << "which is current again";
  control->Paint();
  EXPECT_EQ(headless.printer->documentsDelivered(), 0) << "a later repaint prints nothing";
  std::filesystem::remove_all(folder);
}

TEST_F(PreviewJob, ClosingThePreviewDuringAPrintKeepsThePagesForThePrint) {
  ASSERT_TRUE(control->Preview());
  ASSERT_FALSE(job.PageStore.empty());
  bool keptDuringPrint = false;
  control->events().Page = [&](std::int32_t&) {
    if (!job.preview->isOpen()) return;
    job.preview->Finir();
    keptDuringPrint = job.PageStore.front()->isReady();
  };
  EXPECT_TRUE(control->LVPrint());
  EXPECT_TRUE(keptDuringPrint);
  EXPECT_FALSE(job.preview->isOpen());
}

TEST_F(PreviewJob, ANewPreviewClosesTheOpenOneAndReleasesItsPages) {
  ASSERT_TRUE(control->Preview());
  OffScreenDC* first = job.PageStore.front().get();
  ASSERT_TRUE(first->isReady());
  bool releasedBeforeTheWalk = false;
  control->events().BeforePrint = [&](bool&, std::int16_t&) {};
  control->events().Page = [&](std::int32_t& number) {
    if (number == 1 && !job.PageStore.empty() && job.PageStore.front().get() == first) {
      releasedBeforeTheWalk = !first->isReady();
    }
  };
  ASSERT_TRUE(control->Preview());
  EXPECT_TRUE(releasedBeforeTheWalk);
  EXPECT_TRUE(previewWindow()->isShown());
  EXPECT_TRUE(job.PageStore.front()->isReady());
}

// The path of "vellora preview --window": the user presses Print on the real
// window, the window closes, the event loop returns, and the control's next
// repaint prints the form.
TEST_F(PreviewJob, OnQtWidgetsPressingPrintClosesTheWindowAndThenPrints) {
  host::Runtime onScreen(host::makeQtUi(), {headless.printer});
  ASSERT_TRUE(control->Preview());
  host::Window* window = host::ui().kit().find("Prview");
  ASSERT_NE(window, nullptr);
  QWidget* shown = host::qtWidgetOf(*window);
  ASSERT_NE(shown, nullptr);
  QPushButton* print = nullptr;
  for (QPushButton* button : shown->findChildren<QPushButton*>()) {
    if (button->text() == "Print") print = button;
  }
  ASSERT_NE(print, nullptr);

  print->click();
  host::ui().runUntil([&] { return !job.preview->isOpen(); });
  EXPECT_FALSE(shown->isVisible());
  EXPECT_EQ(headless.printer->documentsDelivered(), 0) << "nothing is printed from inside the window";
  control->Paint();
  EXPECT_EQ(headless.printer->documentsDelivered(), 1);
  EXPECT_FALSE(headless.printer->pages().empty());
}

// ---------------------------------------------------------------- as printed

// Rows of different lengths: each page has a shape of its own.
std::string rowsOfManyLengths(int count) {
  std::string text;
  for (int row = 1; row <= count; ++row) {
    if (row > 1) text += "\r\n";
    text += "Row " + std::to_string(row) + " " + std::string((static_cast<unsigned>(row) * 2654435761U >> 20) % 2 == 0 ? 45U : 1U, 'M');
  }
  return text;
}

TEST_F(PreviewJob, AsPrintedTheWindowShowsThePagesThePrintProducesAndPrintsNothing) {
  auto box = form->addControl("TextBox", "Notes");
  box->set("MultiLine", host::Value(true));
  box->set("Text", host::Value(rowsOfManyLengths(260)));
  box->set("Left", host::Value(600.0));
  box->set("Top", host::Value(1200.0));
  box->set("Width", host::Value(9500.0));
  box->set("Height", host::Value(2000.0));
  control->setPreviewAsPrinted(true);
  control->setShowPrinterAlways(true);
  std::vector<std::int16_t> modes;
  control->events().BeforePrint = [&](bool&, std::int16_t& mode) { modes.push_back(mode); };

  ASSERT_TRUE(control->Preview());
  EXPECT_EQ(headless.printer->documentsDelivered(), 0) << "a preview reaches no printer";
  EXPECT_TRUE(headless.ui->printDialogs().empty()) << "and asks for none";
  EXPECT_EQ(modes, std::vector<std::int16_t>{0}) << "the form is told of a preview";
  ASSERT_NE(previewWindow(), nullptr);
  EXPECT_EQ(previewWindow()->textLabel("Shows")->text(), "As printed on Memory");
  const std::size_t previewed = job.PageStore.size();
  ASSERT_GT(previewed, 2U);
  std::vector<host::Picture> shown;
  for (const auto& page : job.PageStore) shown.push_back(page->dc()->picture());
  EXPECT_EQ(previewWindow()->textLabel("PageOf")->text(), "Page 1 of " + std::to_string(previewed));

  previewWindow()->button("Closebtn")->click();
  ASSERT_TRUE(control->LVPrint());
  const std::vector<host::Picture>& printed = headless.printer->pages();
  ASSERT_EQ(printed.size(), previewed) << "page for page what Print produces";
  const host::Size size = shown.front().size();
  const auto difference = [&](std::size_t printedPage, std::size_t shownPage) {
    return testsupport::pageDifference(host::imageOf(printed[printedPage]), host::imageOf(shown[shownPage]),
                                       size.width, size.height, 8);
  };
  // Drawn at the screen's resolution glyphs and rules come out a little apart
  // from the printed ones; a page moved by a break differs by whole lines.
  for (std::size_t i = 0; i < previewed; ++i) {
    const double same = difference(i, i);
    EXPECT_LT(same, 3.5) << "page " << i + 1;
    if (i + 1 < previewed) {
      EXPECT_GT(difference(i, i + 1), 1.5 * same) << "pages " << i + 1 << " and " << i + 2;
    }
  }

  // The ordinary preview lays its pages out for the screen again.
  control->setPreviewAsPrinted(false);
  ASSERT_TRUE(control->Preview());
  EXPECT_EQ(previewWindow()->textLabel("Shows")->text(), "Preview on screen");
}

}  // namespace
