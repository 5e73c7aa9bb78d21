// The progress window over the host form, driven through the headless kit.
#include <gtest/gtest.h>

#include <memory>

#include "TestSupport.h"
#include "host/RasterDc.h"
#include "host/Window.h"
#include "host/model/Control.h"
#include "layout/Interin.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"

namespace {

using host::Rect;

struct ProgressWindow : testing::Test {
  testsupport::HeadlessRuntime headless = testsupport::makeHeadless();
  std::shared_ptr<host::Form> form = host::Form::create("Orders");
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();
  PrintJob& job = control->job();
  std::unique_ptr<Interin> progress;

  void SetUp() override {
    form->set("Caption", host::Value("Orders of the week"));
    form->set("Left", host::Value(1500.0));
    form->set("Top", host::Value(900.0));
    form->set("Width", host::Value(9000.0));
    form->set("Height", host::Value(6000.0));
    form->set("BackColor", host::Value(std::int32_t{0x00FFFF}));  // yellow, to be seen in the snapshot
    form->adopt(control);
    auto label = form->addControl("Label", "Title");
    label->set("Caption", host::Value("Weekly orders"));
    label->set("Left", host::Value(300.0));
    label->set("Top", host::Value(300.0));
    label->set("Width", host::Value(3000.0));
    label->set("Height", host::Value(600.0));
    job.HostForm = form;
  }
  void makeWindow() { progress = std::make_unique<Interin>(job); }
  host::Window& window() { return *progress->window(); }
  host::Button& stoper() { return *progress->Stoper(); }
};

TEST_F(ProgressWindow, CoversTheHostFormWithItsSnapshotAndAThirdWideStopButton) {
  makeWindow();
  progress->CoverFormWithProgress();
  ASSERT_TRUE(window().isShown());
  EXPECT_EQ(window().caption(), "Orders of the week");
  // Left 1500, Top 900, Width 9000, Height 6000 + 18 twips at 15 twips per pixel.
  EXPECT_EQ(window().geometry(), Rect::fromXywh(100, 60, 600, 401));
  EXPECT_TRUE(stoper().visible());
  EXPECT_EQ(stoper().width(), 200);
  EXPECT_EQ(stoper().left(), window().clientSize().width / 2 - 100);

  const host::Picture snapshot = form->snapshot();
  ASSERT_FALSE(snapshot.isNull());
  const host::RasterDc* picture = window().existingCanvas();
  ASSERT_NE(picture, nullptr);
  int compared = 0;
  for (int y = 0; y < snapshot.height(); y += 7) {
    for (int x = 0; x < snapshot.width(); x += 7) {
      ASSERT_EQ(picture->pixel(x, y + 18), snapshot.pixel(x, y)) << "at " << x << "," << y;
      ++compared;
    }
  }
  EXPECT_GT(compared, 100);
}

TEST_F(ProgressWindow, HideStopBtnCoversTheFormWithoutAStopButton) {
  job.HideStopBtn = true;
  makeWindow();
  EXPECT_FALSE(stoper().visible());
  progress->CoverFormWithProgress();
  EXPECT_TRUE(window().isShown());
  EXPECT_FALSE(stoper().visible());
  EXPECT_EQ(stoper().width(), Interin::DesignStoperWidth / 15) << "not sized when hidden";
  ASSERT_NE(window().existingCanvas(), nullptr);
  EXPECT_EQ(window().existingCanvas()->pixel(200, 300), form->snapshot().pixel(200, 282));

  stoper().click();  // nobody can press a hidden button
  EXPECT_FALSE(job.StopRequested);
  control->StopPrint();  // the public method still stops
  EXPECT_TRUE(job.StopRequested);
}

TEST_F(ProgressWindow, TheStopButtonOnlyRequestsAStopAndPressingTwiceIsTheSame) {
  makeWindow();
  progress->CoverFormWithProgress();
  stoper().click();
  EXPECT_TRUE(job.StopRequested);
  stoper().click();
  EXPECT_TRUE(job.StopRequested);
  EXPECT_TRUE(progress->isOpen()) << "the job closes the window, not the button";
}

TEST_F(ProgressWindow, ResizingKeepsTheButtonCentredNearAThirdOfTheHeight) {
  makeWindow();
  const int buttonWidth = stoper().width();
  const int buttonHeight = stoper().height();
  window().setGeometry(Rect::fromXywh(0, 0, 900, 600));
  EXPECT_EQ(stoper().left(), 450 - buttonWidth / 2);
  EXPECT_EQ(stoper().top(), (600 - (buttonHeight + 20)) / 3);
  EXPECT_EQ(stoper().width(), buttonWidth) << "its size stays";
  window().setGeometry(Rect::fromXywh(0, 0, 300, 1200));
  EXPECT_EQ(stoper().left(), 150 - buttonWidth / 2);
  EXPECT_EQ(stoper().top(), (1200 - (buttonHeight + 20)) / 3);
}

TEST_F(ProgressWindow, AChildOfAMultipleDocumentFormKeepsTheDesignButton) {
  auto parent = host::Form::create("Main", true);
  parent->set("Caption", host::Value("Order desk"));
  parent->set("Left", host::Value(600.0));
  parent->set("Top", host::Value(300.0));
  auto child = host::Form::create("Orders");
  child->set("MDIChild", host::Value(true));
  child->set("Width", host::Value(6000.0));
  child->set("Height", host::Value(4500.0));
  parent->addChild(child);
  auto onParent = std::make_shared<Vellora>();
  parent->adopt(onParent);
  onParent->job().HostForm = child;

  Interin cover(onParent->job());
  cover.CoverFormWithProgress();
  host::Window& shown = *cover.window();
  const host::Button& button = *cover.Stoper();
  EXPECT_EQ(shown.caption(), "Order desk");
  EXPECT_EQ(button.width(), Interin::DesignStoperWidth / 15);
  EXPECT_EQ(shown.width(), 400);
  EXPECT_EQ(shown.height(), 301);
  EXPECT_EQ(shown.geometry().top, 40) << "below the parent's caption and menu";
  EXPECT_EQ(button.left(), 200 - button.width() / 2) << "centred by the window's resize alone";
}

TEST_F(ProgressWindow, CaptionAndColourOfTheStopButtonAreKept) {
  makeWindow();
  progress->setStopCaption("Click to Stop\n\nPage .... 1\n");
  progress->setStopForeColor(host::Rgb::white);
  EXPECT_EQ(stoper().caption(), "Click to Stop\n\nPage .... 1\n");
  EXPECT_EQ(progress->stopCaption(), "Click to Stop\n\nPage .... 1\n");
  EXPECT_EQ(stoper().foreColor(), host::Rgb::white);
  EXPECT_EQ(progress->stopForeColor(), host::Rgb::white);
}

TEST_F(ProgressWindow, FinitoUnloadsAndTheNextCoverLoadsAgain) {
  makeWindow();
  progress->CoverFormWithProgress();
  progress->setStopCaption("first job");
  progress->Finito();
  EXPECT_FALSE(progress->isOpen());
  EXPECT_FALSE(window().isShown());
  progress->Finito();  // nothing more
  EXPECT_FALSE(progress->isOpen());

  progress->CoverFormWithProgress();
  EXPECT_TRUE(progress->isOpen());
  EXPECT_TRUE(window().isShown());
  EXPECT_EQ(stoper().caption(), "first job") << "the caption lives on until the job sets another";
}

TEST_F(ProgressWindow, AHostWithoutAPictureIsStillCovered) {
  // Not a form: it has a place but no picture to take; the cover goes on without one.
  const host::ObjectRef label = host::createBuiltInControl("Label");
  job.HostForm = label;
  job.HostForm->set("Left", host::Value(750.0));
  job.HostForm->set("Width", host::Value(3000.0));
  job.HostForm->set("Height", host::Value(1500.0));
  makeWindow();
  progress->CoverFormWithProgress();
  EXPECT_TRUE(window().isShown());
  EXPECT_EQ(window().caption(), "Orders of the week");
  EXPECT_EQ(window().geometry(), Rect::fromXywh(50, 0, 200, 101));
}

}  // namespace
