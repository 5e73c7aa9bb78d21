// Flex grids: the grid's cells laid out row by row at the grid's place on the
// form, flowing across pages. Columns are printed as laid out, split into
// bands continued below or on new pages, or shrunk to the page width; hidden
// rows and columns take no space; the header rows come back at the top of
// every page the grid continues on, and the row-title column at the left of
// every later band. Two grids can print side by side.
//
// PrevFlexGrid draws on the preview page, PrnFlexGrid on the printer; both
// run the one algorithm below and differ only in the rules of GridTwin. A
// run-time error ends the grid through the common error report; the grid's
// current cell, scroll position and visibility and the job's scale are given
// back on every way out.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Runtime.h"
#include "host/model/Control.h"
#include "host/model/Pictures.h"
#include "layout/Pagination.h"
#include "printctl/Vellora.h"
#include "renderers/RendererSupport.h"
#include "renderers/Renderers.h"
#include "renderers/TableSupport.h"
#include "surface/CellRules.h"

namespace {

using host::CLng;
using host::Value;
using renderers::Twin;

using surface::White;
// The grid's font is made a tenth larger than the host shows it.
constexpr double GridFontGrowth = 1.1;
// Shrinking to the page counts each column at this part of its width.
constexpr double ShrinkColumnShare = 0.95;
// A later band counts this many page units around each column with a row title.
constexpr double BandColumnAllowance = 8;
// The right cut of a row: a cell may reach this far past the page's width.
constexpr double PreviewRightCut = 1.05;
constexpr double PrintRightCut = 1 / 0.9;

// What the preview and print twins set apart; everything else is shared.
struct GridTwin {
  Twin twin;
  double shrinkTestReserve;   // page units added in the test whether to shrink
  double shrinkScaleReserve;  // ... and in the divisor of the new scale
  double firstBandReserve;    // ... in the width test of the first band
  double laterBandReserve;    // ... and of the later bands
  double rightCut;            // a row is cut where a cell passes PageWidth x this
  double pictureDrop;         // cell pictures sit this much lower

  static GridTwin preview() { return {Twin::Preview, 10, 134, 10, 10, PreviewRightCut, 0}; }
  static GridTwin print(const PrintJob& job) {
    return {Twin::Print, 0, 36 * job.PrnGapUnit, 0, 20 * job.PrnGapUnit, PrintRightCut, 4 * job.PrnGapUnit};
  }
};

// The grid's current cell and scroll position, its visibility and the job's
// scale, given back however the renderer ends; on paper the grid also comes
// to the front.
class GridStateKeeper {
 public:
  GridStateKeeper(PrintJob& job, host::Object& grid, bool printing)
      : job_(job), grid_(grid), printing_(printing), scale_(job.LayoutFactor) {
    row_ = grid.get("Row");
    col_ = grid.get("Col");
    topRow_ = grid.get("TopRow");
    leftCol_ = grid.get("LeftCol");
  }
  GridStateKeeper(const GridStateKeeper&) = delete;
  GridStateKeeper& operator=(const GridStateKeeper&) = delete;
  ~GridStateKeeper() {
    host::resume([&] { grid_.set("Visible", Value(true)); });
    host::resume([&] { grid_.set("TopRow", topRow_); });
    host::resume([&] { grid_.set("LeftCol", leftCol_); });
    host::resume([&] { grid_.set("Row", row_); });
    host::resume([&] { grid_.set("Col", col_); });
    job_.LayoutFactor = scale_;
    if (printing_) host::resume([&] { grid_.call("ZOrder"); });
  }

 private:
  PrintJob& job_;
  host::Object& grid_;
  bool printing_;
  double scale_;
  Value row_, col_, topRow_, leftCol_;
};

class FlexGridRenderer {
 public:
  FlexGridRenderer(PrintJob& job, GridTwin twin)
      : job_(job), twin_(twin), grid_(*job.CurCtl), painter_(job, twin.twin), props_(job.control.props()) {}

  void render() { renderers::reportingErrors(job_, [this] { run(); }); }

 private:
  enum class Outcome { Finished, Stopped, JobEnded };

  void run() {
    if (!placeGrid()) return;
    GridStateKeeper keeper(job_, grid_, twin_.twin == Twin::Print);
    setUp();
    fitColumns();
    makeGridFont();
    painter_.setFont(gridFont_);
    int first = 0;
    int last = firstBandLast_;
    // Whether an empty row ends the grid is settled once, over the first
    // band, so that every band ends at the same row.
    lastRowHasContent_ = lastRowHasContent(first, last);
    while (true) {
      const Outcome outcome = printBand(first, last);
      if (outcome == Outcome::JobEnded) return;
      if (outcome == Outcome::Stopped || !splitting_ || last >= cols_ - 1) break;
      first = last + 1;
      if (!startNextBand()) return;
      last = laterBandLast(first);
    }
    finish();
  }

  // --- start position and set-up ---

  // Moves to the grid's top, on a new page when it asks for one or when not
  // even two lines fit; false when the job ended there.
  bool placeGrid() {
    if (!renderers::placeTable(job_, grid_, 2)) return false;
    top_ = job_.CurY;
    return true;
  }

  void setUp() {
    scale_ = job_.LayoutFactor;
    job_.GridLineColor = 0;
    secondFlavour_ = host::upperCase(grid_.typeName()) == "VSFLEXGRID";
    readGridLines();
    wordWrap_ = grid_.get("WordWrap").toBool();
    rightToLeft_ = grid_.get("RightToLeft").toBool();
    fixedCols_ = grid_.get("FixedCols").toLong();
    fixedRows_ = grid_.get("Fixedrows").toLong();
    rows_ = grid_.get("Rows").toLong();
    cols_ = grid_.get("Cols").toLong();
    gridLeft_ = CLng(grid_.get("Left").toDouble() / job_.TwipsPerUnit + job_.BodyLeft);
    job_.CurX = gridLeft_;
  }

  void readGridLines() {
    frame_ = props_.GridLinesOK ? static_cast<std::int16_t>(std::min(grid_.get("GridLines").toLong(), 1)) : 0;
  }

  [[nodiscard]] double widthTwips(int col) const {
    const Value index[] = {Value(static_cast<std::int32_t>(col))};
    return grid_.get("ColWidth", host::Args(index)).toDouble();
  }

  // --- column fitting ---

  void fitColumns() {
    firstBandLast_ = cols_ - 1;
    splitting_ = false;
    const double tx = job_.TwipsPerUnit;
    if (props_.GridToFit == vellora::Shrink) {
      double total = 0;
      for (int c = 0; c < cols_; ++c) {
        const double width = widthTwips(c);
        total += width == -1 ? CLng(renderers::DefaultColumnTwips / tx * scale_ * ShrinkColumnShare)
                             : CLng(width / tx * ShrinkColumnShare);
      }
      const double span = gridLeft_ + total + job_.BodyRight;
      if ((span + twin_.shrinkTestReserve) * scale_ > job_.PageWidth) {
        scale_ = job_.PageWidth / (span + twin_.shrinkScaleReserve) * scale_;
        job_.LayoutFactor = scale_;
      }
    } else if (props_.GridToFit == vellora::Split || props_.GridToFit == vellora::SplitNewPage) {
      double sum = 0;
      for (int c = 0; c < cols_; ++c) {
        const double width = widthTwips(c);
        sum += width == -1 ? renderers::columnUnits(width, tx, scale_) : CLng(width / tx);
        if ((gridLeft_ + sum + job_.BodyRight + twin_.firstBandReserve) * scale_ >= job_.PageWidth) {
          // A band holds at least one column, however wide.
          firstBandLast_ = std::max(c - 1, 0);
          splitting_ = firstBandLast_ < cols_ - 1;
          break;
        }
      }
    }
  }

  // The last column of a later band starting at `first`.
  [[nodiscard]] int laterBandLast(int first) const {
    const double tx = job_.TwipsPerUnit;
    const bool rowTitle = props_.RowRepeatTitle;
    double sum = rowTitle ? CLng(renderers::columnTwips(widthTwips(0)) / tx + BandColumnAllowance) : 0;
    for (int c = first; c < cols_; ++c) {
      const double width = widthTwips(c);
      if (width != 0)
        sum += rowTitle ? CLng(renderers::columnTwips(width) / tx + BandColumnAllowance)
                        : renderers::columnUnits(width, tx, width == -1 ? scale_ : 1.0);
      if ((gridLeft_ + sum + job_.BodyRight + twin_.laterBandReserve) * scale_ >= job_.PageWidth)
        return std::max(c - 1, first);
    }
    return cols_ - 1;
  }

  // --- fonts and row heights ---

  void makeGridFont() {
    gridFont_ = renderers::fontOf(grid_);
    gridFont_.setSize(gridFont_.size() * GridFontGrowth);
    const double granted = gridFont_.size();
    rowScale_ = 1.0;
    if (scale_ != 1.0) {
      gridFont_.setSize(granted * scale_);
      rowScale_ = gridFont_.size() / granted;
    }
    rowFactor_ = twin_.twin == Twin::Preview && scale_ != 1.0 ? previewRowFactor() : 1.0;
  }

  // Preview rows grow a little with the screen's rendering of a shrunk font;
  // the print control's own font, measured in screen twips, gauges it.
  [[nodiscard]] double previewRowFactor() const {
    const double h = job_.control.TextWidth("A") * host::TwipsPerPixel;
    double f = h > 0 ? 70 / h : 1.07;
    if (f > 1.0701) f = 1.07;
    if (f < 1.0) {
      f = (1 - f) * 0.683 + 1.0;
      if (f > 1.0601) f = 1.0;
    }
    return f;
  }

  [[nodiscard]] std::int32_t rowHeightTwips(int row) const {
    const Value index[] = {Value(static_cast<std::int32_t>(row))};
    return grid_.get("RowHeight", host::Args(index)).toLong();
  }

  [[nodiscard]] std::int32_t rowPixels(std::int32_t heightTwips) const {
    return CLng(heightTwips / job_.DevTwipsY * rowScale_ * rowFactor_ + 3) - 3;
  }

  // --- content tests ---

  [[nodiscard]] std::string textAt(int row, int col) const {
    const Value index[] = {Value(static_cast<std::int32_t>(row)), Value(static_cast<std::int32_t>(col))};
    return grid_.get("TextMatrix", host::Args(index)).toString();
  }

  // The current cell's picture handle; the second flavour has no picture cells.
  [[nodiscard]] std::int32_t cellPicture() const {
    return secondFlavour_ ? 0 : grid_.get("CellPicture").toLong();
  }

  [[nodiscard]] bool cellHasContent(int row, int col) {
    if (!textAt(row, col).empty()) return true;
    if (secondFlavour_) return false;
    grid_.set("Col", Value(static_cast<std::int32_t>(col)));
    return cellPicture() != 0;
  }

  [[nodiscard]] bool lastRowHasContent(int first, int last) {
    if (rows_ == 0) return false;
    grid_.set("Row", Value(rows_ - 1));
    for (int c = first; c <= last; ++c)
      if (cellHasContent(rows_ - 1, c)) return true;
    return false;
  }

  [[nodiscard]] bool rowIsEmpty(int row) {
    grid_.set("Row", Value(static_cast<std::int32_t>(row)));
    for (int c = 0; c < cols_; ++c)
      if (cellHasContent(row, c)) return false;
    return true;
  }

  // --- the rows of one band ---

  Outcome printBand(int first, int last) {
    bool repeating = false;  // the header rows are being printed again
    int resumeRow = 0;       // the row that did not fit, printed after them
    int row = 0;
    while (row < rows_) {
      const std::int32_t heightTwips = rowHeightTwips(row);
      if (heightTwips == 0) {  // a hidden row takes no space
        row = nextRow(row, repeating, resumeRow);
        continue;
      }
      const bool endsBand = !lastRowHasContent_ && !repeating && rowIsEmpty(row);
      renderers::yieldToHost();
      if (job_.StopRequested) return Outcome::Stopped;
      grid_.set("Row", Value(static_cast<std::int32_t>(row)));
      rowHeight_ = rowPixels(heightTwips);
      drawRow(row, first, last);
      if (endsBand || row == rows_ - 1) break;
      job_.CurY += rowHeight_;
      int next = nextShownRow(row, repeating, resumeRow);
      if (next >= rows_) break;
      if (renderers::rowBreakDue(job_, job_.CurY, rowPixels(rowHeightTwips(next)))) {
        if (!breakPage()) return Outcome::JobEnded;
        // After a break inside the grid the header rows come first, when
        // they leave room for the row that did not fit: rows about as tall
        // as the page would otherwise fill every page with the header alone.
        if (props_.RepeatHeader && fixedRows_ > 0 && next >= fixedRows_ && headerFitsBefore(next)) {
          resumeRow = next;
          repeating = true;
          next = 0;
        }
      }
      row = next;
    }
    job_.CurY += rowHeight_;
    return Outcome::Finished;
  }

  // The row after `row`: the remembered row once the repeated header is done.
  [[nodiscard]] int nextRow(int row, bool& repeating, int resumeRow) const {
    if (repeating && row >= fixedRows_ - 1) {
      repeating = false;
      return resumeRow;
    }
    return row + 1;
  }

  // The next row that takes space: the page test after a row is made for
  // the row drawn next, never for a hidden one between them.
  [[nodiscard]] int nextShownRow(int row, bool& repeating, int resumeRow) const {
    int next = nextRow(row, repeating, resumeRow);
    while (next < rows_ && rowHeightTwips(next) == 0) next = nextRow(next, repeating, resumeRow);
    return next;
  }

  // Whether the header rows, drawn from CurY with the page tests between
  // rows, leave `row` room above the foot.
  [[nodiscard]] bool headerFitsBefore(int row) const {
    std::int32_t y = job_.CurY;
    bool firstRow = true;
    for (int r = 0; r < fixedRows_ && r < rows_; ++r) {
      const std::int32_t heightTwips = rowHeightTwips(r);
      if (heightTwips == 0) continue;
      const std::int32_t height = rowPixels(heightTwips);
      if (!firstRow && renderers::rowBreakDue(job_, y, height)) return false;
      y += height;
      firstRow = false;
    }
    return !renderers::rowBreakDue(job_, y, rowPixels(rowHeightTwips(row)));
  }

  // A new page for the grid's next row; false when the job ended.
  bool breakPage() {
    NextPage(job_);
    if (job_.JobEnded) return false;
    readGridLines();
    painter_.setFont(gridFont_);
    return true;
  }

  // Two row heights below the band, or on a new page; false when the job ended.
  bool startNextBand() {
    job_.CurY += 2 * rowHeight_;
    const std::int32_t firstRowHeight = rows_ > 0 ? rowPixels(rowHeightTwips(0)) : 0;
    if (props_.GridToFit == vellora::SplitNewPage || renderers::rowBreakDue(job_, job_.CurY, firstRowHeight))
      return breakPage();
    return true;
  }

  // --- one row ---

  [[nodiscard]] std::int32_t rowStart() const {
    if (!rightToLeft_) return CLng(job_.record().Left / job_.TwipsPerUnit + job_.BodyLeft);
    return std::min(job_.PageWidth - (job_.BodyLeft + job_.BodyRight),
                    job_.PageWidth - job_.BodyRight - job_.BodyLeft - 2);
  }

  void drawRow(int row, int first, int last) {
    job_.CurX = rowStart();
    if (props_.RowRepeatTitle && first > 0 && !drawCell(row, 0)) return;
    for (int c = first; c <= last; ++c)
      if (!drawCell(row, c)) return;
  }

  // Draws one cell at CurX and moves past it; false when the row ends here.
  bool drawCell(int row, int col) {
    const double width = widthTwips(col);
    if (width == 0) return true;  // a hidden column takes no space
    grid_.set("Col", Value(static_cast<std::int32_t>(col)));
    const std::string text = textAt(row, col);
    const std::int32_t alignment = cellAlignment(col, text);
    painter_.setFont(cellFont());
    const std::int32_t w = renderers::columnUnits(width, job_.TwipsPerUnit, scale_);
    if (!rightToLeft_ && job_.CurX + w > job_.PageWidth * twin_.rightCut) return false;
    if (rightToLeft_) {
      job_.CurX -= w;
      if (job_.CurX < job_.BodyLeft) return false;
    }
    renderers::TableCell cell;
    cell.left = job_.CurX;
    cell.top = job_.CurY;
    cell.width = w;
    cell.height = rowHeight_;
    cell.caption = &text;
    cell.alignment = alignment;
    cell.frame = frame_;
    cell.wrap = wordWrap_;
    const bool fixed = row < fixedRows_ || col < fixedCols_;
    cellColors(row, fixed, cell);
    painter_.paint(cell);
    if (const std::int32_t picture = cellPicture(); picture != 0) drawPicture(picture, w);
    if (!rightToLeft_) job_.CurX += w;
    return true;
  }

  // An alignment property; the second flavour reads it again as an Integer
  // and keeps the first reading when that gives 9.
  [[nodiscard]] std::int32_t alignmentProperty(std::string_view name, const Value* index = nullptr) const {
    const host::Args args = index != nullptr ? host::Args(index, 1) : host::Args();
    std::int32_t value = grid_.get(name, args).toLong();
    if (secondFlavour_) {
      const std::int16_t again = grid_.get(name, args).toInteger();
      if (again != 9) value = again;
    }
    return value;
  }

  [[nodiscard]] std::int32_t cellAlignment(int col, const std::string& text) const {
    std::int32_t alignment = alignmentProperty("CellAlignment");
    if (alignment == 0) {
      const Value index(static_cast<std::int32_t>(col));
      alignment = alignmentProperty("ColAlignment", &index);
    }
    return renderers::captionAlignment(alignment, rightToLeft_, alignment == 9 && renderers::isNumericText(text));
  }

  [[nodiscard]] host::Font cellFont() const {
    host::Font font;
    font.setName(grid_.get("CellFontName").toString());
    font.setWeight(gridFont_.weight());
    font.setCharset(gridFont_.charset());
    font.setBold(grid_.get("CellFontBold").toBool());
    font.setItalic(grid_.get("CellFontItalic").toBool());
    font.setUnderline(grid_.get("CellFontUnderline").toBool());
    const double size = grid_.get("CellFontSize").toDouble();
    font.setSize(scale_ != 1.0 ? size * scale_ : size);
    return font;
  }

  void cellColors(int row, bool fixed, renderers::TableCell& cell) const {
    if (job_.SurfaceColorMode != 2) {
      cell.backColor = White;
      cell.foreColor = 0;
      cell.frameColor = 0;
      return;
    }
    std::int32_t back = grid_.get("CellBackColor").toLong();
    if (back == 0) back = grid_.get(fixed ? "BackColorFixed" : "BackColor").toLong();
    std::int32_t fore = grid_.get("CellForeColor").toLong();
    if (fore == 0) fore = grid_.get(row == 0 ? "ForeColorFixed" : "ForeColor").toLong();
    cell.backColor = TranslateColor(back);
    cell.foreColor = TranslateColor(fore);
    cell.frameColor = twin_.twin == Twin::Print && secondFlavour_
                          ? TranslateColor(grid_.get(fixed ? "GridColorFixed" : "GridColor").toLong())
                          : 0;
  }

  // The cell's picture through the print control's hidden picture box,
  // centred in the row and placed across the cell by its picture alignment.
  void drawPicture(std::int32_t picture, std::int32_t w) {
    const host::ObjectRef& baki = job_.control.baki();
    if (!baki) host::raise(host::err::ObjectRequired, "Object required");
    baki->set("AutoSize", Value(true));
    baki->set("Picture", Value(picture));
    const host::Size size = host::pictureOf(*baki).size();
    const std::int32_t down = std::max(CLng((rowHeight_ - size.height * scale_) / 2), 0);
    std::int32_t across = 0;
    switch (grid_.get("CellPictureAlignment").toLong()) {
      case 3: case 4: case 5: across = CLng((w - size.width) / 2.0 * scale_); break;
      case 6: case 7: case 8: across = CLng(w - size.width * scale_); break;
      default: break;
    }
    const std::int32_t x = job_.CurX + across;
    const std::int32_t y = job_.CurY + down + 1;
    if (twin_.twin == Twin::Preview) {
      job_.page().Printpic(baki, scale_, x, y);
    } else {
      PrnPicture(job_, baki, scale_, x, CLng(y + twin_.pictureDrop));
    }
  }

  // --- end of the grid ---

  // The cursor goes a row below the grid; a following grid printed side by
  // side starts at this grid's own top instead, level with it.
  void finish() {
    if (props_.SideBySide && renderers::nextControlIsGrid(job_)) {
      job_.CurY = top_;
      return;
    }
    job_.CurY += rowHeight_;
  }

  PrintJob& job_;
  GridTwin twin_;
  host::Object& grid_;
  renderers::CellPainter painter_;
  const VelloraProperties& props_;

  std::int32_t top_ = 0;
  double scale_ = 1;
  bool secondFlavour_ = false;
  std::int16_t frame_ = 0;
  bool wordWrap_ = false;
  bool rightToLeft_ = false;
  std::int32_t fixedRows_ = 0, fixedCols_ = 0, rows_ = 0, cols_ = 0;
  std::int32_t gridLeft_ = 0;
  int firstBandLast_ = 0;
  bool splitting_ = false;
  host::Font gridFont_;
  double rowScale_ = 1;   // row heights follow the size the shrunk font was granted
  double rowFactor_ = 1;  // and, in preview, the screen's rendering of it
  bool lastRowHasContent_ = false;
  std::int32_t rowHeight_ = 0;  // of the last row drawn
};

}  // namespace

void PrevFlexGrid(PrintJob& job) { FlexGridRenderer(job, GridTwin::preview()).render(); }

void PrnFlexGrid(PrintJob& job) { FlexGridRenderer(job, GridTwin::print(job)).render(); }
