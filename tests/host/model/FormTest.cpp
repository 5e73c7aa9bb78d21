// Forms: their controls, scale, multiple-document parents, containers, closing.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/Runtime.h"
#include "host/SysColors.h"
#include "host/model/Control.h"
#include "host/model/UserControl.h"

namespace {

using host::ObjectRef;
using host::Value;
using testsupport::errorNumberOf;

TEST(Form, ControlsAreEnumeratedInCreationOrderIncludingNestedOnes) {
  auto form = host::Form::create("Orders");
  auto frame = form->addControl("Frame", "Box");
  form->addControl("Label", "Inside", frame);
  form->addControl("TextBox", "After");
  ObjectRef controls = form->get("Controls").toObject();
  ASSERT_EQ(controls->get("Count").toLong(), 3);
  EXPECT_EQ(form->get("Count").toLong(), 3);
  EXPECT_EQ(controls->get("Item", {Value(0)}).toObject(), frame);
  EXPECT_EQ(controls->get("Item", {Value(1)}).toObject()->get("Name").toString(), "Inside");
  EXPECT_EQ(controls->call("Item", {Value("after")}).toObject()->typeName(), "TextBox");
  EXPECT_EQ(errorNumberOf([&] { (void)controls->get("Item", {Value(3)}); }), 9);
  EXPECT_EQ(errorNumberOf([&] { (void)controls->get("Item", {Value("Missing")}); }), 9);
  EXPECT_EQ(form->control("INSIDE")->get("Name").toString(), "Inside");
  EXPECT_EQ(form->control("Missing"), nullptr);
}

TEST(Form, AddingRefusesTakenNamesUnknownTypesAndNonContainers) {
  auto form = host::Form::create();
  auto label = form->addControl("Label", "Label1");
  EXPECT_EQ(errorNumberOf([&] { form->addControl("TextBox", "label1"); }), 727);
  EXPECT_NE(errorNumberOf([&] { form->addControl("NoSuchControl", "X"); }), 0);
  EXPECT_EQ(errorNumberOf([&] { form->addControl("TextBox", "Text1", label); }), 5);
  auto other = host::Form::create("Other");
  auto foreignFrame = other->addControl("Frame", "Frame1");
  EXPECT_EQ(errorNumberOf([&] { form->addControl("TextBox", "Text2", foreignFrame); }), 5);
  EXPECT_EQ(errorNumberOf([&] { other->adopt(label); }), 5);  // already on a form
  EXPECT_EQ(form->get("Count").toLong(), 1);
}

TEST(Form, ScaleWidthFollowsTheClientSizeInTheScaleMode) {
  auto form = host::Form::create();
  form->set("Width", Value(4800));
  form->set("Height", Value(3600));
  EXPECT_FLOAT_EQ(form->get("ScaleWidth").toSingle(), 4800 - host::Form::FrameAllowanceX);
  EXPECT_FLOAT_EQ(form->get("ScaleHeight").toSingle(), 3600 - host::Form::FrameAllowanceY);
  form->set("ScaleMode", Value(3));
  EXPECT_FLOAT_EQ(form->get("ScaleWidth").toSingle(), (4800 - host::Form::FrameAllowanceX) / 15.0f);
  form->set("Width", Value(6120));
  EXPECT_FLOAT_EQ(form->get("ScaleWidth").toSingle(), 400);
  form->set("ScaleMode", Value(5));
  EXPECT_FLOAT_EQ(form->get("ScaleWidth").toSingle(), 6000 / 1440.0f);
  form->set("ScaleMode", Value(1));
  EXPECT_FLOAT_EQ(form->get("ScaleWidth").toSingle(), 6000);
  form->set("BorderStyle", Value(0));
  EXPECT_FLOAT_EQ(form->get("ScaleWidth").toSingle(), 6120);
  EXPECT_EQ(errorNumberOf([&] { form->set("ScaleMode", Value(8)); }), 380);
}

TEST(Form, SettingAScaleDimensionMakesAUserScaleUntilAModeIsChosen) {
  auto form = host::Form::create();
  form->set("ScaleMode", Value(3));
  float pixelsHigh = form->get("ScaleHeight").toSingle();
  form->set("ScaleWidth", Value(100));
  EXPECT_EQ(form->get("ScaleMode").toInteger(), 0);
  EXPECT_FLOAT_EQ(form->get("ScaleWidth").toSingle(), 100);
  EXPECT_FLOAT_EQ(form->get("ScaleHeight").toSingle(), pixelsHigh);
  form->set("Width", Value(9000));
  EXPECT_FLOAT_EQ(form->get("ScaleWidth").toSingle(), 100);  // user units stretch with the form
  form->set("ScaleMode", Value(1));
  EXPECT_FLOAT_EQ(form->get("ScaleWidth").toSingle(), 9000 - host::Form::FrameAllowanceX);
  EXPECT_EQ(errorNumberOf([&] { form->set("ScaleHeight", Value(0)); }), 380);
}

TEST(Form, AMultipleDocumentParentHasAutoShowChildrenAndAnActiveForm) {
  auto plain = host::Form::create("Plain");
  EXPECT_EQ(errorNumberOf([&] { (void)plain->get("AutoShowChildren"); }), 438);
  EXPECT_EQ(errorNumberOf([&] { (void)plain->get("ActiveForm"); }), 438);
  EXPECT_EQ(errorNumberOf([&] { plain->addChild(host::Form::create("Child")); }), 5);

  auto parent = host::Form::create("Main", true);
  EXPECT_EQ(parent->typeName(), "MDIForm");
  EXPECT_TRUE(parent->get("AutoShowChildren").toBool());
  EXPECT_TRUE(parent->get("ActiveForm") == Value(ObjectRef()));  // Nothing
  EXPECT_EQ(errorNumberOf([&] { (void)parent->get("ActiveForm").toObject(); }), 424);
  auto first = host::Form::create("First");
  auto second = host::Form::create("Second");
  parent->addChild(first);
  parent->addChild(second);
  EXPECT_TRUE(first->get("MDIChild").toBool());
  EXPECT_EQ(parent->get("activeform").toObject(), second);
  parent->activate(first);
  EXPECT_EQ(parent->get("ActiveForm").toObject(), first);
  EXPECT_EQ(errorNumberOf([&] { parent->activate(plain); }), 5);
}

TEST(Form, ContainersChainUpToTheFormAndParentIsAlwaysTheForm) {
  auto form = host::Form::create();
  auto frame = form->addControl("Frame", "Frame1");
  auto picture = form->addControl("PictureBox", "Picture1", frame);
  auto label = form->addControl("Label", "Label1", picture);
  EXPECT_EQ(label->get("Container").toObject(), picture);
  EXPECT_EQ(picture->get("Container").toObject(), frame);
  EXPECT_EQ(frame->get("Container").toObject(), form);
  EXPECT_EQ(label->get("Parent").toObject(), form);
  EXPECT_EQ(errorNumberOf([&] { label->set("Parent", Value(ObjectRef(form))); }), 383);

  label->set("Container", Value(frame));
  EXPECT_EQ(label->get("Container").toObject(), frame);
  label->set("Container", Value(ObjectRef(form)));
  EXPECT_EQ(label->get("Container").toObject(), form);
  // A frame cannot go into its own picture box, nor a control into a label.
  EXPECT_EQ(errorNumberOf([&] { frame->set("Container", Value(picture)); }), 380);
  auto other = form->addControl("Label", "Label2");
  EXPECT_EQ(errorNumberOf([&] { other->set("Container", Value(label)); }), 380);
}

TEST(Form, ControlsOutliveTheirFormSafely) {
  ObjectRef label;
  {
    auto form = host::Form::create();
    label = form->addControl("Label", "Label1");
  }
  EXPECT_TRUE(label->get("Parent") == Value(ObjectRef()));  // Nothing
  EXPECT_TRUE(label->get("Container") == Value(ObjectRef()));
  EXPECT_EQ(label->get("Name").toString(), "Label1");
}

class Recorder final : public host::UserControl {
 public:
  [[nodiscard]] std::string typeName() const override { return "Recorder"; }
  void Terminate() override { ++terminated; }
  int terminated = 0;
};

TEST(Form, UnloadTerminatesComponentsOnceAndUnloadsChildren) {
  auto parent = host::Form::create("Main", true);
  auto child = host::Form::create("Child");
  parent->addChild(child);
  auto recorder = std::make_shared<Recorder>();
  recorder->load("Name", Value("Recorder1"));
  child->adopt(recorder);
  EXPECT_EQ(recorder->get("Parent").toObject(), child);
  parent->unload();
  parent->unload();
  EXPECT_EQ(recorder->terminated, 1);
  EXPECT_TRUE(child->isUnloaded());
}

TEST(Form, WindowAndDeviceHandlesAreDistinctAndMoveSetsGeometry) {
  auto form = host::Form::create();
  auto text = form->addControl("TextBox", "Text1");
  EXPECT_NE(form->get("hWnd").toLong(), 0);
  EXPECT_NE(form->get("hDC").toLong(), 0);
  EXPECT_NE(form->get("hWnd").toLong(), text->get("hwnd").toLong());
  EXPECT_EQ(errorNumberOf([&] { form->set("hWnd", Value(1)); }), 383);
  form->call("Move", {Value(100), Value(200), Value(3000)});
  EXPECT_EQ(form->get("Left").toLong(), 100);
  EXPECT_EQ(form->get("Top").toLong(), 200);
  EXPECT_EQ(form->get("Width").toLong(), 3000);
  text->call("Move", {Value(15), Value(30), Value(450), Value(300)});
  EXPECT_EQ(text->get("Height").toLong(), 300);
}

TEST(Form, TheSnapshotShowsTheBackgroundAndTheVisibleControls) {
  auto form = host::Form::create();
  form->set("Width", Value(3120));
  form->set("Height", Value(2405));
  form->set("BackColor", Value(0x00FF00));
  auto label = form->addControl("Label", "Red");
  label->call("Move", {Value(300), Value(300), Value(600), Value(600)});
  label->set("BackColor", Value(0x0000FF));
  auto hidden = form->addControl("Label", "Hidden");
  hidden->call("Move", {Value(1500), Value(300), Value(600), Value(600)});
  hidden->set("BackColor", Value(0xFF0000));
  hidden->set("Visible", Value(false));
  host::Picture picture = form->snapshot();
  ASSERT_EQ(picture.size(), (host::Size{200, 133}));
  EXPECT_EQ(picture.pixel(5, 5), host::Rgb::fromRgb(0, 255, 0));
  EXPECT_EQ(picture.pixel(30, 30), host::Rgb::fromRgb(255, 0, 0));
  EXPECT_EQ(picture.pixel(120, 30), host::Rgb::fromRgb(0, 255, 0));
}

// Dark pixels (state marks, ticks, dots, text) inside a rectangle of a picture.
int darkPixelsIn(const host::Picture& picture, const host::Rect& area) {
  int dark = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) dark += picture.pixel(x, y).brightness() < 80 ? 1 : 0;
  }
  return dark;
}

TEST(Form, TheSnapshotShowsCheckBoxesAndOptionButtonsInTheirStates) {
  auto form = host::Form::create("Choices");
  form->call("Move", {Value(0), Value(0), Value(6000), Value(4000)});
  auto place = [&](const char* type, const char* name, int top, const Value& value) {
    ObjectRef made = form->addControl(type, name);
    made->call("Move", {Value(150), Value(top), Value(1500), Value(300)});
    made->set("Caption", Value(""));
    made->set("Value", value);
    return made;
  };
  place("CheckBox", "Off", 150, Value(std::int16_t{0}));
  place("CheckBox", "On", 600, Value(std::int16_t{1}));
  place("OptionButton", "Unselected", 1050, Value(false));
  place("OptionButton", "Selected", 1500, Value(true));
  const host::Picture picture = form->snapshot();
  // Each control is 100 x 20 pixels at left 10; its mark sits at its left,
  // vertically centred, 13 pixels square.
  auto mark = [](int topTwips) { return host::Rect::fromXywh(11, topTwips / 15 + 3, 13, 13); };
  const int emptyBox = darkPixelsIn(picture, mark(150));
  const int tickedBox = darkPixelsIn(picture, mark(600));
  const int emptyRing = darkPixelsIn(picture, mark(1050));
  const int dottedRing = darkPixelsIn(picture, mark(1500));
  EXPECT_GT(emptyBox, 20) << "the box is drawn";
  EXPECT_GT(tickedBox, emptyBox + 10) << "a ticked box shows its tick";
  EXPECT_GT(emptyRing, 10) << "the ring is drawn";
  EXPECT_GT(dottedRing, emptyRing + 8) << "a selected option shows its dot";
  // The inside of an empty box is white.
  EXPECT_EQ(picture.pixel(17, 150 / 15 + 9), host::Rgb::white);
}

TEST(Form, TheSnapshotPutsAChoicesMarkOnTheRightWithAlignmentOne) {
  auto form = host::Form::create("Choices");
  form->call("Move", {Value(0), Value(0), Value(6000), Value(4000)});
  ObjectRef box = form->addControl("CheckBox", "Right");
  box->call("Move", {Value(150), Value(150), Value(1500), Value(300)});
  box->set("Caption", Value("Paid"));
  box->set("Alignment", Value(std::int16_t{1}));
  box->set("Value", Value(std::int16_t{1}));
  const host::Picture picture = form->snapshot();
  // The mark's frame at the right end of the box, the caption's ink left of it.
  EXPECT_GT(darkPixelsIn(picture, host::Rect::fromXywh(96, 13, 13, 13)), 30);
  EXPECT_GT(darkPixelsIn(picture, host::Rect::fromXywh(11, 10, 40, 20)), 10);
  EXPECT_LT(darkPixelsIn(picture, host::Rect::fromXywh(11, 13, 1, 13)), 13) << "no mark's frame on the left";
}

// A form far taller than the screen gives a picture of a screenful at most:
// the snapshot's memory follows the screen, not the form.
TEST(Form, TheSnapshotOfAFormLargerThanTheScreenIsCutAtTheScreen) {
  auto form = host::Form::create();
  form->set("Width", Value(3120));
  form->set("Height", Value(20000000));
  form->set("BackColor", Value(0x00FF00));
  const host::Size screen = host::ui().screen().pixels;
  host::Picture picture = form->snapshot();
  ASSERT_EQ(picture.size(), (host::Size{200, screen.height}));
  EXPECT_EQ(picture.pixel(5, screen.height - 1), host::Rgb::fromRgb(0, 255, 0));

  form->set("Width", Value(2000000000));
  EXPECT_EQ(form->snapshot().size(), (host::Size{screen.width, screen.height}));
}

}  // namespace
