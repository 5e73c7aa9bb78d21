#pragma once
// The 21 system colours of the classic desktop scheme (index 0 to 20).
#include <cstdint>

#include "host/Geometry.h"

namespace host {

inline constexpr int SystemColorCount = 21;
namespace syscolor {
inline constexpr int ScrollBar = 0, Background = 1, ActiveCaption = 2, InactiveCaption = 3, Menu = 4,
                     Window = 5, WindowFrame = 6, MenuText = 7, WindowText = 8, CaptionText = 9,
                     ActiveBorder = 10, InactiveBorder = 11, AppWorkspace = 12, Highlight = 13,
                     HighlightText = 14, ButtonFace = 15, ButtonShadow = 16, GrayText = 17, ButtonText = 18,
                     InactiveCaptionText = 19, ButtonHighlight = 20;
}

// n for a system colour &H80000000 + n with n from 0 to 20; 0 for any other value.
[[nodiscard]] int sysColorIndex(std::int32_t value);

// The RGB of system colour n (0..20); any other index gives black.
[[nodiscard]] Rgb GetSysColor(int index);

// A host colour value as RGB: a non-negative value is its low three bytes; a
// system colour &H80000000 + n (n 0..20) is that system colour; other negative
// values give system colour 0.
[[nodiscard]] Rgb colorFromHost(std::int32_t value);

// The host's value of system colour n: &H80000000 + n.
[[nodiscard]] constexpr std::int32_t systemColorValue(int index) {
  return static_cast<std::int32_t>(0x80000000u + static_cast<unsigned>(index));
}

}  // namespace host
