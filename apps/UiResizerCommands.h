#pragma once
// vellora resize and vellora run on a Qt Designer .ui form: the form's live
// widgets with their vellora::Resizer at work (a form without one gets one).
#include <filesystem>

#include "apps/CommandLine.h"

namespace app {

// resize: on a headless screen of --screen, the form shown offscreen, each
// --client or --zoom step reported; --png the form's picture, --print the
// form printed to that PDF (at its design scale). Needs the QApplication.
[[nodiscard]] int resizeUiForm(const cli::Options& options, const std::filesystem::path& programDir);
// run: the form as a real window; the --client steps, then --png, or else
// the window until the user closes it. Needs the QApplication.
[[nodiscard]] int runUiForm(const cli::Options& options, const std::filesystem::path& programDir);

}  // namespace app
