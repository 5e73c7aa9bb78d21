// A stop pressed on the progress window's button in the middle of a long
// print job ends the job, discards the document and leaves the form as it was.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestSupport.h"
#include "host/Window.h"
#include "host/model/Control.h"
#include "layout/Interin.h"
#include "layout/PrintJob.h"
#include "preview/Prview.h"
#include "printctl/Vellora.h"

namespace {

struct LongJob : testing::Test {
  testsupport::HeadlessRuntime headless = testsupport::makeHeadless(150);
  std::shared_ptr<host::Form> form = host::Form::create("Ledger");
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();
  int afterPrints = 0;
  int pagesAnnounced = 0;

  void SetUp() override {
    form->set("Width", host::Value(9000.0));
    form->set("Height", host::Value(7000.0));
    form->set("ScaleMode", host::Value(std::int16_t{3}));  // pixels: the walk must give it back
    form->adopt(control);
    control->setWindowFactory({makeProgressWindow, makePreviewWindow});
    control->events().AfterPrint = [this] { ++afterPrints; };
    control->events().Page = [this](std::int32_t&) { ++pagesAnnounced; };
    // Two hundred lines of a ledger, enough for several pages.
    for (int row = 0; row < 200; ++row) {
      auto label = form->addControl("Label", "Line" + std::to_string(row));
      label->set("Caption", host::Value("Entry " + std::to_string(row)));
      label->set("Left", host::Value(300.0));
      label->set("Top", host::Value(300.0 + row * 400.0));
      label->set("Width", host::Value(4000.0));
      label->set("Height", host::Value(300.0));
    }
  }

  // Presses the stop button once the progress window is up, after `yields` yields.
  void pressStopAfter(int yields) {
    headless.ui->queue(
        [this] {
          host::Window* progress = headless.ui->kit().find("Interin");
          ASSERT_NE(progress, nullptr);
          ASSERT_TRUE(progress->isShown()) << "pressed while the window covers the form";
          progress->button("Stoper")->click();
        },
        yields);
  }
};

TEST_F(LongJob, ACompleteRunProducesSeveralPages) {
  // The scenario below only means something when the job is long.
  EXPECT_TRUE(control->LVPrint());
  EXPECT_GE(headless.printer->pages().size(), 3u);
  EXPECT_EQ(afterPrints, 1);
}

TEST_F(LongJob, StopOnTheProgressWindowEndsThePrintWithTheFormRestored) {
  pressStopAfter(4);
  EXPECT_FALSE(control->LVPrint());

  EXPECT_EQ(headless.printer->documentsDelivered(), 0) << "the partial document is discarded";
  EXPECT_EQ(afterPrints, 1);
  EXPECT_FALSE(control->job().StopRequested) << "the job has handled the stop";
  EXPECT_EQ(form->get("ScaleMode").toInteger(), 3);
  EXPECT_TRUE(control->get("Visible").toBool());
  host::Window* progress = headless.ui->kit().find("Interin");
  ASSERT_NE(progress, nullptr);
  EXPECT_FALSE(progress->isShown()) << "the progress window is gone";

  // The next job runs whole again.
  EXPECT_TRUE(control->LVPrint());
  EXPECT_EQ(headless.printer->documentsDelivered(), 1);
}

TEST_F(LongJob, StopEndsAPreviewWithoutShowingTheWindow) {
  pressStopAfter(4);
  EXPECT_FALSE(control->Preview());
  EXPECT_EQ(form->get("ScaleMode").toInteger(), 3);
  host::Window* preview = headless.ui->kit().find("Prview");
  EXPECT_TRUE(preview == nullptr || !preview->isShown());
}

}  // namespace
