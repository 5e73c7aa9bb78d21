#pragma once
// Pixel helpers for the page surface and printer page tests.
#include <algorithm>
#include <optional>

#include "host/Geometry.h"

namespace surfacetest {

inline constexpr host::Rgb red = host::Rgb::fromRgb(255, 0, 0);
inline constexpr host::Rgb blue = host::Rgb::fromRgb(0, 0, 255);
inline constexpr host::Rgb grey = host::Rgb::fromRgb(192, 192, 192);

// The smallest rectangle holding every pixel of `area` that has `color`; none when there is none.
template <class Pixels>
std::optional<host::Rect> boundsOf(const Pixels& pixels, host::Rgb color, host::Rect area) {
  std::optional<host::Rect> bounds;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      if (pixels.pixel(x, y) != color) continue;
      if (!bounds) bounds = host::Rect::fromLtrb(x, y, x + 1, y + 1);
      bounds = host::Rect::fromLtrb(std::min(bounds->left, x), std::min(bounds->top, y),
                                    std::max(bounds->right, x + 1), std::max(bounds->bottom, y + 1));
    }
  return bounds;
}

template <class A, class B>
bool samePixels(const A& a, const B& b, host::Size size) {
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) return false;
  return true;
}

}  // namespace surfacetest
