#pragma once
// Qt Designer forms (.ui files) for vellora print and preview. A .ui file is
// checked before it is loaded, so that one that is not well-formed, or names
// a widget class the UI loader cannot make, is refused with its line and
// nothing is printed: the loader itself would only warn and go on with a
// form that lacks the widget. A checked file is loaded as live widgets and
// printed through the live forms host.
#include <filesystem>
#include <memory>

#include "apps/FormSupport.h"

class QWidget;
namespace qtforms {
class LivePrint;
}

namespace app {

// The .ui form checked and loaded as live widgets (not shown); nullptr after
// saying why on standard error. Needs the QApplication.
[[nodiscard]] std::unique_ptr<QWidget> loadUiForm(const std::filesystem::path& file,
                                                  const std::filesystem::path& programDir);

// The print control a live form holds as a widget of its own, sited on it;
// a new one of default settings when it holds none.
[[nodiscard]] std::unique_ptr<qtforms::LivePrint> livePrintOf(QWidget& form);

// The .ui form as live widgets for a job, with the print control widget it
// holds, or else a print control of default settings; nullptr after saying
// why on standard error. The project's widgets come from its Designer plugin
// beside the program in `programDir`. Needs the QApplication.
[[nodiscard]] std::unique_ptr<JobForm> openUiForm(const std::filesystem::path& file,
                                                  const std::filesystem::path& programDir);

}  // namespace app
