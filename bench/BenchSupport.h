#pragma once
// The common start of the benchmark programs that print through the host.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>
#include <memory>

#include "host/Printer.h"
#include "host/Runtime.h"
#include "host/Ui.h"

namespace benchsupport {

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

}  // namespace benchsupport
