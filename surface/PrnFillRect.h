#pragma once
// The printer-side cell painter: background, optional frame and caption drawn
// straight on the printer's device context, with insets in multiples of
// PrnUnit so a cell keeps its physical size at any resolution.
#include <cstdint>
#include <string>

struct PrintJob;

// True when n is odd; n becomes Int(n / 2).
bool OddBit(std::int32_t& n);

// Paints one cell on the printer's page. A run-time error inside goes to the
// job's common error exit (ReportJobError).
void PrnFillRect(PrintJob& job, std::int32_t nLeft, std::int32_t nTop, std::int32_t nnWidth, std::int32_t nHeight,
                 const std::string& sCaption, std::int32_t CaptionAlign, std::int16_t frame, bool Wr, bool Grid,
                 bool transpar, std::int16_t Divider);
