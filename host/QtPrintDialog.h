#pragma once
// Host-side only: Qt's print dialog over a QPrinter on the request's current
// printer, with the page range, copies, orientation, paper, colour and duplex.
#include <functional>
#include <optional>

#include "host/PrintDialog.h"

class QWidget;

namespace host {

// Shows the dialog modal on `owner` (the whole application when null) and
// waits for the user. `onShown` runs once the dialog is on the screen, with
// the dialog itself (screenshot tests close it from there).
[[nodiscard]] std::optional<PrintDialogChoice> runQtPrintDialog(const PrintDialogRequest& request, QWidget* owner,
                                                                const std::function<void(QWidget&)>& onShown = {});

}  // namespace host
