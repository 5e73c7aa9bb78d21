// The print job and the preview job of the control.
#include "layout/JobDriver.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Printer.h"
#include "host/RasterDc.h"
#include "host/Runtime.h"
#include "layout/Pagination.h"
#include "layout/Titles.h"
#include "layout/WalkForm.h"
#include "printctl/Vellora.h"

namespace {

// Page units per unit of the margin properties, before the job's scale.
constexpr double marginUnit = 50.33;
// The print job's margins are wider than the preview's: twice horizontally,
// 1.7 times vertically.
constexpr double printHorizontalFactor = 2;
constexpr double printVerticalFactor = 1.7;

// One margin property of a preview in page units; raises overflow (6) when it
// does not fit a Long.
std::int32_t previewMargin(double margin, double LayoutFactor) { return host::CLng(margin * marginUnit * LayoutFactor); }

// A preview sets each margin by a statement of its own: one that overflows is
// passed over and keeps its field as it was, the others still take theirs.
void applyPreviewMargins(PrintJob& job, const VelloraProperties& properties) {
  const double factor = job.LayoutFactor;
  host::resume([&] { job.BodyLeft = previewMargin(properties.LeftMargin, factor); });
  host::resume([&] { job.BodyRight = previewMargin(properties.RightMargin, factor); });
  host::resume([&] { job.BodyTop = previewMargin(properties.TopMargin, factor); });
  host::resume([&] { job.BottomReserve = previewMargin(properties.FootMargin, factor); });
  host::resume([&] { job.RightShift = previewMargin(properties.RightOffset, factor); });
}

void applyMargins(PrintJob& job, const JobMargins& margins) {
  job.BodyLeft = margins.BodyLeft;
  job.BodyRight = margins.BodyRight;
  job.BodyTop = margins.BodyTop;
  job.BottomReserve = margins.BottomReserve;
  job.RightShift = margins.RightShift;
}

// AfterPrint is owed once to every job that got past BeforePrint. The walker
// raises it when it stops; a stop noticed only after the walk (the last
// control asked for it, or the form had nothing to print) raises it here.
void raiseAfterPrintOnce(PrintJob& job) {
  if (!job.AfterPrintRaised) job.control.raiseAfterPrint();
}

void closeProgress(PrintJob& job) {
  host::resume([&] {
    if (job.progress) job.progress->Finito();
  });
}

// The user stopped the job during the walk: the progress window closes and the
// stop request is spent.
void endStoppedWalk(PrintJob& job) {
  closeProgress(job);
  job.StopRequested = false;
  raiseAfterPrintOnce(job);
}

// The page being finished (number PageCounter + 1 in a preview, PageCounter
// in a print once counted) lies before FromPage: the layout never reached the range.
bool lastPageBeforeRange(const PrintJob& job) {
  const int lastPage = job.Printing == 1 ? job.PageCounter : job.PageCounter + 1;
  return lastPage < job.control.props().FromPage;
}

void SetPrinterColorMode(int mode) {
  host::resume([&] { host::printer().setColorMode(mode); });
}

void SetPrinterCopies(float copies) {
  host::resume([&] { host::printer().setCopies(host::CInt(copies)); });
}

// Opens the printer document. On failure the user is told with the printer
// message and whatever was opened is discarded.
bool StartPrintJob(PrintJob& job) {
  try {
    host::printer().startPagePrinter();
    host::printer().print(" ");
    return true;
  } catch (const host::HostError&) {
    host::ui().msgBox(job.PrinterErrorText, host::mb::Critical);
    host::resume([] { host::printer().killDoc(); });
    return false;
  }
}

// Ends the printer document. The spooler may still refuse the finished
// document: the user is told as when the printer cannot start one, and the
// job has not printed.
bool FinishPrintJob(PrintJob& job) {
  try {
    host::printer().endPagePrinter();
    host::printer().endDoc();
    return true;
  } catch (const host::HostError& error) {
    // The job ends False on a run-time error: it is recorded as any other is
    // (a PDF file that cannot be written names the file there).
    job.FailureText = error.description() + " (" + std::to_string(error.number()) + ")";
    host::ui().msgBox(job.PrinterErrorText, host::mb::Critical);
    return false;
  }
}

// The printing part of LVPrint, from the printer set-up to the end of the
// document. A run-time error ends it with False.
bool printDocument(PrintJob& job) {
  Vellora& control = job.control;
  const VelloraProperties& properties = control.props();
  host::Printer& printer = host::printer();

  job.PrnGapUnit = 7.058824 / printer.twipsPerPixelX();
  printer.setFont(control.stockPrinterFont());
  printer.setOrientation(job.PrinterOrientation);
  SetPrinterColorMode(properties.Color == vellora::v_Color ? 2 : 1);
  SetPrinterCopies(properties.Copies);
  if (job.StopRequested) return false;

  job.LayoutFactor = properties.Zoom / 100.0;
  applyMargins(job, printMargins(properties, job.LayoutFactor));
  job.Printing = 1;
  job.PrinterErrorText = properties.PrinterMess;
  if (!StartPrintJob(job)) return false;

  try {
    job.JobOpen = true;
    printer.print(properties.EscStr);
    control.raisePage(job.PageCounter + 1);
    WalkForm(job);

    if (job.StopRequested) {
      endStoppedWalk(job);
      printer.killDoc();
      return false;
    }
    control.raiseAfterPrint();
    job.PageCounter = host::CLng(job.PageCounter + 1.0);
    if (lastPageBeforeRange(job)) {
      // The range starts after the last page: nothing of the form is printed,
      // and a job that printed nothing has not printed.
      printer.killDoc();
      host::ui().doEvents();
      return false;
    }
    DrawPrintTitles(job);
    if (job.StopRequested) {
      // A title the printer failed on has been reported and its document
      // killed (ReportJobError): ending the document now would end none, or
      // one the titles opened afresh, and call that a print.
      job.StopRequested = false;
      host::resume([] { host::printer().killDoc(); });
      host::ui().doEvents();
      return false;
    }
    host::ui().doEvents();
    if (!FinishPrintJob(job)) return false;
    host::ui().doEvents();
    return true;
  } catch (const host::HostError&) {
    // A document left open would take the next job's pages; nothing of a
    // failed job is delivered.
    host::resume([] { host::printer().killDoc(); });
    throw;
  }
}

}  // namespace

JobMargins printMargins(const VelloraProperties& properties, double LayoutFactor) {
  const double unit = marginUnit * LayoutFactor;
  return {host::CLng(properties.LeftMargin * unit * printHorizontalFactor),
          host::CLng(properties.RightMargin * unit * printHorizontalFactor),
          host::CLng(properties.TopMargin * unit * printVerticalFactor),
          host::CLng(properties.FootMargin * unit * printVerticalFactor), host::CLng(properties.RightOffset * unit)};
}

JobMargins previewMargins(const VelloraProperties& properties, double LayoutFactor) {
  return {previewMargin(properties.LeftMargin, LayoutFactor), previewMargin(properties.RightMargin, LayoutFactor),
          previewMargin(properties.TopMargin, LayoutFactor), previewMargin(properties.FootMargin, LayoutFactor),
          previewMargin(properties.RightOffset, LayoutFactor)};
}

bool RunPrintJob(PrintJob& job) {
  Vellora& control = job.control;
  const VelloraProperties& properties = control.props();

  job.PrinterOrientation = static_cast<std::int16_t>(properties.Orientation + 1);
  job.StopRequested = false;
  job.AfterPrintRaised = false;
  control.PrinterEin();
  job.PageCounter = 0;

  bool Cancel = false;
  std::int16_t Mode = job.AsPrinted ? 0 : 1;
  control.raiseBeforePrint(Cancel, Mode);
  if (Cancel || job.StopRequested) {
    job.StopRequested = true;
    return false;
  }
  if (properties.ShowPrinterAlways && !job.AsPrinted) control.ShowPrinter();
  job.JobEnded = false;
  job.FailureText.clear();

  try {
    return printDocument(job);
  } catch (const host::HostError& error) {
    job.FailureText = error.description() + " (" + std::to_string(error.number()) + ")";
    return false;
  }
}

bool RunPreviewJob(PrintJob& job) {
  Vellora& control = job.control;
  const VelloraProperties& properties = control.props();

  job.StopRequested = false;
  job.AfterPrintRaised = false;
  bool Cancel = false;
  std::int16_t Mode = 0;
  control.raiseBeforePrint(Cancel, Mode);
  job.PageCounter = 0;
  control.PrinterEin();
  if (Cancel || job.StopRequested) {
    job.StopRequested = true;
    return false;
  }
  job.StopRequested = false;
  job.JobEnded = false;
  job.FailureText.clear();

  // Every statement below passes over a failure and goes on with the next.
  job.LayoutFactor = properties.Zoom / 100.0;
  if (properties.Color == vellora::v_Color) SetPrinterColorMode(2);
  applyPreviewMargins(job, properties);
  job.Printing = 0;
  job.AsPrintedOn.clear();
  host::resume([&] {
    if (job.preview) job.preview->Finir();
  });
  host::resume([&] { host::printer().setOrientation(properties.Orientation + 1); });
  job.JobOpen = true;
  control.raisePage(job.PageCounter + 1);
  WalkForm(job);

  if (job.StopRequested) {
    // Nothing of a stopped preview is shown: the window its pages were drawn
    // for (loaded, never shown) closes and lets them go, and its output ends.
    host::resume([&] {
      if (job.preview) job.preview->Finir();
    });
    endStoppedWalk(job);
    return false;
  }

  if (lastPageBeforeRange(job)) {
    // The range starts after the last page: the page shown stays empty.
    host::resume([&] { ClearPreviewPage(job); });
  } else {
    DrawPreviewTitles(job);
  }
  host::resume([&] {
    if (job.preview) job.preview->present();
  });
  closeProgress(job);
  job.CurrentPage = 0;
  control.raiseAfterPrint();
  return true;
}

namespace {

// The pages the print job kept, drawn on page surfaces of the preview at the
// screen's resolution; each stays the printed page's drawing, so the window
// draws it afresh at any zoom.
void keepPrintedPages(PrintJob& job, const host::PageKeepingPrinter& printer) {
  const double toScreen = 1440.0 / host::ui().screen().twipsPerPixelX / printer.dotsPerInch();
  const host::Size printed = printer.keptPageSize();
  const int width = std::max(1, static_cast<int>(std::lround(printed.width * toScreen)));
  const int height = std::max(1, static_cast<int>(std::lround(printed.height * toScreen)));
  job.preview->setPageBoxSize(width, height);
  job.PageStore.clear();
  for (const std::shared_ptr<const host::PrintedPage>& page : printer.pages()) {
    auto surface = std::make_unique<OffScreenDC>(job.drawing, &job);
    surface->Initialize(job.preview->pageBoxDc(), width, height, job.SurfaceColorMode);
    if (host::RasterDc* dc = surface->dc()) dc->drawPrintedPage(page, toScreen);
    surface->Compact();
    job.PageStore.push_back(std::move(surface));
  }
}

}  // namespace

bool RunAsPrintedPreviewJob(PrintJob& job) {
  if (!job.preview || !host::printer().exists()) return RunPreviewJob(job);
  host::resume([&] { job.preview->Finir(); });
  const std::shared_ptr<host::PageKeepingPrinter> keeper =
      host::PageKeepingPrinter::standingFor(host::printer().device());
  {
    const host::CurrentPrinterKept kept;
    host::printer().select(keeper);
    job.AsPrinted = true;
    const bool laidOut = RunPrintJob(job);
    job.AsPrinted = false;
    if (!laidOut || keeper->pages().empty()) return false;
  }

  // The window numbers its pages from the first one printed.
  const std::int32_t firstNumber = std::max<std::int32_t>(job.control.props().FromPage, 1);
  const auto kept = static_cast<std::int32_t>(keeper->pages().size());
  job.Printing = 0;
  job.FirstPageNo = firstNumber + 1;
  job.PageCounter = firstNumber + kept - 2;
  job.AsPrintedOn = keeper->deviceName();
  keepPrintedPages(job, *keeper);
  job.JobOpen = true;
  job.CurrentPage = 0;
  host::resume([&] { job.preview->present(); });
  job.CurrentPage = 0;
  return true;
}
