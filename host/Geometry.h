#pragma once
// Small value types for device geometry and colour.
#include <algorithm>
#include <cstdint>

namespace host {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  [[nodiscard]] bool isEmpty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const Size&, const Size&) = default;
};

// A device rectangle (left, top, right, bottom) covering left..right-1 and
// top..bottom-1: the right and bottom edges are excluded.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  [[nodiscard]] static constexpr Rect fromLtrb(int l, int t, int r, int b) { return {l, t, r, b}; }
  [[nodiscard]] static constexpr Rect fromXywh(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

  [[nodiscard]] constexpr int width() const { return right - left; }
  [[nodiscard]] constexpr int height() const { return bottom - top; }
  [[nodiscard]] constexpr bool isEmpty() const { return right <= left || bottom <= top; }
  [[nodiscard]] constexpr Point topLeft() const { return {left, top}; }
  [[nodiscard]] constexpr Size size() const { return {width(), height()}; }
  [[nodiscard]] constexpr bool contains(Point p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
  [[nodiscard]] constexpr Rect translated(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  // Grows every side by the amount (shrinks for a negative amount).
  [[nodiscard]] constexpr Rect inflated(int amount) const {
    return {left - amount, top - amount, right + amount, bottom + amount};
  }
  [[nodiscard]] constexpr Rect intersected(const Rect& other) const {
    return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
            std::min(bottom, other.bottom)};
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// An RGB colour. The host's 32-bit colour value has red in the low byte, then
// green, then blue; negative host values are system colours and must be
// translated (SysColors.h) before they become an Rgb.
struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  [[nodiscard]] static constexpr Rgb fromRgb(int r, int g, int b) {
    return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
  }
  // The low three bytes of a non-negative host colour value.
  [[nodiscard]] static constexpr Rgb fromHost(std::int32_t value) {
    return {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
            static_cast<std::uint8_t>((value >> 16) & 0xFF)};
  }
  [[nodiscard]] constexpr std::int32_t toHost() const { return red | (green << 8) | (blue << 16); }
  // Perceived brightness 0..255 (used to map colours to black or white).
  [[nodiscard]] constexpr int brightness() const { return (red * 299 + green * 587 + blue * 114) / 1000; }

  static const Rgb black;
  static const Rgb white;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline constexpr Rgb Rgb::black{0, 0, 0};
inline constexpr Rgb Rgb::white{255, 255, 255};

}  // namespace host
