#pragma once
// Host-side only: host colours as Qt has them, and back.
#include <QColor>

#include "host/Geometry.h"

namespace host {

[[nodiscard]] inline QColor toQColor(Rgb color) { return QColor(color.red, color.green, color.blue); }
[[nodiscard]] inline Rgb fromQColor(const QColor& color) { return Rgb::fromRgb(color.red(), color.green(), color.blue()); }

}  // namespace host
