// Picture boxes and image controls: pictures behind handles, the displayed image, scale.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/model/Control.h"
#include "host/model/Pictures.h"

namespace {

using host::ObjectRef;
using host::Picture;
using host::Rgb;
using host::Value;
using testsupport::errorNumberOf;

const Rgb blue = Rgb::fromRgb(0, 0, 255);

TEST(PictureControls, PictureReadsAsAHandleThatOtherControlsCanTake) {
  ObjectRef box = host::createBuiltInControl("PictureBox");
  EXPECT_EQ(box->get("Picture").toLong(), 0);
  host::setPicture(*box, Picture::filled({4, 3}, blue));
  std::int32_t handle = box->get("Picture").toLong();
  EXPECT_NE(handle, 0);
  ObjectRef other = host::createBuiltInControl("PictureBox");
  other->set("Picture", box->get("Picture"));
  EXPECT_EQ(other->get("Picture").toLong(), handle);
  EXPECT_EQ(host::pictureOf(*other).size(), (host::Size{4, 3}));
  EXPECT_EQ(host::pictureOf(*other).pixel(3, 2), blue);
  other->set("Picture", Value(0));
  EXPECT_TRUE(host::pictureOf(*other).isNull());
  EXPECT_EQ(errorNumberOf([&] { other->set("Picture", Value(12345)); }), 380);
}

TEST(PictureControls, AHandleNoControlHoldsAnyMoreStandsForNoPicture) {
  ObjectRef box = host::createBuiltInControl("PictureBox");
  host::setPicture(*box, Picture::filled({2, 2}, blue));
  std::int32_t handle = box->get("Picture").toLong();
  host::setPicture(*box, Picture());
  EXPECT_EQ(box->get("Picture").toLong(), 0);
  EXPECT_TRUE(host::pictureFromHandle(handle).isNull());
  ObjectRef other = host::createBuiltInControl("Image");
  EXPECT_EQ(errorNumberOf([&] { other->set("Picture", Value(handle)); }), 380);
}

TEST(PictureControls, APictureLoadsFromAFileAndRemembersIt) {
  auto folder = testsupport::makeTempDir("model-pictures");
  auto file = folder / "blue.png";
  Picture::filled({5, 7}, blue).savePng(file);
  ObjectRef image = host::createBuiltInControl("Image");
  image->set("Picture", Value(file.string()));
  EXPECT_EQ(host::pictureOf(*image).size(), (host::Size{5, 7}));
  EXPECT_EQ(host::pictureSourceOf(*image), file);
  // Without Stretch an image control takes the size of its picture.
  EXPECT_EQ(image->get("Width").toLong(), 75);
  EXPECT_EQ(image->get("Height").toLong(), 105);
  EXPECT_EQ(errorNumberOf([&] { image->set("Picture", Value((folder / "none.png").string())); }), 53);
  std::filesystem::remove_all(folder);
}

TEST(PictureControls, TheImageIsTheClientAreaWithThePictureAtItsCorner) {
  ObjectRef box = host::createBuiltInControl("PictureBox");
  box->set("Width", Value(660));   // 44 pixels less a 2-pixel border each side
  box->set("Height", Value(510));  // 34 pixels less the border
  box->set("BackColor", Value(0x00FF00));
  host::setPicture(*box, Picture::filled({10, 10}, blue));
  std::int32_t handle = box->get("Image").toLong();
  Picture shown = host::pictureFromHandle(handle);
  ASSERT_EQ(shown.size(), (host::Size{40, 30}));
  EXPECT_EQ(shown.pixel(9, 9), blue);
  EXPECT_EQ(shown.pixel(10, 10), Rgb::fromRgb(0, 255, 0));
  EXPECT_EQ(box->get("Image").toLong(), handle);  // unchanged while nothing changes
  box->set("BackColor", Value(0xFFFFFF));
  EXPECT_NE(box->get("Image").toLong(), handle);
  // Another box takes the displayed image as its picture.
  ObjectRef copy = host::createBuiltInControl("PictureBox");
  copy->set("Picture", box->get("Image"));
  EXPECT_EQ(host::pictureOf(*copy).pixel(20, 20), Rgb::white);
}

TEST(PictureControls, ScaleFollowsTheClientAreaAndAutoSizeFitsThePicture) {
  ObjectRef box = host::createBuiltInControl("PictureBox");
  box->set("Width", Value(1260));
  box->set("ScaleMode", Value(3));
  EXPECT_FLOAT_EQ(box->get("ScaleWidth").toSingle(), 80);
  box->set("BorderStyle", Value(0));
  EXPECT_FLOAT_EQ(box->get("ScaleWidth").toSingle(), 84);
  box->set("ScaleMode", Value(1));
  EXPECT_FLOAT_EQ(box->get("ScaleWidth").toSingle(), 1260);
  box->set("ScaleWidth", Value(10));
  EXPECT_EQ(box->get("ScaleMode").toInteger(), 0);
  box->set("AutoSize", Value(true));
  host::setPicture(*box, Picture::filled({20, 30}, blue));
  EXPECT_EQ(box->get("Width").toLong(), 300);
  EXPECT_EQ(box->get("Height").toLong(), 450);
  EXPECT_NE(box->get("hDC").toLong(), 0);
}

TEST(PictureControls, OnlyPictureControlsTakePictures) {
  ObjectRef label = host::createBuiltInControl("Label");
  EXPECT_EQ(errorNumberOf([&] { host::setPicture(*label, Picture::filled({1, 1}, blue)); }), 438);
  EXPECT_TRUE(host::pictureOf(*label).isNull());
}

}  // namespace
