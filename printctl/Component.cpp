// The entry points of the print control's component library: they register the
// class "Vellora", hand out its factory and report live instances.
#include <atomic>

#include "host/model/Components.h"
#include "printctl/Vellora.h"

namespace {
constinit std::atomic<int> liveInstances{0};
host::ComponentServer<Vellora> server{"Vellora", liveInstances};
}  // namespace

HOST_COMPONENT_ENTRY_POINTS(server)
