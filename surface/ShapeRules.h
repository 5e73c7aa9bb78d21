#pragma once
// How the host's shapes are drawn, on the page surface and on the printer
// alike: their brush from the back and fill styles, and their outline by kind.
#include <cstdint>

#include "host/Dc.h"

namespace surface {

// The inside: an opaque shape (BackStyle 1) fills with its back colour, any
// other leaves it; fill styles 2 to 7 hatch it in the fill colour instead.
[[nodiscard]] host::Brush ShapeBrush(std::int32_t BackStyle, std::int32_t BackColor, std::int32_t FillStyle,
                                     std::int32_t FillColor);

// Places a shape of the host's kinds (0 rectangle, 1 square, 2 oval, 3 circle,
// 4 rounded rectangle, 5 rounded square) with the pen and brush already
// selected. Squares and circles are the largest that fit the box: a square
// keeps its top-left corner, a circle and a rounded square are centred along
// the longer side. Other kinds draw nothing; sums beyond a Long raise 6.
void DrawShapeKind(host::Dc& dc, std::int32_t kind, std::int32_t L, std::int32_t T, std::int32_t W,
                   std::int32_t H);

}  // namespace surface
