#pragma once
// Helpers shared by the test suites.
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <memory>
#include <string>

#include "host/Printer.h"
#include "host/Runtime.h"
#include "host/Ui.h"

namespace testsupport {

// A headless runtime with one in-memory printer ("Memory", 600 dpi unless told otherwise).
struct HeadlessRuntime {
  std::shared_ptr<host::MemoryPrinter> printer;
  host::HeadlessUi* ui = nullptr;
  std::unique_ptr<host::Runtime> runtime;
};
[[nodiscard]] inline HeadlessRuntime makeHeadless(double dotsPerInch = 600, bool failToStart = false) {
  HeadlessRuntime result;
  auto ui = std::make_unique<host::HeadlessUi>();
  ui->setEchoToStandardError(false);
  result.ui = ui.get();
  result.printer = host::MemoryPrinter::create("Memory", dotsPerInch, failToStart);
  result.runtime = std::make_unique<host::Runtime>(
      std::move(ui), std::vector<std::shared_ptr<host::PrinterDevice>>{result.printer});
  return result;
}

// The runtime installed for a whole test program.
[[nodiscard]] inline host::Runtime makeHeadlessRuntime() {
  auto ui = std::make_unique<host::HeadlessUi>();
  ui->setEchoToStandardError(false);
  return host::Runtime(std::move(ui), {host::MemoryPrinter::create("Memory", 600)});
}

// A fresh empty folder under the system's temporary folder.
[[nodiscard]] inline std::filesystem::path makeTempDir(const std::string& prefix = "vellora-test") {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  return pattern;
}

}  // namespace testsupport
