#pragma once
// The printer-side cell painter: background, optional frame and caption drawn
// straight on the printer's device context, with insets in multiples of
// PrnUnit so a cell keeps its physical size at any resolution.
#include <cstdint>
#include <string>

#include "host/Geometry.h"

struct PrintJob;

// True when n is odd; n becomes Int(n / 2).
bool OddBit(std::int32_t& n);

// Paints one cell on the printer's page. A run-time error inside goes to the
// job's common error exit (ReportJobError).
void PrnFillRect(PrintJob& job, std::int32_t nLeft, std::int32_t nTop, std::int32_t nnWidth, std::int32_t nHeight,
                 const std::string& sCaption, std::int32_t CaptionAlign, std::int16_t frame, bool Wr, bool Grid,
                 bool transpar, std::int16_t Divider);

// Where PrnFillRect writes a word-wrapped caption in the cell it is given,
// and how many lines a caption takes there in the printer's current font
// (0 for an empty caption). A renderer sizes what it prints by these, so
// that the cell holds every line of it.
[[nodiscard]] host::Rect PrnWrappedTextRect(std::int32_t nLeft, std::int32_t nTop, std::int32_t nnWidth,
                                            std::int32_t nHeight, bool Grid, std::int16_t Divider);
[[nodiscard]] int PrnWrappedLineCount(const std::string& sCaption, std::int32_t nLeft, std::int32_t nnWidth,
                                      std::int32_t CaptionAlign, bool Grid, std::int16_t Divider);
// The height of one wrapped line in the printer's current font, and the
// count with that height given: a renderer counting the lines of many
// captions measures it once.
[[nodiscard]] int PrnWrappedLineHeight(std::int32_t CaptionAlign);
[[nodiscard]] int PrnWrappedLineCount(const std::string& sCaption, std::int32_t nLeft, std::int32_t nnWidth,
                                      std::int32_t CaptionAlign, bool Grid, std::int16_t Divider, int lineHeight);
