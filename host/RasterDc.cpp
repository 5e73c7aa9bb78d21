#include "host/RasterDc.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

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

// A raster surface keeps its drawing as the steps that paint it until its
// pixels are wanted (read, copied or handed out as a picture): a long
// preview draws thousands of pages of which a few are ever shown, and a page
// kept as its drawing takes a fraction of its pixels' memory. The steps are
// then painted in order on the blank page, exactly as if they had been
// painted at once.
class RasterSurface final : public PainterDc<RasterDc> {
 public:
  RasterSurface(Size size, RasterFormat format, double dotsPerInch)
      : PainterDc<RasterDc>(size, dotsPerInch, dotsPerInch), format_(format) {}

  [[nodiscard]] RasterFormat format() const override { return format_; }
  [[nodiscard]] Picture picture() const override {
    paintPending();
    finishPainting();
    return pictureOf(image_);
  }

  [[nodiscard]] Rgb pixel(int x, int y) const override {
    if (!deviceRect().contains(Point{x, y})) return Rgb::black;
    paintPending();
    finishPainting();
    const QRgb value = image_.pixel(x, y);
    return Rgb::fromRgb(qRed(value), qGreen(value), qBlue(value));
  }

  // A finished page of few steps (a page of text) is kept as its drawing,
  // smaller so than any image of it, and compacted once its pixels are
  // painted; one of many steps (a page of table cells) takes less memory as
  // its compacted pixels, and is painted now.
  void compact() override {
    kept_ = true;
    if (pending_.size() > MostKeptSteps) paintPending();
    if (pending_.empty()) compactPixels();
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
    defer([this, area, operation] {
      if (format_ == RasterFormat::Color) {
        paintAtRest(operation);
      } else {
        paintMonochrome(area, operation);
      }
    });
  }

  // Self-contained steps of a colour page run one after another in the open
  // painter, without saving and restoring its state for each.
  void paintSelfContained(const Rect& bounds, const PaintOperation& operation) override {
    if (format_ != RasterFormat::Color) {
      paint(bounds, operation);
      return;
    }
    if (bounds.intersected(deviceRect()).isEmpty()) return;
    defer([this, operation] { operation(*openPainter()); });
  }

  void paintHostDrawing(const Rect& bounds, const PaintOperation& operation) override {
    paint(bounds, operation);
    paintPending();
  }

  void fillSolid(const Rect& rect, Rgb color) override {
    const Rect area = rect.intersected(deviceRect());
    if (area.isEmpty()) return;
    if (area == deviceRect()) {
      // Nothing drawn before shows through a fill of the whole page.
      startBlank(color);
      return;
    }
    defer([this, area, color] { fillNow(area, color); });
  }

  void invert(const Rect& rect) override {
    const Rect area = rect.intersected(deviceRect());
    if (area.isEmpty()) return;
    defer([this, area] { invertNow(area); });
  }

 private:
  // Beyond this many steps a page being drawn is painted: its drawing would
  // take more memory than its pixels. A finished page kept as its drawing
  // holds at most MostKeptSteps, about the memory of its pixels at one bit.
  static constexpr std::size_t MostPendingSteps = 4096;
  static constexpr std::size_t MostKeptSteps = 256;

  void defer(std::function<void()> step) {
    pending_.push_back(std::move(step));
    if (pending_.size() >= MostPendingSteps) paintPending();
  }

  void paintPending() const {
    const bool blank = image_.isNull();
    if (blank) makeBlankImage();
    if (pending_.empty() && !blank) return;
    std::vector<std::function<void()>> steps;
    steps.swap(pending_);
    for (const std::function<void()>& step : steps) step();
    if (kept_) compactPixels();
  }

  void startBlank(Rgb color) {
    finishPainting();
    pending_.clear();
    image_ = QImage();
    blank_ = color;
  }

  void makeBlankImage() const {
    const int width = std::max(0, size().width);
    const int height = std::max(0, size().height);
    if (format_ == RasterFormat::Monochrome) {
      image_ = QImage(width, height, QImage::Format_Mono);
      image_.setColorTable({monoWhite, monoBlack});
      image_.fill(isDark(blank_) ? 1 : 0);
    } else {
      image_ = QImage(width, height, QImage::Format_RGB32);
      image_.fill(QColor(blank_.red, blank_.green, blank_.blue));
    }
  }

  void compactPixels() const {
    if (format_ != RasterFormat::Color || image_.format() != QImage::Format_RGB32) return;
    finishPainting();
    if (std::optional<QImage> twoColours = toTwoColours(image_)) {
      image_ = std::move(*twoColours);
    } else if (std::optional<QImage> indexed = toIndexed(image_)) {
      image_ = std::move(*indexed);
    }
  }

  // The painter of a colour page, handed over at rest: no clip, no
  // transform, normal composition, transparent background mode; whoever
  // draws with it leaves it so (pen, brush and font may be changed).
  QPainter* openPainter() const {
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

  // Any operation gets the painter as a new one would be: its changes are
  // undone when it returns, and the pen, brush and font the self-contained
  // steps left behind are put back to the painter's own.
  void paintAtRest(const PaintOperation& operation) const {
    QPainter& painter = *openPainter();
    painter.save();
    painter.setPen(freshPen_);
    painter.setBrush(freshBrush_);
    painter.setFont(freshFont_);
    operation(painter);
    painter.restore();
  }

  void fillNow(const Rect& area, Rgb color) const {
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

  void invertNow(const Rect& area) const {
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

  // A compacted colour page goes back to four bytes a pixel before it is drawn on.
  void expand() const {
    if (image_.format() != QImage::Format_RGB32) image_ = image_.convertToFormat(QImage::Format_RGB32);
  }

  // The pixels are read or handed out with no painter on them: an image with
  // a painter on it would be copied whole for every picture taken, where a
  // finished one is shared until the surface next changes.
  void finishPainting() const { painter_.reset(); }

  // The painter cannot draw on one bit per pixel: the operation is painted on
  // a colour copy of the affected area, which is then mapped back to black and
  // white by brightness. Storage stays at one bit per pixel.
  void paintMonochrome(const Rect& area, const PaintOperation& operation) const {
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
  // Reading the pixels is when the drawing kept so far is painted: the
  // image, the steps and the painter change under the const readers.
  mutable QImage image_;  // null until the first step is painted
  Rgb blank_ = Rgb::white;
  mutable std::vector<std::function<void()>> pending_;
  bool kept_ = false;  // compact() was asked: the page is finished and kept
  // A colour surface keeps one painter open while it paints until its
  // pixels are read: opening a painter costs more than most drawing calls.
  // Declared after the image, so that it ends before the image goes.
  mutable std::optional<QPainter> painter_;
  mutable QPen freshPen_;
  mutable QBrush freshBrush_;
  mutable QFont freshFont_;
};

}  // namespace

std::unique_ptr<RasterDc> RasterDc::create(Size size, RasterFormat format, double dotsPerInch) {
  return std::make_unique<RasterSurface>(size, format, dotsPerInch);
}

}  // namespace host
