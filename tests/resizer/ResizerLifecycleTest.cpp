// The resizer at run time: the screen check when it is shown, the poll that
// follows the form's client size, and the Zoom and Resize lets.
#include <gtest/gtest.h>

#include <vector>

#include "ResizerTestSupport.h"

namespace {

using host::Value;
using resizertest::ResizerRig;

double left(const host::ObjectRef& control) { return control->get("Left").toDouble(); }
double width(const host::ObjectRef& control) { return control->get("Width").toDouble(); }

TEST(ResizerShow, OnTheDesignScreenTheFormComesBackToItsRecordedPlaceAndSize) {
  ResizerRig rig;
  int adapted = 0;
  rig.resizer->events().Adapt = [&] { ++adapted; };
  rig.form->call("Move", {Value(0.0), Value(0.0), Value(3000.0), Value(2000.0)});
  rig.show({1024, 768}, false);

  EXPECT_EQ(rig.form->get("Left").toLong(), 600);
  EXPECT_EQ(rig.form->get("Top").toLong(), 900);
  EXPECT_EQ(rig.form->get("Width").toLong(), 9000 + host::Form::FrameAllowanceX);
  EXPECT_EQ(rig.form->get("Height").toLong(), 6000 + host::Form::FrameAllowanceY);
  EXPECT_EQ(adapted, 1);
  EXPECT_TRUE(rig.resizer->ready());
  EXPECT_FALSE(rig.resizer->get("Visible").toBool()) << "the resizer is invisible at run time";
  EXPECT_EQ(rig.resizer->props().Factor, 1.0);
  EXPECT_TRUE(rig.resizer->records().empty()) << "nothing is captured until the first pass";
}

TEST(ResizerShow, ALargerScreenAdaptsTheFormAndItsControlsToOneLayoutForThatSize) {
  ResizerRig rig;
  rig.form->set("BorderStyle", Value(std::int16_t{0}));  // the client area is the whole form
  rig.form->setClientSize(9000, 6000);
  rig.resizer->InitProperties();
  auto label = rig.add("Label", "Label1", 300, 450, 1200, 300);
  host::getObject(*label, "Font")->set("Size", Value(12.0));
  int passes = 0;
  rig.resizer->events().Zoom = [&] { ++passes; };
  rig.show({1280, 1024}, true);

  const GauxelProperties shown = rig.resizer->props();
  EXPECT_DOUBLE_EQ(shown.Factor, 1.25);
  EXPECT_NEAR(shown.FactorH, 1.333, 0.001);
  EXPECT_EQ(rig.form->get("Width").toLong(), 11250);
  EXPECT_EQ(rig.form->get("Height").toLong(), 8000);
  EXPECT_EQ(rig.form->get("Left").toLong(), 750);
  EXPECT_EQ(rig.form->get("Top").toLong(), 1200);
  EXPECT_EQ(passes, 3) << "at the screen's width, at 100, then at the form's new client size";
  const auto layout = [&] {
    return std::vector<double>{left(label), width(label), label->get("Top").toDouble(),
                               label->get("Height").toDouble(),
                               host::getObject(*label, "Font")->get("Size").toDouble()};
  };
  const std::vector<double> opened = layout();
  EXPECT_DOUBLE_EQ(opened[0], 300 * 1.25) << "the controls grow with the form";
  EXPECT_NEAR(opened[2], 450 * shown.FactorH, 0.01);
  EXPECT_DOUBLE_EQ(opened[4], 12 * 1.25) << "fonts at the smaller ratio";

  rig.runtime.ui->stepTimers();
  EXPECT_EQ(passes, 3) << "a poll that sees the size it started with does nothing";
  rig.dragTo(11250 * 1.2, 8000);
  EXPECT_EQ(passes, 4);
  EXPECT_DOUBLE_EQ(rig.resizer->ratios().RatioW, 1.2 * 1.25);
  EXPECT_DOUBLE_EQ(left(label), 300 * 1.5);
  rig.dragTo(11250, 8000);
  EXPECT_EQ(layout(), opened) << "the size it opened at shows the layout it opened with";
}

TEST(ResizerShow, AScreenOfTheDesignWidthButAnotherHeightStillScalesTheControls) {
  ResizerRig rig;
  rig.form->set("BorderStyle", Value(std::int16_t{0}));
  rig.form->setClientSize(9000, 6000);
  rig.resizer->InitProperties();
  auto label = rig.add("Label", "Label1", 300, 450, 1200, 300);
  rig.show({1024, 1024}, true);
  EXPECT_DOUBLE_EQ(left(label), 300) << "the width is the design width";
  EXPECT_NEAR(label->get("Top").toDouble(), 450 * 1024.0 / 768, 0.01);
}

TEST(ResizerShow, WithResizeFalseNothingFollowsUntilResizeIsSwitchedOn) {
  ResizerRig rig;
  auto label = rig.add("Label", "Label1", 300, 450, 1200, 300);
  int polls = 0;
  rig.resizer->events().Resize = [&] { ++polls; };
  rig.show({1024, 768}, false);
  EXPECT_FALSE(rig.resizer->pollRunning());
  rig.dragTo(18000, 12000);
  EXPECT_EQ(left(label), 300);
  EXPECT_EQ(polls, 0);

  rig.resizer->set("Resize", Value(true));
  EXPECT_TRUE(rig.resizer->pollRunning()) << "switching Resize on starts the poll at once";
  rig.runtime.ui->stepTimers();
  EXPECT_EQ(polls, 1) << "the first tick follows the size the form has now";
  EXPECT_DOUBLE_EQ(left(label), 600);
  rig.runtime.ui->stepTimers();
  EXPECT_EQ(polls, 1);

  rig.resizer->set("Resize", Value(false));
  EXPECT_FALSE(rig.resizer->pollRunning());
  rig.dragTo(9000, 6000);
  EXPECT_DOUBLE_EQ(left(label), 600);
}

TEST(ResizerShow, ADisabledResizerOrOneInTheDesignerDoesNothing) {
  ResizerRig rig;
  rig.resizer->set("Enabled", Value(false));
  rig.form->call("Move", {Value(0.0), Value(0.0), Value(3000.0), Value(2000.0)});
  rig.show({1024, 768}, true);
  EXPECT_FALSE(rig.resizer->ready());
  EXPECT_FALSE(rig.resizer->pollRunning());
  EXPECT_EQ(rig.form->get("Width").toLong(), 3000);

  ResizerRig designer;
  designer.resizer->setUserMode(false);
  designer.show({1280, 1024}, true);
  EXPECT_FALSE(designer.resizer->ready());
  designer.resizer->Timer1_Timer();
  EXPECT_TRUE(designer.resizer->records().empty());
}

TEST(ResizerPoll, ScalesByTheClientRatiosWithFontsAtTheSmallerOne) {
  ResizerRig rig;
  auto label = rig.add("Label", "Label1", 300, 450, 1200, 300);
  host::getObject(*label, "Font")->set("Size", Value(12.0));
  bool busyInPass = false;
  rig.resizer->events().Zoom = [&] { busyInPass = rig.resizer->busy(); };
  rig.show({1024, 768}, true);

  rig.dragTo(13500, 6000);  // wider only
  const GauxelRatios& ratios = rig.resizer->ratios();
  EXPECT_DOUBLE_EQ(ratios.RatioW, 1.5);
  EXPECT_DOUBLE_EQ(ratios.RatioH, 1.0);
  EXPECT_DOUBLE_EQ(ratios.MinRatio, 1.0);
  EXPECT_DOUBLE_EQ(ratios.PrevRatio, 1.0) << "before any pass the previous ratio counts as 1";
  EXPECT_TRUE(busyInPass);
  EXPECT_FALSE(rig.resizer->busy());
  EXPECT_EQ(rig.resizer->props().Zoom, 102) << "the poll steps Zoom by 2 to start its pass";
  EXPECT_DOUBLE_EQ(width(label), 1800);
  EXPECT_DOUBLE_EQ(label->get("Height").toDouble(), 300);
  EXPECT_DOUBLE_EQ(host::getObject(*label, "Font")->get("Size").toDouble(), 12) << "fonts follow the smaller ratio";

  rig.dragTo(13500, 12000);
  EXPECT_DOUBLE_EQ(ratios.PrevRatio, 1.5);
  EXPECT_DOUBLE_EQ(ratios.MinRatio, 1.5);
  EXPECT_DOUBLE_EQ(host::getObject(*label, "Font")->get("Size").toDouble(), 18);
}

TEST(ResizerPoll, AtTheTopOfTheZoomRangeThePollStillRunsItsPass) {
  ResizerRig rig;
  auto label = rig.add("Label", "Label1", 300, 450, 1200, 300);
  rig.show({1024, 768}, true);
  rig.resizer->set("Zoom", Value(std::int16_t{32767}));
  rig.dragTo(18000, 12000);
  EXPECT_EQ(rig.resizer->props().Zoom, 32765);
  EXPECT_DOUBLE_EQ(left(label), 600);
}

TEST(ResizerZoom, TheStandingValueRunsNoPassAnyOtherExactlyOne) {
  ResizerRig rig;
  auto label = rig.add("Label", "Label1", 300, 450, 1200, 300);
  int passes = 0;
  rig.resizer->events().Zoom = [&] { ++passes; };
  rig.resizer->set("Zoom", Value(std::int16_t{100}));
  EXPECT_EQ(passes, 0);
  EXPECT_TRUE(rig.resizer->records().empty());
  rig.resizer->set("Zoom", Value(150.0));
  EXPECT_EQ(passes, 1);
  EXPECT_DOUBLE_EQ(left(label), 450);
  rig.resizer->set("zoom", Value("150"));
  EXPECT_EQ(passes, 1);
  rig.resizer->set("Zoom", Value(std::int16_t{50}));
  EXPECT_EQ(passes, 2);
  EXPECT_DOUBLE_EQ(left(label), 150);
  EXPECT_FALSE(rig.resizer->faceEnabled()) << "a pass disables the control's own window";
  EXPECT_TRUE(rig.resizer->props().Enabled) << "but not the resizer's Enabled setting";
}

TEST(ResizerLifecycle, TerminationStopsThePoll) {
  ResizerRig rig;
  auto label = rig.add("Label", "Label1", 300, 450, 1200, 300);
  rig.show({1024, 768}, true);
  rig.form->unload();
  EXPECT_FALSE(rig.resizer->ready());
  EXPECT_FALSE(rig.resizer->pollRunning());
  rig.dragTo(18000, 12000);
  EXPECT_EQ(left(label), 300);
}

}  // namespace
