#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/Font.h"
#include "host/HostError.h"
#include "host/SysColors.h"
#include "host/Value.h"

namespace {

using host::Value;
using testsupport::errorNumberOf;

TEST(ValueConversion, BooleansReadAsTrueFalseAndMinusOne) {
  EXPECT_EQ(Value(true).toString(), "True");
  EXPECT_EQ(Value(false).toString(), "False");
  EXPECT_EQ(Value(true).toLong(), -1);
  EXPECT_TRUE(Value("True").toBool());
  EXPECT_FALSE(Value("false").toBool());
  EXPECT_TRUE(Value(2).toBool());
}

TEST(ValueConversion, NumbersFromStrings) {
  EXPECT_EQ(Value("42").toLong(), 42);
  EXPECT_EQ(Value(" 2.5 ").toLong(), 2);
  EXPECT_DOUBLE_EQ(Value("1.25").toDouble(), 1.25);
  EXPECT_EQ(Value(0.5).toString(), "0.5");
  EXPECT_EQ(Value(std::int16_t{7}).toString(), "7");
}

TEST(ValueConversion, NonNumbersAndObjectsAreTypeMismatch) {
  EXPECT_EQ(errorNumberOf([] { (void)Value("abc").toLong(); }), host::err::TypeMismatch);
  EXPECT_EQ(errorNumberOf([] { (void)Value("").toDouble(); }), host::err::TypeMismatch);
  EXPECT_EQ(errorNumberOf([] { (void)Value(host::ObjectRef{}).toLong(); }), host::err::TypeMismatch);
  EXPECT_EQ(errorNumberOf([] { (void)Value(5).toObject(); }), host::err::ObjectRequired);
}

TEST(ValueConversion, IntegerOverflowRaisesSix) {
  EXPECT_EQ(errorNumberOf([] { (void)Value(40000).toInteger(); }), host::err::Overflow);
  EXPECT_EQ(errorNumberOf([] { (void)Value(3e9).toLong(); }), host::err::Overflow);
  EXPECT_EQ(Value(40000).convertedTo(host::ValueType::Double).toDouble(), 40000);
}

TEST(ValueConversion, TextPastTheRangeOfADoubleOverflowsInsteadOfBecomingInfinite) {
  // "1e999" once became an infinity that --set Copies=1e999 or a margin took.
  for (const char* text : {"1e999", "-1e400", " 2e308 "}) {
    EXPECT_EQ(errorNumberOf([&] { (void)Value(text).toDouble(); }), host::err::Overflow) << text;
    EXPECT_EQ(errorNumberOf([&] { (void)Value(text).toSingle(); }), host::err::Overflow) << text;
    EXPECT_EQ(errorNumberOf([&] { (void)Value(text).toBool(); }), host::err::Overflow) << text;
  }
  EXPECT_DOUBLE_EQ(Value("1.7e308").toDouble(), 1.7e308);
  EXPECT_EQ(Value("1e-999").toDouble(), 0) << "an underflow is zero, as the language reads it";
}

TEST(ValueEquality, FollowsTheLanguage) {
  EXPECT_TRUE(Value(1) == Value(1.0));
  EXPECT_TRUE(Value("1") == Value(1));
  EXPECT_FALSE(Value("a") == Value("A"));
  EXPECT_TRUE(Value() == Value(0));
  EXPECT_TRUE(Value() == Value(""));
  EXPECT_TRUE(Value(true) == Value(-1));
}

TEST(FontSize, GrantsWholePixelSizes) {
  host::Font font;
  EXPECT_DOUBLE_EQ(font.size(), 8.25);  // 11 pixels
  font.setSize(9.9);
  EXPECT_DOUBLE_EQ(font.size(), 9.75);
  font.setSize(10);
  EXPECT_DOUBLE_EQ(font.size(), 9.75);  // 13.33 pixels -> 13
  font.setSize(0);
  EXPECT_DOUBLE_EQ(font.size(), 0.75);  // never below one pixel
}

TEST(FontFamily, WindowsNamesMapToInstalledTwins) {
  EXPECT_EQ(host::Font("Arial", 9).installedFamily(), "Liberation Sans");
  EXPECT_EQ(host::Font("ms sans serif", 9).installedFamily(), "Liberation Sans");
  EXPECT_EQ(host::Font("Times New Roman", 9).installedFamily(), "Liberation Serif");
  EXPECT_EQ(host::Font("Courier New", 9).installedFamily(), "Liberation Mono");
  EXPECT_EQ(host::Font("DejaVu Sans", 9).installedFamily(), "DejaVu Sans");
}

TEST(SystemColors, TwentyOneEntriesOfTheClassicScheme) {
  EXPECT_EQ(host::GetSysColor(15), host::Rgb::fromRgb(192, 192, 192));
  EXPECT_EQ(host::GetSysColor(5), host::Rgb::white);
  EXPECT_EQ(host::sysColorIndex(host::systemColorValue(5)), 5);
  EXPECT_EQ(host::sysColorIndex(host::systemColorValue(20)), 20);
  EXPECT_EQ(host::sysColorIndex(host::systemColorValue(21)), 0);
  EXPECT_EQ(host::sysColorIndex(0xFF), 0);
  EXPECT_EQ(host::colorFromHost(255), host::Rgb::fromRgb(255, 0, 0));
  EXPECT_EQ(host::colorFromHost(host::systemColorValue(8)), host::Rgb::black);
}

}  // namespace
