#pragma once
// host::Picture: an image held by the host (a control's Picture, a page's
// pixels, a form's snapshot). Copies share the pixels until one is changed.
#include <filesystem>
#include <memory>
#include <string>

#include "host/Geometry.h"

namespace host {

class Picture {
 public:
  Picture();  // no picture (the host's Picture = 0)
  ~Picture();
  Picture(const Picture&);
  Picture& operator=(const Picture&);
  Picture(Picture&&) noexcept;
  Picture& operator=(Picture&&) noexcept;

  // Loads PNG, JPEG, BMP or GIF; raises HostError 53 (file not found) or 481
  // (invalid picture) naming the file.
  [[nodiscard]] static Picture load(const std::filesystem::path& file);
  // A new picture of the given size filled with one colour.
  [[nodiscard]] static Picture filled(Size size, Rgb color);

  [[nodiscard]] bool isNull() const;
  // The size in the host's pixels (15 twips each), the size it shows at.
  [[nodiscard]] Size size() const;
  [[nodiscard]] int width() const { return size().width; }
  [[nodiscard]] int height() const { return size().height; }
  // Stored pixels per host pixel along each axis: 1, or more for a picture
  // made to print sharper than the screen shows it (a live widget rendered
  // for printing). A stretched copy takes every stored pixel it covers.
  [[nodiscard]] int pixelRatio() const;
  // The colour at a host pixel (its top-left stored pixel); black outside the picture.
  [[nodiscard]] Rgb pixel(int x, int y) const;
  // Bits per pixel of the stored pixels (1 for a monochrome page).
  [[nodiscard]] int depth() const;
  // Whether the stored pixels may let what lies behind them show through.
  [[nodiscard]] bool hasAlpha() const;
  // Bytes the pixels occupy.
  [[nodiscard]] std::size_t byteCount() const;
  void savePng(const std::filesystem::path& file) const;  // raises HostError on failure

  struct Impl;  // host-side details (the Qt image)
  [[nodiscard]] const Impl* impl() const { return impl_.get(); }
  [[nodiscard]] Impl* impl() { return impl_.get(); }
  explicit Picture(std::unique_ptr<Impl> impl);

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace host
