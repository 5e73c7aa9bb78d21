#pragma once
// Host-side only: the window kit that shows its windows as Qt widgets (needs a
// QApplication). The widgets mirror the kit's state; what the user does with
// them comes back through the state objects' own calls.
#include <memory>

#include "host/Window.h"

class QWidget;

namespace host {

[[nodiscard]] std::unique_ptr<WindowKit> makeQtKit();

// The Qt widget that shows a window of the Qt kit (for screenshots); nullptr
// for a window of another kit.
[[nodiscard]] QWidget* qtWidgetOf(const Window& window);

}  // namespace host
