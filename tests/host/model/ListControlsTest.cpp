// Combo boxes, list boxes and file list boxes.
#include <fstream>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/model/Control.h"

namespace {

using host::ObjectRef;
using host::Value;
using testsupport::errorNumberOf;

std::vector<std::string> itemsOf(const ObjectRef& list) {
  std::vector<std::string> items;
  for (int i = 0; i < list->get("ListCount").toInteger(); ++i) items.push_back(list->get("List", {Value(i)}).toString());
  return items;
}

TEST(ListControls, ItemsComeAndGoWithTheirData) {
  ObjectRef list = host::createBuiltInControl("ListBox");
  list->call("AddItem", {Value("alpha")});
  list->call("AddItem", {Value("gamma")});
  list->call("AddItem", {Value("beta"), Value(1)});
  EXPECT_EQ(itemsOf(list), (std::vector<std::string>{"alpha", "beta", "gamma"}));
  EXPECT_EQ(list->get("NewIndex").toInteger(), 1);
  list->set("ItemData", Value(42), {Value(2)});
  list->set("ListIndex", Value(2));
  list->call("RemoveItem", {Value(0)});
  EXPECT_EQ(itemsOf(list), (std::vector<std::string>{"beta", "gamma"}));
  EXPECT_EQ(list->get("ItemData", {Value(1)}).toLong(), 42);
  EXPECT_EQ(list->get("ListIndex").toInteger(), 1);  // still on "gamma"
  EXPECT_EQ(list->get("Text").toString(), "gamma");
  EXPECT_EQ(list->get("List", {Value(5)}).toString(), "");  // past the end reads empty
  EXPECT_EQ(errorNumberOf([&] { (void)list->get("List", {Value(-2)}); }), 381);
  EXPECT_EQ(errorNumberOf([&] { list->call("RemoveItem", {Value(2)}); }), 5);
  EXPECT_EQ(errorNumberOf([&] { list->call("AddItem", {Value("x"), Value(4)}); }), 5);
  EXPECT_EQ(errorNumberOf([&] { list->set("ListIndex", Value(2)); }), 380);
  list->call("Clear");
  EXPECT_EQ(list->get("ListCount").toInteger(), 0);
  EXPECT_EQ(list->get("ListIndex").toInteger(), -1);
}

TEST(ListControls, SortedListsInsertInOrderAndSortWhatIsThere) {
  ObjectRef list = host::createBuiltInControl("ListBox");
  list->call("AddItem", {Value("pear")});
  list->call("AddItem", {Value("Apple")});
  list->set("ItemData", Value(7), {Value(0)});
  list->set("Sorted", Value(true));
  EXPECT_EQ(itemsOf(list), (std::vector<std::string>{"Apple", "pear"}));
  EXPECT_EQ(list->get("ItemData", {Value(1)}).toLong(), 7);  // data moved with "pear"
  list->call("AddItem", {Value("banana")});
  EXPECT_EQ(itemsOf(list), (std::vector<std::string>{"Apple", "banana", "pear"}));
}

TEST(ListControls, SingleSelectionKeepsSelectedAndListIndexTogether) {
  ObjectRef list = host::createBuiltInControl("ListBox");
  for (const char* item : {"a", "b", "c"}) list->call("AddItem", {Value(item)});
  list->set("Selected", Value(true), {Value(1)});
  EXPECT_EQ(list->get("ListIndex").toInteger(), 1);
  list->set("ListIndex", Value(2));
  EXPECT_FALSE(list->get("Selected", {Value(1)}).toBool());
  EXPECT_TRUE(list->get("Selected", {Value(2)}).toBool());
  EXPECT_EQ(list->get("SelCount").toInteger(), 1);
  list->set("MultiSelect", Value(1));
  list->set("Selected", Value(true), {Value(0)});
  EXPECT_EQ(list->get("SelCount").toInteger(), 2);
}

TEST(ListControls, AComboBoxTextFollowsItsSelection) {
  ObjectRef combo = host::createBuiltInControl("ComboBox");
  combo->call("AddItem", {Value("Red")});
  combo->call("AddItem", {Value("Green")});
  combo->set("ListIndex", Value(1));
  EXPECT_EQ(combo->get("Text").toString(), "Green");
  combo->set("Text", Value("Red"));
  EXPECT_EQ(combo->get("ListIndex").toInteger(), 0);
  combo->set("Text", Value("Blue"));  // a free text in a drop-down combo
  EXPECT_EQ(combo->get("ListIndex").toInteger(), -1);
  EXPECT_EQ(combo->get("Text").toString(), "Blue");
  combo->set("Style", Value(2));
  combo->set("Text", Value("green"));
  EXPECT_EQ(combo->get("Text").toString(), "Green");
  EXPECT_EQ(errorNumberOf([&] { combo->set("Text", Value("Blue")); }), 383);
  EXPECT_EQ(combo->get("Text").toString(), "Green");
}

TEST(ListControls, AFileListShowsTheMatchingFilesOfItsFolder) {
  auto folder = testsupport::makeTempDir("model-files");
  for (const char* name : {"b.txt", "A.TXT", "c.csv", ".hidden.txt", "noext"}) std::ofstream(folder / name) << "x";
  std::filesystem::create_directory(folder / "sub.txt");
  ObjectRef files = host::createBuiltInControl("FileListBox");
  files->set("Path", Value(folder.string()));
  EXPECT_EQ(itemsOf(files), (std::vector<std::string>{"A.TXT", "b.txt", "c.csv", "noext"}));
  files->set("Pattern", Value("*.txt;*.CSV"));
  EXPECT_EQ(itemsOf(files), (std::vector<std::string>{"A.TXT", "b.txt", "c.csv"}));
  files->set("Hidden", Value(true));
  EXPECT_EQ(itemsOf(files).size(), 4u);
  files->set("ListIndex", Value(1));
  EXPECT_EQ(files->get("FileName").toString(), "A.TXT");
  std::ofstream(folder / "d.txt") << "x";
  files->call("Refresh");
  EXPECT_EQ(itemsOf(files).size(), 5u);
  EXPECT_EQ(errorNumberOf([&] { files->set("Path", Value((folder / "missing").string())); }), 76);
  std::filesystem::remove_all(folder);
}

}  // namespace
