#pragma once
// Guards for the attributes a drawing call changes on a device context.
#include "host/Dc.h"
#include "host/HostError.h"

namespace surface {

// Puts back the pen and the brush the device held when the guard was made.
// A printer that has failed fails these calls too, usually while the failure
// of the guarded drawing is leaving: a run-time error may not escape a
// destructor (it ends the program), so each is passed over on its own.
class PenAndBrushRestorer {
 public:
  explicit PenAndBrushRestorer(host::Dc& dc) : dc_(dc), pen_(dc.pen()), brush_(dc.brush()) {}
  PenAndBrushRestorer(const PenAndBrushRestorer&) = delete;
  PenAndBrushRestorer& operator=(const PenAndBrushRestorer&) = delete;
  ~PenAndBrushRestorer() {
    host::resume([&] { dc_.selectPen(pen_); });
    host::resume([&] { dc_.selectBrush(brush_); });
  }

 private:
  host::Dc& dc_;
  host::Pen pen_;
  host::Brush brush_;
};

// The cell painters end with the background mode opaque, whatever mode the
// caption was written in, and also when a failure cuts the cell short (a
// device that fails here as well is passed over, as above).
class OpaqueOnReturn {
 public:
  explicit OpaqueOnReturn(host::Dc& dc) : dc_(dc) {}
  OpaqueOnReturn(const OpaqueOnReturn&) = delete;
  OpaqueOnReturn& operator=(const OpaqueOnReturn&) = delete;
  ~OpaqueOnReturn() {
    host::resume([&] { dc_.setBkMode(host::BkMode::Opaque); });
  }

 private:
  host::Dc& dc_;
};

}  // namespace surface
