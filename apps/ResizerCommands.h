#pragma once
// vellora resize and vellora run: the resizer's commands. Each makes its own
// application and host runtime (resize a headless one on the given screen,
// run a Qt one with real windows).
#include <filesystem>
#include <string>

#include "apps/CommandLine.h"

namespace host {
class Object;
}
class Gauxel;
class QImage;

namespace app {

// A size as the command line gives it: WxH.
[[nodiscard]] std::string sizeText(const cli::PixelSize& size);

// One line of the resizer's report: the step and where the resizer and the
// form's client area stand after it.
void reportResizerStep(const std::string& step, const host::Object& form, const Gauxel& resizer);

// Writes the picture of a form (--png) whole or not at all; false after
// saying which file could not be written and why.
[[nodiscard]] bool savePicture(const QImage& picture, const std::filesystem::path& file);

// After a print that ended False: says which file the PDF printer could not
// write and why, or the run-time error that ended the job.
void tellWhyNothingPrinted(const std::string& jobFailure = {});

[[nodiscard]] bool isResizerCommand(cli::Command command);
// Runs the command and returns the program's exit status.
[[nodiscard]] int runResizerCommand(const cli::Options& options, int argc, char** argv,
                                    const std::filesystem::path& programDir);

}  // namespace app
