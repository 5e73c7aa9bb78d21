// The preview window with the control's own jobs: what its Print button and
// its closing do while the control prints.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QWidget>
#include <memory>

#include "TestSupport.h"
#include "host/QtKit.h"
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

}  // namespace
