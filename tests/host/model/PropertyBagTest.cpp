// The designer's property bag: defaults, conversions, what is stored.
#include <gtest/gtest.h>

#include "host/model/Control.h"
#include "host/model/PropertyBag.h"
#include "host/model/UserControl.h"

namespace {

using host::PropertyBag;
using host::Value;
using host::ValueType;

TEST(PropertyBag, AbsentKeysGiveTheDefault) {
  PropertyBag bag;
  EXPECT_EQ(bag.ReadProperty("Zoom", Value(100)).toLong(), 100);
  EXPECT_TRUE(bag.ReadProperty("Zoom").isEmpty());
  EXPECT_TRUE(bag.conversionProblems().empty());
}

TEST(PropertyBag, ReadingConvertsToTheTypeOfTheDefault) {
  PropertyBag bag;
  bag.setStored("Zoom", Value("75"));
  bag.setStored("Color", Value("True"));
  Value zoom = bag.ReadProperty("zoom", Value(std::int16_t{100}));
  EXPECT_EQ(zoom.type(), ValueType::Integer);
  EXPECT_EQ(zoom.toInteger(), 75);
  Value color = bag.ReadProperty("COLOR", Value(false));
  EXPECT_EQ(color.type(), ValueType::Boolean);
  EXPECT_TRUE(color.toBool());
}

TEST(PropertyBag, AFailedConversionKeepsTheDefaultAndIsRecorded) {
  PropertyBag bag;
  bag.setStored("Zoom", Value("large"));
  bag.setStored("Copies", Value(70000));
  EXPECT_EQ(bag.ReadProperty("Zoom", Value(100)).toLong(), 100);
  EXPECT_EQ(bag.ReadProperty("Copies", Value(std::int16_t{1})).toInteger(), 1);
  ASSERT_EQ(bag.conversionProblems().size(), 2u);
  EXPECT_NE(bag.conversionProblems()[0].find("Zoom"), std::string::npos);
  EXPECT_NE(bag.conversionProblems()[1].find("Copies"), std::string::npos);
}

TEST(PropertyBag, AStoredObjectComesBackAsItWasWhateverTheDefault) {
  PropertyBag bag;
  auto font = host::FontObject::create(host::Font("Times New Roman", 12));
  bag.WriteProperty("TitlesFont", Value(host::ObjectRef(font)), Value("Arial"));
  Value read = bag.ReadProperty("TitlesFont", Value("Arial"));
  ASSERT_TRUE(read.isObject());
  EXPECT_EQ(read.toObject(), font);
  EXPECT_TRUE(bag.conversionProblems().empty());
}

TEST(PropertyBag, WritingADefaultStoresNothingAndRemovesAnEarlierValue) {
  PropertyBag bag;
  bag.WriteProperty("Zoom", Value(100), Value(100));
  EXPECT_FALSE(bag.contains("Zoom"));
  bag.WriteProperty("Zoom", Value(50), Value(100));
  EXPECT_EQ(bag.stored("ZOOM").toLong(), 50);
  bag.WriteProperty("zoom", Value(100.0), Value(100));
  EXPECT_FALSE(bag.contains("Zoom"));
  bag.WriteProperty("Title", Value(""), Value(""));
  EXPECT_FALSE(bag.contains("Title"));
}

TEST(PropertyBag, WritingWithoutADefaultAlwaysStores) {
  PropertyBag bag;
  bag.WriteProperty("Empty", Value(""));
  EXPECT_TRUE(bag.contains("Empty"));
}

TEST(PropertyBag, KeysKeepTheOrderFirstWrittenAndOneEntryPerKey) {
  PropertyBag bag;
  bag.WriteProperty("B", Value(1), Value(0));
  bag.WriteProperty("A", Value(2), Value(0));
  bag.WriteProperty("b", Value(3), Value(0));
  EXPECT_EQ(bag.keys(), (std::vector<std::string>{"B", "A"}));
  EXPECT_EQ(bag.stored("B").toLong(), 3);
  bag.clear();
  EXPECT_TRUE(bag.keys().empty());
}

// A component that remembers the changes its properties report.
class Component final : public host::UserControl {
 public:
  [[nodiscard]] std::string typeName() const override { return "Component"; }
};

TEST(UserControl, PropertyChangedIsCountedAndTheExtenderIsDeclared) {
  Component component;
  component.PropertyChanged("Zoom");
  component.PropertyChanged("Zoom");
  EXPECT_EQ(component.changesReported(), 2);
  EXPECT_TRUE(component.get("Visible").toBool());
  EXPECT_EQ(component.kind(), host::Kind::UserControl);
  EXPECT_EQ(component.get("Font").toObject()->get("Name").toString(), "MS Sans Serif");
}

}  // namespace
