// Data-bound grids: such a grid shows only a window of its records, so the
// grid is scrolled to its first record and then paged through window by
// window, every shown row printed once, across as many pages as the records
// take, until the records (or the blank row for new entries) end. The column
// headers head the grid and every page it continues on; columns are printed
// as laid out, shrunk to the page, or split into bands that repeat the rows,
// with the row-title column at the left of every later band.
//
// PrevDataGrid draws on the preview page, PrnDataGrid on the printer; both
// run the one algorithm below and differ only in the reserves of
// DataGridTwin. The grid's current cell, scroll position, height and
// visibility and the job's scale are given back on every way out.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Runtime.h"
#include "layout/Pagination.h"
#include "printctl/Vellora.h"
#include "renderers/RendererSupport.h"
#include "renderers/Renderers.h"
#include "renderers/TableSupport.h"

namespace {

using host::CLng;
using host::Value;
using renderers::Twin;

// A scaled header font is a tenth larger than the grid shows it.
constexpr double HeadFontGrowth = 1.1;
// A grid showing fewer rows than this is made taller while it prints, so
// that every window moves on by at least one row.
constexpr int FewestWindowRows = 3;
constexpr int WindowGrowthFactor = 3;
constexpr int MostWindowGrowths = 8;
// A grid side by side with the next control leaves the cursor this far above its top.
constexpr std::int32_t SideBySideLift = 8;
// Column alignment 3 (general) prints left-aligned.
constexpr std::int16_t GeneralAlignment = 3;

// What the preview and print twins set apart, in page units.
struct DataGridTwin {
  Twin twin;
  double firstBandReserve;    // the width test of the first band
  double shrinkTestReserve;   // the test whether to shrink to the page
  double shrinkScaleReserve;  // ... and the divisor of the new scale
  double laterBandReserve;    // the width test of the later bands
  double startLines;          // lines of the print control's font that must fit at the grid's top

  static DataGridTwin preview() { return {Twin::Preview, 25, 30, 74, 70, 2}; }
  static DataGridTwin print(const PrintJob& job) {
    const double u = job.PrnGapUnit;
    return {Twin::Print, 10 * u, 80 * u, 20 * u, 10 * u, 4};
  }
};

// The grid's current cell, scroll position, height and visibility and the
// job's scale, given back however the renderer ends. `scrolled` counts the
// rows the renderer has moved the grid down (negative: up).
//
// A window too small to show the grid's current row reads its last shown row
// as the current one, while the grid keeps its row and shows it again once
// the window is tall enough (a resizer puts the form back to its design size
// for the job and zooms it again after). Writing back the row read would make
// the row that stood in current; so the keeper looks for the kept row in a
// taller window first, and gives it back in that window before the grid
// shrinks to its own height.
class DataGridStateKeeper {
 public:
  DataGridStateKeeper(PrintJob& job, host::Object& grid, const std::int32_t& scrolled)
      : job_(job), grid_(grid), scrolled_(scrolled), scale_(job.LayoutFactor) {
    row_ = grid.get("Row");
    col_ = grid.get("Col");
    leftCol_ = grid.get("LeftCol");
    height_ = grid.get("Height");
    findKeptRow();
  }
  DataGridStateKeeper(const DataGridStateKeeper&) = delete;
  DataGridStateKeeper& operator=(const DataGridStateKeeper&) = delete;
  ~DataGridStateKeeper() {
    if (scrolled_ != 0) host::resume([&] { grid_.call("Scroll", {Value(0), Value(-scrolled_)}); });
    if (tallHeight_) {
      host::resume([&] { grid_.set("Height", *tallHeight_); });
      host::resume([&] { grid_.set("Row", row_); });
    }
    host::resume([&] { grid_.set("Height", height_); });
    host::resume([&] { grid_.set("Visible", Value(true)); });
    host::resume([&] { grid_.set("Col", col_); });
    if (!tallHeight_ && row_.toDouble() >= 0) host::resume([&] { grid_.set("Row", row_); });
    job_.LayoutFactor = scale_;
    host::resume([&] { grid_.set("LeftCol", leftCol_); });
    host::resume([&] { grid_.call("ZOrder"); });
  }

 private:
  // Only a current row read as the window's last may stand in for one below
  // it: the window grows while the row read grows with it, and is put back
  // at once, so that the job pages through the grid as it was found.
  void findKeptRow() {
    double height = height_.toDouble();
    host::resume([&] {
      std::int32_t row = row_.toLong();
      for (int growth = 0; growth < MostWindowGrowths && row == grid_.get("VisibleRows").toLong() - 1; ++growth) {
        height = std::max(height, 1.0) * WindowGrowthFactor;
        grid_.set("Height", Value(height));
        const std::int32_t shown = grid_.get("Row").toLong();
        if (shown == row) break;
        row = shown;
        row_ = Value(row);
        tallHeight_ = Value(height);
      }
    });
    if (height != height_.toDouble()) host::resume([&] { grid_.set("Height", height_); });
  }

  PrintJob& job_;
  host::Object& grid_;
  const std::int32_t& scrolled_;
  double scale_;
  Value row_, col_, leftCol_, height_;
  std::optional<Value> tallHeight_;  // a height that shows the kept row, when the grid's own does not
};

// One column as the renderer prints it, read once per grid.
struct Column {
  bool visible = true;
  double widthTwips = 0;
  std::int32_t alignment = 0;
  bool wrap = false;
  bool divider = true;
  std::string caption;
};

class DataGridRenderer {
 public:
  DataGridRenderer(PrintJob& job, DataGridTwin twin)
      : job_(job),
        twin_(twin),
        grid_(*job.CurCtl),
        painter_(job, twin.twin, 0),
        props_(job.control.props()) {}

  void render() { renderers::reportingErrors(job_, [this] { run(); }); }

 private:
  enum class RowEnd { Next, GridEnded, JobEnded };

  void run() {
    DataGridStateKeeper keeper(job_, grid_, scrolled_);
    const std::string type = host::upperCase(grid_.typeName());
    if (type == "DATAGRID" || host::Like(type, "*TDB*")) rightToLeft_ = grid_.get("RightToLeft").toBool();
    if (!renderers::placeTable(job_, grid_, twin_.startLines)) return;
    top_ = job_.CurY;
    columnHeaders_ = grid_.get("ColumnHeaders").toBool();
    recordCount_ = grid_.get("ApproxCount").toDouble();
    gridLeft_ = CLng(job_.record().Left / job_.TwipsPerUnit + job_.BodyLeft);
    job_.CurX = gridLeft_;
    readColumns();
    scale_ = job_.LayoutFactor;
    fitColumns();
    makeFonts();
    scrollToTop();
    enlargeWindow();
    backColor_ = renderers::colorProperty(grid_, "BackColor");
    foreColor_ = renderers::colorProperty(grid_, "ForeColor");
    if (printRows() == RowEnd::JobEnded) return;
    finish();
  }

  // --- set-up ---

  void readColumns() {
    const std::int32_t count = host::getObject(grid_, "Columns")->get("Count").toLong();
    for (std::int32_t c = 0; c < count; ++c) {
      const host::ObjectRef source = grid_.get("Columns", {Value(c)}).toObject();
      Column& column = columns_.emplace_back();
      column.visible = source->get("Visible").toBool();
      column.widthTwips = source->get("Width").toDouble();
      const std::int32_t alignment = source->get("Alignment").toLong();
      column.alignment = alignment == GeneralAlignment ? 0 : alignment;
      column.wrap = source->get("WrapText").toBool();
      column.divider = source->get("DividerStyle").toLong() != 0;
      column.caption = source->get("Caption").toString();
    }
  }

  [[nodiscard]] int lastColumn() const { return static_cast<int>(columns_.size()) - 1; }

  [[nodiscard]] std::int32_t columnUnits(int c) const {
    return CLng(columns_[static_cast<std::size_t>(c)].widthTwips / job_.TwipsPerUnit * scale_);
  }

  void fitColumns() {
    firstBandLast_ = lastColumn();
    const double reserve = gridLeft_ + job_.BodyRight;
    if (props_.GridToFit == vellora::Shrink) {
      double total = 0;
      for (int c = 0; c <= lastColumn(); ++c)
        if (columns_[static_cast<std::size_t>(c)].visible) total += columnUnits(c);
      if (reserve + total + twin_.shrinkTestReserve > job_.PageWidth) {
        scale_ = job_.PageWidth * scale_ / (reserve + total + twin_.shrinkScaleReserve);
        job_.LayoutFactor = scale_;
      }
    } else if (props_.GridToFit == vellora::Split || props_.GridToFit == vellora::SplitNewPage) {
      // Each column counts at its own scaled width.
      double total = 0;
      for (int c = 0; c <= lastColumn(); ++c) {
        if (!columns_[static_cast<std::size_t>(c)].visible) continue;
        total += columnUnits(c);
        if (reserve + total + twin_.firstBandReserve > job_.PageWidth) {
          firstBandLast_ = std::max(c - 1, firstVisible(0));
          break;
        }
      }
      splitting_ = firstVisible(firstBandLast_ + 1) <= lastColumn();
    }
  }

  // The first visible column from `c` on (past the last column when none).
  [[nodiscard]] int firstVisible(int c) const {
    while (c <= lastColumn() && !columns_[static_cast<std::size_t>(c)].visible) ++c;
    return c;
  }

  // The last column of a later band starting at `first`.
  [[nodiscard]] int laterBandLast(int first) const {
    const double tx = job_.TwipsPerUnit;
    double total = props_.RowRepeatTitle && !columns_.empty() ? columns_[0].widthTwips / tx : 0;
    for (int c = first; c <= lastColumn(); ++c) {
      if (!columns_[static_cast<std::size_t>(c)].visible) continue;
      total += columns_[static_cast<std::size_t>(c)].widthTwips / tx;
      if ((gridLeft_ + total + job_.BodyRight + twin_.laterBandReserve) * scale_ > job_.PageWidth)
        return std::max(c - 1, first);
    }
    return lastColumn();
  }

  // The grid's font at the job's scale; rows follow the size it was granted.
  void makeFonts() {
    gridFont_ = renderers::fontOf(grid_);
    double rowScale = scale_;
    if (scale_ != 1.0) {
      const double requested = gridFont_.size() * scale_;
      gridFont_.setSize(requested);
      rowScale = gridFont_.size() / requested * scale_;
    }
    rowHeight_ = CLng(grid_.get("RowHeight").toDouble() / job_.TwipsPerUnit * rowScale);
    if (rowScale < 1.0) rowHeight_ += 3;
    headFont_ = renderers::fontOf(grid_, "HeadFont");
    if (scale_ != 1.0) headFont_.setSize(headFont_.size() * scale_ * HeadFontGrowth);
    headerHeight_ = CLng(grid_.get("HeadLines").toDouble() * rowHeight_);
  }

  // Scrolls up until the first shown row stays the same: the grid's first
  // record. Rows are told apart by their bookmarks, so rows that read alike
  // do not stop it early.
  void scrollToTop() {
    std::string last = "TT%@#^";
    int scrolls = 0;
    while (true) {
      std::string first;
      try {
        first = grid_.get("RowBookmark", {Value(0)}).toString();
      } catch (const host::HostError&) {
        break;  // the grid shows no rows
      }
      if (first == last) break;
      last = first;
      grid_.call("Scroll", {Value(0), Value(-1)});
      ++scrolls;
    }
    // The last scroll only confirmed the top.
    scrolled_ -= std::max(scrolls - 1, 0);
  }

  void enlargeWindow() {
    double height = grid_.get("Height").toDouble();
    for (int growth = 0; growth < MostWindowGrowths && grid_.get("VisibleRows").toLong() < FewestWindowRows;
         ++growth) {
      height = std::max(height, 1.0) * WindowGrowthFactor;
      grid_.set("Height", Value(height));
    }
    windowRows_ = grid_.get("VisibleRows").toLong();
  }

  // --- the rows ---

  RowEnd printRows() {
    int first = firstVisible(0);
    int last = firstBandLast_;
    header_ = columnHeaders_;
    host::resume([&] { grid_.set("Row", Value(0)); });
    while (true) {
      renderers::yieldToHost();
      if (job_.StopRequested) return RowEnd::GridEnded;
      frame_ = props_.GridLinesOK ? static_cast<std::int16_t>(std::min(grid_.get("RowDividerStyle").toLong(), 1)) : 0;
      // A row without text past the records is the blank row for new
      // entries; one among them is a record and prints as blank cells.
      if (printed_ >= recordCount_ && rowIsEmpty()) break;
      drawRow(first, last);
      const RowEnd end = header_ ? afterHeader() : afterRecord(first, last);
      if (end != RowEnd::Next) return end;
    }
    return RowEnd::GridEnded;
  }

  RowEnd afterHeader() {
    header_ = false;
    lastHeight_ = headerHeight_;
    return advance(headerHeight_);
  }

  RowEnd afterRecord(int& first, int& last) {
    lastHeight_ = rowHeight_;
    ++printed_;
    if (windowIndex_ == windowRows_ - 1) moveWindow(windowRows_ - 1);
    followRecordCount();
    if (printed_ >= recordCount_) {
      if (!splitting_ || firstVisible(last + 1) > lastColumn()) return RowEnd::GridEnded;
      first = firstVisible(last + 1);
      last = laterBandLast(first);
      return startNextBand();
    }
    if (const RowEnd end = advance(rowHeight_); end != RowEnd::Next) return end;
    const std::int16_t next = renderers::NextGridRow(grid_);
    // A grid that shows no further row has no further records.
    if (next == windowIndex_) return RowEnd::GridEnded;
    windowIndex_ = next;
    return RowEnd::Next;
  }

  // The records were counted when the grid was bound, up to a bound: reading
  // them may find that they end sooner (a query of random rows, or a
  // database another program changed), or that a long query goes on past
  // what was counted. The grid ends where its records end.
  void followRecordCount() {
    host::resume([&] { recordCount_ = grid_.get("ApproxCount").toDouble(); });
  }

  // Moves the window on, keeping its last row as its first.
  void moveWindow(std::int32_t rows) {
    grid_.call("Scroll", {Value(0), Value(rows)});
    scrolled_ += rows;
    bandScrolled_ += rows;
    host::resume([&] { grid_.set("Row", Value(0)); });
    windowIndex_ = 0;
  }

  // Moves below the row just drawn, to a new page when the next row would
  // reach the foot; the headers then head the new page.
  RowEnd advance(std::int32_t height) {
    job_.CurY += height;
    if (job_.CurY < job_.PageHeight - (job_.BottomReserve + rowHeight_)) return RowEnd::Next;
    return breakPage();
  }

  RowEnd breakPage() {
    NextPage(job_);
    if (job_.JobEnded) return RowEnd::JobEnded;
    header_ = columnHeaders_;
    return RowEnd::Next;
  }

  // The next band repeats the records from the first, below this band or on
  // a new page.
  RowEnd startNextBand() {
    job_.CurY += 3 * rowHeight_;
    grid_.call("Scroll", {Value(0), Value(-bandScrolled_)});
    scrolled_ -= bandScrolled_;
    bandScrolled_ = 0;
    host::resume([&] { grid_.set("Row", Value(0)); });
    windowIndex_ = 0;
    printed_ = 0;
    header_ = columnHeaders_;
    const bool newPage = props_.GridToFit == vellora::SplitNewPage ||
                         job_.CurY >= job_.PageHeight - (job_.BottomReserve + rowHeight_);
    return newPage ? breakPage() : RowEnd::Next;
  }

  [[nodiscard]] bool rowIsEmpty() {
    for (int c = 0; c <= lastColumn(); ++c) {
      grid_.set("Col", Value(static_cast<std::int32_t>(c)));
      if (!grid_.get("Text").toString().empty()) return false;
    }
    return true;
  }

  // --- one row ---

  void drawRow(int first, int last) {
    job_.CurX = rightToLeft_ ? job_.PageWidth - (job_.BodyLeft + job_.BodyRight) : gridLeft_;
    painter_.setFont(header_ ? headFont_ : gridFont_);
    bool firstCell = true;
    if (props_.RowRepeatTitle && first > 0 && !columns_.empty() && columns_[0].visible) drawCell(0, firstCell);
    for (int c = first; c <= last; ++c)
      if (columns_[static_cast<std::size_t>(c)].visible) drawCell(c, firstCell);
  }

  void drawCell(int c, bool& firstCell) {
    const Column& column = columns_[static_cast<std::size_t>(c)];
    grid_.set("Col", Value(static_cast<std::int32_t>(c)));
    const std::int32_t w = columnUnits(c);
    if (rightToLeft_) job_.CurX -= w;
    const std::string text = header_ ? column.caption : grid_.get("Text").toString();
    renderers::TableCell cell;
    cell.left = job_.CurX;
    cell.top = job_.CurY;
    cell.width = w;
    cell.height = header_ ? headerHeight_ : rowHeight_;
    cell.caption = &text;
    cell.alignment = column.alignment;
    cell.frame = frame_;
    cell.wrap = column.wrap;
    cell.backColor = header_ ? renderers::HeaderBackColor : backColor_;
    cell.foreColor = foreColor_;
    // A cell meets the divider on its left unless it is the row's first.
    cell.divider = static_cast<std::int16_t>(column.divider ? (firstCell ? 0 : -2) : (firstCell ? -1 : -3));
    painter_.paint(cell);
    firstCell = false;
    if (!rightToLeft_) job_.CurX += w;
  }

  // --- end of the grid ---

  void finish() {
    job_.CurY += rowHeight_ + lastHeight_;
    if (props_.SideBySide) job_.CurY = top_ - SideBySideLift;
  }

  PrintJob& job_;
  DataGridTwin twin_;
  host::Object& grid_;
  renderers::CellPainter painter_;
  const VelloraProperties& props_;

  std::int32_t scrolled_ = 0;      // rows the grid was moved down in all
  std::int32_t bandScrolled_ = 0;  // ... since its band began
  bool rightToLeft_ = false;
  std::int32_t top_ = 0;
  bool columnHeaders_ = true;
  double recordCount_ = 0;
  std::int32_t gridLeft_ = 0;
  std::vector<Column> columns_;
  double scale_ = 1;
  int firstBandLast_ = 0;
  bool splitting_ = false;
  host::Font gridFont_, headFont_;
  std::int32_t rowHeight_ = 0, headerHeight_ = 0, lastHeight_ = 0;
  std::int32_t windowRows_ = 1;
  std::int32_t backColor_ = 0, foreColor_ = 0;
  bool header_ = false;
  std::int16_t frame_ = 0;
  double printed_ = 0;            // records printed in this band
  std::int16_t windowIndex_ = 0;  // the current row within the shown window
};

}  // namespace

namespace renderers {

std::int16_t NextGridRow(host::Object& grid) {
  host::resume([&] { grid.set("Row", Value(grid.get("Row").toLong() + 1)); });
  return grid.get("Row").toInteger();
}

}  // namespace renderers

void PrevDataGrid(PrintJob& job) { DataGridRenderer(job, DataGridTwin::preview()).render(); }

void PrnDataGrid(PrintJob& job) { DataGridRenderer(job, DataGridTwin::print(job)).render(); }
