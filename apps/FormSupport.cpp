#include "apps/FormSupport.h"

#include <cstdlib>
#include <iostream>

#include "host/HostError.h"
#include "host/model/Components.h"
#include "host/model/FormFile.h"
#include "printctl/Vellora.h"
#include "resizer/Gauxel.h"

namespace fs = std::filesystem;

namespace app {

namespace {

// The control libraries beside the program in the build, or in the library
// folder of an installation (<prefix>/bin/vellora, <prefix>/lib/...).
fs::path controlLibraryFolder(const fs::path& programFolder) {
  for (const fs::path& folder : {programFolder, programFolder / ".." / "lib"}) {
    std::error_code error;
    if (fs::exists(folder / host::knownControlLibraries[0].second, error)) return fs::weakly_canonical(folder);
  }
  return programFolder;
}

}  // namespace

bool displayAvailable() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

void registerOwnComponents(const fs::path& programFolder) {
  const fs::path folder = controlLibraryFolder(programFolder);
  host::ensureComponentsRegistered(folder);
  for (const auto& [className, library] : host::knownControlLibraries) {
    const fs::path ours = folder / library;
    if (!fs::exists(ours)) continue;
    const auto registered = host::registeredLibrary(className);
    std::error_code error;
    if (!registered || !fs::equivalent(*registered, ours, error)) host::registerComponent(className, ours);
  }
}

std::shared_ptr<host::Form> loadFormOrSayWhy(const fs::path& file) {
  try {
    return host::loadFormFile(file);
  } catch (const host::FormFileError& error) {
    std::cerr << "vellora: " << error.what() << std::endl;
  } catch (const host::HostError& error) {
    std::cerr << "vellora: " << file.string() << ": " << error.what() << std::endl;
  }
  return nullptr;
}

std::shared_ptr<Vellora> printControlOf(host::Form& form) {
  for (const host::ObjectRef& control : form.controls()) {
    if (auto vellora = std::dynamic_pointer_cast<Vellora>(control)) return vellora;
    if (control->typeName() == "Vellora") return nullptr;
  }
  auto vellora = std::make_shared<Vellora>();
  form.adopt(vellora);
  host::resume([&] { vellora->set("Name", host::Value("Vellora1")); });
  vellora->InitProperties();
  return vellora;
}

std::shared_ptr<Gauxel> resizerOf(const host::Form& form) {
  for (const host::ObjectRef& control : form.controls()) {
    if (control->typeName() == "Gauxel") return std::dynamic_pointer_cast<Gauxel>(control);
  }
  return nullptr;
}

}  // namespace app
