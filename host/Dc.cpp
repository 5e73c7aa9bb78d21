#include "host/Dc.h"

#include "host/HostError.h"

namespace host {

Pen Pen::fromStyleNumber(int style, int width, Rgb color) {
  if (style < 0 || style > static_cast<int>(PenStyle::Null)) return Pen{PenStyle::Null, width, color};
  return Pen{static_cast<PenStyle>(style), width, color};
}

DcStateSaver::DcStateSaver(Dc& dc)
    : dc_(dc),
      bkMode_(dc.bkMode()),
      bkColor_(dc.bkColor()),
      textColor_(dc.textColor()),
      font_(dc.font()),
      pen_(dc.pen()),
      brush_(dc.brush()) {}

// A device that fails (a printer gone out of order) fails these calls too,
// most often while a failure of the guarded drawing is already on its way
// out: a run-time error escaping a destructor ends the program. Each
// attribute is put back on its own and a failure to do so is passed over;
// the device's next call reports it again.
DcStateSaver::~DcStateSaver() {
  resume([&] { dc_.setBkMode(bkMode_); });
  resume([&] { dc_.setBkColor(bkColor_); });
  resume([&] { dc_.setTextColor(textColor_); });
  resume([&] { dc_.setFont(font_); });
  resume([&] { dc_.selectPen(pen_); });
  resume([&] { dc_.selectBrush(brush_); });
}

}  // namespace host
