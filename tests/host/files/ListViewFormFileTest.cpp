// List views in form files: column headers and list items with their
// sub-items load, save back equivalently, and bad list data is refused
// naming the file, the place and the key.
#include <gtest/gtest.h>

#include "host/model/Control.h"
#include "host/model/FormFile.h"

namespace {

using host::FormFileError;
using host::ObjectRef;
using host::Value;

std::string listForm(const std::string& keys) {
  return R"({"Form": {"Controls": [{"Type": "ListView", "Name": "People", "View": 3)" + keys + "}]}}";
}

const std::string people = listForm(R"(,
    "HideColumnHeaders": true, "ForeColor": "#FF0000",
    "ColumnHeaders": [{"Text": "Name", "Width": 2000, "Alignment": 0},
                      {"Text": "City", "Width": 1800.5, "Alignment": 2}, {"Text": "Born", "Alignment": 1}],
    "ListItems": [{"Text": "Ada", "SubItems": ["London", "1815"]}, {"Text": "Alan", "SubItems": ["", 1912]},
                  {"Text": "Grace"}])");

ObjectRef member(const ObjectRef& list, const char* collection, int i) {
  return host::getObject(*list, collection)->get("Item", {Value(i)}).toObject();
}

std::string subItem(const ObjectRef& list, int item, int j) {
  return member(list, "ListItems", item)->get("SubItems", {Value(j)}).toString();
}

TEST(ListViewFormFile, HeadersAndItemsLoadWithTheirSubItems) {
  auto form = host::loadFormText(people, {}, "people.json");
  const ObjectRef list = form->control("People");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->get("View").toInteger(), 3);
  EXPECT_TRUE(list->get("hidecolumnheaders").toBool());
  EXPECT_EQ(host::getObject(*list, "ColumnHeaders")->get("Count").toLong(), 3);
  EXPECT_FLOAT_EQ(member(list, "ColumnHeaders", 2)->get("Width").toSingle(), 1800.5f);
  EXPECT_EQ(member(list, "ColumnHeaders", 2)->get("Alignment").toInteger(), 2);
  EXPECT_FLOAT_EQ(member(list, "ColumnHeaders", 3)->get("Width").toSingle(), 1440) << "the default width";
  EXPECT_EQ(host::getObject(*list, "ListItems")->get("Count").toLong(), 3);
  EXPECT_EQ(member(list, "ListItems", 1)->get("Text").toString(), "Ada");
  EXPECT_EQ(subItem(list, 1, 2), "1815");
  EXPECT_EQ(subItem(list, 2, 2), "1912") << "a number is taken as its text";
  EXPECT_EQ(subItem(list, 3, 1), "") << "an item without sub-items";
}

TEST(ListViewFormFile, SavingWritesTheListBackEquivalently) {
  auto original = host::loadFormText(people, {}, "people.json");
  const std::string first = host::saveFormText(*original);
  EXPECT_NE(first.find(R"("SubItems": ["London", "1815"])"), std::string::npos) << first;
  EXPECT_NE(first.find(R"("Width": 1800.5)"), std::string::npos) << first;
  auto reloaded = host::loadFormText(first, {}, "first save");
  EXPECT_EQ(host::saveFormText(*reloaded), first);
  EXPECT_EQ(subItem(reloaded->control("People"), 2, 2), "1912");

  // Changes made at run time are what the next save writes.
  const ObjectRef list = reloaded->control("People");
  host::getObject(*list, "ListItems")->call("Remove", {Value(std::int32_t{1})});
  member(list, "ListItems", 1)->set("SubItems", Value("Wilmslow"), {Value(std::int32_t{1})});
  auto again = host::loadFormText(host::saveFormText(*reloaded), {}, "second save");
  EXPECT_EQ(host::getObject(*again->control("People"), "ListItems")->get("Count").toLong(), 2);
  EXPECT_EQ(subItem(again->control("People"), 1, 1), "Wilmslow");

  // An empty list writes no list data at all.
  auto empty = host::loadFormText(listForm(""), {}, "empty.json");
  const std::string bare = host::saveFormText(*empty);
  EXPECT_EQ(bare.find("ColumnHeaders"), std::string::npos);
  EXPECT_EQ(bare.find("ListItems"), std::string::npos);
}

TEST(ListViewFormFile, BadListDataIsRefusedNamingTheKey) {
  struct Case {
    std::string keys;
    const char* key;
    const char* problemPart;
  };
  const Case cases[] = {
      {R"(, "ColumnHeaders": {"Text": "Name"})", "ColumnHeaders", "must be an array"},
      {R"(, "ColumnHeaders": [{"Text": "A"}, "B"])", "ColumnHeaders[1]", "object"},
      {R"(, "ColumnHeaders": [{"Caption": "A"}])", "ColumnHeaders[0].Caption", "not a key of a column header"},
      {R"(, "ColumnHeaders": [{"Text": "A", "Width": -5}])", "ColumnHeaders[0].Width", "0 or more"},
      {R"(, "ColumnHeaders": [{"Text": "A", "Width": "wide"}])", "ColumnHeaders[0].Width", "must be a number"},
      {R"(, "ColumnHeaders": [{"Text": "A", "Alignment": 3}])", "ColumnHeaders[0].Alignment", "0 (left)"},
      {R"(, "ColumnHeaders": [{"Text": "A", "Alignment": 1.5}])", "ColumnHeaders[0].Alignment", "0 (left)"},
      {R"(, "ListItems": [{"Text": ["A"]}])", "ListItems[0].Text", "must be text"},
      {R"(, "ListItems": [{"Text": "A", "Key": "a"}])", "ListItems[0].Key", "not a key of a list item"},
      {R"(, "ListItems": [{"Text": "A", "SubItems": "B"}])", "ListItems[0].SubItems", "must be an array"},
      {R"(, "ColumnHeaders": [{"Text": "A"}, {"Text": "B"}], "ListItems": [{"Text": "a", "SubItems": ["b", "c"]}])",
       "ListItems[0].SubItems", "more than the 1 columns"},
      {R"(, "ListItems": [{"Text": "a", "SubItems": ["b"]}])", "ListItems[0].SubItems", "more than the 0 columns"},
      {R"(, "ColumnHeaders": [{"Text": "A"}, {"Text": "B"}], "ListItems": [{"SubItems": [null]}])",
       "ListItems[0].SubItems[0]", "must be text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    try {
      (void)host::loadFormText(listForm(c.keys), {}, "people.json");
      ADD_FAILURE() << "the list loaded";
    } catch (const FormFileError& error) {
      EXPECT_EQ(error.file(), "people.json");
      EXPECT_EQ(error.place(), "Form.Controls[0]");
      EXPECT_EQ(error.key(), c.key);
      EXPECT_NE(error.problem().find(c.problemPart), std::string::npos) << error.what();
    }
  }
}

}  // namespace
