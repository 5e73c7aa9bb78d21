#pragma once
// The host runtime of an application that embeds the controls in its own
// Qt Widgets forms.

namespace qtforms {

// Installs a host runtime for the application (the Qt user interface when
// there is a display, the headless one when there is none; the installed
// printers with the system's default queue as the current printer) unless
// one is installed already. Idempotent; call it from the thread that owns
// the QApplication. The runtime goes when the application does.
void ensureRuntime();

}  // namespace qtforms
