#include "host/Font.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "host/Lang.h"

namespace host {

double grantedFontSize(double points) {
  // A 96-dpi screen shows whole pixels: 72 points are 96 pixels.
  const double pixels = std::max(1.0, roundHalfEven(points * 96.0 / 72.0));
  return pixels * 72.0 / 96.0;
}

Font::Font(std::string name, double size) : name_(std::move(name)) { setSize(size); }

void Font::setSize(double points) { size_ = grantedFontSize(points); }

std::string Font::installedFamily() const {
  struct Mapping {
    const char* windowsName;
    const char* installedName;
  };
  static constexpr std::array<Mapping, 8> mappings{{
      {"Arial", "Liberation Sans"},
      {"MS Sans Serif", "Liberation Sans"},
      {"Microsoft Sans Serif", "Liberation Sans"},
      {"Tahoma", "Liberation Sans"},
      {"Verdana", "DejaVu Sans"},
      {"Times New Roman", "Liberation Serif"},
      {"MS Serif", "Liberation Serif"},
      {"Courier New", "Liberation Mono"},
  }};
  for (const auto& mapping : mappings)
    if (equalsNoCase(name_, mapping.windowsName)) return mapping.installedName;
  return name_;
}

}  // namespace host
