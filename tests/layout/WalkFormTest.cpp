// The form walker: which controls it collects, in what order and at what
// place, their advances and marks, and the host form it leaves behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/Pictures.h"
#include "host/model/UserControl.h"
#include "layout/WalkRules.h"
#include "printctl/VelloraHarness.h"

namespace {

using host::Value;
using host::ValueType;
using velloratest::Harness;

// A control of another maker, known only by its type name (a grid, a list
// view, a rich-text box).
class NamedControl final : public host::Control {
 public:
  explicit NamedControl(std::string type) : type_(std::move(type)) {
    declareExtender();
    declare({"BackColor", ValueType::Long, Value(std::int32_t{0})});
  }
  [[nodiscard]] std::string typeName() const override { return type_; }

 private:
  std::string type_;
};

// A resizer as the walker sees it: a control of type "Gauxel" with Resize,
// factor and Zoom; every assignment is logged.
class ResizerStandIn final : public host::UserControl {
 public:
  ResizerStandIn(double factor, bool resizing) {
    declare({"Resize", ValueType::Boolean, Value(resizing)});
    declare({"Factor", ValueType::Double, Value(factor)});
    declare({"Zoom", ValueType::Integer, Value(std::int16_t{100})});
  }
  [[nodiscard]] std::string typeName() const override { return "Gauxel"; }
  void set(std::string_view name, const Value& value, host::Args index = {}) override {
    host::UserControl::set(name, value, index);
    log.push_back(std::string(name) + "=" + get(name).toString());
  }
  std::vector<std::string> log;
};

host::ObjectRef adoptNamed(Harness& h, const std::string& type, const std::string& name,
                           const std::vector<std::pair<std::string, Value>>& properties) {
  auto made = std::make_shared<NamedControl>(type);
  h.form->adopt(made);
  made->set("Name", Value(name));
  for (const auto& [property, value] : properties) made->set(property, value);
  return made;
}

std::vector<std::string> collectedNames(const Harness& h) {
  std::vector<std::string> names;
  for (const CtlRecord& record : h.control->job().CtlList) names.push_back(record.Name);
  return names;
}

const CtlRecord& recordOf(const Harness& h, const std::string& name) {
  const auto& list = h.control->job().CtlList;
  auto found = std::find_if(list.begin(), list.end(), [&](const CtlRecord& r) { return r.Name == name; });
  if (found == list.end()) throw std::runtime_error("no record " + name);
  return *found;
}

using Names = std::vector<std::string>;

TEST(WalkForm, SkipsWhatIsNotToBePrinted) {
  Harness h;
  auto at = [](int top) { return std::vector<std::pair<std::string, Value>>{{"Left", 360}, {"Top", top}}; };
  h.add("Label", "Plain", at(100));
  h.add("Label", "Tagged", {{"Tag", "noprint"}, {"Top", 200}});
  h.add("Label", "Hidden", {{"Visible", false}, {"Top", 300}});
  auto quiet = h.add("Frame", "Quiet", {{"Tag", "noprint"}, {"Top", 400}});
  h.add("Label", "InQuiet", at(10), quiet);
  auto shut = h.add("Frame", "Shut", {{"Visible", false}, {"Top", 500}});
  h.add("Label", "InShut", at(10), shut);
  auto outer = h.add("Frame", "Outer", {{"Tag", "noprint"}, {"Top", 600}});
  auto inner = h.add("PictureBox", "Inner", {{"Top", 10}}, outer);
  h.add("Label", "Deep", at(10), inner);
  h.add("PictureBox", "Empty", at(700));
  auto image = h.add("Image", "Stamp", at(800));
  host::setPicture(*image, host::Picture::filled({8, 8}, host::Rgb::black));
  h.add("CommonDialog", "Dialogs", at(900));
  h.add("CommandButton", "Send", at(1000));
  h.add("Label", "Parked", {{"Left", -600}, {"Top", 1100}});
  h.add("Label", "NearEdge", {{"Left", -555}, {"Top", 1150}});
  h.add("Line", "Rule", {{"X1", -600}, {"Y1", 1200}, {"X2", 3000}, {"Y2", 1200}});
  h.add("Label", "OtherCase", {{"Tag", "NoPrint"}, {"Top", 1300}});

  ASSERT_TRUE(h.control->Preview());
  EXPECT_EQ(collectedNames(h), (Names{"Plain", "Stamp", "NearEdge", "Rule", "OtherCase"}));
}

TEST(WalkForm, OrdersByTopKeepingTheFormsOrderForEqualTops) {
  Harness h;
  h.add("Label", "D", {{"Top", 900}});
  h.add("Label", "A", {{"Top", 300}});
  h.add("Label", "C", {{"Top", 600}});
  h.add("Label", "B", {{"Top", 300}});
  ASSERT_TRUE(h.control->Preview());
  EXPECT_EQ(collectedNames(h), (Names{"A", "B", "C", "D"}));
}

TEST(WalkForm, PlacesControlsThroughTheirContainers) {
  Harness h;
  h.control->setRightOffset(1);  // 50 preview units of 15 twips
  auto outer = h.add("Frame", "Outer", {{"Left", 1000}, {"Top", 2000}, {"Width", 5000}, {"Height", 3000}});
  auto inner = h.add("Frame", "Inner", {{"Left", 100}, {"Top", 200}, {"Width", 3000}, {"Height", 2000}}, outer);
  h.add("Label", "Deep", {{"Left", 10}, {"Top", 20}, {"Width", 900}}, inner);
  h.add("Line", "Slant", {{"X1", 100}, {"Y1", 500}, {"X2", 50}, {"Y2", 300}}, outer);
  ASSERT_TRUE(h.control->Preview());
  const std::int32_t shift = 50 * 15;
  const CtlRecord& deep = recordOf(h, "Deep");
  EXPECT_EQ(deep.Top, 2220);
  EXPECT_EQ(deep.Left, 1110 + shift);
  EXPECT_EQ(deep.Width, 900);
  EXPECT_EQ(deep.Mark, "True");
  const CtlRecord& slant = recordOf(h, "Slant");
  EXPECT_EQ(slant.Top, 2300);      // the upper end
  EXPECT_EQ(slant.Extent, -2500);  // minus the lower end
  EXPECT_EQ(slant.Width, 1100);    // the right end
  EXPECT_EQ(slant.Left, 1000 + shift);
}

TEST(WalkForm, ExtentOfBoxesShapesAndTables) {
  Harness h;
  h.add("TextBox", "Notes", {{"MultiLine", true}, {"Top", 100}, {"Height", 1200}});
  h.add("TextBox", "Single", {{"Top", 1400}, {"Height", 300}});
  h.add("Shape", "Box", {{"Top", 1800}, {"Height", 700}});
  h.add("Label", "Caption", {{"Top", 2600}, {"Height", 300}});
  h.add("MSFlexGrid", "Grid", {{"Top", 3000}, {"Height", 1500}});
  ASSERT_TRUE(h.control->Preview());
  EXPECT_EQ(recordOf(h, "Notes").Extent, 1200);
  EXPECT_EQ(recordOf(h, "Single").Extent, 0);
  EXPECT_EQ(recordOf(h, "Box").Extent, -700);
  EXPECT_EQ(recordOf(h, "Caption").Extent, 0);
  EXPECT_EQ(recordOf(h, "Grid").Extent, 1500);
}

TEST(WalkForm, AdvancesFollowTheTopsAndStopBelowATable) {
  Harness h;
  h.add("Label", "First", {{"Top", 300}});
  h.add("Label", "Second", {{"Top", 800}});
  h.add("DataGrid", "Grid", {{"Top", 1000}, {"Height", 2000}});
  h.add("Label", "Below", {{"Top", 3000}});
  ASSERT_TRUE(h.control->Preview());
  EXPECT_EQ(recordOf(h, "First").Advance, 300);
  EXPECT_EQ(recordOf(h, "Second").Advance, 500);
  EXPECT_EQ(recordOf(h, "Grid").Advance, 200);
  EXPECT_EQ(recordOf(h, "Below").Mark, "Down");
  EXPECT_EQ(recordOf(h, "Below").Advance, 0);
}

TEST(WalkForm, AControlBesideATableAdvancesFromTheTablesBottomUp) {
  Harness h;
  h.add("ListView", "Orders", {{"Top", 1000}, {"Height", 2000}});
  h.add("Label", "Beside", {{"Top", 1500}});
  ASSERT_TRUE(h.control->Preview());
  EXPECT_EQ(recordOf(h, "Beside").Advance, 1500 - 3000);
  EXPECT_NE(recordOf(h, "Beside").Mark, "Down");
  EXPECT_EQ(recordOf(h, "Orders").Extent, 2000);

  Harness lines;
  lines.add("VSFlexGrid", "Grid", {{"Top", 1000}, {"Height", 2000}});
  lines.add("Line", "Rule", {{"X1", 0}, {"Y1", 1500}, {"X2", 900}, {"Y2", 1500}});
  ASSERT_TRUE(lines.control->Preview());
  EXPECT_EQ(recordOf(lines, "Rule").Advance, 0);
}

TEST(WalkForm, SideBySideTakesPlainAdvancesAfterTables) {
  Harness h;
  h.control->setSideBySide(true);
  h.add("ListView", "Orders", {{"Top", 1000}, {"Height", 2000}});
  h.add("Label", "Below", {{"Top", 3500}});
  ASSERT_TRUE(h.control->Preview());
  EXPECT_EQ(recordOf(h, "Orders").Extent, 0);
  EXPECT_EQ(recordOf(h, "Below").Advance, 2500);
  EXPECT_NE(recordOf(h, "Below").Mark, "Down");
}

TEST(WalkForm, AdvancePassRulesOnRecordsDirectly) {
  // Equal tops after insertion keep their order; advances in twips.
  auto a = std::make_shared<NamedControl>("Label");
  std::vector<CtlRecord> list;
  CtlRecord first;
  first.Top = 500;
  first.Name = "a";
  first.Ctl = a;
  CtlRecord second = first;
  second.Name = "b";
  CtlRecord earlier = first;
  earlier.Top = 100;
  earlier.Name = "c";
  InsertByTop(list, first);
  InsertByTop(list, second);
  InsertByTop(list, earlier);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].Name, "c");
  EXPECT_EQ(list[1].Name, "a");
  EXPECT_EQ(list[2].Name, "b");
  ComputeAdvances(list, false);
  EXPECT_EQ(list[0].Advance, 100);
  EXPECT_EQ(list[1].Advance, 400);
  EXPECT_EQ(list[2].Advance, 0);
}

TEST(WalkForm, TheResizerGoesToDesignScaleAndBack) {
  for (bool stopped : {false, true}) {
    Harness h;
    h.add("Label", "Title", {{"Caption", "Orders"}, {"Top", 300}});
    auto resizer = std::make_shared<ResizerStandIn>(0.5, true);
    h.form->adopt(resizer);
    resizer->set("Zoom", Value(std::int16_t{90}));
    resizer->log.clear();
    if (stopped) h.onPage = [&](int) { h.control->StopPrint(); };
    EXPECT_EQ(h.control->LVPrint(), !stopped);
    EXPECT_EQ(resizer->log, (Names{"Resize=False", "Zoom=200", "Zoom=90", "Resize=True"})) << stopped;
  }
}

TEST(WalkForm, AResizerAtItsDesignSizeKeepsZoom100AndStaysStillIfItWas) {
  Harness h;
  auto resizer = std::make_shared<ResizerStandIn>(1.0, false);
  h.form->adopt(resizer);
  ASSERT_TRUE(h.control->Preview());
  EXPECT_EQ(resizer->log, (Names{"Resize=False", "Zoom=100", "Zoom=100"}));
  EXPECT_EQ(ResizerDesignZoom(0.8), 125);
  EXPECT_THROW((void)ResizerDesignZoom(0), host::HostError);
}

TEST(WalkForm, LeavesTheHostFormAsItWasAfterEveryJob) {
  enum class Ending { Completed, StoppedPrint, StoppedPreview, CompletedPreview };
  for (Ending ending : {Ending::Completed, Ending::StoppedPrint, Ending::StoppedPreview, Ending::CompletedPreview}) {
    Harness h;
    h.add("Label", "Title", {{"Caption", "Orders"}, {"Top", 300}});
    const auto systemWindow = static_cast<std::int32_t>(0x80000005u);
    auto rich = adoptNamed(h, "RichTextBox", "Letter", {{"Top", 900}, {"BackColor", systemWindow}});
    h.form->set("ScaleMode", Value(std::int16_t{3}));
    h.control->set("Visible", Value(false));
    if (ending == Ending::StoppedPrint || ending == Ending::StoppedPreview) {
      h.onPage = [&](int) { h.control->StopPrint(); };
    }
    const bool print = ending == Ending::Completed || ending == Ending::StoppedPrint;
    (void)(print ? h.control->LVPrint() : h.control->Preview());
    EXPECT_EQ(h.form->get("ScaleMode").toInteger(), 3) << static_cast<int>(ending);
    EXPECT_FALSE(h.control->get("Visible").toBool());
    EXPECT_EQ(rich->get("BackColor").toLong(), systemWindow);
    EXPECT_FALSE(h.control->job().progress->isOpen());
    EXPECT_FALSE(h.control->job().StopRequested);
  }
}

TEST(WalkForm, PrintsTheActiveChildOfAMultipleDocumentParent) {
  Harness h;
  auto parent = host::Form::create("Main", /*mdiParent=*/true);
  auto child = host::Form::create("Invoice");
  parent->addChild(child);
  child->addControl("Label", "Number")->set("Top", Value(300));
  auto control = std::make_shared<Vellora>();
  parent->adopt(control);
  control->InitProperties();
  ASSERT_TRUE(control->Preview());
  EXPECT_TRUE(control->job().ParentIsMdi);
  EXPECT_EQ(control->job().HostForm.get(), child.get());
  ASSERT_EQ(control->job().CtlList.size(), 1u);
  EXPECT_EQ(control->job().CtlList[0].Name, "Number");
}

TEST(WalkForm, ALandscapePreviewBeforeAnyPrintLaysOutItsControls) {
  Harness h;
  h.add("Label", "Title", {{"Caption", "Orders"}, {"Left", 360}, {"Top", 300}, {"Width", 3000}, {"Height", 300}});
  h.control->setOrientation(vellora::Landscape);
  ASSERT_TRUE(h.control->Preview());
  EXPECT_EQ(h.control->job().CtlList.size(), 1u);
  EXPECT_EQ(h.control->job().TitleDrop, 0);
  EXPECT_EQ(h.control->job().FootLift, host::CLng(h.control->job().PageHeight / 64.0));
  EXPECT_GT(h.control->job().PageWidth, h.control->job().PageHeight);
  ASSERT_TRUE(h.control->LVPrint());
  EXPECT_EQ(h.control->job().FootLift,
            host::CLng(h.control->job().PageHeight / (h.control->job().PrnGapUnit * 64)));
}

TEST(WalkForm, AFormWithNothingToPrintGivesOneEmptyPage) {
  Harness h;
  ASSERT_TRUE(h.control->LVPrint());
  EXPECT_TRUE(h.control->job().CtlList.empty());
  EXPECT_EQ(h.env.printer->pages().size(), 1u);
}

TEST(WalkForm, FirstPageNumberTakesFromPageZeroAsOne) {
  EXPECT_EQ(FirstPageNumber(0), 2);
  EXPECT_EQ(FirstPageNumber(1), 2);
  EXPECT_EQ(FirstPageNumber(3), 4);
}

}  // namespace
