#include "renderers/TableSupport.h"

#include <algorithm>

#include "host/Lang.h"
#include "host/Printer.h"
#include "host/Runtime.h"
#include "layout/Pagination.h"
#include "printctl/Vellora.h"
#include "renderers/RendererSupport.h"
#include "surface/PrnFillRect.h"

namespace renderers {

namespace {

// Gap kept between the last row of a page and the foot, in page units.
constexpr std::int32_t footGap = 20;

// The frame brush is the control's shared black brush; a table whose lines
// have a colour of their own lends it its colour for one cell.
class FrameColor {
 public:
  FrameColor(SharedDrawing& drawing, std::int32_t color) : drawing_(drawing), saved_(drawing.frameBrush) {
    drawing_.frameBrush = host::Brush::solid(host::Rgb::fromHost(color));
  }
  FrameColor(const FrameColor&) = delete;
  FrameColor& operator=(const FrameColor&) = delete;
  ~FrameColor() { drawing_.frameBrush = saved_; }

 private:
  SharedDrawing& drawing_;
  host::Brush saved_;
};

}  // namespace

std::int32_t columnUnits(double widthTwips, double twipsPerUnit, double scale) {
  return host::CLng(columnTwips(widthTwips) / twipsPerUnit * scale);
}

bool placeTable(PrintJob& job, const host::Object& table, double lines) {
  const std::int32_t entry = job.CurY;
  job.CurY = std::max(host::CLng(job.record().Advance / job.TwipsPerUnit * job.LayoutFactor + job.CurY), entry);
  const double room = lines * controlLineHeight(job);
  if (wantsNewPage(job, table) || job.CurY + job.BodyTop + job.BottomReserve + room >= job.PageHeight) {
    NextPage(job);
    if (job.JobEnded) return false;
  }
  return true;
}

bool nextControlIsGrid(const PrintJob& job) {
  const std::size_t next = static_cast<std::size_t>(job.CtlIndex) + 1;
  return next < job.CtlList.size() && host::Like(job.CtlList[next].Ctl->typeName(), "*Grid");
}

bool rowBreakDue(const PrintJob& job, std::int32_t y, std::int32_t nextHeight) {
  return y >= job.PageHeight - (job.BottomReserve + nextHeight + job.TitleDrop + footGap);
}

std::int32_t captionAlignment(std::int32_t hostAlignment, bool rightToLeft, bool numericText) {
  // The tests apply in this order, each to the result of the one before.
  std::int32_t code = hostAlignment;
  if (code == 0) code = 0;
  if (code == 1) code = rightToLeft ? 1 : 0;
  if (code == 2) code = 0;
  if (code >= 3 && code <= 5) code = 2;
  if (code >= 6 && code <= 8) code = 1;
  if (code == 9) code = numericText ? 1 : 0;
  if (code > 2) code = 1;
  if (code < 0) code = rightToLeft ? 1 : 0;
  return code;
}

bool nextPrintsBesideList(const PrintJob& job, Twin twin) {
  if (!job.control.props().SideBySide) return false;
  if (twin == Twin::Print) return nextControlIsGrid(job);
  const std::size_t next = static_cast<std::size_t>(job.CtlIndex) + 1;
  return next < job.CtlList.size() && job.CtlList[next].Mark != "Down";
}

bool isNumericText(const std::string& text) {
  double number = 0;
  return !text.empty() && host::parseNumber(text, number);
}

void CellPainter::setFont(const host::Font& font) {
  if (twin_ == Twin::Preview) {
    if (job_.page().Font() != font) job_.page().setFont(font);
    return;
  }
  // The Printer object's font and its page's are set together; either may
  // have been changed on its own since this table's last row.
  if (printerDc().font() != font || host::printer().font() != font) setPrinterFont(font);
}

void CellPainter::paint(const TableCell& cell) {
  static const std::string noCaption;
  const std::string& caption = cell.caption != nullptr ? *cell.caption : noCaption;
  if (twin_ == Twin::Preview) {
    OffScreenDC& page = job_.page();
    page.setBackColor(cell.backColor);
    page.setTextColor(cell.foreColor);
    page.FillRect(cell.left, cell.top, cell.width, cell.height, caption, cell.alignment, cell.frame, cell.wrap,
                  true, 0, false, cell.divider);
    return;
  }
  host::Dc& dc = printerDc();
  dc.setTextColor(host::Rgb::fromHost(cell.foreColor));
  dc.setBkColor(host::Rgb::fromHost(cell.backColor));
  job_.CellFillColor = cell.backColor;
  job_.GridLineColor = cell.frameColor;
  FrameColor frame(job_.drawing, cell.frameColor);
  PrnFillRect(job_, cell.left + printShift_, cell.top, cell.width, cell.height, caption, cell.alignment,
              cell.frame, cell.wrap, false, false, cell.divider);
}

}  // namespace renderers
