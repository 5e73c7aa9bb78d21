#include "host/Dc.h"

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

DcStateSaver::~DcStateSaver() {
  dc_.setBkMode(bkMode_);
  dc_.setBkColor(bkColor_);
  dc_.setTextColor(textColor_);
  dc_.setFont(font_);
  dc_.selectPen(pen_);
  dc_.selectBrush(brush_);
}

}  // namespace host
