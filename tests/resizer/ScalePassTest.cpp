// The scaling pass: every control from its record times the ratios, lines
// by their end points, the families' own measures, grid columns re-based only
// when the user changed them, controls parked on hidden tabs kept parked.
#include <gtest/gtest.h>

#include <filesystem>

#include "ResizerTestSupport.h"
#include "TestSupport.h"
#include "host/model/DataGridControls.h"
#include "host/model/Families.h"
#include "host/model/FormFile.h"

namespace {

using host::ObjectRef;
using host::Value;
using resizertest::GridStandIn;
using resizertest::ResizerRig;

double number(const ObjectRef& control, const char* property) { return control->get(property).toDouble(); }
double fontSize(const ObjectRef& control) { return host::getObject(*control, "Font")->get("Size").toDouble(); }
void zoom(ResizerRig& rig, int percent) { rig.resizer->set("Zoom", Value(static_cast<std::int16_t>(percent))); }

std::shared_ptr<GridStandIn> addGrid(ResizerRig& rig, const char* type, const char* name) {
  auto grid = std::make_shared<GridStandIn>(type);
  grid->load("Name", Value(name));
  rig.form->adopt(grid);
  grid->call("Move", {Value(100.0), Value(2000.0), Value(4000.0), Value(1500.0)});
  return grid;
}

// A form of every built-in family the pass has its own steps for.
void fillForm(ResizerRig& rig) {
  auto label = rig.add("Label", "Title", 300, 150, 3000, 375);
  label->set("Caption", Value("Orders"));
  host::getObject(*label, "Font")->set("Size", Value(12.0));
  rig.add("TextBox", "Customer", 300, 600, 2415, 315);
  auto shape = rig.add("Shape", "Box", 4500, 300, 1500, 900);
  shape->set("BorderWidth", Value(std::int16_t{3}));
  auto line = rig.form->addControl("Line", "Rule");
  line->set("X1", Value(300.0));
  line->set("Y1", Value(1200.0));
  line->set("X2", Value(6300.0));
  line->set("Y2", Value(1200.0));
  line->set("BorderWidth", Value(std::int16_t{2}));
  auto tabs = rig.add("SSTab", "Pages", 300, 1500, 6000, 3000);
  tabs->set("TabHeight", Value(345.0));
  auto onFirst = rig.add("CheckBox", "Paid", 150, 600, 1500, 300, tabs);
  auto onSecond = rig.add("Label", "Notes", 600, 900, 2000, 300, tabs);
  auto& pages = static_cast<host::SSTab&>(*tabs);
  pages.placeOnTab(static_cast<host::Control&>(*onFirst), 0);
  pages.placeOnTab(static_cast<host::Control&>(*onSecond), 1);
  auto people = rig.add("ListView", "People", 300, 4800, 6000, 1000);
  host::getObject(*people, "Font")->set("Size", Value(9.0));
  ObjectRef headers = host::getObject(*people, "ColumnHeaders");
  for (auto [text, width] : {std::pair{"Name", 1500.0}, std::pair{"City", 2000.0}})
    headers->call("Add", {Value(), Value(), Value(text), Value(width)});
  host::getObject(*people, "ListItems")->call("Add", {Value(), Value(), Value("Ada")});
}

float headerWidth(const ObjectRef& list, int column) {
  return host::getObject(*list, "ColumnHeaders")->get("Item", {Value(column)}).toObject()->get("Width").toSingle();
}

TEST(ScalePass, Zoom150ScalesEverythingAndZoom100RestoresTheWholeFormExactly) {
  ResizerRig rig;
  fillForm(rig);
  const std::string before = host::saveFormText(*rig.form);

  zoom(rig, 150);
  const ObjectRef label = rig.form->control("Title");
  EXPECT_DOUBLE_EQ(number(label, "Left"), 450);
  EXPECT_DOUBLE_EQ(number(label, "Top"), 225);
  EXPECT_DOUBLE_EQ(number(label, "Width"), 4500);
  EXPECT_DOUBLE_EQ(number(label, "Height"), 562.5);
  EXPECT_DOUBLE_EQ(fontSize(label), 18);
  const ObjectRef line = rig.form->control("Rule");
  EXPECT_DOUBLE_EQ(number(line, "X1"), 450);
  EXPECT_DOUBLE_EQ(number(line, "X2"), 9450);
  EXPECT_DOUBLE_EQ(number(line, "Y1"), 1800);
  EXPECT_EQ(line->get("BorderWidth").toInteger(), 3);
  EXPECT_EQ(rig.form->control("Box")->get("BorderWidth").toInteger(), 4) << "4.5 rounds to even";
  EXPECT_DOUBLE_EQ(number(rig.form->control("Pages"), "TabHeight"), 517.5);
  const ObjectRef people = rig.form->control("People");
  EXPECT_FLOAT_EQ(headerWidth(people, 1), 2250) << "a list view's columns scale with it";
  EXPECT_FLOAT_EQ(headerWidth(people, 2), 3000);
  EXPECT_DOUBLE_EQ(fontSize(people), 13.5);
  const std::string zoomed = host::saveFormText(*rig.form);
  EXPECT_NE(zoomed, before);

  zoom(rig, 100);
  std::string after = host::saveFormText(*rig.form);
  // The pass hides the resizer; everything else is back as it was.
  rig.resizer->set("Visible", Value(true));
  after = host::saveFormText(*rig.form);
  EXPECT_EQ(after, before);
}

TEST(ScalePass, ATabHiddenControlIsScaledInItsVisiblePlaceAndStaysHidden) {
  ResizerRig rig;
  fillForm(rig);
  const ObjectRef notes = rig.form->control("Notes");
  ASSERT_DOUBLE_EQ(number(notes, "Left"), 600 - host::SSTab::HiddenOffset) << "page 1 is not selected";

  zoom(rig, 150);
  EXPECT_DOUBLE_EQ(number(notes, "Left"), 900 - host::SSTab::HiddenOffset);
  EXPECT_DOUBLE_EQ(number(notes, "Top"), 1350);
  zoom(rig, 50);
  EXPECT_DOUBLE_EQ(number(notes, "Left"), 300 - host::SSTab::HiddenOffset);

  rig.form->control("Pages")->set("Tab", Value(std::int16_t{1}));
  EXPECT_DOUBLE_EQ(number(notes, "Left"), 300) << "it shows at its scaled place";
  EXPECT_DOUBLE_EQ(number(rig.form->control("Paid"), "Left"), 75 - host::SSTab::HiddenOffset);
  zoom(rig, 200);
  EXPECT_DOUBLE_EQ(number(notes, "Left"), 1200);
  EXPECT_DOUBLE_EQ(number(rig.form->control("Paid"), "Left"), 300 - host::SSTab::HiddenOffset);
}

TEST(ScalePass, ALineOnAHiddenTabKeepsItsVisibleEndsInTheRecord) {
  ResizerRig rig;
  auto line = rig.form->addControl("Line", "Rule");
  line->set("X1", Value(400.0 - 75000));
  line->set("X2", Value(2400.0 - 75000));
  zoom(rig, 150);
  EXPECT_DOUBLE_EQ(number(line, "X1"), 600 - 75000.0);
  EXPECT_DOUBLE_EQ(number(line, "X2"), 3600 - 75000.0);
  ASSERT_EQ(rig.resizer->records().size(), 2u);
  EXPECT_EQ(rig.resizer->records()[1].W, 400);
}

TEST(ScalePass, NosizeControlsKeepTheirPlaceAndSizeThroughEveryPass) {
  ResizerRig rig;
  auto fixed = rig.add("Label", "Logo", 300, 450, 900, 600);
  fixed->set("Tag", Value("nosize"));
  auto other = rig.add("Label", "Other", 300, 1500, 900, 300);
  auto expectFixed = [&](const char* when) {
    EXPECT_DOUBLE_EQ(number(fixed, "Left"), 300) << when;
    EXPECT_DOUBLE_EQ(number(fixed, "Top"), 450) << when;
    EXPECT_DOUBLE_EQ(number(fixed, "Width"), 900) << when;
    EXPECT_DOUBLE_EQ(number(fixed, "Height"), 600) << when;
  };
  zoom(rig, 150);
  expectFixed("after Zoom 150");
  rig.show({1024, 768}, true);
  rig.dragTo(4500, 3000);
  expectFixed("after a poll");
  EXPECT_DOUBLE_EQ(number(other, "Left"), 150);
}

TEST(ScalePass, AFailingWriteIsPassedOverAndTheRestOfTheControlStillScales) {
  ResizerRig rig;
  auto line = rig.form->addControl("Line", "Thin");
  line->set("X2", Value(1000.0));
  auto dialog = rig.form->addControl("CommonDialog", "Files");  // no Width, Height or Font
  dialog->set("Left", Value(800.0));
  auto box = rig.add("TextBox", "Code", 300, 300, 1000, 300);
  zoom(rig, 10);
  EXPECT_EQ(line->get("BorderWidth").toInteger(), 1) << "a width below 1 is refused";
  EXPECT_DOUBLE_EQ(number(line, "X2"), 100);
  EXPECT_DOUBLE_EQ(number(dialog, "Left"), 80);
  EXPECT_DOUBLE_EQ(number(box, "Width"), 100) << "controls after the failing ones are scaled as well";
}

TEST(ScalePass, FlexGridColumnsKeepAUserWidenedWidthAndForgetSmallChanges) {
  ResizerRig rig;
  auto grid = addGrid(rig, "MSFlexGrid", "Grid1");
  grid->set("Cols", Value(std::int32_t{4}));
  const int widths[] = {1000, 1200, 8, 900};
  for (int c = 0; c < 4; ++c) grid->set("ColWidth", Value(widths[c]), {Value(c)});
  zoom(rig, 200);
  EXPECT_EQ(grid->width(0), 2000);
  EXPECT_EQ(grid->width(2), 16);
  EXPECT_EQ(grid->redrawLog, (std::vector<bool>{false, true})) << "redrawing is off while columns change";

  grid->set("ColWidth", Value(3000), {Value(0)});  // widened by hand: 1500 at design scale
  grid->set("ColWidth", Value(2420), {Value(1)});  // 10 twips at design scale: noise
  grid->set("ColWidth", Value(9), {Value(2)});     // narrower than 10 twips
  zoom(rig, 100);
  EXPECT_EQ(grid->width(0), 1500) << "re-based on the user's width";
  EXPECT_EQ(grid->width(1), 1200) << "brought back to its base";
  EXPECT_EQ(grid->width(2), 8) << "never re-based";
  EXPECT_EQ(grid->width(3), 900);
  EXPECT_EQ(rig.resizer->savedColumnWidths()[0], (std::vector<std::int16_t>{1500, 1200, 8, 900}));
  zoom(rig, 50);
  EXPECT_EQ(grid->width(0), 750);
}

TEST(ScalePass, DataGridsAndListViewsScaleTheirColumnsAndFonts) {
  ResizerRig rig;
  auto data = addGrid(rig, "DataGrid", "Orders");
  data->dataColumns = std::make_shared<resizertest::ColumnsStandIn>(0);
  data->dataColumns->add(1000);
  data->dataColumns->add(2000);
  data->headFont = host::FontObject::create(host::Font("Arial", 9));
  auto list = rig.add("ListView", "Items", 100, 4000, 4000, 1500);
  host::getObject(*list, "ColumnHeaders")->call("Add", {Value(), Value(), Value("Name"), Value(1500.0)});
  host::getObject(*list, "Font")->set("Size", Value(9.0));

  zoom(rig, 200);
  EXPECT_FLOAT_EQ(data->dataColumns->columns[1]->width, 4000);
  EXPECT_DOUBLE_EQ(data->headFont->get("Size").toDouble(), 18);
  EXPECT_FLOAT_EQ(headerWidth(list, 1), 3000);
  EXPECT_DOUBLE_EQ(fontSize(list), 18);
  zoom(rig, 100);
  EXPECT_FLOAT_EQ(headerWidth(list, 1), 1500);
  EXPECT_FLOAT_EQ(data->dataColumns->columns[0]->width, 1000);
  EXPECT_DOUBLE_EQ(data->headFont->get("Size").toDouble(), 9);
}

TEST(ScalePass, ABoundDataGridScalesItsColumnsAndHeaderFont) {
  const std::filesystem::path folder = testsupport::makeTempDir("vellora-resize-datagrid");
  testsupport::makeDatabase(folder / "orders.sqlite", testsupport::ordersTable(3));
  {
    ResizerRig rig;
    auto grid = rig.add("TDBGrid", "Orders", 100, 2000, 4000, 1500);
    dynamic_cast<host::DataGrid&>(*grid).bind(folder / "orders.sqlite", "orders");
    const ObjectRef customer = grid->get("Columns", {Value(1)}).toObject();
    customer->set("Width", Value(2000.0));
    host::getObject(*grid, "HeadFont")->set("Size", Value(9.0));
    zoom(rig, 200);
    EXPECT_FLOAT_EQ(customer->get("Width").toDouble(), 4000);
    EXPECT_DOUBLE_EQ(host::getObject(*grid, "HeadFont")->get("Size").toDouble(), 18);
    zoom(rig, 100);
    EXPECT_FLOAT_EQ(customer->get("Width").toDouble(), 2000);
    EXPECT_DOUBLE_EQ(host::getObject(*grid, "HeadFont")->get("Size").toDouble(), 9);
  }
  std::filesystem::remove_all(folder);
}

TEST(ScalePass, AHundredPassesGiveTheRecordTimesTheRatioWithoutDrift) {
  ResizerRig rig;
  auto label = rig.add("Label", "Odd", 333, 777, 1111, 299);
  auto grid = addGrid(rig, "MSFlexGrid", "Grid1");
  grid->set("Cols", Value(std::int32_t{1}));
  grid->set("ColWidth", Value(1234), {Value(0)});
  for (int pass = 1; pass <= 100; ++pass) {
    const int percent = 37 + (pass * 53) % 250;
    zoom(rig, percent);
    const double ratio = percent / 100.0;
    ASSERT_EQ(number(label, "Left"), static_cast<float>(333 * ratio)) << "pass " << pass;
    ASSERT_EQ(number(label, "Height"), static_cast<float>(299 * ratio)) << "pass " << pass;
    ASSERT_EQ(grid->width(0), host::CLng(1234 * ratio)) << "pass " << pass;
  }
}

}  // namespace
