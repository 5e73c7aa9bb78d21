#pragma once
// Helpers for pixel checks on small raster surfaces.
#include <gtest/gtest.h>

#include <QImage>

#include <string>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/Picture.h"
#include "host/PictureImpl.h"
#include "host/RasterDc.h"

namespace drawingtest {

inline const host::Rgb red = host::Rgb::fromRgb(255, 0, 0);
inline const host::Rgb green = host::Rgb::fromRgb(0, 255, 0);
inline const host::Rgb blue = host::Rgb::fromRgb(0, 0, 255);

[[nodiscard]] inline std::unique_ptr<host::RasterDc> colourSurface(int width, int height) {
  return host::RasterDc::create({width, height}, host::RasterFormat::Color);
}
[[nodiscard]] inline std::unique_ptr<host::RasterDc> monoSurface(int width, int height) {
  return host::RasterDc::create({width, height}, host::RasterFormat::Monochrome);
}

// The smallest rectangle holding every pixel that is not `background`
// (an empty rectangle when there is none).
// (Whole printer pages are large: the scan reads the image rows directly.)
[[nodiscard]] inline host::Rect inkBounds(const host::Picture& picture, host::Rgb background = host::Rgb::white) {
  const QImage image = host::imageOf(picture).convertToFormat(QImage::Format_RGB32);
  const QRgb paper = qRgb(background.red, background.green, background.blue);
  host::Rect bounds{image.width(), image.height(), 0, 0};
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (line[x] != paper) {
        bounds.left = std::min(bounds.left, x);
        bounds.top = std::min(bounds.top, y);
        bounds.right = std::max(bounds.right, x + 1);
        bounds.bottom = std::max(bounds.bottom, y + 1);
      }
  }
  return bounds.isEmpty() ? host::Rect{} : bounds;
}
[[nodiscard]] inline host::Rect inkBounds(const host::RasterDc& dc, host::Rgb background = host::Rgb::white) {
  return inkBounds(dc.picture(), background);
}

[[nodiscard]] inline int countPixels(const host::RasterDc& dc, host::Rgb color, const host::Rect& area) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) count += dc.pixel(x, y) == color ? 1 : 0;
  return count;
}

// A pixel as a character of a row or column: '#' for `ink`, '.' for white, '?' for anything else.
[[nodiscard]] inline char pixelMark(host::Rgb pixel, host::Rgb ink) {
  return pixel == ink ? '#' : pixel == host::Rgb::white ? '.' : '?';
}

// One row of pixels as text, one pixelMark each.
[[nodiscard]] inline std::string row(const host::RasterDc& dc, int y, int from, int to,
                                     host::Rgb ink = host::Rgb::black) {
  std::string text;
  for (int x = from; x < to; ++x) text += pixelMark(dc.pixel(x, y), ink);
  return text;
}
[[nodiscard]] inline std::string column(const host::RasterDc& dc, int x, int from, int to,
                                        host::Rgb ink = host::Rgb::black) {
  std::string text;
  for (int y = from; y < to; ++y) text += pixelMark(dc.pixel(x, y), ink);
  return text;
}

using testsupport::errorNumberOf;

}  // namespace drawingtest

namespace host {
inline void PrintTo(const Rect& r, std::ostream* os) {
  *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}
inline void PrintTo(const Rgb& c, std::ostream* os) {
  *os << "rgb(" << int(c.red) << "," << int(c.green) << "," << int(c.blue) << ")";
}
}  // namespace host
