// The entry points of the print control's component library: they register the
// class "Vellora", hand out its factory and report live instances.
#include <atomic>

#include "host/model/Components.h"
#include "printctl/Vellora.h"

namespace {
constexpr std::string_view ClassName = "Vellora";
constinit std::atomic<int> liveInstances{0};
host::ControlFactory<Vellora> factory{liveInstances};
}  // namespace

HOST_COMPONENT_EXPORT int DllRegisterServer() {
  // The address of a symbol of this library alone: an exported function could
  // be bound to the other control library's entry point of the same name.
  return host::selfRegister(ClassName, &liveInstances);
}

HOST_COMPONENT_EXPORT int DllUnregisterServer() { return host::selfUnregister(ClassName); }

HOST_COMPONENT_EXPORT int DllGetClassObject(const char* className, host::ClassFactory** result) {
  return host::serveClassObject(className, ClassName, factory, result);
}

HOST_COMPONENT_EXPORT int DllCanUnloadNow() { return factory.canUnloadNow(); }
