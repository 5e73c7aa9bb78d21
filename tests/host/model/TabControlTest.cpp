// The tabbed container: pages, parking of the children of hidden pages, and
// the page each child names in a form file.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/model/Families.h"
#include "host/model/FormFile.h"

namespace {

using host::SSTab;
using host::Value;

double leftOf(const host::Form& form, const char* name) { return form.control(name)->get("Left").toDouble(); }

constexpr const char* tabbedForm = R"({"Form": {"Name": "Orders", "Controls": [
  {"Type": "SSTab", "Name": "Pages", "Tabs": 3, "Tab": 0, "TabCaption": ["Main", "Details", "Notes"],
   "Controls": [
     {"Type": "Label", "Name": "Customer", "Left": 200, "Top": 500},
     {"Type": "Label", "Name": "Street", "OnTab": 1, "Left": 300, "Top": 500},
     {"Type": "Line", "Name": "Rule", "OnTab": 2, "X1": 100, "X2": 900, "Y1": 700, "Y2": 700}]}]}})";

TEST(TabControl, ChildrenOfHiddenPagesAreParkedAndComeBackWhenTheirPageIsSelected) {
  auto form = host::loadFormText(tabbedForm);
  const host::ObjectRef pages = form->control("Pages");
  EXPECT_EQ(pages->get("TabCaption", {Value(2)}).toString(), "Notes");
  EXPECT_DOUBLE_EQ(leftOf(*form, "Customer"), 200);
  EXPECT_DOUBLE_EQ(leftOf(*form, "Street"), 300 - SSTab::HiddenOffset);
  EXPECT_DOUBLE_EQ(form->control("Rule")->get("X2").toDouble(), 900 - SSTab::HiddenOffset);

  pages->set("Tab", Value(std::int16_t{2}));
  EXPECT_DOUBLE_EQ(leftOf(*form, "Customer"), 200 - SSTab::HiddenOffset);
  EXPECT_DOUBLE_EQ(leftOf(*form, "Street"), 300 - SSTab::HiddenOffset) << "a page not involved stays as it is";
  EXPECT_DOUBLE_EQ(form->control("Rule")->get("X1").toDouble(), 100);
  pages->set("Tab", Value(std::int16_t{2}));
  EXPECT_DOUBLE_EQ(form->control("Rule")->get("X1").toDouble(), 100) << "selecting the selected page moves nothing";
  EXPECT_EQ(testsupport::errorNumberOf([&] { pages->set("Tab", Value(std::int16_t{3})); }), 380);
}

TEST(TabControl, AFormFileKeepsEachChildOnItsPageThroughSavingAndLoading) {
  auto form = host::loadFormText(tabbedForm);
  form->control("Pages")->set("Tab", Value(std::int16_t{1}));
  const std::string saved = host::saveFormText(*form);
  EXPECT_NE(saved.find("\"OnTab\": 2"), std::string::npos);

  auto reloaded = host::loadFormText(saved);
  EXPECT_EQ(reloaded->control("Pages")->get("Tab").toInteger(), 1);
  EXPECT_DOUBLE_EQ(leftOf(*reloaded, "Street"), 300);
  EXPECT_DOUBLE_EQ(leftOf(*reloaded, "Customer"), 200 - SSTab::HiddenOffset) << "parked once, not twice";
  EXPECT_EQ(host::saveFormText(*reloaded), saved);
  reloaded->control("Pages")->set("Tab", Value(std::int16_t{0}));
  EXPECT_DOUBLE_EQ(leftOf(*reloaded, "Customer"), 200);
}

TEST(TabControl, APageThatDoesNotExistIsRefusedWithItsPlace) {
  try {
    (void)host::loadFormText(R"({"Form": {"Controls": [{"Type": "SSTab", "Name": "Pages", "Tabs": 2,
      "Controls": [{"Type": "Label", "Name": "Lost", "OnTab": 2}]}]}})",
                             {}, "tabs.json");
    FAIL() << "a child on page 2 of two pages was taken";
  } catch (const host::FormFileError& error) {
    EXPECT_EQ(error.key(), "OnTab");
    EXPECT_EQ(error.place(), "Form.Controls[0].Controls[0]");
  }
  EXPECT_THROW((void)host::loadFormText(R"({"Form": {"Controls": [
      {"Type": "Label", "Name": "Alone", "OnTab": 1}]}})"),
               host::FormFileError)
      << "OnTab belongs to the children of a tab control";
}

TEST(TabControl, FewerPagesMoveTheSelectionAndNewPagesGetCaptions) {
  auto form = host::Form::create();
  auto pages = form->addControl("SSTab", "Pages");
  pages->set("Tab", Value(std::int16_t{2}));
  pages->set("Tabs", Value(std::int16_t{5}));
  EXPECT_EQ(pages->get("TabCaption", {Value(4)}).toString(), "Tab 4");
  pages->set("Tabs", Value(std::int16_t{2}));
  EXPECT_EQ(pages->get("Tab").toInteger(), 1);
  EXPECT_EQ(testsupport::errorNumberOf([&] { pages->set("Tabs", Value(std::int16_t{0})); }), 380);
}

TEST(TabControl, AChildNeverPlacedSitsOnThePageSelectedWhenItCame) {
  auto form = host::Form::create();
  auto pages = form->addControl("SSTab", "Pages");
  auto label = form->addControl("Label", "Late", pages);
  label->set("Left", Value(400.0));
  pages->set("Tab", Value(std::int16_t{1}));
  EXPECT_DOUBLE_EQ(label->get("Left").toDouble(), 400 - SSTab::HiddenOffset);
  EXPECT_EQ(static_cast<SSTab&>(*pages).tabOf(static_cast<host::Control&>(*label)), 0);
  pages->set("Tab", Value(std::int16_t{0}));
  EXPECT_DOUBLE_EQ(label->get("Left").toDouble(), 400);
}

}  // namespace

TEST(TabControl, TheFormsPictureShowsTheTabsWithTheirCaptionsAndTheCurrentOneLifted) {
  auto form = host::loadFormText(tabbedForm);
  form->call("Move", {Value(0), Value(0), Value(6000), Value(4000)});
  const host::ObjectRef pages = form->control("Pages");
  pages->call("Move", {Value(0), Value(0), Value(4500), Value(3000)});
  pages->set("TabHeight", Value(450.0));
  const host::Picture picture = form->snapshot();
  // Three tabs of 100 pixels in a 30-pixel strip; the current one is white.
  EXPECT_EQ(picture.pixel(10, 5), host::Rgb::white);
  EXPECT_EQ(picture.pixel(110, 5), host::Rgb::fromRgb(224, 224, 224));
  int captionInk[3] = {0, 0, 0};
  for (int tab = 0; tab < 3; ++tab)
    for (int y = 2; y < 28; ++y)
      for (int x = tab * 100 + 3; x < tab * 100 + 97; ++x)
        if (picture.pixel(x, y).brightness() < 100) ++captionInk[tab];
  for (int ink : captionInk) EXPECT_GT(ink, 15) << "each tab shows its caption";
  EXPECT_GT(captionInk[1], captionInk[2]) << "\"Details\" is longer than \"Notes\"";
}
