#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/model/PropertyBag.h"
#include "resizer/Gauxel.h"

namespace {

using host::Value;

std::shared_ptr<Gauxel> placeOn(host::Form& form, const char* name) {
  auto resizer = std::make_shared<Gauxel>();
  resizer->load("Name", Value(name));
  form.adopt(resizer);
  return resizer;
}

TEST(GauxelTest, NewControlHasTheDefaultsReachableByName) {
  Gauxel resizer;
  EXPECT_EQ(resizer.typeName(), "Gauxel");
  EXPECT_EQ(resizer.kind(), host::Kind::UserControl);
  EXPECT_TRUE(resizer.get("Enabled").toBool());
  EXPECT_FALSE(resizer.get("Resize").toBool());
  EXPECT_EQ(resizer.get("factor").toDouble(), 1.0) << "names are matched without regard to case";
  EXPECT_EQ(resizer.get("FactorH").toDouble(), 1.0);
  EXPECT_EQ(resizer.get("Zoom").type(), host::ValueType::Integer);
  EXPECT_EQ(resizer.get("Zoom").toInteger(), 100);
  EXPECT_EQ(resizer.get("SetScale").toLong(), 12000);
  EXPECT_EQ(resizer.get("HScale").toLong(), 800);
  EXPECT_EQ(resizer.design(), GauxelDesign{});
}

TEST(GauxelTest, EveryAssignmentStoresAndReportsTheChange) {
  Gauxel resizer;
  resizer.set("Zoom", Value(std::int32_t{120}));
  resizer.set("resize", Value(true));
  resizer.set("SetScale", Value(1280.0));
  resizer.set("FactorH", Value(1.5));
  EXPECT_EQ(resizer.props().Zoom, 120);
  EXPECT_TRUE(resizer.props().Resize);
  EXPECT_EQ(resizer.props().SetScale, 1280);
  EXPECT_EQ(resizer.props().FactorH, 1.5);
  EXPECT_EQ(resizer.changesReported(), 4);
  resizer.set("Tag", Value("nosize"));
  EXPECT_EQ(resizer.changesReported(), 4) << "only the control's own properties are reported";
}

TEST(GauxelTest, ValuesAreConvertedToThePropertyType) {
  Gauxel resizer;
  resizer.set("Zoom", Value(110.5));
  EXPECT_EQ(resizer.props().Zoom, 110) << "halves round to even";
  EXPECT_THROW(resizer.set("Zoom", Value(std::int32_t{40000})), host::HostError);
  EXPECT_THROW(resizer.set("SetScale", Value("wide")), host::HostError);
  EXPECT_EQ(resizer.props().SetScale, 12000);
  // A zoom that would scale every control to nothing is refused and the layout stays.
  for (const double zoom : {0.0, -20.0}) {
    EXPECT_EQ(testsupport::errorNumberOf([&] { resizer.set("Zoom", Value(zoom)); }), host::err::InvalidPropertyValue);
    EXPECT_EQ(resizer.props().Zoom, 110);
  }
}

TEST(GauxelTest, FactorIsRefusedAtDesignTime) {
  Gauxel resizer;
  resizer.setUserMode(false);
  try {
    resizer.set("Factor", Value(2.0));
    FAIL() << "Factor was set at design time";
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), host::err::SetNotSupportedAtDesignTime);
  }
  EXPECT_EQ(resizer.props().Factor, 1.0);
  resizer.setUserMode(true);
  resizer.set("Factor", Value(2.0));
  EXPECT_EQ(resizer.props().Factor, 2.0);
}

TEST(GauxelTest, ReadingTakesEveryKeyWithItsDefault) {
  host::PropertyBag bag;
  bag.setStored("Enabled", Value(false));
  bag.setStored("Resize", Value(true));
  bag.setStored("Factor", Value(1.25));
  bag.setStored("Zoom", Value(std::int32_t{90}));
  bag.setStored("SetScale", Value("1024"));
  bag.setStored("FactorH", Value(1.5));
  bag.setStored("WidthForm", Value(std::int32_t{9000}));
  bag.setStored("ScaleH", Value(std::int32_t{4000}));
  Gauxel resizer;
  resizer.ReadProperties(bag);
  const GauxelProperties read = resizer.props();
  EXPECT_FALSE(read.Enabled);
  EXPECT_TRUE(read.Resize);
  EXPECT_EQ(read.Factor, 1.25);
  EXPECT_EQ(read.Zoom, 90);
  EXPECT_EQ(read.SetScale, 1024) << "bag values are converted to the property's type";
  EXPECT_EQ(read.HScale, 800);
  EXPECT_EQ(read.FactorH, 1.5);
  EXPECT_EQ(resizer.design().WidthForm, 9000);
  EXPECT_EQ(resizer.design().HeightForm, 6000);
  EXPECT_EQ(resizer.design().ScaleH, 4000);
  EXPECT_EQ(resizer.changesReported(), 0) << "loading is not an assignment";
}

TEST(GauxelTest, WritingLeavesOutDefaultsFactorAndZoom) {
  Gauxel resizer;
  host::PropertyBag untouched;
  resizer.WriteProperties(untouched);
  EXPECT_TRUE(untouched.keys().empty());

  host::PropertyBag in;
  in.setStored("LeftForm", Value(std::int32_t{1200}));
  in.setStored("ScaleW", Value(std::int32_t{7000}));  // equal to its default
  resizer.ReadProperties(in);
  resizer.set("HScale", Value(std::int32_t{1024}));
  resizer.set("Enabled", Value(false));
  resizer.set("Resize", Value(true));
  resizer.set("Factor", Value(1.5));
  resizer.set("Zoom", Value(std::int32_t{150}));

  host::PropertyBag out;
  resizer.WriteProperties(out);
  EXPECT_EQ(out.keys(), (std::vector<std::string>{"Resize", "Enabled", "HScale", "LeftForm"}));
  EXPECT_EQ(out.stored("LeftForm").toLong(), 1200);

  Gauxel reloaded;
  reloaded.ReadProperties(out);
  EXPECT_EQ(reloaded.props().Factor, 1.0) << "every load starts Factor at 1";
  EXPECT_EQ(reloaded.props().Zoom, 100) << "and Zoom at 100";
  EXPECT_EQ(reloaded.design(), resizer.design());
}

TEST(GauxelTest, PlacingRecordsTheFormAndTheDesignScreen) {
  auto runtime = testsupport::makeHeadless();
  runtime.ui->setScreen({{1280, 1024}, 15, 15});
  auto form = host::Form::create("Orders");
  form->call("Move", {Value(300.0), Value(450.0), Value(8000.0), Value(6500.0)});
  form->set("BackColor", Value(std::int32_t{0x00FF00}));
  auto resizer = placeOn(*form, "Gauxel1");
  resizer->set("Resize", Value(true));
  resizer->InitProperties();

  const GauxelProperties placed = resizer->props();
  EXPECT_FALSE(placed.Resize);
  EXPECT_EQ(placed.SetScale, 1280);
  EXPECT_EQ(placed.HScale, 1024);
  EXPECT_EQ(resizer->get("BackColor").toLong(), 0x00FF00);
  const GauxelDesign& design = resizer->design();
  EXPECT_EQ(design.LeftForm, 300);
  EXPECT_EQ(design.TopForm, 450);
  EXPECT_EQ(design.WidthForm, 8000);
  EXPECT_EQ(design.HeightForm, 6500);
  EXPECT_EQ(design.ScaleW, form->get("ScaleWidth").toLong());
  EXPECT_EQ(design.ScaleH, form->get("ScaleHeight").toLong());
  EXPECT_TRUE(runtime.ui->messages().empty());
}

TEST(GauxelTest, ASecondResizerOnAFormIsRefused) {
  auto runtime = testsupport::makeHeadless();
  auto form = host::Form::create();
  placeOn(*form, "Gauxel1")->InitProperties();
  auto second = placeOn(*form, "Gauxel2");
  EXPECT_THROW(second->InitProperties(), host::HostError);
  ASSERT_EQ(runtime.ui->messages().size(), 1u);
  EXPECT_EQ(runtime.ui->messages()[0].text, "Adaptor Already Exist in The Form");
}

TEST(GauxelTest, AtDesignTimeTheFaceKeepsItsSize) {
  Gauxel resizer;
  resizer.setUserMode(false);
  resizer.set("Width", Value(3000.0));
  resizer.Resize();
  EXPECT_EQ(resizer.get("Width").toLong(), Gauxel::DesignWidth);
  EXPECT_EQ(resizer.get("Height").toLong(), Gauxel::DesignHeight);

  Gauxel running;
  running.set("Width", Value(3000.0));
  running.Resize();
  EXPECT_EQ(running.get("Width").toLong(), 3000);
}

TEST(GauxelTest, AboutShowsTheAboutBox) {
  auto runtime = testsupport::makeHeadless();
  Gauxel resizer;
  resizer.call("About");
  ASSERT_EQ(runtime.ui->messages().size(), 1u);
  EXPECT_EQ(runtime.ui->messages()[0].title, "About Gauxel");
  EXPECT_THROW(resizer.call("Shrink"), host::HostError);
}

}  // namespace
