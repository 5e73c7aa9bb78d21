// The entry points of the resizer's component library: they register the
// class "Gauxel", hand out its factory and report live instances.
#include <atomic>

#include "host/model/Components.h"
#include "resizer/Gauxel.h"

namespace {
constinit std::atomic<int> liveInstances{0};
host::ComponentServer<Gauxel> server{"Gauxel", liveInstances};
}  // namespace

HOST_COMPONENT_ENTRY_POINTS(server)
