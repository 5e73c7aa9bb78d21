#pragma once
// What the benchmarks of one renderer share: the print control's job pointed
// at the one control they measure, a job started on a fresh page, and the
// job run once per iteration with the pages it made and the memory it took.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "BenchSupport.h"

#include "host/Lang.h"
#include "host/Object.h"
#include "host/Printer.h"
#include "host/Runtime.h"
#include "host/model/Control.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "surface/OffScreenDC.h"

namespace benchsupport {

// Points the job of `control` at `measured` on `form`, placed as the walker
// places it: its record at top 300 twips with the given left and width.
inline void pointJobAt(Vellora& control, const std::shared_ptr<host::Form>& form,
                       const host::ObjectRef& measured, int left, int width) {
  control.setToPage(0);
  CtlRecord record;
  record.Ctl = measured;
  record.Top = record.Advance = 300;
  record.Left = left;
  record.Width = width;
  PrintJob& job = control.job();
  job.CtlList = {record};
  job.CtlIndex = 0;
  job.CurCtl = measured;
  job.HostForm = form;
}

// A job at its first page, in colour and at the form's own size.
inline void startJob(PrintJob& job) {
  job.LayoutFactor = 1;
  job.SurfaceColorMode = 2;
  job.CurrentPage = 0;
  job.PageCounter = 0;
  job.JobEnded = false;
  job.StopRequested = false;
  job.CurY = job.BodyTop;
}

// A print job at its first page on the current printer, with the page
// geometry the walker gives a form printed at its own size.
inline void startPrintJob(PrintJob& job) {
  host::Printer& printer = host::printer();
  job.Printing = 1;
  job.TwipsPerUnit = printer.twipsPerPixelX();
  job.DevTwipsX = printer.twipsPerPixelX();
  job.DevTwipsY = printer.twipsPerPixelY();
  job.PrnUnit = 7.4 / printer.twipsPerPixelX();
  job.PrnGapUnit = 7.058824 / printer.twipsPerPixelX();
  job.PageWidth = host::CLng(printer.width() / printer.twipsPerPixelX() / 1.064);
  job.PageHeight = host::CLng(printer.height() / printer.twipsPerPixelY() / 1.064);
  job.BodyTop = 400;
  job.BodyLeft = 200;
  job.BodyRight = 200;
  job.BottomReserve = 400;
  startJob(job);
}

// A preview job on a fresh first page of an A4 sheet in virtual pixels, in
// colour (2) or black and white (0).
inline void startPreviewJob(PrintJob& job, std::int16_t colorMode = 2) {
  job.Printing = 0;
  job.TwipsPerUnit = 15;
  job.DevTwipsX = job.DevTwipsY = 14.7;
  job.PageWidth = 746;
  job.PageHeight = 1055;
  job.BodyTop = 80;
  job.BodyLeft = 30;
  job.BodyRight = 30;
  job.BottomReserve = 80;
  startJob(job);
  job.SurfaceColorMode = colorMode;
  job.PageStore.clear();
  job.PageStore.push_back(std::make_unique<OffScreenDC>(job.drawing, &job));
  job.page().Initialize(nullptr, job.PageWidth, job.PageHeight, job.SurfaceColorMode);
}

// What the last run of a job made and the memory it took of its own.
struct JobFigures {
  int pages = 0;
  double ownMegabytes = 0;
};

// Runs `renderer` as a print job on the current printer once per iteration;
// each run's document is ended as part of it.
template <class Renderer>
JobFigures runPrintJobs(benchmark::State& state, PrintJob& job, Renderer&& renderer) {
  host::Printer& printer = host::printer();
  JobFigures figures;
  for (auto _ : state) {
    ResidentGrowthMeter meter;
    startPrintJob(job);
    renderer(job);
    figures.pages = printer.pagesInDocument();
    printer.endDoc();
    figures.ownMegabytes = meter.stop();
  }
  return figures;
}

// Runs `renderer` as a preview job once per iteration; the pages are let go
// between runs, outside the timing.
template <class Renderer>
JobFigures runPreviewJobs(benchmark::State& state, PrintJob& job, Renderer&& renderer, std::int16_t colorMode = 2) {
  JobFigures figures;
  for (auto _ : state) {
    ResidentGrowthMeter meter;
    startPreviewJob(job, colorMode);
    renderer(job);
    figures.pages = static_cast<int>(job.PageStore.size());
    figures.ownMegabytes = meter.stop();
    state.PauseTiming();
    job.PageStore.clear();
    state.ResumeTiming();
  }
  return figures;
}

// The counters every job benchmark reports.
inline void reportJob(benchmark::State& state, const JobFigures& figures) {
  state.counters["pages"] = figures.pages;
  state.counters["own_MB"] = figures.ownMegabytes;
}

}  // namespace benchsupport
