#pragma once
// Page breaks, page ranges and the common run-time error report.
#include <cstdint>

#include "host/HostError.h"

struct PrintJob;

// Ends the current page: afterwards either a new page is open (CurY at its
// top) or JobEnded is set.
void NextPage(PrintJob& job);

// CurY on the page NextPage opens: the body top, on paper a few pixels lower.
[[nodiscard]] std::int32_t NextPageTop(const PrintJob& job);

// Wipes the current preview page white for reuse, whatever colour the last
// control left as the surface's background.
void ClearPreviewPage(PrintJob& job);

// n for a system colour &H80000000 + n (n 0..20); 0 for every other value.
[[nodiscard]] std::int32_t SysColorIndex(std::int32_t color);

// A host colour as the RGB value drawn: negative values are system colours.
[[nodiscard]] std::int32_t TranslateColor(std::int32_t color);

// The common error exit of the drawing procedures: sets StopRequested, shows
// Err_Mess followed by the error number (critical), kills the printer document
// when printing.
void ReportJobError(PrintJob& job, const host::HostError& error);
