#pragma once
// Rules the two cell painters share: the page surface's FillRect and the
// printer's PrnFillRect read the caption alignment code alike and add their
// coordinates as the host language adds Longs.
#include <algorithm>
#include <cstdint>
#include <string_view>

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

// The part of a one-line caption its cell can show, `boxWidth` device
// pixels across: the caption itself unless it holds far more characters
// than pixels, then the part its placement shows (the start of a caption
// on the left, the end of one on the right, the middle of a centred one).
// A cell of a 50 MB text is measured and drawn in time and memory of its
// width, not of its text; no glyph is narrower than half a pixel.
[[nodiscard]] inline std::string_view visibleCaption(std::string_view caption, CaptionPlacement placement,
                                                     std::int32_t boxWidth) {
  const std::size_t most = 2 * static_cast<std::size_t>(std::max<std::int32_t>(boxWidth, 0)) + 4096;
  if (caption.size() <= most) return caption;
  // Cuts fall between characters of UTF-8, never inside one.
  const auto startOfCharacter = [&](std::size_t at) {
    while (at > 0 && at < caption.size() && (static_cast<unsigned char>(caption[at]) & 0xC0) == 0x80) --at;
    return at;
  };
  if (placement == CaptionPlacement::Right) {
    const std::size_t from = startOfCharacter(caption.size() - most);
    return caption.substr(from);
  }
  const std::size_t from = startOfCharacter(placement == CaptionPlacement::Centre ? (caption.size() - most) / 2 : 0);
  const std::size_t to = startOfCharacter(from + most);
  return caption.substr(from, to - from);
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
