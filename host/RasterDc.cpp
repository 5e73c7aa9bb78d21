#include "host/RasterDc.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <optional>

#include "host/PainterDc.h"
#include "host/PictureImpl.h"

namespace host {

namespace {

// In a one-bit page a set bit is black: colour index 1.
constexpr QRgb monoWhite = 0xFFFFFFFF;
constexpr QRgb monoBlack = 0xFF000000;

bool isDark(Rgb color) { return color.brightness() < 128; }

void setMonoBit(uchar* row, int x, bool black) {
  const uchar mask = static_cast<uchar>(0x80 >> (x & 7));
  if (black)
    row[x >> 3] |= mask;
  else
    row[x >> 3] &= static_cast<uchar>(~mask);
}

// The same pixels with one byte each, when the image has at most 256 colours.
std::optional<QImage> toIndexed(const QImage& image) {
  QList<QRgb> table;
  const int width = image.width();
  const int height = image.height();
  QImage indexed(image.size(), QImage::Format_Indexed8);
  QRgb lastColor = 0;
  uchar lastIndex = 0;
  bool haveLast = false;
  for (int y = 0; y < height; ++y) {
    const auto* source = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    uchar* target = indexed.scanLine(y);
    for (int x = 0; x < width; ++x) {
      const QRgb color = source[x];
      if (!haveLast || color != lastColor) {
        const auto found = std::find(table.cbegin(), table.cend(), color);
        if (found == table.cend()) {
          if (table.size() == 256) return std::nullopt;
          table.push_back(color);
          lastIndex = static_cast<uchar>(table.size() - 1);
        } else {
          lastIndex = static_cast<uchar>(found - table.cbegin());
        }
        lastColor = color;
        haveLast = true;
      }
      target[x] = lastIndex;
    }
  }
  indexed.setColorTable(table);
  return indexed;
}

// The same pixels with one bit each when the image holds at most two colours
// (text in one colour on its background), the top-left pixel's colour as
// the first; nothing for more colours. Rows and blocks of eight pixels of
// that colour, most of a page, are told at a glance.
std::optional<QImage> toTwoColours(const QImage& image) {
  const int width = image.width();
  const int height = image.height();
  if (width <= 0 || height <= 0) return std::nullopt;
  const QRgb first = reinterpret_cast<const QRgb*>(image.constScanLine(0))[0];
  QRgb second = first;
  bool haveSecond = false;
  QImage mono(image.size(), QImage::Format_Mono);
  mono.fill(0);
  for (int y = 0; y < height; ++y) {
    const auto* source = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    QRgb rowDiffers = 0;  // most rows of a page are blank: one quick pass tells them
    for (int x = 0; x < width; ++x) rowDiffers |= source[x] ^ first;
    if (rowDiffers == 0) continue;
    uchar* row = mono.scanLine(y);
    for (int blockStart = 0; blockStart < width; blockStart += 8) {
      const int count = std::min(8, width - blockStart);
      const QRgb* block = source + blockStart;
      QRgb differs = 0;
      for (int i = 0; i < count; ++i) differs |= block[i] ^ first;
      if (differs == 0) continue;
      uchar bits = 0;
      for (int i = 0; i < count; ++i) {
        if (block[i] == first) continue;
        if (!haveSecond) {
          second = block[i];
          haveSecond = true;
        } else if (block[i] != second) {
          return std::nullopt;
        }
        bits |= static_cast<uchar>(0x80 >> i);
      }
      row[blockStart >> 3] = bits;
    }
  }
  mono.setColorTable({first, second});
  return mono;
}

class RasterSurface final : public PainterDc<RasterDc> {
 public:
  RasterSurface(Size size, RasterFormat format, double dotsPerInch)
      : PainterDc<RasterDc>(size, dotsPerInch, dotsPerInch), format_(format) {
    const int width = std::max(0, size.width);
    const int height = std::max(0, size.height);
    if (format == RasterFormat::Monochrome) {
      image_ = QImage(width, height, QImage::Format_Mono);
      image_.setColorTable({monoWhite, monoBlack});
      image_.fill(0);
    } else {
      image_ = QImage(width, height, QImage::Format_RGB32);
      image_.fill(Qt::white);
    }
  }

  [[nodiscard]] RasterFormat format() const override { return format_; }
  [[nodiscard]] Picture picture() const override {
    finishPainting();
    return pictureOf(image_);
  }

  [[nodiscard]] Rgb pixel(int x, int y) const override {
    finishPainting();
    if (!image_.valid(x, y)) return Rgb::black;
    const QRgb value = image_.pixel(x, y);
    return Rgb::fromRgb(qRed(value), qGreen(value), qBlue(value));
  }

  void compact() override {
    if (format_ != RasterFormat::Color || image_.format() != QImage::Format_RGB32) return;
    finishPainting();
    if (std::optional<QImage> twoColours = toTwoColours(image_)) {
      image_ = std::move(*twoColours);
    } else if (std::optional<QImage> indexed = toIndexed(image_)) {
      image_ = std::move(*indexed);
    }
  }

  void copyFrom(const RasterDc& source, const Rect& sourceRect, Point destination) override {
    const QImage pixels = imageOf(source.picture());
    if (pixels.isNull() || sourceRect.isEmpty()) return;
    const Rect target = Rect::fromXywh(destination.x, destination.y, sourceRect.width(), sourceRect.height());
    paint(target, [pixels, at = QPoint(destination.x, destination.y),
                   from = QRect(sourceRect.left, sourceRect.top, sourceRect.width(), sourceRect.height())](
                      QPainter& painter) {
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      painter.drawImage(at, pixels, from);
    });
  }

 protected:
  void paint(const Rect& bounds, const PaintOperation& operation) override {
    const Rect area = bounds.intersected(deviceRect());
    if (area.isEmpty()) return;
    if (format_ == RasterFormat::Color) {
      paintAtRest(operation);
      return;
    }
    paintMonochrome(area, operation);
  }

  QPainter* openPainter() override {
    if (format_ != RasterFormat::Color) return nullptr;
    if (!painter_) {
      expand();
      painter_.emplace(&image_);
      preparePainter(*painter_);
      freshPen_ = painter_->pen();
      freshBrush_ = painter_->brush();
      freshFont_ = painter_->font();
    }
    return &*painter_;
  }

  void fillSolid(const Rect& rect, Rgb color) override {
    const Rect area = rect.intersected(deviceRect());
    if (area.isEmpty()) return;
    if (format_ == RasterFormat::Color) {
      openPainter()->fillRect(QRect(area.left, area.top, area.width(), area.height()),
                              QColor(color.red, color.green, color.blue));
      return;
    }
    const bool black = isDark(color);
    for (int y = area.top; y < area.bottom; ++y) {
      uchar* row = image_.scanLine(y);
      for (int x = area.left; x < area.right; ++x) setMonoBit(row, x, black);
    }
  }

  void invert(const Rect& rect) override {
    const Rect area = rect.intersected(deviceRect());
    if (area.isEmpty()) return;
    finishPainting();
    if (format_ == RasterFormat::Color) expand();
    for (int y = area.top; y < area.bottom; ++y) {
      if (format_ == RasterFormat::Monochrome) {
        uchar* row = image_.scanLine(y);
        for (int x = area.left; x < area.right; ++x) row[x >> 3] ^= static_cast<uchar>(0x80 >> (x & 7));
      } else {
        auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = area.left; x < area.right; ++x) row[x] ^= 0x00FFFFFF;
      }
    }
  }

 private:
  // Any operation gets the painter as a new one would be: its changes are
  // undone when it returns, and the pen, brush and font the quick paths of
  // the drawing calls left behind are put back to the painter's own.
  void paintAtRest(const PaintOperation& operation) {
    QPainter& painter = *openPainter();
    painter.save();
    painter.setPen(freshPen_);
    painter.setBrush(freshBrush_);
    painter.setFont(freshFont_);
    operation(painter);
    painter.restore();
  }

  // A compacted colour page goes back to four bytes a pixel before it is drawn on.
  void expand() {
    if (image_.format() != QImage::Format_RGB32) image_ = image_.convertToFormat(QImage::Format_RGB32);
  }

  // The pixels are read or handed out with no painter on them: an image with
  // a painter on it would be copied whole for every picture taken, where a
  // finished one is shared until the surface next changes.
  void finishPainting() const { painter_.reset(); }

  // The painter cannot draw on one bit per pixel: the operation is painted on
  // a colour copy of the affected area, which is then mapped back to black and
  // white by brightness. Storage stays at one bit per pixel.
  void paintMonochrome(const Rect& area, const PaintOperation& operation) {
    QImage scratch = image_.copy(area.left, area.top, area.width(), area.height())
                         .convertToFormat(QImage::Format_RGB32);
    {
      QPainter painter(&scratch);
      preparePainter(painter);
      painter.translate(-area.left, -area.top);
      operation(painter);
    }
    for (int y = 0; y < area.height(); ++y) {
      const auto* source = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
      uchar* row = image_.scanLine(area.top + y);
      for (int x = 0; x < area.width(); ++x) setMonoBit(row, area.left + x, isDarkPixel(source[x]));
    }
  }

  RasterFormat format_;
  QImage image_;
  // A colour surface keeps one painter open from its first drawing until its
  // pixels are read: opening a painter costs more than most drawing calls.
  // Declared after the image, so that it ends before the image goes.
  mutable std::optional<QPainter> painter_;
  QPen freshPen_;
  QBrush freshBrush_;
  QFont freshFont_;
};

}  // namespace

std::unique_ptr<RasterDc> RasterDc::create(Size size, RasterFormat format, double dotsPerInch) {
  return std::make_unique<RasterSurface>(size, format, dotsPerInch);
}

}  // namespace host
