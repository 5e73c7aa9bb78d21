#include "host/Picture.h"

#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QBuffer>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>

#include "host/HostError.h"
#include "host/OutputFile.h"
#include "host/PictureImpl.h"

namespace host {

namespace {

// The image text that carries a picture's shown size (see pictureShownAt).
constexpr const char* ShownSizeKey = "HostShownSize";

}  // namespace

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
  // A file shows at the size of its pixels, whatever size its text claims.
  image.setText(ShownSizeKey, QString());
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
  if (!impl_->shown.isEmpty()) return impl_->shown;
  const int ratio = pixelRatio();
  return {impl_->image.width() / ratio, impl_->image.height() / ratio};
}

int Picture::pixelRatio() const {
  if (isNull() || !impl_->shown.isEmpty()) return 1;
  return std::max(1, static_cast<int>(impl_->image.devicePixelRatio() + 0.5));
}

Rgb Picture::pixel(int x, int y) const {
  if (isNull() || x < 0 || y < 0) return Rgb::black;
  const QPointF at = storedRect(*this, Rect::fromXywh(x, y, 1, 1)).topLeft();
  const QPoint stored(static_cast<int>(at.x()), static_cast<int>(at.y()));
  if (!impl_->image.valid(stored)) return Rgb::black;
  const QRgb value = impl_->image.pixel(stored);
  return Rgb::fromRgb(qRed(value), qGreen(value), qBlue(value));
}

Size shownSizeOf(const QImage& image) {
  const QStringList parts = image.text(ShownSizeKey).split(QLatin1Char('x'));
  if (parts.size() != 2) return {};
  return {parts[0].toInt(), parts[1].toInt()};
}

void setShownSize(QImage& image, Size shown) {
  if (image.isNull() || shown.isEmpty() || QSize(shown.width, shown.height) == image.size()) return;
  image.setDevicePixelRatio(1);
  image.setText(ShownSizeKey, QStringLiteral("%1x%2").arg(shown.width).arg(shown.height));
}

Picture pictureShownAt(QImage image, Size shown) {
  setShownSize(image, shown);
  return pictureOf(std::move(image));
}

QSize storedSizeWithin(QSize shown, double mostPixels) {
  constexpr double LongestSide = 1 << 22;
  const double width = shown.width(), height = shown.height();
  if (width * height <= mostPixels && std::max(width, height) <= LongestSide) return shown;
  const double side = std::sqrt(mostPixels);
  double storedWidth = 0, storedHeight = 0;
  if (std::min(width, height) <= side) {
    const bool wide = width >= height;
    const double shortSide = wide ? height : width;
    const double longSide = std::min({wide ? width : height, mostPixels / std::max(shortSide, 1.0), LongestSide});
    storedWidth = wide ? longSide : shortSide;
    storedHeight = wide ? shortSide : longSide;
  } else {
    const double factor = std::sqrt(mostPixels / (width * height));
    storedWidth = width * factor;
    storedHeight = height * factor;
  }
  return {std::max(1, static_cast<int>(storedWidth)), std::max(1, static_cast<int>(storedHeight))};
}

QRectF storedRect(const Picture& picture, const Rect& hostPixels) {
  const QRectF host(hostPixels.left, hostPixels.top, hostPixels.width(), hostPixels.height());
  const Picture::Impl* impl = picture.impl();
  if (impl == nullptr || impl->shown.isEmpty()) {
    const int ratio = picture.pixelRatio();
    return {host.topLeft() * ratio, host.size() * ratio};
  }
  const double x = static_cast<double>(impl->image.width()) / impl->shown.width;
  const double y = static_cast<double>(impl->image.height()) / impl->shown.height;
  return {host.left() * x, host.top() * y, host.width() * x, host.height() * y};
}

int Picture::depth() const { return isNull() ? 0 : impl_->image.depth(); }

bool Picture::hasAlpha() const { return !isNull() && impl_->image.hasAlphaChannel(); }

std::size_t Picture::byteCount() const { return isNull() ? 0 : static_cast<std::size_t>(impl_->image.sizeInBytes()); }

// The file is written under a temporary name beside it and takes its own
// name only when it is whole: a full disk leaves no truncated picture.
void Picture::savePng(const std::filesystem::path& file) const {
  if (isNull()) raise(481, "Invalid picture: nothing to save to " + file.string());
  // Encoded whole before anything is written: the file is then written
  // whole or not at all, and a write the disk cut short is a failure.
  QByteArray encoded;
  QBuffer buffer(&encoded);
  if (!buffer.open(QIODevice::WriteOnly) || !impl_->image.save(&buffer, "PNG"))
    raise(481, "Invalid picture: it cannot be saved as PNG to " + file.string());
  if (const std::optional<std::string> failure =
          writeWholeFile(file, std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size()))))
    raise(75, "Path/File access error: " + file.string() + ": " + *failure);
}

}  // namespace host
