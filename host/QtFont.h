#pragma once
// Host-side only: a host::Font as the Qt font that draws it at a resolution.
#include <QFont>

#include "host/Font.h"

namespace host {

// The installed family at a whole pixel size for the resolution (points x dpi / 72).
[[nodiscard]] QFont toQFont(const Font& font, double dotsPerInch);

}  // namespace host
