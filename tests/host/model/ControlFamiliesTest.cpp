// The built-in families: type names, kinds, defaults and their own rules.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/SysColors.h"
#include "host/model/Control.h"

namespace {

using host::Kind;
using host::ObjectRef;
using host::Value;
using testsupport::errorNumberOf;

TEST(ControlFamilies, EveryBuiltInTypeIsMadeWithItsTypeNameAndKind) {
  const std::vector<std::pair<std::string, Kind>> expected{
      {"Label", Kind::Label},         {"TextBox", Kind::TextBox},         {"MaskEdBox", Kind::Other},
      {"ComboBox", Kind::ComboBox},   {"ListBox", Kind::ListBox},         {"FileListBox", Kind::FileListBox},
      {"Frame", Kind::Frame},         {"CheckBox", Kind::CheckBox},       {"OptionButton", Kind::OptionButton},
      {"CommandButton", Kind::CommandButton}, {"Line", Kind::Line},       {"Shape", Kind::Shape},
      {"PictureBox", Kind::PictureBox}, {"Image", Kind::Image},           {"SSTab", Kind::Other},
      {"RichTextBox", Kind::Other},   {"MSChart", Kind::Other},           {"CommonDialog", Kind::Other},
      {"ImageList", Kind::Other},       {"MSFlexGrid", Kind::Other},        {"MSHFlexGrid", Kind::Other},
      {"vsFlexGrid", Kind::Other},      {"VSFlexGrid", Kind::Other},        {"DataGrid", Kind::Other},
      {"DBGrid", Kind::Other},          {"TDBGrid", Kind::Other},           {"ListView", Kind::Other}};
  for (const auto& [typeName, kind] : expected) {
    ObjectRef control = host::createBuiltInControl(typeName);
    ASSERT_NE(control, nullptr) << typeName;
    EXPECT_EQ(control->typeName(), typeName);
    EXPECT_EQ(control->kind(), kind) << typeName;
  }
  EXPECT_EQ(host::builtInControlTypes().size(), expected.size());
  EXPECT_EQ(host::createBuiltInControl("label"), nullptr);  // type names compare exactly
  EXPECT_EQ(host::createBuiltInControl("msflexgrid"), nullptr);
}

TEST(ControlFamilies, NewControlsCarryTheHostDefaults) {
  ObjectRef label = host::createBuiltInControl("Label");
  EXPECT_EQ(label->get("BackStyle").toInteger(), 1);
  EXPECT_EQ(label->get("BorderStyle").toInteger(), 0);
  EXPECT_EQ(label->get("BackColor").toLong(), host::systemColorValue(host::syscolor::ButtonFace));
  EXPECT_EQ(label->get("Font").toObject()->get("Name").toString(), "MS Sans Serif");
  EXPECT_DOUBLE_EQ(label->get("Font").toObject()->get("Size").toDouble(), 8.25);

  ObjectRef text = host::createBuiltInControl("TextBox");
  EXPECT_EQ(text->get("BorderStyle").toInteger(), 1);
  EXPECT_EQ(text->get("BackColor").toLong(), static_cast<std::int32_t>(0x80000005u));
  EXPECT_EQ(text->get("ForeColor").toLong(), static_cast<std::int32_t>(0x80000008u));
  EXPECT_FALSE(text->get("MultiLine").toBool());

  ObjectRef shape = host::createBuiltInControl("Shape");
  EXPECT_EQ(shape->get("BackStyle").toInteger(), 0);
  EXPECT_EQ(shape->get("BorderStyle").toInteger(), 1);
  EXPECT_EQ(shape->get("BorderWidth").toInteger(), 1);
  EXPECT_EQ(shape->get("FillStyle").toInteger(), 1);
  EXPECT_EQ(errorNumberOf([&] { shape->set("Shape", Value(6)); }), 380);

  ObjectRef line = host::createBuiltInControl("Line");
  EXPECT_EQ(line->get("BorderStyle").toInteger(), 1);
  EXPECT_EQ(line->get("BorderWidth").toInteger(), 1);
  EXPECT_EQ(errorNumberOf([&] { line->set("BorderWidth", Value(0)); }), 380);
}

TEST(ControlFamilies, ALineHasEndPointsButNoBoxOrFont) {
  ObjectRef line = host::createBuiltInControl("Line");
  line->set("X1", Value(-600));
  line->set("y2", Value(1200.5));
  EXPECT_FLOAT_EQ(line->get("X1").toSingle(), -600);
  EXPECT_FLOAT_EQ(line->get("Y2").toSingle(), 1200.5f);
  for (const char* missing : {"Left", "Top", "Width", "Height", "Font", "BackColor", "hWnd"}) {
    EXPECT_EQ(errorNumberOf([&] { (void)line->get(missing); }), 438) << missing;
  }
  EXPECT_EQ(errorNumberOf([&] { line->call("Move", {Value(0)}); }), 438);
}

TEST(ControlFamilies, WindowlessControlsHaveNoWindowHandle) {
  for (const char* windowless : {"Label", "Shape", "Image", "Line"}) {
    EXPECT_EQ(errorNumberOf([&] { (void)host::createBuiltInControl(windowless)->get("hWnd"); }), 438) << windowless;
  }
  for (const char* windowed : {"TextBox", "ComboBox", "ListBox", "Frame", "CheckBox", "PictureBox", "MaskEdBox"}) {
    EXPECT_NE(host::createBuiltInControl(windowed)->get("hwnd").toLong(), 0) << windowed;
  }
}

TEST(ControlFamilies, CheckBoxValuesAreThreeStatesAndOptionButtonsBooleans) {
  ObjectRef check = host::createBuiltInControl("CheckBox");
  check->set("Value", Value(2));
  EXPECT_EQ(check->get("Value").toInteger(), 2);
  EXPECT_EQ(errorNumberOf([&] { check->set("Value", Value(3)); }), 380);
  ObjectRef option = host::createBuiltInControl("OptionButton");
  option->set("Value", Value(-1));
  EXPECT_EQ(option->get("Value").type(), host::ValueType::Boolean);
  EXPECT_TRUE(option->get("Value").toBool());
}

TEST(ControlFamilies, OneOptionButtonPerContainerIsOn) {
  auto form = host::Form::create();
  auto frame = form->addControl("Frame", "Group");
  auto a = form->addControl("OptionButton", "A");
  auto b = form->addControl("OptionButton", "B");
  auto inFrame = form->addControl("OptionButton", "C", frame);
  a->set("Value", Value(true));
  inFrame->set("Value", Value(true));
  b->set("Value", Value(true));
  EXPECT_FALSE(a->get("Value").toBool());
  EXPECT_TRUE(b->get("Value").toBool());
  EXPECT_TRUE(inFrame->get("Value").toBool());  // another container, another group
}

TEST(ControlFamilies, AnAutoSizedLabelTakesTheSizeOfItsCaption) {
  ObjectRef label = host::createBuiltInControl("Label");
  label->set("Caption", Value("A short caption"));
  float fixedWidth = label->get("Width").toSingle();
  label->set("AutoSize", Value(true));
  float oneLine = label->get("Height").toSingle();
  float width = label->get("Width").toSingle();
  EXPECT_NE(width, fixedWidth);
  label->set("Caption", Value("A short caption\r\nand a second line"));
  EXPECT_FLOAT_EQ(label->get("Height").toSingle(), 2 * oneLine);
  EXPECT_GT(label->get("Width").toSingle(), width);
  label->get("Font").toObject()->set("Size", Value(16));
  EXPECT_GT(label->get("Height").toSingle(), 2 * oneLine);
}

// The size is measured once and kept; every write it depends on measures anew.
TEST(ControlFamilies, AnAutoSizedLabelFollowsEveryChangeItsSizeDependsOn) {
  ObjectRef label = host::createBuiltInControl("Label");
  label->set("Caption", Value("Signed by the manager of the branch"));
  label->set("AutoSize", Value(true));
  const float oneLine = label->get("Height").toSingle();
  const float wide = label->get("Width").toSingle();
  EXPECT_EQ(label->get("Width").toSingle(), wide);  // read twice, the same

  label->set("BorderStyle", Value(1));
  EXPECT_FLOAT_EQ(label->get("Width").toSingle(), wide + 4 * 15);
  label->set("BorderStyle", Value(0));
  label->set("WordWrap", Value(true));
  label->set("Width", Value(900));
  EXPECT_FLOAT_EQ(label->get("Width").toSingle(), 900);
  const float wrapped = label->get("Height").toSingle();
  EXPECT_GT(wrapped, 2 * oneLine);
  label->set("Width", Value(3000));
  EXPECT_LT(label->get("Height").toSingle(), wrapped);
  label->get("Font").toObject()->set("Size", Value(20));
  EXPECT_GT(label->get("Height").toSingle(), wrapped);
  label->set("AutoSize", Value(false));
  EXPECT_FLOAT_EQ(label->get("Width").toSingle(), 3000);
}

TEST(ControlFamilies, FontsBelongToTheirControlAndCanBeAssigned) {
  ObjectRef first = host::createBuiltInControl("Label");
  ObjectRef second = host::createBuiltInControl("TextBox");
  first->get("Font").toObject()->set("Bold", Value(true));
  EXPECT_FALSE(second->get("Font").toObject()->get("Bold").toBool());
  second->set("Font", first->get("Font"));
  EXPECT_TRUE(second->get("Font").toObject()->get("Bold").toBool());
  second->get("Font").toObject()->set("Italic", Value(true));
  EXPECT_FALSE(first->get("Font").toObject()->get("Italic").toBool());  // a copy, not a share
  EXPECT_EQ(errorNumberOf([&] { second->set("Font", Value(1)); }), 424);
}

TEST(ControlFamilies, TheControlsThatNeverShowAreRecognisedByName) {
  ObjectRef dialog = host::createBuiltInControl("CommonDialog");
  EXPECT_EQ(errorNumberOf([&] { (void)dialog->get("Visible"); }), 438);
  dialog->set("Tag", Value("noprint"));
  EXPECT_EQ(dialog->get("Tag").toString(), "noprint");
  ObjectRef images = host::createBuiltInControl("ImageList");
  EXPECT_EQ(images->get("ImageWidth").toInteger(), 16);
}

}  // namespace
