#pragma once
// Measuring text in a font, as the screen (96 dpi) or another resolution shows it.
#include <span>
#include <string_view>

#include "host/Font.h"
#include "host/Geometry.h"

namespace host {

// Width of one line of text and the font's line height, in pixels at the resolution.
[[nodiscard]] Size measureText(const Font& font, std::string_view text, double dotsPerInch = 96.0);
// The width of the widest of several lines, measured in one font set-up.
[[nodiscard]] int widestLine(const Font& font, std::span<const std::string_view> lines, double dotsPerInch = 96.0);
// Average character width (for tab stops and edit controls), in pixels.
[[nodiscard]] int averageCharWidth(const Font& font, double dotsPerInch = 96.0);

}  // namespace host
