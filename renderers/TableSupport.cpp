#include "renderers/TableSupport.h"

#include "host/Lang.h"
#include "printctl/Vellora.h"
#include "renderers/RendererSupport.h"
#include "surface/PrnFillRect.h"

namespace renderers {

namespace {

// Gap kept between the last row of a page and the foot, in page units.
constexpr std::int32_t footGap = 20;
// A printed cell sits this many printer pixels right of its column.
constexpr std::int32_t printedCellShift = 5;
// The cell painters' divider code for a cell without a divider.
constexpr std::int16_t noDivider = 5;

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
  const std::size_t next = static_cast<std::size_t>(job.CtlIndex) + 1;
  if (next >= job.CtlList.size()) return false;
  const CtlRecord& following = job.CtlList[next];
  if (twin == Twin::Print) return following.Ctl && host::Like(following.Ctl->typeName(), "*Grid");
  return following.Mark != "Down";
}

bool isNumericText(const std::string& text) {
  double number = 0;
  return !text.empty() && host::parseNumber(text, number);
}

const void* CellPainter::device() {
  if (twin_ == Twin::Preview) return &job_.page();
  return &printerDc();
}

void CellPainter::setFont(const host::Font& font) {
  const void* target = device();
  if (target == fontDevice_ && font == font_) return;
  if (twin_ == Twin::Preview) {
    job_.page().setFont(font);
  } else {
    setPrinterFont(font);
  }
  font_ = font;
  fontDevice_ = target;
}

void CellPainter::paint(const TableCell& cell) {
  static const std::string noCaption;
  const std::string& caption = cell.caption != nullptr ? *cell.caption : noCaption;
  if (twin_ == Twin::Preview) {
    OffScreenDC& page = job_.page();
    page.setBackColor(cell.backColor);
    page.setTextColor(cell.foreColor);
    page.FillRect(cell.left, cell.top, cell.width, cell.height, caption, cell.alignment, cell.frame, cell.wrap,
                  true, 0, false, noDivider);
    return;
  }
  host::Dc& dc = printerDc();
  dc.setTextColor(host::Rgb::fromHost(cell.foreColor));
  dc.setBkColor(host::Rgb::fromHost(cell.backColor));
  job_.CellFillColor = cell.backColor;
  job_.GridLineColor = cell.frameColor;
  FrameColor frame(job_.drawing, cell.frameColor);
  PrnFillRect(job_, cell.left + printedCellShift, cell.top, cell.width, cell.height, caption, cell.alignment,
              cell.frame, cell.wrap, false, false, noDivider);
}

}  // namespace renderers
