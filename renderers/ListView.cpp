// List views printed as tables: a header row of the column headers, then one
// row per list item, the item's text in the first column and its sub-items in
// the others. Columns are printed as laid out, split into bands continued
// below or on new pages, or shrunk to the page width; the header heads every
// page the list continues on, and with a row title the first column comes
// back at the left of every later band. A list without items prints nothing.
//
// PrevListView draws on the preview page, PrnListView on the printer; both
// run the one algorithm below and differ only in the rules of ListTwin. A
// run-time error ends the list through the common error report; the list's
// visibility and height and the job's scale are given back on every way out.
#include <algorithm>
#include <cstdint>
#include <string>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Printer.h"
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

// Preview rows are this many page units per point of the granted font size;
// printed rows a fifth higher than the printer's "A".
constexpr double PreviewRowPerPoint = 2.121;
constexpr double PrintedRowGrowth = 1.2;
// Below the header row: one unit at once, eight more before the page test.
constexpr std::int32_t HeaderGap = 1;
constexpr std::int32_t HeaderBreakGap = 8;
// Kept free above the foot in the row page-break test, in page units.
constexpr std::int32_t FootGap = 20;
// Page units added in the width test of a later band.
constexpr double LaterBandReserve = 20;

// What the preview and print twins set apart; everything else is shared.
struct ListTwin {
  Twin twin;
  double shrinkTestReserve;   // page units added in the test whether to shrink
  double shrinkScaleReserve;  // ... and in the divisor of the new scale
  double firstBandReserve;    // ... in the width test of the first band
  std::int32_t cellShift;     // cells sit this far right of their column (the
                              // painter shifts printed cells by itself)

  static ListTwin preview() { return {Twin::Preview, 50, 120, 10, 5}; }
  static ListTwin print(const PrintJob& job) {
    return {Twin::Print, 40 * job.PrnGapUnit, 120 * job.PrnGapUnit, -2 * job.PrnGapUnit, 0};
  }
};

// The list's visibility and height and the job's scale, given back however
// the renderer ends; the list also comes to the front.
class ListStateKeeper {
 public:
  ListStateKeeper(PrintJob& job, host::Object& list) : job_(job), list_(list), scale_(job.LayoutFactor) {
    height_ = list.get("Height");
  }
  ListStateKeeper(const ListStateKeeper&) = delete;
  ListStateKeeper& operator=(const ListStateKeeper&) = delete;
  ~ListStateKeeper() {
    host::resume([&] { list_.set("Visible", Value(true)); });
    host::resume([&] { list_.set("Height", height_); });
    host::resume([&] { list_.call("ZOrder"); });
    job_.LayoutFactor = scale_;
  }

 private:
  PrintJob& job_;
  host::Object& list_;
  double scale_;
  Value height_;
};

class ListViewRenderer {
 public:
  ListViewRenderer(PrintJob& job, ListTwin twin)
      : job_(job), twin_(twin), list_(*job.CurCtl), painter_(job, twin.twin), props_(job.control.props()) {}

  void render() { renderers::reportingErrors(job_, [this] { run(); }); }

 private:
  enum class Outcome { Finished, Stopped, JobEnded };
  // The row of the column headers; list items are rows 1 to Count.
  static constexpr int HeaderRow = 0;

  void run() {
    frame_ = props_.GridLinesOK;
    if (renderers::wantsNewPage(job_, list_)) {
      NextPage(job_);
      if (job_.JobEnded) return;
    }
    ListStateKeeper keeper(job_, list_);
    scale_ = job_.LayoutFactor;
    makeListFont();
    listLeft_ = CLng(job_.record().Left / job_.TwipsPerUnit + job_.BodyLeft);
    job_.CurX = listLeft_;
    headers_ = host::getObject(list_, "ColumnHeaders");
    items_ = host::getObject(list_, "ListItems");
    columns_ = headers_->get("Count").toLong();
    fitColumns();
    if (!placeList()) return;
    backColor_ = renderers::colorProperty(list_, "BackColor");
    foreColor_ = renderers::colorProperty(list_, "ForeColor");
    hideHeaders_ = list_.get("hidecolumnheaders").toBool();
    if (printRows() == Outcome::JobEnded) return;
    finish();
  }

  // --- set-up ---

  // The list's font at the job's scale, and the row height it gives.
  void makeListFont() {
    font_ = renderers::fontOf(list_);
    if (scale_ != 1.0) font_.setSize(font_.size() * scale_);
    if (twin_.twin == Twin::Preview) {
      rowHeight_ = CLng(font_.size() * PreviewRowPerPoint);
      return;
    }
    renderers::setPrinterFont(font_);
    const double letterTwips = renderers::printerDc().textExtent("A").height * host::printer().twipsPerPixelY();
    rowHeight_ = CLng(letterTwips * PrintedRowGrowth / job_.DevTwipsY);
  }

  [[nodiscard]] host::ObjectRef header(int column) const {
    return headers_->get("Item", {Value(static_cast<std::int32_t>(column))}).toObject();
  }

  [[nodiscard]] double widthUnits(int column) const {
    return header(column)->get("Width").toDouble() / job_.TwipsPerUnit;
  }

  // The list's top: the record's advance below the cursor, never above it.
  // When not even its first row fits above the foot any more, the list
  // starts on the next page instead of running into the foot; false when the
  // job ended there.
  bool placeList() {
    const std::int32_t entry = job_.CurY;
    job_.CurY = std::max(CLng(job_.record().Advance / job_.TwipsPerUnit * scale_ + job_.CurY), entry);
    itemCount_ = items_->get("Count").toLong();
    if (itemCount_ > 0 && rowReachesFoot() && !breakPage()) return false;
    top_ = job_.CurY;
    return true;
  }

  // --- column fitting ---

  void fitColumns() {
    firstBandLast_ = columns_;
    splitting_ = false;
    if (props_.GridToFit == vellora::Shrink) {
      double total = 0;
      for (int j = 1; j <= columns_; ++j) total += widthUnits(j);
      const double span = listLeft_ + total + job_.BodyRight;
      if (span + twin_.shrinkTestReserve > job_.PageWidth) {
        scale_ = job_.PageWidth * scale_ / (span + twin_.shrinkScaleReserve);
        job_.LayoutFactor = scale_;
      }
    } else if (props_.GridToFit == vellora::Split || props_.GridToFit == vellora::SplitNewPage) {
      double sum = 0;
      for (int j = 1; j <= columns_; ++j) {
        sum += widthUnits(j);
        if ((listLeft_ + sum + job_.BodyRight + twin_.firstBandReserve) * scale_ > job_.PageWidth) {
          // A band holds at least one column, however wide.
          firstBandLast_ = std::max(j - 1, 1);
          splitting_ = firstBandLast_ < columns_;
          break;
        }
      }
    }
  }

  // The last column of a later band starting at `first`.
  [[nodiscard]] int laterBandLast(int first) const {
    double sum = props_.RowRepeatTitle ? widthUnits(1) : 0;
    for (int j = first; j <= columns_; ++j) {
      sum += widthUnits(j);
      if ((listLeft_ + sum + job_.BodyRight + LaterBandReserve) * scale_ > job_.PageWidth)
        return std::max(j - 1, first);
    }
    return columns_;
  }

  // --- the rows ---

  // The header and the items of each band in turn, the header again at the
  // top of every page and every band unless the list hides it.
  Outcome printRows() {
    int first = 1;
    int last = firstBandLast_;
    bool header = headerDue();
    int item = 1;
    while (item <= itemCount_) {
      renderers::yieldToHost();
      if (job_.StopRequested) return Outcome::Stopped;
      const bool headerRow = header;
      drawRow(headerRow ? HeaderRow : item, first, last);
      if (!headerRow) freshPage_ = false;
      job_.CurY += (headerRow ? HeaderGap : 0) + rowHeight_;
      header = false;
      if (!headerRow && item == itemCount_ && splitting_ && last < columns_) {
        first = last + 1;
        last = laterBandLast(first);
        if (!startNextBand()) return Outcome::JobEnded;
        item = 0;
        header = headerDue();
      }
      if (headerRow) job_.CurY += HeaderBreakGap;
      // The test follows every row, the last one included, so that the
      // control after the list never starts inside the foot. A header that
      // alone fills a page the list opened can never share a page with an
      // item: it is given up, or every following page would hold nothing else.
      if (rowReachesFoot()) {
        if (headerRow && freshPage_) headerFitsPage_ = false;
        header = headerDue();
        if (!breakPage()) return Outcome::JobEnded;
      }
      if (!headerRow) ++item;
    }
    return Outcome::Finished;
  }

  [[nodiscard]] bool headerDue() const { return !hideHeaders_ && headerFitsPage_; }

  [[nodiscard]] bool rowReachesFoot() const {
    return job_.CurY >= job_.PageHeight - (job_.BottomReserve + rowHeight_ + FootGap);
  }

  // A new page for the list's next row; false when the job ended.
  bool breakPage() {
    NextPage(job_);
    if (job_.JobEnded) return false;
    frame_ = props_.GridLinesOK;
    freshPage_ = true;
    return true;
  }

  // Two rows below the band, or on a new page with GridToFit 3; false when the job ended.
  bool startNextBand() {
    job_.CurY += 2 * rowHeight_;
    if (props_.GridToFit == vellora::SplitNewPage) return breakPage();
    return true;
  }

  void drawRow(int row, int first, int last) {
    job_.CurX = listLeft_;
    painter_.setFont(font_);
    const host::ObjectRef item = row == HeaderRow ? nullptr : items_->get("Item", {Value(row)}).toObject();
    if (props_.RowRepeatTitle && first > 1) drawCell(item, 1);
    for (int j = first; j <= last; ++j) drawCell(item, j);
  }

  // The cell of column j of an item's row (the header row without an item).
  void drawCell(const host::ObjectRef& item, int j) {
    const host::ObjectRef column = header(j);
    std::string caption;
    if (!item) {
      caption = column->get("Text").toString();
    } else {
      caption = j == 1 ? item->get("Text").toString()
                       : item->get("SubItems", {Value(static_cast<std::int32_t>(j - 1))}).toString();
    }
    const std::int32_t w = CLng(column->get("Width").toDouble() / job_.TwipsPerUnit * scale_);
    renderers::TableCell cell;
    cell.left = job_.CurX + twin_.cellShift;
    cell.top = job_.CurY;
    cell.width = w;
    cell.height = rowHeight_;
    cell.caption = &caption;
    cell.alignment = column->get("Alignment").toInteger();
    cell.frame = frame_ ? 1 : 0;
    cell.backColor = item ? backColor_ : renderers::HeaderBackColor;
    cell.foreColor = foreColor_;
    painter_.paint(cell);
    job_.CurX += w;
  }

  // --- end of the list ---

  void finish() {
    painter_.setFont(font_);
    if (renderers::nextPrintsBesideList(job_, twin_.twin)) job_.CurY = top_;
  }

  PrintJob& job_;
  ListTwin twin_;
  host::Object& list_;
  renderers::CellPainter painter_;
  const VelloraProperties& props_;

  host::ObjectRef headers_, items_;
  std::int32_t columns_ = 0;
  std::int32_t itemCount_ = 0;
  std::int32_t top_ = 0;
  std::int32_t listLeft_ = 0;
  double scale_ = 1;
  bool frame_ = true;
  bool hideHeaders_ = false;
  int firstBandLast_ = 0;
  bool splitting_ = false;
  bool freshPage_ = false;  // the list opened the page and has drawn no item on it yet
  bool headerFitsPage_ = true;
  host::Font font_;
  std::int32_t rowHeight_ = 0;
  std::int32_t backColor_ = 0;
  std::int32_t foreColor_ = 0;
};

}  // namespace

void PrevListView(PrintJob& job) { ListViewRenderer(job, ListTwin::preview()).render(); }

void PrnListView(PrintJob& job) { ListViewRenderer(job, ListTwin::print(job)).render(); }
