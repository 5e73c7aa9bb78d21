#pragma once
// The renderers of the control families. Each is called by the walker with
// the job's CtlIndex and CurCtl set to the control; the Prev twin draws on the
// current page surface, the Prn twin on the printer.
#include <cstdint>
#include <limits>

#include "host/Object.h"

struct PrintJob;

// Labels, text boxes, masked edit boxes, combo boxes.
void PrevTextBox(PrintJob& job);
void PrnTextBox(PrintJob& job);
// Check boxes and option buttons (one procedure for both jobs).
void PrintCheckOption(PrintJob& job);
// Lines, shapes and frames (one procedure each for both jobs) and their print primitives.
void PrintLine(PrintJob& job);
void PrintShape(PrintJob& job);
void PrintFrame(PrintJob& job);
void PrnDrawLine(PrintJob& job, std::int32_t FromX, std::int32_t FromY, std::int32_t ToX, std::int32_t ToY,
                 std::int32_t& Style, std::int32_t BordColor, std::int32_t tWidth);
void PrnShape(PrintJob& job, std::int32_t nLeft, std::int32_t nTop, std::int32_t nWidth, std::int32_t nHeight,
              std::int32_t ShapeKind, std::int32_t BackColor, std::int32_t BackStyle, std::int32_t BorderColor,
              std::int32_t BorderStyle, std::int32_t BorderWidth, std::int32_t FillStyle, std::int32_t FillColor);
// Pictures, image controls and charts, and the printer's picture primitive
// (also used by the check box glyphs). PrnPicture draws nothing from the
// printer row nCutAt down.
void PrevPicture(PrintJob& job);
void PrnPictureBox(PrintJob& job);
void PrnPicture(PrintJob& job, const host::ObjectRef& Source, double Scale, std::int32_t nLeft, std::int32_t nTop,
                std::int32_t nCutAt = std::numeric_limits<std::int32_t>::max());
// Rich-text boxes, continued page by page.
void PrevRichText(PrintJob& job);
void PrnRichText(PrintJob& job);
// List boxes in place (one procedure for both jobs), and file lists as
// flowing lists across pages.
void PrintListBox(PrintJob& job);
void PrevListFull(PrintJob& job);
void PrnListFull(PrintJob& job);
// List views ("ListView") as tables across pages.
void PrevListView(PrintJob& job);
void PrnListView(PrintJob& job);
// Flex grids ("MSFlexGrid", "MSHFlexGrid", "vsFlexGrid", "VSFlexGrid").
void PrevFlexGrid(PrintJob& job);
void PrnFlexGrid(PrintJob& job);
// Data-bound grids ("DataGrid", "DBGrid", "TDBGrid").
void PrevDataGrid(PrintJob& job);
void PrnDataGrid(PrintJob& job);
