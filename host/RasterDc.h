#pragma once
// A raster device context over an image held in memory: the page surface of a
// preview, the pages of the in-memory printer, window pictures.
#include <cstddef>
#include <memory>

#include "host/Dc.h"
#include "host/Picture.h"

namespace host {

class PrintedPage;

enum class RasterFormat {
  Color,       // 24-bit colour
  Monochrome,  // one bit per pixel; each colour drawn becomes black or white by its brightness
};

class RasterDc : public Dc {
 public:
  // A surface of the given size, cleared to white, at 96 dots per inch unless told otherwise.
  [[nodiscard]] static std::unique_ptr<RasterDc> create(Size size, RasterFormat format,
                                                        double dotsPerInch = 96.0);
  [[nodiscard]] virtual RasterFormat format() const = 0;
  // The pixels drawn so far (a copy that shares storage until the surface changes).
  [[nodiscard]] virtual Picture picture() const = 0;
  // The page at `scale` times its size (a zoomed preview): drawn afresh at
  // that scale while the surface keeps its drawing (a finished page of few
  // steps), else its pixels scaled smoothly.
  [[nodiscard]] virtual Picture pictureAt(double scale) const = 0;
  [[nodiscard]] virtual Rgb pixel(int x, int y) const = 0;
  // Keeps the pixels drawn so far in as little memory as holds them exactly:
  // a colour page of at most 256 colours takes one byte per pixel instead of
  // four, and one of at most two colours (text on its background) one bit;
  // a compacted page of more than a few kilobytes is packed besides (a page
  // of table cells to about 30 KB at A4) and unpacked when its pixels are
  // wanted. Drawing again restores the working format first. For finished pages
  // that are kept (a long preview holds every page in memory).
  virtual void compact() = 0;
  // The bytes the surface's pixels take now (packed, compacted or working).
  [[nodiscard]] virtual std::size_t pixelBytes() const = 0;
  // Draws a printed page (host/Printer.h) at its top-left, its printer
  // pixels scaled by `scale`. It stays one step of the surface's drawing:
  // a page drawn at another scale draws the printed page afresh.
  virtual void drawPrintedPage(std::shared_ptr<const PrintedPage> page, double scale) = 0;
  // Copies a region of another raster surface 1:1 to `destination`.
  virtual void copyFrom(const RasterDc& source, const Rect& sourceRect, Point destination) = 0;
};

}  // namespace host
