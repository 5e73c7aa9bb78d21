// The top title and the foot line with the page number, on a preview page
// and on the printer. Each step passes over a failure and goes on.
#include "layout/Titles.h"

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Runtime.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "surface/CellRules.h"
#include "surface/PrnFillRect.h"

namespace {

using surface::White;
constexpr std::int32_t black = 0;
// The divider code of title bands: no divider adjustment.
constexpr std::int16_t titleDivider = 5;
// Printed titles are one fifth larger than in preview.
constexpr double printTitleScale = 1.2;

std::string footText(const VelloraProperties& properties, int pageNumber, bool printing) {
  if (properties.PagesNumbers) return properties.FootTitle + " " + host::Str(pageNumber);
  return printing ? properties.FootTitle : std::string();
}

}  // namespace

std::int32_t FootLineTop(const PrintJob& job) {
  if (job.Printing == 1)
    return host::CLng(job.PageHeight - (job.BottomReserve + 12 * job.PrnGapUnit - 3.0 * job.FootLift));
  return job.PageHeight - job.BottomReserve + 6;
}

void DrawPreviewTitles(PrintJob& job) {
  if (job.CurrentPage < 0 || static_cast<std::size_t>(job.CurrentPage) >= job.PageStore.size()) return;
  OffScreenDC& surface = job.page();
  const VelloraProperties& properties = job.control.props();
  const std::int32_t align = properties.TopFootAlignTxt;
  const std::int32_t bandWidth = job.PageWidth - job.BodyLeft - job.BodyRight;

  host::resume([&] { surface.setFont(job.control.titlesFont()); });
  host::resume([&] { surface.setBackColor(White); });
  host::resume([&] { surface.setTextColor(black); });
  host::resume([&] {
    surface.FillRect(job.BodyLeft - 2, 0, bandWidth, job.BodyTop - 3, properties.TopTitle, align, 0, true, false, 0,
                     false, titleDivider);
  });
  const int pageNumber = job.CurrentPage + job.FirstPageNo - 1;
  host::resume([&] {
    surface.FillRect(job.BodyLeft - 2, FootLineTop(job), bandWidth, job.BottomReserve,
                     footText(properties, pageNumber, false), align, 0, true, false, 0, true, titleDivider);
  });
}

void DrawPrintTitles(PrintJob& job) {
  host::Printer& printer = host::printer();
  const VelloraProperties& properties = job.control.props();
  const std::int32_t align = properties.TopFootAlignTxt;

  host::resume([&] { printer.hDC().setBkColor(host::Rgb::white); });
  job.CellFillColor = White;
  job.GridLineColor = White;

  host::Font font = job.control.titlesFont();
  font.setSize(font.size() * printTitleScale);
  host::resume([&] { printer.setFont(font); });
  host::resume([&] { printer.hDC().setFont(font); });
  host::resume([&] { printer.hDC().setTextColor(host::Rgb::black); });
  host::resume([&] { printer.hDC().setBkColor(host::Rgb::white); });

  host::resume([&] {
    const std::int32_t top = FootLineTop(job);
    const std::int32_t height = host::CLng(job.BottomReserve - job.PrnGapUnit);
    PrnFillRect(job, job.BodyLeft - 2, top, job.PageWidth, height, footText(properties, job.PageCounter, true), align,
                0, true, true, true, titleDivider);
  });
  host::resume([&] {
    PrnFillRect(job, job.BodyLeft - 2, 0, job.PageWidth - job.BodyLeft - job.BodyRight, job.BodyTop,
                properties.TopTitle, align, 0, true, true, true, titleDivider);
  });
}
