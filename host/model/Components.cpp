#include "host/model/Components.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cstdlib>
#include <mutex>

#include "host/HostError.h"
#include "host/Lang.h"

namespace host {

namespace fs = std::filesystem;

namespace {

using Registry = std::map<std::string, fs::path>;

[[noreturn]] void registryFailure(const fs::path& file, const std::string& what) {
  raise(err::PathFileAccess, "Component registry " + file.string() + ": " + what);
}

fs::path dataFolder() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0') return data;
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
    return fs::path(home) / ".local" / "share";
  return fs::temp_directory_path();
}

// Holds an exclusive lock on the registry's lock file while the registry is
// read, changed and written back, so two processes never lose each other's entry.
class RegistryLock {
 public:
  explicit RegistryLock(const fs::path& registry) {
    std::error_code ignored;
    fs::create_directories(registry.parent_path(), ignored);
    const fs::path lockFile = registry.string() + ".lock";
    descriptor_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor_ < 0) registryFailure(registry, "cannot open the lock file " + lockFile.string());
    if (::flock(descriptor_, LOCK_EX) != 0) {
      ::close(descriptor_);
      registryFailure(registry, "cannot lock the registry");
    }
  }
  RegistryLock(const RegistryLock&) = delete;
  RegistryLock& operator=(const RegistryLock&) = delete;
  ~RegistryLock() {
    ::flock(descriptor_, LOCK_UN);
    ::close(descriptor_);
  }

 private:
  int descriptor_ = -1;
};

Registry readRegistry(const fs::path& file) {
  QFile input(QString::fromStdString(file.string()));
  if (!input.exists()) return {};
  if (!input.open(QIODevice::ReadOnly)) registryFailure(file, "cannot be read");
  QJsonParseError parseError{};
  const QJsonDocument document = QJsonDocument::fromJson(input.readAll(), &parseError);
  if (parseError.error != QJsonParseError::NoError || !document.isObject())
    registryFailure(file, "is not a JSON object of class names and library paths");
  Registry registry;
  const QJsonObject classes = document.object();
  for (auto entry = classes.begin(); entry != classes.end(); ++entry) {
    if (!entry.value().isString())
      registryFailure(file, "the library of \"" + entry.key().toStdString() + "\" is not a path");
    registry[entry.key().toStdString()] = entry.value().toString().toStdString();
  }
  return registry;
}

void writeRegistry(const fs::path& file, const Registry& registry) {
  QJsonObject classes;
  for (const auto& [className, library] : registry)
    classes.insert(QString::fromStdString(className), QString::fromStdString(library.string()));
  QSaveFile output(QString::fromStdString(file.string()));
  if (!output.open(QIODevice::WriteOnly)) registryFailure(file, "cannot be written");
  output.write(QJsonDocument(classes).toJson(QJsonDocument::Indented));
  if (!output.commit()) registryFailure(file, "cannot be written");
}

// The registry's own spelling of a class name, or the end of the map.
Registry::iterator findClass(Registry& registry, std::string_view className) {
  for (auto entry = registry.begin(); entry != registry.end(); ++entry)
    if (equalsNoCase(entry->first, className)) return entry;
  return registry.end();
}

template <class Change>
void changeRegistry(Change&& change) {
  const fs::path file = componentRegistryPath();
  RegistryLock lock(file);
  Registry registry = readRegistry(file);
  change(registry);
  writeRegistry(file, registry);
}

// Libraries stay loaded for the life of the process: their controls and
// factories may be referenced anywhere.
struct LoadedLibraries {
  std::mutex mutex;
  std::map<std::string, void*> handles;  // by absolute path
};
LoadedLibraries& loadedLibraries() {
  static LoadedLibraries libraries;
  return libraries;
}

void* loadLibrary(const fs::path& library) {
  LoadedLibraries& loaded = loadedLibraries();
  std::lock_guard guard(loaded.mutex);
  const std::string key = library.string();
  if (auto found = loaded.handles.find(key); found != loaded.handles.end()) return found->second;
  void* handle = ::dlopen(key.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = ::dlerror();
    raise(err::CannotLoadLibrary,
          "Error in loading DLL " + key + (reason != nullptr ? std::string(": ") + reason : std::string()));
  }
  loaded.handles.emplace(key, handle);
  return handle;
}

template <class Function>
Function* entryPoint(void* library, const fs::path& path, const char* name) {
  void* symbol = ::dlsym(library, name);
  if (symbol == nullptr)
    raise(err::EntryPointNotFound,
          "Can't find DLL entry point " + std::string(name) + " in " + path.string());
  return reinterpret_cast<Function*>(symbol);
}

[[noreturn]] void cannotCreate(std::string_view className, const std::string& why) {
  raise(err::CannotCreateObject,
        "ActiveX component can't create object: " + std::string(className) + " (" + why + ")");
}

}  // namespace

fs::path componentRegistryPath() { return dataFolder() / "vellora" / "components.json"; }

std::map<std::string, fs::path> registeredComponents() { return readRegistry(componentRegistryPath()); }

std::optional<fs::path> registeredLibrary(std::string_view className) {
  Registry registry = registeredComponents();
  auto entry = findClass(registry, className);
  if (entry == registry.end()) return std::nullopt;
  return entry->second;
}

void registerComponent(std::string_view className, const fs::path& libraryPath) {
  const fs::path library = fs::absolute(libraryPath).lexically_normal();
  changeRegistry([&](Registry& registry) {
    if (auto entry = findClass(registry, className); entry != registry.end()) registry.erase(entry);
    registry[std::string(className)] = library;
  });
}

void unregisterComponent(std::string_view className) {
  changeRegistry([&](Registry& registry) {
    if (auto entry = findClass(registry, className); entry != registry.end()) registry.erase(entry);
  });
}

ObjectRef createComponent(std::string_view className) {
  const std::optional<fs::path> library = registeredLibrary(className);
  if (!library) cannotCreate(className, "the class is not registered");
  void* handle = loadLibrary(*library);
  auto* getClassObject = entryPoint<int(const char*, ClassFactory**)>(handle, *library, "DllGetClassObject");
  ClassFactory* factory = nullptr;
  const std::string name(className);
  if (getClassObject(name.c_str(), &factory) != hr::S_OK || factory == nullptr)
    cannotCreate(className, library->string() + " does not serve it");
  ObjectRef instance = factory->CreateInstance();
  if (!instance) cannotCreate(className, "its factory made no instance");
  return instance;
}

std::vector<std::string> ensureComponentsRegistered(const fs::path& folder) {
  std::vector<std::string> registered;
  std::string failures;  // one library that cannot be registered does not keep the other out
  for (const auto& [className, fileName] : knownControlLibraries) {
    const fs::path library = folder / fileName;
    if (!fs::exists(library)) continue;
    const std::optional<fs::path> current = registeredLibrary(className);
    if (current && fs::exists(*current)) continue;
    try {
      void* handle = loadLibrary(fs::absolute(library).lexically_normal());
      auto* registerServer = entryPoint<int()>(handle, library, "DllRegisterServer");
      if (registerServer() != hr::S_OK)
        registryFailure(componentRegistryPath(), std::string("registering ") + className + " failed");
      registered.emplace_back(className);
    } catch (const HostError& error) {
      failures += (failures.empty() ? "" : "; ") + error.description();
    }
  }
  if (!failures.empty()) raise(err::CannotLoadLibrary, failures);
  return registered;
}

fs::path libraryPathOf(const void* address) {
  Dl_info info{};
  if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  return fs::absolute(info.dli_fname).lexically_normal();
}

int selfRegister(std::string_view className, const void* addressInLibrary) noexcept {
  try {
    const fs::path library = libraryPathOf(addressInLibrary);
    if (library.empty()) return hr::SELFREG_E_CLASS;
    registerComponent(className, library);
    return hr::S_OK;
  } catch (const HostError&) {
    return hr::SELFREG_E_CLASS;
  }
}

int selfUnregister(std::string_view className) noexcept {
  try {
    unregisterComponent(className);
    return hr::S_OK;
  } catch (const HostError&) {
    return hr::SELFREG_E_CLASS;
  }
}

int serveClassObject(const char* requested, std::string_view className, ClassFactory& factory,
                     ClassFactory** result) noexcept {
  if (result == nullptr) return hr::E_POINTER;
  *result = nullptr;
  if (requested == nullptr || !equalsNoCase(requested, className)) return hr::CLASS_E_CLASSNOTAVAILABLE;
  *result = &factory;
  return hr::S_OK;
}

}  // namespace host
