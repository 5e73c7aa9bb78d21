#include "host/SysColors.h"

#include <array>

namespace host {

namespace {
// The classic desktop colour scheme.
constexpr std::array<Rgb, SystemColorCount> classicScheme{{
    Rgb::fromRgb(192, 192, 192),  // 0 scroll bar
    Rgb::fromRgb(0, 128, 128),    // 1 desktop
    Rgb::fromRgb(0, 0, 128),      // 2 active caption
    Rgb::fromRgb(128, 128, 128),  // 3 inactive caption
    Rgb::fromRgb(192, 192, 192),  // 4 menu
    Rgb::fromRgb(255, 255, 255),  // 5 window
    Rgb::fromRgb(0, 0, 0),        // 6 window frame
    Rgb::fromRgb(0, 0, 0),        // 7 menu text
    Rgb::fromRgb(0, 0, 0),        // 8 window text
    Rgb::fromRgb(255, 255, 255),  // 9 caption text
    Rgb::fromRgb(192, 192, 192),  // 10 active border
    Rgb::fromRgb(192, 192, 192),  // 11 inactive border
    Rgb::fromRgb(128, 128, 128),  // 12 application workspace
    Rgb::fromRgb(0, 0, 128),      // 13 highlight
    Rgb::fromRgb(255, 255, 255),  // 14 highlight text
    Rgb::fromRgb(192, 192, 192),  // 15 button face
    Rgb::fromRgb(128, 128, 128),  // 16 button shadow
    Rgb::fromRgb(128, 128, 128),  // 17 grey text
    Rgb::fromRgb(0, 0, 0),        // 18 button text
    Rgb::fromRgb(192, 192, 192),  // 19 inactive caption text
    Rgb::fromRgb(255, 255, 255),  // 20 button highlight
}};
}  // namespace

int sysColorIndex(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  if (bits >= 0x80000000u && bits <= 0x80000000u + SystemColorCount - 1) return static_cast<int>(bits - 0x80000000u);
  return 0;
}

Rgb GetSysColor(int index) {
  if (index < 0 || index >= SystemColorCount) return Rgb::black;
  return classicScheme[static_cast<std::size_t>(index)];
}

Rgb colorFromHost(std::int32_t value) {
  return value < 0 ? GetSysColor(sysColorIndex(value)) : Rgb::fromHost(value);
}

}  // namespace host
