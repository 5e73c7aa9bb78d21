#pragma once
// The two job procedures behind the control's LVPrint and Preview: they check
// the printer, raise the control's events, fix the page geometry and margins,
// walk the form and finish the printer document or the preview.
#include <cstdint>

struct PrintJob;

// LVPrint: True when the job ran to its end; False when it was cancelled,
// stopped or refused, or failed.
bool RunPrintJob(PrintJob& job);
// Preview: True when the preview window was shown.
bool RunPreviewJob(PrintJob& job);
// Preview as printed: the print job lays the pages out for the current
// printer, which prints nothing of them, and the preview window shows them.
// True when the window was shown.
bool RunAsPrintedPreviewJob(PrintJob& job);

// Margins in page units for a job kind (every value rounded half to even).
struct JobMargins {
  std::int32_t BodyLeft = 0;
  std::int32_t BodyRight = 0;
  std::int32_t BodyTop = 0;
  std::int32_t BottomReserve = 0;
  std::int32_t RightShift = 0;
};
struct VelloraProperties;
[[nodiscard]] JobMargins printMargins(const VelloraProperties& properties, double LayoutFactor);
[[nodiscard]] JobMargins previewMargins(const VelloraProperties& properties, double LayoutFactor);
