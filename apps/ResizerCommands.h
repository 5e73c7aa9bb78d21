#pragma once
// vellora resize and vellora run: the resizer's commands. Each makes its own
// application and host runtime (resize a headless one on the given screen,
// run a Qt one with real windows).
#include <filesystem>

#include "apps/CommandLine.h"

namespace app {

[[nodiscard]] bool isResizerCommand(cli::Command command);
// Runs the command and returns the program's exit status.
[[nodiscard]] int runResizerCommand(const cli::Options& options, int argc, char** argv,
                                    const std::filesystem::path& programDir);

}  // namespace app
