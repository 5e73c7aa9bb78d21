#pragma once
// The common start of the benchmark programs that print through the host.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <QGuiApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "host/Printer.h"
#include "host/Runtime.h"
#include "host/Ui.h"

namespace benchsupport {

// The process's resident size now, in megabytes.
inline double residentMegabytes() {
  std::ifstream statm("/proc/self/statm");
  double total = 0;
  double resident = 0;
  statm >> total >> resident;
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The memory one case takes of its own: the highest growth of the resident
// size over what it was when the meter started, sampled every millisecond.
// The process's own peak (VmHWM) cannot be reset here, so it would report the
// largest case run so far; freed heap is handed back first so that a case
// does not reuse what an earlier one left behind unseen.
class ResidentGrowthMeter {
 public:
  ResidentGrowthMeter() : start_((malloc_trim(0), residentMegabytes())), sampler_([this] { sample(); }) {}
  ResidentGrowthMeter(const ResidentGrowthMeter&) = delete;
  ResidentGrowthMeter& operator=(const ResidentGrowthMeter&) = delete;
  ~ResidentGrowthMeter() { stop(); }

  // Stops sampling and returns the highest growth seen, in megabytes.
  double stop() {
    if (sampler_.joinable()) {
      running_ = false;
      sampler_.join();
    }
    return std::max(0.0, peak_ - start_);
  }

 private:
  void sample() {
    while (running_) {
      peak_ = std::max(peak_, residentMegabytes());
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    peak_ = std::max(peak_, residentMegabytes());
  }

  double start_;
  double peak_ = 0;
  std::atomic<bool> running_{true};
  std::thread sampler_;
};

// Runs the benchmarks chosen on the command line under Qt's offscreen platform
// (unless another one is set) and a silent headless runtime whose one printer
// `makePrinter` makes once the application exists.
template <class MakePrinter>
int runWithHeadlessRuntime(int argc, char** argv, MakePrinter makePrinter) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  auto ui = std::make_unique<host::HeadlessUi>();
  ui->setEchoToStandardError(false);
  host::Runtime runtime(std::move(ui), {makePrinter()});
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The same on the built-in PDF printer, writing `fileName` in the temporary
// folder; the file is removed when the benchmarks are done.
inline int runOnPdfPrinter(int argc, char** argv, const std::string& fileName) {
  const std::filesystem::path output = std::filesystem::temp_directory_path() / fileName;
  const int result = runWithHeadlessRuntime(argc, argv, [&] { return host::makePdfPrinter(output); });
  std::filesystem::remove(output);
  return result;
}

}  // namespace benchsupport
