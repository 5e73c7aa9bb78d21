#pragma once
// The private CUPS scheduler of the test suite (tests/cups/cupsd.sh): its
// queues, and waiting for what they deliver.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace cupstest {

struct TestQueues {
  std::string queue;  // a cups-pdf queue
  std::filesystem::path output;
  std::string queue2;  // a second cups-pdf queue
  std::filesystem::path output2;
  std::string rejecting;  // a queue that takes no jobs
};

// The queues when the private scheduler runs; nothing otherwise.
[[nodiscard]] inline std::optional<TestQueues> testQueues() {
  const char* names[] = {"CUPS_SERVER", "VELLORA_TEST_CUPS_QUEUE", "VELLORA_TEST_CUPS_OUTPUT",
                         "VELLORA_TEST_CUPS_QUEUE2", "VELLORA_TEST_CUPS_OUTPUT2", "VELLORA_TEST_CUPS_REJECTING"};
  for (const char* name : names)
    if (std::getenv(name) == nullptr) return std::nullopt;
  return TestQueues{std::getenv(names[1]), std::getenv(names[2]), std::getenv(names[3]), std::getenv(names[4]),
                    std::getenv(names[5])};
}

inline constexpr const char* noSchedulerReason =
    "no private CUPS scheduler: CUPS_SERVER and the VELLORA_TEST_CUPS_* queues are set by start_test_cupsd in "
    "tests/cups/cupsd.sh (run as root; setup.sh test starts it)";

[[nodiscard]] inline std::set<std::filesystem::path> pdfFilesIn(const std::filesystem::path& folder) {
  std::set<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    if (entry.path().extension() == ".pdf") files.insert(entry.path());
  return files;
}

// The first PDF that appears in `folder` beside those `before` and is whole
// (`isWhole` says so), within 30 seconds; empty when none does. The spooler
// converts and writes its files in its own time.
template <class IsWhole>
[[nodiscard]] std::filesystem::path waitForNewPdf(const std::filesystem::path& folder,
                                                  const std::set<std::filesystem::path>& before, IsWhole isWhole) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    for (const std::filesystem::path& file : pdfFilesIn(folder))
      if (!before.count(file) && isWhole(file)) return file;
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  return {};
}

}  // namespace cupstest
