// Declared properties reached by name: lookup, conversion, ranges, indexes.
#include <functional>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/model/Control.h"

namespace {

using host::PropertyDef;
using host::Value;
using host::ValueType;

// A small object with one property of each shape the families use.
class Sample final : public host::PropertyObject {
 public:
  Sample() {
    declare({"Caption", ValueType::String, "start"});
    declare({"Count", ValueType::Integer, 3});
    declare({"Amount", ValueType::Long, 0});
    declare({"Flag", ValueType::Boolean, false});
    declare({"Anything", ValueType::Empty, {}});
    declare(PropertyDef{"Alignment", ValueType::Integer, 0}.between(0, 2));
    declare(PropertyDef{"List", ValueType::String, ""}.indexed(1));
    declare(PropertyDef{"Matrix", ValueType::String, ""}.indexed(2, host::err::SubscriptOutOfRange));
    declare(PropertyDef{"Handle", ValueType::Long, 77}.readOnlyAtRunTime());
  }
  [[nodiscard]] std::string typeName() const override { return "Sample"; }
  void redeclareCount() { declare({"Count", ValueType::Integer, 9}); }
  std::vector<std::string> changes;

 private:
  void onChanged(std::string_view name) override { changes.emplace_back(name); }
};

using testsupport::errorNumberOf;

std::string errorTextOf(const std::function<void()>& statement) {
  try {
    statement();
  } catch (const host::HostError& error) {
    return error.what() + std::string(" / ") + error.description();
  }
  return {};
}

TEST(PropertyObject, UnknownNameRaises438NamingTheProperty) {
  Sample sample;
  EXPECT_EQ(errorNumberOf([&] { (void)sample.get("Colour"); }), 438);
  EXPECT_NE(errorTextOf([&] { (void)sample.get("Colour"); }).find("Colour"), std::string::npos);
  EXPECT_EQ(errorNumberOf([&] { sample.set("Wibble", Value(1)); }), 438);
  EXPECT_NE(errorTextOf([&] { sample.set("Wibble", Value(1)); }).find("Wibble"), std::string::npos);
}

TEST(PropertyObject, NamesMatchWithoutRegardToCase) {
  Sample sample;
  sample.set("caption", Value("shown"));
  EXPECT_EQ(sample.get("CAPTION").toString(), "shown");
  EXPECT_TRUE(sample.hasProperty("cApTiOn"));
  EXPECT_EQ(sample.changes, std::vector<std::string>{"Caption"});  // the declared spelling
}

TEST(PropertyObject, AssignedValuesTakeTheDeclaredType) {
  Sample sample;
  sample.set("Count", Value("42"));
  EXPECT_EQ(sample.get("Count").type(), ValueType::Integer);
  EXPECT_EQ(sample.get("Count").toInteger(), 42);
  sample.set("Count", Value(2.5));  // halves go to even
  EXPECT_EQ(sample.get("Count").toInteger(), 2);
  sample.set("Caption", Value(12));
  EXPECT_EQ(sample.get("Caption").toString(), "12");
  sample.set("Flag", Value("True"));
  EXPECT_TRUE(sample.get("Flag").toBool());
  sample.set("Anything", Value(1.5));
  EXPECT_EQ(sample.get("Anything").type(), ValueType::Double);
}

TEST(PropertyObject, ImpossibleConversionsRaiseAndKeepTheOldValue) {
  Sample sample;
  EXPECT_EQ(errorNumberOf([&] { sample.set("Count", Value("many")); }), 13);
  EXPECT_EQ(errorNumberOf([&] { sample.set("Count", Value(40000)); }), 6);
  EXPECT_EQ(errorNumberOf([&] { sample.set("Amount", Value(3e10)); }), 6);
  EXPECT_EQ(sample.get("Count").toInteger(), 3);
  EXPECT_TRUE(sample.changes.empty());
}

TEST(PropertyObject, ValuesOutsideTheAllowedRangeRaise380) {
  Sample sample;
  EXPECT_EQ(errorNumberOf([&] { sample.set("Alignment", Value(3)); }), 380);
  EXPECT_EQ(errorNumberOf([&] { sample.set("Alignment", Value(-1)); }), 380);
  sample.set("Alignment", Value(2));
  EXPECT_EQ(sample.get("Alignment").toInteger(), 2);
}

TEST(PropertyObject, ReadOnlyPropertiesRefuseAssignmentButLoadersMayStore) {
  Sample sample;
  EXPECT_EQ(errorNumberOf([&] { sample.set("Handle", Value(5)); }), 383);
  sample.load("Handle", Value(5));
  EXPECT_EQ(sample.get("Handle").toLong(), 5);
}

TEST(PropertyObject, IndexedPropertiesCheckTheirBounds) {
  Sample sample;
  sample.resizeIndexed("List", 2);
  sample.set("List", Value("b"), {Value(1)});
  EXPECT_EQ(sample.get("List", {Value(1)}).toString(), "b");
  EXPECT_EQ(sample.get("List", {Value(0)}).toString(), "");
  EXPECT_EQ(errorNumberOf([&] { (void)sample.get("List", {Value(2)}); }), 381);
  EXPECT_EQ(errorNumberOf([&] { (void)sample.get("List", {Value(-1)}); }), 381);
  EXPECT_EQ(errorNumberOf([&] { (void)sample.get("List"); }), 450);
  EXPECT_EQ(errorNumberOf([&] { (void)sample.get("Caption", {Value(0)}); }), 450);
}

TEST(PropertyObject, TwoDimensionalPropertiesKeepCellsWhenResized) {
  Sample sample;
  sample.resizeIndexed("Matrix", 2, 2);
  sample.set("Matrix", Value("r1c0"), {Value(1), Value(0)});
  sample.set("Matrix", Value("r0c1"), {Value(0), Value(1)});
  sample.resizeIndexed("Matrix", 3, 3);
  EXPECT_EQ(sample.indexedCount("Matrix", 0), 3);
  EXPECT_EQ(sample.indexedCount("Matrix", 1), 3);
  EXPECT_EQ(sample.get("Matrix", {Value(1), Value(0)}).toString(), "r1c0");
  EXPECT_EQ(sample.get("Matrix", {Value(0), Value(1)}).toString(), "r0c1");
  EXPECT_EQ(errorNumberOf([&] { (void)sample.get("Matrix", {Value(0), Value(3)}); }), 9);
  sample.resizeIndexed("Matrix", 1, 1);
  EXPECT_EQ(errorNumberOf([&] { (void)sample.get("Matrix", {Value(0), Value(1)}); }), 9);
}

TEST(PropertyObject, RedeclaringReplacesTheDefault) {
  Sample sample;
  sample.redeclareCount();
  EXPECT_EQ(sample.get("Count").toInteger(), 9);
  EXPECT_EQ(sample.properties().size(), 9u);
}

TEST(FontObject, ReadsAndWritesByNameWithGrantedSizes) {
  auto font = host::FontObject::create();
  EXPECT_EQ(font->get("Name").toString(), "MS Sans Serif");
  EXPECT_DOUBLE_EQ(font->get("size").toDouble(), 8.25);
  font->set("Size", Value(9.9));
  EXPECT_DOUBLE_EQ(font->get("Size").toDouble(), 9.75);
  font->set("Bold", Value(true));
  EXPECT_EQ(font->get("Weight").toInteger(), 700);
  EXPECT_EQ(errorNumberOf([&] { font->set("Size", Value(0)); }), 380);
  EXPECT_EQ(errorNumberOf([&] { (void)font->get("Colour"); }), 438);
}

}  // namespace
