// The list view family by name: its properties and defaults, the column
// headers and list items counted from 1, sub-items, and the run-time errors
// of bad indexes and values.
#include <gtest/gtest.h>

#include <functional>

#include "host/Dc.h"
#include "host/HostError.h"
#include "host/SysColors.h"
#include "host/model/Control.h"
#include "host/model/ModelErrors.h"

namespace {

using host::ObjectRef;
using host::Value;

int errorOf(const std::function<void()>& statement) {
  try {
    statement();
  } catch (const host::HostError& error) {
    return error.number();
  }
  return 0;
}

struct ListViewForm {
  std::shared_ptr<host::Form> form = host::Form::create("People");
  ObjectRef list = form->addControl("ListView", "People");
  ObjectRef headers = host::getObject(*list, "ColumnHeaders");
  ObjectRef items = host::getObject(*list, "ListItems");

  ObjectRef header(int i) const { return headers->get("Item", {Value(i)}).toObject(); }
  ObjectRef item(int i) const { return items->get("Item", {Value(i)}).toObject(); }
};

TEST(ListView, TakesTheHostsDefaultsAndItsPropertyNamesInAnyCase) {
  ListViewForm f;
  EXPECT_EQ(f.list->typeName(), "ListView");
  EXPECT_EQ(f.list->get("View").toInteger(), 0);
  EXPECT_FALSE(f.list->get("hidecolumnheaders").toBool());
  f.list->set("HideColumnHeaders", Value(true));
  EXPECT_TRUE(f.list->get("hidecolumnheaders").toBool()) << "one property, however it is spelled";
  EXPECT_LT(f.list->get("BackColor").toLong(), 0) << "a system colour";
  EXPECT_EQ(host::getObject(*f.list, "Font")->get("Name").toString(), "MS Sans Serif");
  EXPECT_EQ(f.list->get("Tag").toString(), "");
  f.list->set("View", Value(std::int16_t{3}));
  EXPECT_EQ(errorOf([&] { f.list->set("View", Value(std::int16_t{4})); }), host::err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { f.list->set("ListItems", Value(f.items)); }), host::model_err::ReadOnly);
  EXPECT_EQ(errorOf([&] { f.list->call("ZOrder"); }), 0);
  EXPECT_EQ(f.headers->get("Count").toLong(), 0);
  EXPECT_EQ(f.items->get("Count").toLong(), 0);
}

TEST(ListView, CollectionsCountFromOneAndAddInsertsWhereTold) {
  ListViewForm f;
  ObjectRef name =
      f.headers->call("Add", {Value(), Value(), Value("Name"), Value(2000.0), Value(std::int16_t{0})}).toObject();
  f.headers->call("Add", {Value(), Value(), Value("Born")});
  f.headers->call("Add", {Value(std::int32_t{2}), Value(), Value("City"), Value(1500.0), Value(std::int16_t{2})});
  ASSERT_EQ(f.headers->get("Count").toLong(), 3);
  EXPECT_EQ(f.header(1).get(), name.get()) << "Add returns the header it made";
  EXPECT_EQ(f.header(2)->get("Text").toString(), "City") << "inserted at index 2";
  EXPECT_EQ(f.header(2)->get("Alignment").toInteger(), 2);
  EXPECT_EQ(f.header(3)->get("Text").toString(), "Born");
  EXPECT_FLOAT_EQ(f.header(3)->get("Width").toSingle(), 1440) << "the default width";
  EXPECT_EQ(f.header(3)->get("Index").toLong(), 3) << "later headers move up";

  f.items->call("Add", {Value(), Value(), Value("Ada")});
  f.items->call("Add", {Value(std::int32_t{1}), Value(), Value("Charles")});
  EXPECT_EQ(f.item(1)->get("Text").toString(), "Charles");
  EXPECT_EQ(f.item(2)->get("Index").toLong(), 2);
  f.items->call("Remove", {Value(std::int32_t{1})});
  EXPECT_EQ(f.item(1)->get("Text").toString(), "Ada");
  EXPECT_EQ(f.item(1)->get("Index").toLong(), 1) << "renumbered after a removal";
  f.items->call("Clear");
  EXPECT_EQ(f.items->get("Count").toLong(), 0);
}

TEST(ListView, SubItemsFollowTheColumnsAndAMissingOneReadsEmpty) {
  ListViewForm f;
  for (const char* text : {"Name", "City", "Born"}) f.headers->call("Add", {Value(), Value(), Value(text)});
  ObjectRef ada = f.items->call("Add", {Value(), Value(), Value("Ada")}).toObject();
  ada->set("SubItems", Value("1815"), {Value(std::int32_t{2})});
  EXPECT_EQ(ada->get("SubItems", {Value(std::int32_t{1})}).toString(), "") << "never set";
  EXPECT_EQ(ada->get("SubItems", {Value(std::int32_t{2})}).toString(), "1815");
  EXPECT_EQ(errorOf([&] { (void)ada->get("SubItems", {Value(std::int32_t{0})}); }),
            host::err::InvalidPropertyArrayIndex);
  EXPECT_EQ(errorOf([&] { ada->set("SubItems", Value("x"), {Value(std::int32_t{3})}); }),
            host::err::InvalidPropertyArrayIndex)
      << "three columns hold two sub-items";
}

TEST(ListView, BadIndexesAndValuesRaiseTheHostsErrors) {
  ListViewForm f;
  f.headers->call("Add", {Value(), Value(), Value("Name")});
  EXPECT_EQ(errorOf([&] { (void)f.header(0); }), host::err::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { (void)f.header(2); }), host::err::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { (void)f.item(1); }), host::err::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { f.items->call("Remove", {Value(std::int32_t{1})}); }), host::err::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { f.items->call("Add", {Value(std::int32_t{3}), Value(), Value("x")}); }),
            host::err::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { f.items->call("Add", {Value(), Value("key"), Value("x")}); }),
            host::err::InvalidProcedureCall)
      << "keys are refused, not dropped";
  EXPECT_EQ(errorOf([&] { f.header(1)->set("Alignment", Value(std::int16_t{3})); }), host::err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { f.header(1)->set("Width", Value(-1.0)); }), host::err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { f.header(1)->set("Index", Value(std::int32_t{2})); }), host::model_err::ReadOnly);
  EXPECT_EQ(errorOf([&] { (void)f.header(1)->get("Caption"); }), host::err::MemberNotFound);
  EXPECT_EQ(f.items->get("Count").toLong(), 0) << "a refused Add adds nothing";
}

int darkPixelsIn(const host::Picture& picture, const host::Rect& area) {
  int dark = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) dark += picture.pixel(x, y).brightness() < 80 ? 1 : 0;
  return dark;
}

TEST(ListView, TheFormsSnapshotShowsTheHeaderRowAndTheItemsTexts) {
  ListViewForm f;
  f.form->call("Move", {Value(0), Value(0), Value(6000), Value(4000)});
  f.list->call("Move", {Value(150), Value(150), Value(3000), Value(1500)});  // 200 x 100 pixels at (10, 10)
  f.list->set("BackColor", Value(0xFFFFFF));
  f.list->set("View", Value(std::int16_t{3}));
  for (const char* text : {"Name", "City"}) f.headers->call("Add", {Value(), Value(), Value(text), Value(1500.0)});
  ObjectRef ada = f.items->call("Add", {Value(), Value(), Value("Ada")}).toObject();
  ada->set("SubItems", Value("London"), {Value(std::int32_t{1})});
  const host::Rgb buttonFace = host::colorFromHost(host::systemColorValue(host::syscolor::ButtonFace));

  host::Picture report = f.form->snapshot();
  EXPECT_EQ(report.pixel(200, 13), buttonFace) << "the header row";
  const host::Rect secondColumnItem = host::Rect::fromLtrb(112, 28, 208, 45);
  EXPECT_GT(darkPixelsIn(report, secondColumnItem), 10) << "the sub-item's text in its column";

  f.list->set("HideColumnHeaders", Value(true));
  EXPECT_EQ(f.form->snapshot().pixel(200, 13), host::Rgb::white) << "no header row when hidden";
  f.list->set("View", Value(std::int16_t{0}));
  const host::Picture icons = f.form->snapshot();
  EXPECT_GT(darkPixelsIn(icons, host::Rect::fromLtrb(12, 12, 60, 30)), 10) << "the item's text";
  EXPECT_EQ(darkPixelsIn(icons, secondColumnItem), 0) << "sub-items show in report view only";
}

}  // namespace
