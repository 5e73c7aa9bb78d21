// The headless user interface: what tests and scripts rely on to drive jobs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/Ui.h"
#include "host/Window.h"

namespace {

TEST(HeadlessUi, MessageBoxesAreKeptInOrderAndAnsweredOkUnlessToldOtherwise) {
  host::HeadlessUi ui;
  ui.setEchoToStandardError(false);
  EXPECT_EQ(ui.msgBox("Printer Not Ready", host::mb::Critical), host::mbresult::Ok);
  ui.setAnswer(host::mbresult::No);
  EXPECT_EQ(ui.msgBox("Again?", host::mb::YesNo, "Vellora"), host::mbresult::No);

  ASSERT_EQ(ui.messages().size(), 2u);
  EXPECT_EQ(ui.messages()[0].text, "Printer Not Ready");
  EXPECT_EQ(ui.messages()[0].style, 16);
  EXPECT_EQ(ui.messages()[1].title, "Vellora");
}

TEST(HeadlessUi, MessageBoxTextGoesToStandardErrorWhenEchoing) {
  host::HeadlessUi ui;
  testing::internal::CaptureStderr();
  ui.msgBox("Not enough Memory for Complete Preview");
  const std::string written = testing::internal::GetCapturedStderr();
  EXPECT_NE(written.find("Not enough Memory for Complete Preview"), std::string::npos);
}

TEST(HeadlessUi, QueuedActionsRunAfterTheirYieldsHavePassed) {
  host::HeadlessUi ui;
  std::vector<std::string> ran;
  ui.queue([&] { ran.push_back("third yield"); }, 2);
  ui.queue([&] { ran.push_back("first yield"); });

  ui.doEvents();
  EXPECT_EQ(ran, std::vector<std::string>{"first yield"});
  ui.doEvents();
  EXPECT_EQ(ran.size(), 1u);
  ui.doEvents();
  EXPECT_EQ(ran, (std::vector<std::string>{"first yield", "third yield"}));
  EXPECT_EQ(ui.yields(), 3);
}

TEST(HeadlessUi, AnActionQueuedOrYieldingInsideAYieldWaitsItsTurn) {
  host::HeadlessUi ui;
  int outer = 0;
  int inner = 0;
  ui.queue([&] {
    ++outer;
    ui.queue([&] { ++inner; });
    ui.doEvents();  // a handler that yields again runs the newly queued action once
  });
  ui.doEvents();
  EXPECT_EQ(outer, 1);
  EXPECT_EQ(inner, 1);
  ui.doEvents();
  EXPECT_EQ(outer, 1);
  EXPECT_EQ(inner, 1);
}

TEST(HeadlessUi, RunUntilStopsWhenDoneOrWhenNothingIsLeftToRun) {
  host::HeadlessUi ui;
  bool closed = false;
  ui.queue([&] { closed = true; }, 3);
  ui.runUntil([&] { return closed; });
  EXPECT_TRUE(closed);

  // Nothing queued: returns at once rather than waiting for ever.
  const int yieldsBefore = ui.yields();
  ui.runUntil([] { return false; });
  EXPECT_EQ(ui.yields(), yieldsBefore);
}

TEST(HeadlessUi, OnlyEnabledLiveTimersTickWhenStepped) {
  host::HeadlessUi ui;
  int ticksA = 0;
  int ticksB = 0;
  auto timerA = ui.createTimer([&] { ++ticksA; });
  auto timerB = ui.createTimer([&] { ++ticksB; });
  timerA->setInterval(250);
  EXPECT_EQ(timerA->interval(), 250);
  EXPECT_FALSE(timerA->enabled());

  ui.stepTimers();
  EXPECT_EQ(ticksA + ticksB, 0);

  timerA->setEnabled(true);
  timerB->setEnabled(true);
  ui.stepTimers();
  EXPECT_EQ(ticksA, 1);
  EXPECT_EQ(ticksB, 1);

  timerB.reset();
  ui.stepTimers();
  EXPECT_EQ(ticksA, 2);
  EXPECT_EQ(ticksB, 1);
}

TEST(HeadlessUi, ATimerMayEndAnotherOrItselfWhileTicking) {
  host::HeadlessUi ui;
  std::unique_ptr<host::Timer> second;
  int secondTicks = 0;
  std::unique_ptr<host::Timer> first = ui.createTimer([&] {
    second.reset();
    first.reset();
  });
  second = ui.createTimer([&] { ++secondTicks; });
  first->setEnabled(true);
  second->setEnabled(true);
  ui.stepTimers();
  EXPECT_EQ(secondTicks, 0);
  EXPECT_EQ(first, nullptr);
}

TEST(HeadlessUi, ATimerOutlivingItsInterfaceIsHarmless) {
  std::unique_ptr<host::Timer> timer;
  {
    host::HeadlessUi ui;
    timer = ui.createTimer([] {});
  }
  timer->setEnabled(true);
  EXPECT_TRUE(timer->enabled());
  timer.reset();  // must not touch the interface that is gone
}

TEST(HeadlessUi, ScreenDefaultsTo1024By768At15TwipsPerPixel) {
  host::HeadlessUi ui;
  EXPECT_EQ(ui.screen().widthTwips(), 15360);
  EXPECT_EQ(ui.screen().heightTwips(), 11520);
  ui.setScreen({{800, 600}, 15, 15});
  EXPECT_EQ(ui.screen().widthTwips(), 12000);
  // The kit's maximised windows follow the screen.
  auto window = ui.kit().createWindow("W");
  window->setWindowState(host::WindowState::Maximized);
  EXPECT_EQ(window->geometry(), host::Rect::fromXywh(0, 0, 800, 600));
}

TEST(HeadlessUi, ClipboardHoldsOnePictureAndHelpFileIsKept) {
  host::HeadlessUi ui;
  ui.setClipboardPicture(host::Picture::filled({4, 3}, host::Rgb::white));
  EXPECT_EQ(ui.clipboardPicture().size(), (host::Size{4, 3}));
  ui.clearClipboard();
  EXPECT_TRUE(ui.clipboardPicture().isNull());

  ui.setHelpFile("/opt/app/Vellora.hlp");
  EXPECT_EQ(ui.helpFile(), "/opt/app/Vellora.hlp");
  EXPECT_FALSE(ui.hasDisplay());
}

}  // namespace
