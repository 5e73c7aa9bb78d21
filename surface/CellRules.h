#pragma once
// Rules the two cell painters share: the page surface's FillRect and the
// printer's PrnFillRect read the caption alignment code alike and add their
// coordinates as the host language adds Longs.
#include <cstdint>

#include "host/Lang.h"

namespace surface {

// Paper white as a host colour value: the fill of a wiped page and of every
// cell printed in black and white.
inline constexpr std::int32_t White = 0xFFFFFF;

// Where a caption sits across its cell. The codes 0..8 repeat the three
// placements; every other code leaves the caption unaligned (format 0).
enum class CaptionPlacement { Left, Right, Centre, Unaligned };

[[nodiscard]] constexpr CaptionPlacement captionPlacement(std::int32_t CaptionAlign) {
  switch (CaptionAlign) {
    case 0: case 4: case 7: return CaptionPlacement::Left;
    case 1: case 5: case 8: return CaptionPlacement::Right;
    case 2: case 3: case 6: return CaptionPlacement::Centre;
    default: return CaptionPlacement::Unaligned;
  }
}

// The sum of Long terms (and of the fractional insets of the printer cell) as
// a Long: rounded halves to even, and a result beyond 32 bits raises error 6
// (Overflow) instead of wrapping. Doubles hold every such sum exactly.
template <class... Terms>
[[nodiscard]] std::int32_t longSum(Terms... terms) {
  return host::CLng((0.0 + ... + static_cast<double>(terms)));
}

// A Long halved as the language's integer division does: truncated toward zero.
[[nodiscard]] constexpr std::int32_t halfTowardZero(std::int32_t value) { return value / 2; }

}  // namespace surface
