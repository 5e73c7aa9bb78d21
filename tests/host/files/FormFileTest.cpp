#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/model/Families.h"
#include "host/model/FormFile.h"
#include "host/model/Pictures.h"
#include "host/model/RichText.h"
#include "host/model/UserFile.h"

namespace {

namespace fs = std::filesystem;
using host::FormFileError;
using host::Value;

const fs::path formsFolder = fs::path(VELLORA_SOURCE_DIR) / "tests" / "forms";

std::string readText(const fs::path& file) {
  std::ifstream input(file);
  std::stringstream text;
  text << input.rdbuf();
  return text.str();
}

host::ObjectRef controlOf(const host::Form& form, const char* name) {
  host::ObjectRef control = form.control(name);
  if (!control) throw std::runtime_error(std::string("no control ") + name);
  return control;
}

// The error a form text raises; fails the test when it loads.
FormFileError loadError(const std::string& text) {
  try {
    (void)host::loadFormText(text, {}, "test.json");
  } catch (const FormFileError& error) {
    return error;
  }
  ADD_FAILURE() << "the text loaded: " << text;
  return FormFileError("", "", "", "");
}

TEST(FormFileTest, SampleWithEveryFamilyLoadsItsValues) {
  auto form = host::loadFormFile(formsFolder / "all-families.json");
  EXPECT_EQ(form->get("Caption").toString(), "Orders of the week");
  EXPECT_EQ(form->get("BackColor").toLong(), 0xFFFFFF);
  EXPECT_EQ(form->controls().size(), 19u);

  auto title = controlOf(*form, "TitleLabel");
  EXPECT_EQ(title->get("ForeColor").toLong(), 0x800000) << "#000080 is navy: blue sits in the high byte";
  auto font = host::getObject(*title, "Font");
  EXPECT_EQ(font->get("Name").toString(), "Times New Roman");
  EXPECT_TRUE(font->get("Bold").toBool());
  EXPECT_EQ(controlOf(*form, "Notes")->get("BackColor").toLong(), host::systemColorValue(5));

  auto shipping = controlOf(*form, "Shipping");
  EXPECT_EQ(shipping->get("ListCount").toLong(), 3);
  EXPECT_EQ(shipping->get("ListIndex").toLong(), 1) << "ListIndex is applied once the list is there";
  auto items = controlOf(*form, "Items");
  EXPECT_EQ(items->get("ItemData", {Value(2)}).toLong(), 30);
  EXPECT_TRUE(items->get("Selected", {Value(1)}).toBool());
  EXPECT_EQ(items->get("SelCount").toLong(), 2);
  EXPECT_EQ(controlOf(*form, "Phone")->get("Text").toString(), "(555) 123-4567");

  auto paid = std::dynamic_pointer_cast<host::Control>(controlOf(*form, "Paid"));
  EXPECT_EQ(paid->container(), controlOf(*form, "Payment"));
  EXPECT_TRUE(controlOf(*form, "Cash")->get("Value").toBool());
  EXPECT_EQ(std::dynamic_pointer_cast<host::Control>(controlOf(*form, "LogoCaption"))->container(),
            controlOf(*form, "Logo"));
}

TEST(FormFileTest, RelativePicturePathsFollowTheFormFile) {
  auto form = host::loadFormFile(formsFolder / "all-families.json");
  host::Picture logo = host::pictureOf(*controlOf(*form, "Logo"));
  ASSERT_FALSE(logo.isNull());
  EXPECT_EQ(logo.size(), (host::Size{4, 3}));
  EXPECT_EQ(logo.pixel(0, 0), host::Rgb::fromRgb(255, 0, 0));
  EXPECT_NE(controlOf(*form, "Stamp")->get("Picture").toLong(), 0);
  EXPECT_EQ(fs::path(controlOf(*form, "Attachments")->get("Path").toString()).lexically_normal(),
            (formsFolder / "pictures").lexically_normal());

  // Saved beside the same folder, the paths are written relative again.
  const std::string saved = host::saveFormText(*form, formsFolder);
  EXPECT_NE(saved.find("\"Picture\": \"pictures/red.png\""), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"Path\": \"pictures\""), std::string::npos) << saved;
}

TEST(FormFileTest, SavingThenLoadingGivesAnEquivalentFileForEveryFamily) {
  for (const char* sample : {"all-families.json", "mdi.json", "grids.json"}) {
    SCOPED_TRACE(sample);
    auto original = host::loadFormFile(formsFolder / sample);
    const std::string first = host::saveFormText(*original, formsFolder);
    auto reloaded = host::loadFormText(first, formsFolder, "first save");
    const std::string second = host::saveFormText(*reloaded, formsFolder);
    EXPECT_EQ(first, second);
    EXPECT_EQ(reloaded->controls().size(), original->controls().size());
  }
}

TEST(FormFileTest, SavesOnlyWhatDiffersFromANewControl) {
  auto form = host::Form::create("Plain");
  form->addControl("Label", "Untouched");
  auto changed = form->addControl("TextBox", "Changed");
  changed->set("Text", Value("hello"));
  changed->set("BackColor", Value(std::int32_t{0x0000FF}));
  host::getObject(*changed, "Font")->set("Size", Value(12.0));

  const std::string saved = host::saveFormText(*form);
  auto reloaded = host::loadFormText(saved);
  EXPECT_EQ(saved.find("\"Caption\""), std::string::npos) << "a default caption is not written:\n" << saved;
  EXPECT_NE(saved.find("\"Type\": \"Label\",\n        \"Name\": \"Untouched\"\n"), std::string::npos)
      << saved;
  EXPECT_NE(saved.find("\"BackColor\": \"#FF0000\""), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"Font\": {\n          \"Size\": 12\n"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("hWnd"), std::string::npos) << "window handles belong to one run";
  EXPECT_EQ(controlOf(*reloaded, "Changed")->get("Text").toString(), "hello");
  EXPECT_EQ(host::getObject(*controlOf(*reloaded, "Changed"), "Font")->get("Size").toDouble(), 12.0);
}

TEST(FormFileTest, KeysAreMatchedWithoutRegardToCase) {
  auto form = host::loadFormText(R"({"form": {"NAME": "F", "caption": "Hi",
      "controls": [{"type": "label", "name": "L", "CAPTION": "x", "font": {"bold": true}}]}})");
  EXPECT_EQ(controlOf(*form, "L")->typeName(), "Label");
  EXPECT_EQ(form->get("Caption").toString(), "Hi");
  EXPECT_EQ(controlOf(*form, "L")->get("Caption").toString(), "x");
  EXPECT_TRUE(host::getObject(*controlOf(*form, "L"), "Font")->get("Bold").toBool());
}

TEST(FormFileTest, ColoursTakeNumbersHexTextAndSystemValues) {
  auto form = host::loadFormText(R"({"Form": {"Controls": [
      {"Type": "Label", "Name": "A", "BackColor": "#102030"},
      {"Type": "Label", "Name": "B", "BackColor": -2147483633},
      {"Type": "Label", "Name": "C", "BackColor": 2147483663},
      {"Type": "Label", "Name": "D", "BackColor": 255}]}})");
  EXPECT_EQ(controlOf(*form, "A")->get("BackColor").toLong(), 0x302010);
  EXPECT_EQ(controlOf(*form, "B")->get("BackColor").toLong(), host::systemColorValue(15));
  EXPECT_EQ(controlOf(*form, "C")->get("BackColor").toLong(), host::systemColorValue(15));
  EXPECT_EQ(controlOf(*form, "D")->get("BackColor").toLong(), 255);
  EXPECT_EQ(
      loadError(R"({"Form": {"Controls": [{"Type": "Label", "Name": "A", "BackColor": "#12345"}]}})").key(),
      "BackColor");
}

TEST(FormFileTest, ScaleWidthInAFixedModeSizesTheClientArea) {
  auto form = host::loadFormText(R"({"Form": {"Width": 4000, "ScaleWidth": 9000, "ScaleHeight": 6000}})");
  EXPECT_EQ(form->get("ScaleMode").toInteger(), 1);
  EXPECT_FLOAT_EQ(form->get("ScaleWidth").toSingle(), 9000);
  EXPECT_FLOAT_EQ(form->get("ScaleHeight").toSingle(), 6000);
  EXPECT_FLOAT_EQ(form->get("Width").toSingle(), 9000 + host::Form::FrameAllowanceX);

  auto user = host::loadFormText(R"({"Form": {"ScaleMode": 0, "ScaleWidth": 100, "ScaleHeight": 50}})");
  const std::string saved = host::saveFormText(*user);
  auto reloaded = host::loadFormText(saved);
  EXPECT_EQ(reloaded->get("ScaleMode").toInteger(), 0);
  EXPECT_FLOAT_EQ(reloaded->get("ScaleWidth").toSingle(), 100);
  EXPECT_FLOAT_EQ(reloaded->get("Width").toSingle(), user->get("Width").toSingle());
}

TEST(FormFileTest, MultipleDocumentParentKeepsItsChildrenAndActiveForm) {
  auto form = host::loadFormFile(formsFolder / "mdi.json");
  ASSERT_TRUE(form->isMdiParent());
  ASSERT_EQ(form->children().size(), 2u);
  EXPECT_TRUE(form->children()[1]->get("MDIChild").toBool());
  EXPECT_EQ(form->get("ActiveForm").toObject()->get("Name").toString(), "Invoice");
  EXPECT_EQ(controlOf(*form->children()[1], "CustomerName")->get("Text").toString(), "Grace Hopper");
}

// Every refusal names the file, the place and the key at fault.
TEST(FormFileTest, BadInputIsRefusedNamingFilePlaceAndKey) {
  struct Case {
    const char* text;
    const char* place;
    const char* key;
    const char* problemPart;
  };
  const Case cases[] = {
      {R"({"Form": {"Controls": [)", "line 1, column 24", "", "not valid JSON"},
      {R"([1, 2])", "", "", "one JSON object"},
      {R"({"Window": {}})", "", "Form", "missing"},
      {R"({"Form": {}, "Extra": 1})", "", "Extra", "not a key"},
      {R"({"Form": {"Controls": [{"Type": "Label", "Name": "A"}, {"Type": "NoSuchThing", "Name": "B"}]}})",
       "Form.Controls[1]", "Type", "NoSuchThing"},
      {R"({"Form": {"Controls": [{"Type": "Label", "Name": "A", "Colour": 1}]}})", "Form.Controls[0]",
       "Colour", "not a property of Label"},
      {R"({"Form": {"Controls": [{"Type": "Label", "Name": "A", "Caption": 12}]}})", "Form.Controls[0]",
       "Caption", "must be text"},
      {R"({"Form": {"Controls": [{"Type": "Label", "Name": "A", "Alignment": 7}]}})", "Form.Controls[0]",
       "Alignment", "Invalid property value"},
      {R"({"Form": {"Controls": [{"Type": "Frame", "Name": "F", "Controls": [{"Type": "Label", "Name": "A",
          "Controls": [{"Type": "Label", "Name": "B"}]}]}]}})",
       "Form.Controls[0].Controls[0]", "Controls", "cannot hold controls"},
      {R"({"Form": {"Controls": [{"Type": "Label"}]}})", "Form.Controls[0]", "Name", "missing"},
      {R"({"Form": {"Controls": [{"Type": "Label", "Name": "A"}, {"Type": "TextBox", "Name": "a"}]}})",
       "Form.Controls[1]", "Name", "already the name"},
      {R"({"Form": {"Caption": "x", "CAPTION": "y"}})", "Form", "Caption", "given twice"},
      {R"({"Form": {"Controls": [{"Type": "Label", "Name": "A", "Font": {"Size": "big"}}]}})",
       "Form.Controls[0].Font", "Size", "must be a number"},
      {R"({"Form": {"Controls": [{"Type": "Label", "Name": "A", "Font": {"Slant": 1}}]}})",
       "Form.Controls[0].Font", "Slant", "not a property of a font"},
      {R"({"Form": {"Controls": [{"Type": "Label", "Name": "A", "Properties": {}}]}})", "Form.Controls[0]",
       "Properties", "property bag"},
      {R"({"Form": {"Controls": [{"Type": "ListBox", "Name": "A", "List": "one"}]}})", "Form.Controls[0]",
       "List", "must be an array"},
      {R"({"Form": {"Controls": [{"Type": "Image", "Name": "A", "Picture": "missing.png"}]}})",
       "Form.Controls[0]", "Picture", "missing.png"},
      {R"({"Form": {"Controls": [{"Type": "TextBox", "Name": "A", "hWnd": 5}]}})", "Form.Controls[0]", "hWnd",
       "read-only"},
      {R"({"Form": {"Forms": []}})", "Form", "Forms", "MDIForm"},
      {R"({"Form": {"Type": "MDIForm", "Forms": [{"Name": "C"}], "ActiveForm": "D"}})", "Form", "ActiveForm",
       "no child form"},
      {R"({"Form": {"Width": 1e15}})", "Form", "Width", "Long range"},
      {R"({"Form": {"Height": -2147483649}})", "Form", "Height", "Long range"},
      {R"({"Form": {"Controls": [{"Type": "Label", "Name": "A", "Top": 3e9}]}})", "Form.Controls[0]", "Top",
       "Long range"},
      {R"({"Form": {"Controls": [{"Type": "Line", "Name": "A", "X2": -1e12}]}})", "Form.Controls[0]", "X2",
       "Long range"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const FormFileError error = loadError(c.text);
    EXPECT_EQ(error.file(), "test.json");
    EXPECT_EQ(error.place(), c.place);
    EXPECT_EQ(error.key(), c.key);
    EXPECT_NE(error.problem().find(c.problemPart), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("test.json"), std::string::npos);
  }
}

TEST(FormFileTest, MissingFileIsRefusedNamingIt) {
  const fs::path missing = testsupport::makeTempDir() / "absent.json";
  try {
    (void)host::loadFormFile(missing);
    FAIL() << "a missing file loaded";
  } catch (const FormFileError& error) {
    EXPECT_EQ(error.file(), missing.string());
    EXPECT_NE(error.problem().find("no such file"), std::string::npos);
  }
}

TEST(FormFileTest, SavingToAFileWritesItWhole) {
  const fs::path folder = testsupport::makeTempDir();
  auto form = host::loadFormFile(formsFolder / "all-families.json");
  fs::create_directories(folder / "pictures");
  fs::copy_file(formsFolder / "pictures" / "red.png", folder / "pictures" / "red.png");
  form->set("Caption", Value("Copied"));
  host::saveFormFile(*form, folder / "copy.json");
  auto reloaded = host::loadFormFile(folder / "copy.json");
  EXPECT_EQ(reloaded->get("Caption").toString(), "Copied");
  EXPECT_FALSE(host::pictureOf(*controlOf(*reloaded, "Logo")).isNull());
  EXPECT_THROW(host::saveFormFile(*form, folder / "no-such-folder" / "x.json"), FormFileError);
}

// Mutated and truncated form texts never crash the loader: each either loads
// or is refused with a FormFileError (a HostError escaping would fail here too).
TEST(FormFileTest, MutatedInputIsEitherLoadedOrRefused) {
  const std::string sample = readText(formsFolder / "all-families.json");
  const std::string fragments[] = {"{",        "}",         "[",     "]",
                                   ",",        ":",         "\"",    "null",
                                   "true",     "-1",        "1e309", "\"Controls\"",
                                   "\"Type\"", "\"Frame\"", "\"#\"", "{\"Type\":\"Line\"}"};
  std::mt19937 random(20261208);
  int loaded = 0;
  int refused = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = sample;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const std::size_t at = random() % text.size();
      switch (random() % 4) {
        case 0:
          text.resize(at);
          break;
        case 1:
          text[at] = static_cast<char>(random() % 128);
          break;
        case 2:
          text.insert(at, fragments[random() % std::size(fragments)]);
          break;
        default:
          text.erase(at, 1 + random() % 20);
          break;
      }
    }
    try {
      auto form = host::loadFormText(text, formsFolder, "mutated");
      ASSERT_NE(form, nullptr);
      ++loaded;
    } catch (const FormFileError&) {
      ++refused;
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_EQ(loaded + refused, 3000);
}

TEST(FormFile, AFormFileOrARichTextThatIsNoRegularFileIsRefusedAtOnce) {
  const fs::path folder = testsupport::makeTempDir();
  ASSERT_EQ(mkfifo((folder / "form.json").c_str(), 0600), 0);
  try {
    (void)host::loadFormFile(folder / "form.json");
    ADD_FAILURE() << "a pipe loaded as a form";
  } catch (const host::FormFileError& error) {
    EXPECT_NE(error.problem().find("not a regular file"), std::string::npos) << error.what();
  }
  host::RichTextBox box;
  EXPECT_EQ(testsupport::errorNumberOf([&] { box.set("FileName", host::Value("/dev/zero")); }),
            host::err::FileNotFound);
  fs::remove_all(folder);
}

TEST(FormFile, AUserFileIsReadWholeIntoNoMoreMemoryThanItHolds) {
  // Each file a form names was once read into a buffer set aside for the
  // largest file allowed (64 MB for a file of a few bytes).
  const fs::path folder = testsupport::makeTempDir();
  const std::string text = "Item,Count\r\nNuts,7\r\n";
  std::ofstream(folder / "cells.csv", std::ios::binary) << text;
  const QByteArray bytes = host::readUserFile(folder / "cells.csv");
  EXPECT_EQ(bytes.toStdString(), text);
  EXPECT_LT(bytes.capacity(), 1 << 16);
  std::string larger(300000, 'x');
  std::ofstream(folder / "larger.txt", std::ios::binary) << larger;
  EXPECT_EQ(host::readUserFile(folder / "larger.txt").size(), 300000);
  fs::remove_all(folder);
}

}  // namespace
