#pragma once
// The host's component registry and the class-factory contract of the control
// libraries. The registry is a JSON file under the user's data folder
// ($XDG_DATA_HOME, else ~/.local/share, then "vellora/components.json") that
// maps a control class name ("Vellora", "Gauxel") to the library that holds it.
//
// A control library exports, with C linkage, the four entry points of an
// in-process component server; see the declarations at the end of this file.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/Value.h"

namespace host {

// Results of the entry points, as an in-process component server returns them.
namespace hr {
inline constexpr int S_OK = 0;
inline constexpr int S_FALSE = 1;
inline constexpr int E_POINTER = static_cast<int>(0x80004003u);
inline constexpr int CLASS_E_CLASSNOTAVAILABLE = static_cast<int>(0x80040111u);
inline constexpr int SELFREG_E_CLASS = static_cast<int>(0x80040201u);
}  // namespace hr

// Host run-time errors of component creation.
namespace err {
inline constexpr int PathFileAccess = 75;
inline constexpr int CannotLoadLibrary = 48;
inline constexpr int EntryPointNotFound = 453;
inline constexpr int CannotCreateObject = 429;
}  // namespace err

// Makes instances of one control class. A library's factory belongs to the
// library and lives as long as the library is loaded; callers never release it.
class ClassFactory {
 public:
  ClassFactory() = default;
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;
  virtual ~ClassFactory() = default;
  // A new instance of the class; never nullptr (failures raise HostError).
  [[nodiscard]] virtual ObjectRef CreateInstance() = 0;
};

// --- the registry -----------------------------------------------------------

// The registry file (it need not exist yet).
[[nodiscard]] std::filesystem::path componentRegistryPath();

// Every registered class with its library, class names as registered.
// A missing registry is empty; an unreadable or malformed one raises
// HostError 75 naming the file.
[[nodiscard]] std::map<std::string, std::filesystem::path> registeredComponents();
// The library of a class (names compared without regard to case).
[[nodiscard]] std::optional<std::filesystem::path> registeredLibrary(std::string_view className);

// Records (or replaces) the library of a class; the path is stored absolute.
// Concurrent writers are serialised by a lock file beside the registry, and
// the file is replaced atomically, so a reader never sees half a registry.
// Raises HostError 75 when the registry cannot be read or written.
void registerComponent(std::string_view className, const std::filesystem::path& libraryPath);
// Removes a class; removing a class that is not registered does nothing.
void unregisterComponent(std::string_view className);

// A new instance of a registered class: loads its library (once; it stays
// loaded), asks its DllGetClassObject for the class factory and the factory
// for an instance. Raises HostError 429 naming the class when it is not
// registered or the library does not serve it, 48 when the library cannot be
// loaded, 453 when it lacks the entry point.
[[nodiscard]] ObjectRef createComponent(std::string_view className);

// The class served by each of the two control libraries, by file name.
inline constexpr std::pair<const char*, const char*> knownControlLibraries[] = {
    {"Vellora", "libVelloractl.so"},
    {"Gauxel", "libGauxelctl.so"},
};

// Registers libVelloractl.so and libGauxelctl.so found in `folder` when their
// class is not registered yet or is registered to a library that no longer
// exists; calls each library's own DllRegisterServer. Returns the classes it
// registered. A library missing from the folder is left alone; one that cannot
// be loaded or registered does not keep the other out: once the other is
// registered, HostError 48 names every library that failed.
std::vector<std::string> ensureComponentsRegistered(const std::filesystem::path& folder);

// --- helpers for the control libraries' entry points ------------------------

// The path of the loaded library (or program) that holds `address`.
[[nodiscard]] std::filesystem::path libraryPathOf(const void* address);

// DllRegisterServer: registers `className` with the library holding `addressInLibrary`.
[[nodiscard]] int selfRegister(std::string_view className, const void* addressInLibrary) noexcept;
// DllUnregisterServer.
[[nodiscard]] int selfUnregister(std::string_view className) noexcept;
// DllGetClassObject: hands out `factory` when `requested` names `className`.
[[nodiscard]] int serveClassObject(const char* requested, std::string_view className, ClassFactory& factory,
                                   ClassFactory** result) noexcept;

// A control instance that counts itself among the live instances of its
// library while it exists (DllCanUnloadNow answers from the count).
template <class ControlClass>
class CountedInstance final : public ControlClass {
 public:
  explicit CountedInstance(std::atomic<int>& live) : live_(live) { ++live_; }
  ~CountedInstance() override { --live_; }

 private:
  std::atomic<int>& live_;
};

// The class factory of a control library's one control class. The count of
// live instances is kept outside the factory, in a constinit atomic of the
// library, so that instances outliving the factory at exit stay harmless.
template <class ControlClass>
class ControlFactory final : public ClassFactory {
 public:
  explicit ControlFactory(std::atomic<int>& live) : live_(live) {}
  [[nodiscard]] ObjectRef CreateInstance() override {
    return std::make_shared<CountedInstance<ControlClass>>(live_);
  }
  [[nodiscard]] int liveInstances() const { return live_; }
  // DllCanUnloadNow: S_OK when no instance is alive, else S_FALSE.
  [[nodiscard]] int canUnloadNow() const { return live_ == 0 ? hr::S_OK : hr::S_FALSE; }

 private:
  std::atomic<int>& live_;
};

// What the four entry points of a control library do for its one control
// class. A library keeps one server in an unnamed namespace, beside the
// constinit count of its live instances, and defines its entry points with
// HOST_COMPONENT_ENTRY_POINTS. DllRegisterServer registers the library that
// holds the count: the address of a symbol of that library alone, since an
// exported function could be bound to the other control library's entry point
// of the same name.
template <class ControlClass>
class ComponentServer {
 public:
  ComponentServer(std::string_view className, std::atomic<int>& live)
      : className_(className), live_(live), factory_(live) {}
  ComponentServer(const ComponentServer&) = delete;
  ComponentServer& operator=(const ComponentServer&) = delete;

  [[nodiscard]] int registerServer() const noexcept { return selfRegister(className_, &live_); }
  [[nodiscard]] int unregisterServer() const noexcept { return selfUnregister(className_); }
  [[nodiscard]] int classObject(const char* requested, ClassFactory** result) noexcept {
    return serveClassObject(requested, className_, factory_, result);
  }
  [[nodiscard]] int canUnloadNow() const noexcept { return factory_.canUnloadNow(); }

 private:
  std::string_view className_;
  std::atomic<int>& live_;
  ControlFactory<ControlClass> factory_;
};

}  // namespace host

// The entry points every control library exports (C linkage, default visibility).
#define HOST_COMPONENT_EXPORT extern "C" __attribute__((visibility("default")))
HOST_COMPONENT_EXPORT int DllRegisterServer();
HOST_COMPONENT_EXPORT int DllUnregisterServer();
// Returns 0 and the library's factory when it serves `className`; nonzero otherwise.
HOST_COMPONENT_EXPORT int DllGetClassObject(const char* className, host::ClassFactory** factory);
// 0 when no instance of the library's class is alive, 1 otherwise.
HOST_COMPONENT_EXPORT int DllCanUnloadNow();

// Defines the four entry points of the library that expands it, each handing
// the call to that library's ComponentServer `server`.
#define HOST_COMPONENT_ENTRY_POINTS(server)                                                          \
  HOST_COMPONENT_EXPORT int DllRegisterServer() { return (server).registerServer(); }                \
  HOST_COMPONENT_EXPORT int DllUnregisterServer() { return (server).unregisterServer(); }            \
  HOST_COMPONENT_EXPORT int DllGetClassObject(const char* className, host::ClassFactory** result) { \
    return (server).classObject(className, result);                                                  \
  }                                                                                                  \
  HOST_COMPONENT_EXPORT int DllCanUnloadNow() { return (server).canUnloadNow(); }
