// Page breaks: the page range, the preview's page store and its memory guard,
// the printer's page feed, and the common error report of the drawing code.
#include "layout/Pagination.h"

#include "host/Lang.h"
#include "host/Runtime.h"
#include "host/SysColors.h"
#include "host/SystemInfo.h"
#include "layout/Titles.h"
#include "layout/WalkRules.h"
#include "printctl/Vellora.h"
#include "surface/CellRules.h"
#include "surface/PrnFillRect.h"

namespace {

using surface::White;
// A printed page after the first starts this many printer pixels lower.
constexpr std::int32_t printPageTopGap = 38;
// The preview stops making pages when the memory still available falls
// below this reserve plus one more page surface (colour, four bytes a pixel).
constexpr std::uint64_t previewMemoryReserve = 32ull * 1024 * 1024;

std::uint64_t previewMemoryFloor(const PrintJob& job) {
  const auto pagePixels = static_cast<std::uint64_t>(std::max(job.PageWidth, 0)) *
                          static_cast<std::uint64_t>(std::max(job.PageHeight, 0));
  return previewMemoryReserve + pagePixels * 4;
}

std::optional<std::uint64_t> availableMemory(const PrintJob& job) {
  return job.MemoryProbe ? job.MemoryProbe() : host::availablePhysicalMemory();
}

// Wipes the printer's sheet: what the pages before the range drew on it is
// dropped from the document (a white box alone would leave their text in a
// PDF, hidden but searchable), and the sheet is boxed white.
void wipeSheet(PrintJob& job) {
  const std::int32_t cellColor = job.CellFillColor;
  host::printer().discardPage();
  host::printer().hDC().setBkColor(host::Rgb::white);
  job.CellFillColor = White;
  PrnFillRect(job, 0, 0, job.PageWidth + 100, job.PageHeight + 100, {}, 0, 0, false, false, false, 0);
  job.CellFillColor = cellColor;
}

void setStopColor(PrintJob& job, host::Rgb color) {
  if (!job.HideStopBtn && job.progress) job.progress->setStopForeColor(color);
}

void openPreviewPage(PrintJob& job, int P, int F) {
  const std::optional<std::uint64_t> available = availableMemory(job);
  if (available && *available > 0 && *available < previewMemoryFloor(job)) {
    job.JobEnded = true;
    job.PageCounter -= 1;
    host::ui().msgBox("Not enough Memory for Complete Preview", host::mb::OkOnly);
    return;
  }
  job.CurY = NextPageTop(job);
  if (P < F) {
    // The page opened on the reused surface is the first of the range.
    if (P + 1 == F) job.control.raisePage(P + 1);
    return;
  }
  DrawPreviewTitles(job);
  // The finished page stays in the store until the preview closes; keep it small.
  job.page().Compact();
  job.CurrentPage = host::CLng(job.CurrentPage + 1.0);
  job.control.raisePage(P + 1);
  setStopColor(job, host::Rgb::black);

  host::RasterDc* reference = nullptr;
  int width = job.PageWidth;
  int height = job.PageHeight;
  if (job.preview) {
    reference = job.preview->pageBoxDc();
    width = job.preview->pageBoxWidth();
    height = job.preview->pageBoxHeight();
  }
  auto surface = std::make_unique<OffScreenDC>(job.drawing, &job);
  surface->Initialize(reference, width, height, job.SurfaceColorMode);
  job.PageStore.resize(static_cast<std::size_t>(job.CurrentPage));
  job.PageStore.push_back(std::move(surface));
  if (P <= F) ClearPreviewPage(job);
}

void openPrintPage(PrintJob& job, int P, int F) {
  host::Printer& printer = host::printer();
  job.CurY = NextPageTop(job);
  host::ui().doEvents();
  if (P >= F) {
    DrawPrintTitles(job);
    job.CurrentPage = host::CLng(job.CurrentPage + 1.0);
    job.control.raisePage(P + 1);
    printer.newPage();
    printer.print(" ");
  }
  if (P <= F) wipeSheet(job);
  // The sheet wiped for the first page of the range now carries that page.
  if (P < F && P + 1 == F) job.control.raisePage(P + 1);
  job.CurrentPage = host::CLng(job.CurrentPage + 1.0);
}

void nextPage(PrintJob& job) {
  const VelloraProperties& properties = job.control.props();
  if (job.PageCounter == job.FirstPageNo - 3) setStopColor(job, host::Rgb::black);
  job.PageCounter = host::CLng(job.PageCounter + 1.0);
  const int P = job.PageCounter;
  const int F = properties.FromPage;

  if (job.Printing == 0 && P < F) ClearPreviewPage(job);
  if (properties.ToPage > 0 && P + 1 > properties.ToPage) {
    job.JobEnded = true;
    job.PageCounter -= 1;
    return;
  }
  if (!job.HideStopBtn && job.progress) job.progress->setStopCaption(StopCaption(properties, host::Str(P + 1)));
  host::ui().doEvents();

  if (job.Printing == 0) {
    openPreviewPage(job, P, F);
  } else {
    openPrintPage(job, P, F);
  }
}

}  // namespace

std::int32_t NextPageTop(const PrintJob& job) {
  return job.Printing == 1 ? job.BodyTop + printPageTopGap : job.BodyTop;
}

void ClearPreviewPage(PrintJob& job) {
  OffScreenDC& surface = job.page();
  const std::int32_t background = surface.BackColor();
  surface.setBackColor(White);
  surface.FillRect(0, 0, job.PageWidth, job.PageHeight);
  surface.setBackColor(background);
}

void NextPage(PrintJob& job) {
  try {
    nextPage(job);
  } catch (const host::HostError& error) {
    ReportJobError(job, error);
  }
}

std::int32_t SysColorIndex(std::int32_t color) { return host::sysColorIndex(color); }

std::int32_t TranslateColor(std::int32_t color) {
  return color < 0 ? host::colorFromHost(color).toHost() : color;
}

void ReportJobError(PrintJob& job, const host::HostError& error) {
  job.StopRequested = true;
  // The message box says only the number; what failed is kept as the job's
  // FailureText (of a preview too), for the host to tell.
  job.FailureText = error.description() + " (" + std::to_string(error.number()) + ")";
  host::ui().msgBox(job.control.props().Err_Mess + host::Str(error.number()), host::mb::Critical);
  if (job.Printing == 1) host::resume([] { host::printer().killDoc(); });
}
