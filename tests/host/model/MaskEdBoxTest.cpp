// Masked edit boxes: the mask, Text, FormattedText and ClipText.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/model/Control.h"
#include "host/model/EditMask.h"
#include "host/model/FormFile.h"

namespace {

using host::Value;
using testsupport::errorNumberOf;

host::ObjectRef maskedBox(std::string_view mask) {
  host::ObjectRef box = host::createBuiltInControl("MaskEdBox");
  box->set("Mask", Value(mask));
  return box;
}

TEST(EditMask, AcceptsTheDisplayTextOrJustThePlaceholderCharacters) {
  host::EditMask date("##/##/####");
  date.assign("12/05/2024", '_');
  EXPECT_EQ(date.text('_'), "12/05/2024");
  EXPECT_EQ(date.clipText(), "12052024");
  date.assign("31122025", '_');
  EXPECT_EQ(date.text('_'), "31/12/2025");
  date.assign("07", '_');
  EXPECT_EQ(date.text('_'), "07/__/____");
  EXPECT_EQ(date.formattedText(), "07/  /    ");
}

TEST(EditMask, RefusesCharactersThatDoNotFitTheirPlaceAndKeepsTheOldText) {
  host::EditMask phone("(###) ###-####");
  phone.assign("0301234567", '_');
  EXPECT_EQ(errorNumberOf([&] { phone.assign("03O1234567", '_'); }), 380);
  EXPECT_EQ(errorNumberOf([&] { phone.assign("03012345678", '_'); }), 380);
  EXPECT_EQ(phone.text('_'), "(030) 123-4567");
}

TEST(EditMask, CaseMarkersEscapesAndOptionalPlaces) {
  host::EditMask code(">A?-<?A\\#9");
  code.assign("abCD1", '_');
  EXPECT_EQ(code.text('_'), "AB-cd#1");
  EXPECT_EQ(code.length(), 7);
  host::EditMask optional("99-aa");
  optional.assign("1 x ", '_');
  EXPECT_EQ(optional.text('_'), "1 -x ");
  EXPECT_EQ(errorNumberOf([] { host::EditMask broken("##\\"); }), 380);
}

TEST(MaskEdBox, FormattedTextShowsTheLiteralsOfTheMask) {
  host::ObjectRef box = maskedBox("##/##/####");
  box->set("Text", Value("24122024"));
  EXPECT_EQ(box->get("Text").toString(), "24/12/2024");
  EXPECT_EQ(box->get("FormattedText").toString(), "24/12/2024");
  EXPECT_EQ(box->get("ClipText").toString(), "24122024");
  EXPECT_EQ(box->get("MaxLength").toInteger(), 10);
  EXPECT_EQ(errorNumberOf([&] { box->set("FormattedText", Value("x")); }), 383);
}

TEST(MaskEdBox, EmptyPlacesShowThePromptInTextAndBlanksWhenFormatted) {
  host::ObjectRef box = maskedBox("###-###");
  box->set("Text", Value("12"));
  EXPECT_EQ(box->get("Text").toString(), "12_-___");
  EXPECT_EQ(box->get("FormattedText").toString(), "12 -   ");
  box->set("PromptChar", Value("*"));
  EXPECT_EQ(box->get("Text").toString(), "12*-***");
  box->set("PromptInclude", Value(false));
  EXPECT_EQ(box->get("Text").toString(), "12 -   ");
  EXPECT_EQ(errorNumberOf([&] { box->set("PromptChar", Value("**")); }), 380);
}

TEST(MaskEdBox, ATextWithItsOwnPromptLoadsAgainAfterSaving) {
  // Text was loaded before PromptChar, so a saved "1*/**" with the prompt
  // "*" was refused on loading: the form saved could not be opened again.
  const auto form = host::loadFormText(
      R"({"Form": {"Controls": [{"Type": "MaskEdBox", "Name": "Date", "Mask": "##/##", "PromptChar": "*",)"
      R"( "Text": "1"}]}})");
  EXPECT_EQ(form->control("Date")->get("Text").toString(), "1*/**");
  const std::string saved = host::saveFormText(*form);
  const auto again = host::loadFormText(saved);
  EXPECT_EQ(again->control("Date")->get("Text").toString(), "1*/**") << saved;
  EXPECT_EQ(host::saveFormText(*again), saved);
}

TEST(EditMask, ABlankEnteredReadsBackFromTheDisplayText) {
  // A blank entered in a place that takes one shows as a blank in Text; read
  // back from that display text it was taken for an empty place, so a form
  // saved showed the prompt there when loaded again.
  host::EditMask code("CC-99");
  code.assign("A 1", '_');
  EXPECT_EQ(code.text('_'), "A -1_");
  host::EditMask again("CC-99");
  again.assign(code.text('_'), '_');
  EXPECT_EQ(again.text('_'), "A -1_");
  // A blank where no blank may go is still an empty place.
  host::EditMask date("##/##");
  date.assign("1 /2 ", '_');
  EXPECT_EQ(date.text('_'), "1_/2_");
}

TEST(MaskEdBox, WithoutAMaskItIsAPlainTextField) {
  host::ObjectRef box = host::createBuiltInControl("MaskEdBox");
  box->set("Text", Value("free text"));
  EXPECT_EQ(box->get("FormattedText").toString(), "free text");
  EXPECT_EQ(box->typeName(), "MaskEdBox");
  EXPECT_EQ(box->kind(), host::Kind::Other);
}

TEST(MaskEdBox, ChangingTheMaskKeepsTheEnteredCharactersThatFit) {
  host::ObjectRef box = maskedBox("####");
  box->set("Text", Value("1234"));
  box->set("Mask", Value("##-##"));
  EXPECT_EQ(box->get("Text").toString(), "12-34");
  box->set("Mask", Value("??"));
  EXPECT_EQ(box->get("Text").toString(), "__");
}

}  // namespace
