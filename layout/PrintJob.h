#pragma once
// PrintJob: the job context of one print control. The job driver, the form
// walker, the page-break code, the titles and the renderers share it for the
// length of a job; the preview and progress windows hold a reference to it.
// There is one per control instance and nothing of it is global.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/Dc.h"
#include "host/Object.h"
#include "layout/JobWindows.h"
#include "surface/OffScreenDC.h"
#include "surface/SharedDrawing.h"

class Vellora;

// One printable host control in the control list.
struct CtlRecord {
  std::int32_t Top = 0;      // absolute top on the form, twips
  std::int32_t Left = 0;     // absolute left, twips, plus RightShift
  std::int32_t Advance = 0;  // vertical step from the predecessor, twips
  std::int32_t Extent = 0;   // height of tables and multi-line boxes, -height of shapes, -lower end of lines
  std::int32_t Width = 0;    // width, twips (a line: the x of its right end)
  std::string Name;
  host::ObjectRef Ctl;
  std::string Mark;  // the container's Visible text, or "Down" below a table
};

struct PrintJob {
  explicit PrintJob(Vellora& control) : control(control) {}
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  Vellora& control;

  // Set by the job driver.
  bool StopRequested = false;
  std::int16_t PrinterOrientation = 1;
  std::int32_t PageCounter = 0;
  bool JobEnded = false;
  // The run-time error that ended the last print job with False, as
  // "description (number)"; empty when none did.
  std::string FailureText;
  double PrnGapUnit = 0;
  double LayoutFactor = 1;
  std::int32_t BodyLeft = 0, BodyRight = 0, BodyTop = 0, BottomReserve = 0;
  std::int32_t RightShift = 0;
  std::int16_t Printing = 0;  // 1 print, 0 preview
  std::string PrinterErrorText;
  bool JobOpen = false;
  bool PrintRequested = false;
  // Where the print the preview window requested goes instead of the current
  // printer: a PDF file the user chose with Save as PDF.
  std::optional<std::filesystem::path> PrintToPdfFile;
  // The print job running lays out a preview as printed: it is a preview to
  // the form (BeforePrint's Mode 0, no print dialog) and its pages are kept.
  bool AsPrinted = false;
  // The printer the preview's pages were laid out for when they were made
  // by the print job; empty for the preview's own pages.
  std::string AsPrintedOn;

  // Set by the form walker.
  host::ObjectLink HostForm;  // the form owns this control: no owning reference back
  bool ParentIsMdi = false;
  bool WasVisible = true;
  std::int16_t SavedScaleMode = 1;
  // A form in a scale of its own (ScaleMode 0) gets its origin and extents
  // back too: giving back the mode alone would make the extents those of the
  // scale the walk left it in.
  struct UserScale {
    double left = 0, top = 0, width = 0, height = 0;
  };
  std::optional<UserScale> SavedUserScale;
  std::int32_t FirstPageNo = 2;
  double DevTwipsX = 15, DevTwipsY = 15;
  std::int16_t SurfaceColorMode = 2;
  double PrnUnit = 0;
  double PaperWidthRatio = 1;
  std::int32_t CurrentPage = 0;
  std::int32_t CurY = 0;
  std::int32_t CurX = 0;
  double TwipsPerUnit = 15;
  std::int32_t PageWidth = 0, PageHeight = 0;
  std::int32_t TitleDrop = 0, FootLift = 0;
  std::vector<std::unique_ptr<OffScreenDC>> PageStore;
  std::vector<CtlRecord> CtlList;  // the collected records (count = size())
  std::int16_t CtlIndex = 0;
  host::ObjectRef CurCtl;

  // Shared drawing values of the print path.
  std::int32_t CellFillColor = 16777215;
  std::int32_t GridLineColor = 0;
  SharedDrawing drawing;
  // PrnDrawLine's cached brush colour (-1: none made yet) and how many brushes it made.
  std::int32_t LineBrushColor = -1;
  int LineBrushesMade = 0;

  // Rich text being drawn on a page surface and its first character not yet drawn.
  host::ObjectRef CurrentRichText;
  std::int32_t RichTextPos = 0;

  // Shared copies of settings the windows read.
  bool HideStopBtn = false;
  std::int32_t PrevBkColor = 0xC0C0C0;
  bool PrevPrintVisible = true;
  std::string PrevBtnCloseTip;
  host::Value PrevPrintTip;

  // The resizer found on the host form and what the walk changed on it
  // (its Resize and Zoom are put back when the walk ends, stopped or not).
  host::ObjectRef Resizer;
  bool ResizerWasResizing = false;
  std::int16_t ResizerZoom = 0;
  // AfterPrint has been raised for the running job.
  bool AfterPrintRaised = false;
  // Reads the available physical memory for the preview's memory guard;
  // unset: the system's figure (host::availablePhysicalMemory).
  std::function<std::optional<std::uint64_t>()> MemoryProbe;

  // The job's windows.
  std::unique_ptr<ProgressWindow> progress;
  std::unique_ptr<PreviewWindow> preview;

  // The surface of the page being drawn in a preview.
  [[nodiscard]] OffScreenDC& page() { return *PageStore.at(static_cast<std::size_t>(CurrentPage)); }
  [[nodiscard]] const CtlRecord& record() const { return CtlList.at(static_cast<std::size_t>(CtlIndex)); }
};
