#pragma once
// The top title and the foot line with the page number of every page.
#include <cstdint>

struct PrintJob;

void DrawPreviewTitles(PrintJob& job);
void DrawPrintTitles(PrintJob& job);

// The top of the foot line's band in page units: nothing of the body may be
// drawn from here down.
[[nodiscard]] std::int32_t FootLineTop(const PrintJob& job);
