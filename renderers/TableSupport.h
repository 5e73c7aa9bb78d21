#pragma once
// What the table renderers (flex grids, and the data grids and list views
// built on them) share: column widths in page units, the row page-break test,
// the host cell alignment as a caption alignment code, and the painter that
// draws one cell on the preview page or straight on the printer.
#include <cstdint>
#include <string>

#include "host/Font.h"
#include "host/Object.h"
#include "layout/PrintJob.h"
#include "surface/CellRules.h"

namespace renderers {

// Host tables count a column of width -1 as this wide.
inline constexpr double DefaultColumnTwips = 1100;

// A column's width in twips as drawn: -1 is the default width; 0 hides it.
[[nodiscard]] constexpr double columnTwips(double widthTwips) {
  return widthTwips == -1 ? DefaultColumnTwips : widthTwips;
}

// A column's width in page units, Int(width / tx x scale), the default width
// for -1 and nothing for a hidden column.
[[nodiscard]] std::int32_t columnUnits(double widthTwips, double twipsPerUnit, double scale);

// Moves a data-bound grid's current row on by one and returns the current
// row; it stays where it was when the grid shows no further row.
std::int16_t NextGridRow(host::Object& grid);

// Moves CurY to a table's top: the record's Advance below the cursor (never
// above it), on a new page when the table's Tag asks for one or when not even
// `lines` lines of the print control's font fit above the foot. False when
// the job ended at that page break.
[[nodiscard]] bool placeTable(PrintJob& job, const host::Object& table, double lines);

// Whether the row after one ending at `y` and `nextHeight` high runs into the
// foot of the page, so that a page break comes first.
[[nodiscard]] bool rowBreakDue(const PrintJob& job, std::int32_t y, std::int32_t nextHeight);

// The caption alignment code (0 left, 1 right, 2 centre) of a host cell
// alignment: 1 (left, centred) is right-aligned in a right-to-left table, 3
// to 5 are centred, 6 to 8 right-aligned, 9 (general) right-aligned for
// numeric text only.
[[nodiscard]] std::int32_t captionAlignment(std::int32_t hostAlignment, bool rightToLeft, bool numericText);

// Whether a cell's text is a number (for the general alignment).
[[nodiscard]] bool isNumericText(const std::string& text);

enum class Twin { Preview, Print };

// The light grey of a table's header row.
inline constexpr std::int32_t HeaderBackColor = 12632256;

// The cell painters' divider code for a cell that meets no column divider.
inline constexpr std::int16_t NoDivider = 5;

// Whether the control after the current one in the job's list is a grid (a
// type name ending in "Grid"), which a table printed side by side waits for.
[[nodiscard]] bool nextControlIsGrid(const PrintJob& job);

// Side by side, the control after a list prints from the list's top: in a
// preview any control the walker did not place below a table ("Down"), on
// paper only a grid. False when SideBySide is off or the list is the last.
[[nodiscard]] bool nextPrintsBesideList(const PrintJob& job, Twin twin);

// One cell: its box in page units, caption and how it is drawn. Colours are
// RGB host values (system colours already translated).
struct TableCell {
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  const std::string* caption = nullptr;
  std::int32_t alignment = 0;
  std::int16_t frame = 0;  // 1: a one-pixel frame
  bool wrap = false;
  std::int32_t backColor = surface::White;
  std::int32_t foreColor = 0;
  std::int32_t frameColor = 0;  // on the printer only; the preview frames in black
  std::int16_t divider = NoDivider;  // how the text box meets the grid's column dividers
};

// Paints table cells: on the preview page through the surface's FillRect,
// on the printer through PrnFillRect (by default 5 pixels to the right, as
// printed flex grids and lists sit). The font goes to the device only when
// the device does not hold it already, as read back from the device itself:
// a printer keeps one device context for the whole document, and whatever
// draws between two rows (the titles at a page break) may change its font.
class CellPainter {
 public:
  static constexpr std::int32_t PrintedCellShift = 5;
  CellPainter(PrintJob& job, Twin twin, std::int32_t printShift = PrintedCellShift)
      : job_(job), twin_(twin), printShift_(printShift) {}
  CellPainter(const CellPainter&) = delete;
  CellPainter& operator=(const CellPainter&) = delete;

  void setFont(const host::Font& font);
  void paint(const TableCell& cell);
  [[nodiscard]] Twin twin() const { return twin_; }

 private:
  PrintJob& job_;
  Twin twin_;
  std::int32_t printShift_;
};

}  // namespace renderers
