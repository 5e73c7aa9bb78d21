#include "host/Picture.h"

#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/HostError.h"
#include "host/PictureImpl.h"

namespace host {

Picture::Picture() = default;
Picture::~Picture() = default;
Picture::Picture(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Picture::Picture(const Picture& other) : impl_(other.impl_ ? std::make_unique<Impl>(*other.impl_) : nullptr) {}
Picture& Picture::operator=(const Picture& other) {
  if (this != &other) impl_ = other.impl_ ? std::make_unique<Impl>(*other.impl_) : nullptr;
  return *this;
}
Picture::Picture(Picture&&) noexcept = default;
Picture& Picture::operator=(Picture&&) noexcept = default;

Picture Picture::load(const std::filesystem::path& file) {
  const QString name = QString::fromStdString(file.string());
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error))
    raise(err::FileNotFound, "File not found: " + file.string());
  QImageReader reader(name);
  QImage image = reader.read();
  if (image.isNull())
    raise(481, "Invalid picture: " + file.string() + " (" + reader.errorString().toStdString() + ")");
  return pictureOf(std::move(image));
}

Picture Picture::filled(Size size, Rgb color) {
  QImage image(std::max(0, size.width), std::max(0, size.height), QImage::Format_RGB32);
  image.fill(QColor(color.red, color.green, color.blue));
  return pictureOf(std::move(image));
}

bool Picture::isNull() const { return !impl_ || impl_->image.isNull(); }

Size Picture::size() const {
  if (isNull()) return {};
  const int ratio = pixelRatio();
  return {impl_->image.width() / ratio, impl_->image.height() / ratio};
}

int Picture::pixelRatio() const {
  if (isNull()) return 1;
  return std::max(1, static_cast<int>(impl_->image.devicePixelRatio() + 0.5));
}

Rgb Picture::pixel(int x, int y) const {
  const int ratio = pixelRatio();
  if (isNull() || x < 0 || y < 0 || !impl_->image.valid(x * ratio, y * ratio)) return Rgb::black;
  const QRgb value = impl_->image.pixel(x * ratio, y * ratio);
  return Rgb::fromRgb(qRed(value), qGreen(value), qBlue(value));
}

int Picture::depth() const { return isNull() ? 0 : impl_->image.depth(); }

std::size_t Picture::byteCount() const { return isNull() ? 0 : static_cast<std::size_t>(impl_->image.sizeInBytes()); }

// The file is written under a temporary name beside it and takes its own
// name only when it is whole: a full disk leaves no truncated picture.
void Picture::savePng(const std::filesystem::path& file) const {
  if (isNull()) raise(481, "Invalid picture: nothing to save to " + file.string());
  QSaveFile out(QString::fromStdString(file.string()));
  errno = 0;
  const bool written = out.open(QIODevice::WriteOnly) && impl_->image.save(&out, "PNG") && out.commit();
  if (!written) {
    // The picture writer reports no reason of its own; the system's stands.
    const int systemError = errno;
    const std::string reason = out.error() != QFileDevice::NoError && out.error() != QFileDevice::WriteError
                                   ? out.errorString().toStdString()
                                   : std::string(systemError != 0 ? std::strerror(systemError) : "write error");
    raise(75, "Path/File access error: " + file.string() + ": " + reason);
  }
}

}  // namespace host
