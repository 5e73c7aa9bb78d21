#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/model/Components.h"
#include "host/model/FormFile.h"
#include "host/model/UserControl.h"

namespace {

namespace fs = std::filesystem;
using host::Value;

fs::path binFolder() {
  if (const char* folder = std::getenv("VELLORA_BIN_DIR"); folder != nullptr && *folder != '\0')
    return folder;
  return fs::path(VELLORA_BINARY_DIR) / "bin";
}

// Each test gets a registry of its own under a fresh data folder.
class ComponentsTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* previous = std::getenv("XDG_DATA_HOME");
    if (previous != nullptr) previousDataHome_ = previous;
    dataHome_ = testsupport::makeTempDir("vellora-registry");
    setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
  }
  void TearDown() override {
    if (previousDataHome_) {
      setenv("XDG_DATA_HOME", previousDataHome_->c_str(), 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
  }

  [[nodiscard]] static std::string registryText() {
    std::ifstream file(host::componentRegistryPath());
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  }

  fs::path dataHome_;
  std::optional<std::string> previousDataHome_;
};

TEST_F(ComponentsTest, RegistryLivesUnderTheDataFolder) {
  EXPECT_EQ(host::componentRegistryPath(), dataHome_ / "vellora" / "components.json");
  unsetenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(host::componentRegistryPath(),
            fs::path(home) / ".local" / "share" / "vellora" / "components.json");
}

TEST_F(ComponentsTest, RegisteringWritesAndUnregisteringRemovesTheClass) {
  EXPECT_TRUE(host::registeredComponents().empty()) << "a registry that does not exist yet is empty";
  host::registerComponent("Gauxel", "/opt/controls/libGauxelctl.so");
  host::registerComponent("Vellora", "/opt/controls/libVelloractl.so");
  EXPECT_NE(registryText().find("\"Gauxel\": \"/opt/controls/libGauxelctl.so\""), std::string::npos)
      << registryText();
  EXPECT_EQ(host::registeredLibrary("gauxel"), fs::path("/opt/controls/libGauxelctl.so"));

  host::registerComponent("GAUXEL", "/elsewhere/libGauxelctl.so");
  EXPECT_EQ(host::registeredComponents().size(), 2u) << "registering again replaces, whatever the case";

  host::unregisterComponent("gauxel");
  EXPECT_FALSE(host::registeredLibrary("Gauxel"));
  EXPECT_TRUE(host::registeredLibrary("Vellora"));
  host::unregisterComponent("NeverRegistered");
  EXPECT_EQ(host::registeredComponents().size(), 1u);
}

TEST_F(ComponentsTest, AMalformedRegistryIsReportedNotOverwritten) {
  fs::create_directories(host::componentRegistryPath().parent_path());
  std::ofstream(host::componentRegistryPath()) << "{ this is not json";
  try {
    host::registerComponent("Gauxel", "/x/libGauxelctl.so");
    FAIL() << "a malformed registry was accepted";
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), host::err::PathFileAccess);
    EXPECT_NE(error.description().find(host::componentRegistryPath().string()), std::string::npos);
  }
  std::ifstream kept(host::componentRegistryPath());
  std::string text((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "{ this is not json");
}

TEST_F(ComponentsTest, CreatingFailsClearlyForUnregisteredClassesAndBadLibraries) {
  try {
    (void)host::createComponent("Nothing");
    FAIL();
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), host::err::CannotCreateObject);
    EXPECT_NE(error.description().find("Nothing"), std::string::npos);
  }
  host::registerComponent("Ghost", dataHome_ / "libGhost.so");
  try {
    (void)host::createComponent("Ghost");
    FAIL();
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), host::err::CannotLoadLibrary);
  }
  // A library that exists but serves another class.
  host::registerComponent("Impostor", binFolder() / "libGauxelctl.so");
  try {
    (void)host::createComponent("Impostor");
    FAIL();
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), host::err::CannotCreateObject);
  }
}

TEST_F(ComponentsTest, EnsureRegistersBothLibrariesOnceWithTheirOwnPaths) {
  const auto registered = host::ensureComponentsRegistered(binFolder());
  EXPECT_EQ(registered, (std::vector<std::string>{"Vellora", "Gauxel"}));
  EXPECT_EQ(host::registeredLibrary("Vellora"),
            fs::absolute(binFolder() / "libVelloractl.so").lexically_normal());
  EXPECT_EQ(host::registeredLibrary("Gauxel"),
            fs::absolute(binFolder() / "libGauxelctl.so").lexically_normal());
  EXPECT_TRUE(host::ensureComponentsRegistered(binFolder()).empty()) << "nothing to do the second time";

  // A registration pointing at a library that is gone is renewed.
  host::registerComponent("Gauxel", dataHome_ / "moved" / "libGauxelctl.so");
  EXPECT_EQ(host::ensureComponentsRegistered(binFolder()), (std::vector<std::string>{"Gauxel"}));
  EXPECT_TRUE(host::ensureComponentsRegistered(dataHome_).empty()) << "a folder without the libraries";
}

TEST_F(ComponentsTest, EntryPointsServeTheirClassAndCountLiveInstances) {
  for (const auto& [className, fileName] : host::knownControlLibraries) {
    SCOPED_TRACE(className);
    const std::string otherClass = std::string(className) == "Vellora" ? "Gauxel" : "Vellora";
    void* library = dlopen((binFolder() / fileName).c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto* getClassObject =
        reinterpret_cast<int (*)(const char*, host::ClassFactory**)>(dlsym(library, "DllGetClassObject"));
    auto* canUnloadNow = reinterpret_cast<int (*)()>(dlsym(library, "DllCanUnloadNow"));
    auto* registerServer = reinterpret_cast<int (*)()>(dlsym(library, "DllRegisterServer"));
    auto* unregisterServer = reinterpret_cast<int (*)()>(dlsym(library, "DllUnregisterServer"));
    ASSERT_TRUE(getClassObject && canUnloadNow && registerServer && unregisterServer);

    host::ClassFactory* factory = nullptr;
    EXPECT_NE(getClassObject(otherClass.c_str(), &factory), host::hr::S_OK);
    EXPECT_EQ(factory, nullptr);
    EXPECT_NE(getClassObject(className, nullptr), host::hr::S_OK);
    ASSERT_EQ(getClassObject(className, &factory), host::hr::S_OK);
    ASSERT_NE(factory, nullptr);

    EXPECT_EQ(canUnloadNow(), host::hr::S_OK);
    {
      host::ObjectRef first = factory->CreateInstance();
      host::ObjectRef second = factory->CreateInstance();
      EXPECT_EQ(first->typeName(), className);
      EXPECT_EQ(canUnloadNow(), host::hr::S_FALSE);
      first.reset();
      EXPECT_EQ(canUnloadNow(), host::hr::S_FALSE) << "one instance is still alive";
    }
    EXPECT_EQ(canUnloadNow(), host::hr::S_OK);

    // Each library registers itself with its own path, never the other's.
    EXPECT_EQ(registerServer(), host::hr::S_OK);
    EXPECT_EQ(host::registeredLibrary(className), fs::absolute(binFolder() / fileName).lexically_normal());
    EXPECT_EQ(unregisterServer(), host::hr::S_OK);
    EXPECT_FALSE(host::registeredLibrary(className));
  }
}

TEST_F(ComponentsTest, FormFileNamingBothControlsLoadsThemThroughTheRegistry) {
  host::ensureComponentsRegistered(binFolder());
  const fs::path sample = fs::path(VELLORA_SOURCE_DIR) / "tests" / "forms" / "components.json";
  auto form = host::loadFormFile(sample);

  host::ObjectRef printControl = form->control("Vellora1");
  ASSERT_NE(printControl, nullptr);
  EXPECT_EQ(printControl->typeName(), "Vellora");
  EXPECT_EQ(printControl->get("Zoom").toInteger(), 80);
  EXPECT_EQ(printControl->get("TopTitle").toString(), "Quarterly report");
  EXPECT_EQ(printControl->get("PrevBkColor").toLong(), 0x808080);
  EXPECT_EQ(printControl->get("Left").toLong(), 5400);
  auto titlesFont = host::getObject(*printControl, "TitlesFont");
  EXPECT_EQ(titlesFont->get("Size").toDouble(), 12.0) << "a font in the bag comes back whole";
  EXPECT_TRUE(titlesFont->get("Bold").toBool());

  host::ObjectRef resizer = form->control("Gauxel1");
  ASSERT_NE(resizer, nullptr);
  EXPECT_EQ(resizer->typeName(), "Gauxel");
  EXPECT_TRUE(resizer->get("Resize").toBool());
  EXPECT_EQ(resizer->get("SetScale").toLong(), 1024);
  EXPECT_EQ(resizer->get("factor").toDouble(), 1.0);

  // Saved again, the settings go back under Properties, defaults left out.
  const std::string saved = host::saveFormText(*form, sample.parent_path());
  auto reloaded = host::loadFormText(saved, sample.parent_path(), "saved");
  EXPECT_EQ(host::saveFormText(*reloaded, sample.parent_path()), saved);
  EXPECT_NE(saved.find("\"SetScale\": 1024"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"Zoom\": 80"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("\"Enabled\""), std::string::npos) << "a default is not written:\n" << saved;
}

TEST_F(ComponentsTest, FormFileWithAnUnregisteredComponentIsRefusedNamingTheType) {
  try {
    (void)host::loadFormText(R"({"Form": {"Controls": [{"Type": "Gauxel", "Name": "Gauxel1"}]}})", {},
                             "t.json");
    FAIL() << "an unregistered component loaded";
  } catch (const host::FormFileError& error) {
    EXPECT_EQ(error.place(), "Form.Controls[0]");
    EXPECT_EQ(error.key(), "Type");
    EXPECT_NE(error.problem().find("Gauxel"), std::string::npos);
  }
}

TEST_F(ComponentsTest, ABrokenLibraryDoesNotKeepTheOtherUnregistered) {
  const fs::path folder = testsupport::makeTempDir("vellora-libraries");
  std::ofstream(folder / "libVelloractl.so") << "not a library";
  fs::create_symlink(fs::absolute(binFolder() / "libGauxelctl.so"), folder / "libGauxelctl.so");
  try {
    host::ensureComponentsRegistered(folder);
    FAIL() << "a broken library was registered";
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), host::err::CannotLoadLibrary);
    EXPECT_NE(error.description().find("libVelloractl.so"), std::string::npos) << error.description();
  }
  EXPECT_FALSE(host::registeredLibrary("Vellora"));
  ASSERT_TRUE(host::registeredLibrary("Gauxel"));
  EXPECT_TRUE(fs::exists(*host::registeredLibrary("Gauxel")));
}

TEST_F(ComponentsTest, ResizerInAFormFileLoadsThroughTheRegistryAndSavesItsBag) {
  host::registerComponent("Gauxel", binFolder() / "libGauxelctl.so");
  auto form = host::loadFormText(R"({"Form": {"Width": 8000, "Controls": [
      {"Type": "Gauxel", "Name": "Gauxel1", "Left": 120, "Tag": "nosize",
       "Properties": {"resize": true, "Factor": 1.5, "Zoom": 90, "HScale": 1024, "WidthForm": 8000}}]}})");
  host::ObjectRef resizer = form->control("Gauxel1");
  ASSERT_NE(resizer, nullptr);
  EXPECT_EQ(resizer->typeName(), "Gauxel");
  EXPECT_EQ(resizer->kind(), host::Kind::UserControl);
  EXPECT_TRUE(resizer->get("Resize").toBool());
  EXPECT_EQ(resizer->get("Factor").toDouble(), 1.5) << "Factor is read from the bag";
  EXPECT_EQ(resizer->get("Zoom").toInteger(), 90);
  EXPECT_EQ(resizer->get("Left").toLong(), 120);

  const std::string saved = host::saveFormText(*form);
  EXPECT_NE(saved.find("\"Properties\": {\n          \"Resize\": true,\n          \"HScale\": 1024,\n"
                       "          \"WidthForm\": 8000\n"),
            std::string::npos)
      << saved;
  EXPECT_EQ(saved.find("Factor"), std::string::npos) << "Factor and Zoom are never written";
  EXPECT_NE(saved.find("\"Tag\": \"nosize\""), std::string::npos);
  auto reloaded = host::loadFormText(saved);
  EXPECT_EQ(host::saveFormText(*reloaded), saved);
  EXPECT_EQ(reloaded->control("Gauxel1")->get("Zoom").toInteger(), 100);
}

// A stored value of the wrong type takes the property's default, as the bag
// promises: the form loads, and the note says which value was passed over.
TEST_F(ComponentsTest, BagValuesOfTheWrongTypeTakeTheDefaultAndAreReported) {
  host::registerComponent("Gauxel", binFolder() / "libGauxelctl.so");
  const auto form = host::loadFormText(
      R"({"Form": {"Controls": [{"Type": "Gauxel", "Name": "G", "Properties": {"SetScale": "wide"}}]}})",
      {}, "t.json");
  ASSERT_EQ(form->loadNotes().size(), 1u);
  const std::string& note = form->loadNotes().front();
  EXPECT_EQ(note.rfind("Form.Controls[0].Properties.SetScale: ", 0), 0u) << note;
  EXPECT_NE(note.find("the default is used"), std::string::npos) << note;
  ASSERT_NE(form->control("G"), nullptr);
}

}  // namespace
