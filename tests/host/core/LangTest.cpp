#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/Lang.h"

namespace {

using testsupport::errorNumberOf;

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(host::CLng(2.5), 2);
  EXPECT_EQ(host::CLng(3.5), 4);
  EXPECT_EQ(host::CLng(-2.5), -2);
  EXPECT_EQ(host::CLng(-3.5), -4);
  EXPECT_EQ(host::CInt(0.5), 0);
  EXPECT_EQ(host::CInt(1.5), 2);
  EXPECT_EQ(host::CLng(2.4999), 2);
  EXPECT_EQ(host::roundHalfEven(9.5), 10.0);
}

TEST(Rounding, OutOfRangeRaisesOverflow) {
  EXPECT_EQ(errorNumberOf([] { (void)host::CInt(32767.5); }), host::err::Overflow);  // rounds to 32768
  EXPECT_EQ(errorNumberOf([] { (void)host::CInt(-32768.5); }), 0);                  // rounds to -32768
  EXPECT_EQ(errorNumberOf([] { (void)host::CLng(2147483648.0); }), host::err::Overflow);
  EXPECT_EQ(errorNumberOf([] { (void)host::CLng(1e300); }), host::err::Overflow);
  EXPECT_EQ(host::CLng(-2147483648.0), INT32_MIN);
}

TEST(Rounding, IntFloorsAndFixTruncates) {
  EXPECT_EQ(host::Int(-2.5), -3);
  EXPECT_EQ(host::Fix(-2.5), -2);
  EXPECT_EQ(host::Int(2.9), 2);
}

TEST(StrFunction, LeavesABlankForThePlusSign) {
  EXPECT_EQ(host::Str(3), " 3");
  EXPECT_EQ(host::Str(-3), "-3");
  EXPECT_EQ(host::Str(2.5), " 2.5");
  EXPECT_EQ(host::Str(0), " 0");
  EXPECT_EQ(host::Str(0.25), " .25");
  EXPECT_EQ(host::Str(1234567), " 1234567");
}

TEST(LikeOperator, MatchesWildcardsCaseSensitively) {
  EXPECT_TRUE(host::Like("MSHFlexGrid", "*FlexGrid"));
  EXPECT_TRUE(host::Like("MSFlexGrid", "*FlexGrid"));
  EXPECT_FALSE(host::Like("FlexGridX", "*FlexGrid"));
  EXPECT_FALSE(host::Like("MSflexgrid", "*FlexGrid"));
  EXPECT_TRUE(host::Like("DataGrid", "*Grid"));
  EXPECT_TRUE(host::Like("TDBGrid", "*DBGrid"));
  EXPECT_TRUE(host::Like("A1", "?#"));
  EXPECT_FALSE(host::Like("AB", "?#"));
  EXPECT_TRUE(host::Like("b", "[a-c]"));
  EXPECT_FALSE(host::Like("b", "[!a-c]"));
  EXPECT_TRUE(host::Like("", "*"));
}

TEST(Names, CompareWithoutRegardToCase) {
  EXPECT_TRUE(host::equalsNoCase("factor", "Factor"));
  EXPECT_FALSE(host::equalsNoCase("Factor", "FactorH"));
  EXPECT_EQ(host::upperCase("Pdf Printer"), "PDF PRINTER");
}

TEST(Numbers, ParseWholeTextsOnly) {
  double value = 0;
  EXPECT_TRUE(host::parseNumber(" 12.5 ", value));
  EXPECT_EQ(value, 12.5);
  EXPECT_TRUE(host::parseNumber("&H80000005", value));
  EXPECT_EQ(value, static_cast<double>(static_cast<int32_t>(0x80000005u)));
  EXPECT_FALSE(host::parseNumber("12abc", value));
  EXPECT_FALSE(host::parseNumber("", value));
}

}  // namespace
