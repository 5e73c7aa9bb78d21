#include "host/RasterDc.h"

#include <QBrush>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <functional>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "host/PainterDc.h"
#include "host/PictureImpl.h"
#include "host/printers/PageRecording.h"

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

// The pixels of a compacted page (one byte or one bit a pixel) packed with
// zlib: a page of table cells is mostly paper between its rules and words,
// and a long preview keeps every page. Unpacking one takes a millisecond or
// two, so a page shown is unpacked when it is wanted.
class PackedPixels {
 public:
  PackedPixels() = default;
  explicit PackedPixels(const QImage& image)
      : size_(image.size()),
        format_(image.format()),
        colours_(image.colorTable()),
        bytes_(qCompress(image.constBits(), image.sizeInBytes(), CompressionLevel)) {
    bytes_.squeeze();  // packing sets aside room for the unpacked size
  }

  [[nodiscard]] bool empty() const { return bytes_.isEmpty(); }
  [[nodiscard]] std::size_t bytes() const { return static_cast<std::size_t>(bytes_.size()); }
  [[nodiscard]] QImage image() const {
    QImage image(size_, format_);
    image.setColorTable(colours_);
    const QByteArray bits = qUncompress(bytes_);
    if (bits.size() != image.sizeInBytes()) return {};
    std::copy(bits.cbegin(), bits.cend(), reinterpret_cast<char*>(image.bits()));
    return image;
  }

 private:
  // The fastest level: a table page packs to a twentieth of its bytes all
  // the same, and a long preview packs every page it draws.
  static constexpr int CompressionLevel = 1;
  QSize size_;
  QImage::Format format_ = QImage::Format_Invalid;
  QList<QRgb> colours_;
  QByteArray bytes_;
};

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
    unpack();
    finishPainting();
    Picture picture = pictureOf(image_);
    // The picture handed out holds the pixels as long as it is used; the
    // kept page goes back to its packed form.
    if (!packed_.empty()) image_ = QImage();
    return picture;
  }

  // A page kept as its drawing is drawn afresh at the scale; one kept as
  // pixels is scaled smoothly.
  [[nodiscard]] Picture pictureAt(double scale) const override {
    if (scale == 1.0 || !(scale > 0)) return picture();
    const Size scaled = scaledSize(scale);
    if (!drawingKept()) {
      return pictureOf(imageOf(picture()).scaled(scaled.width, scaled.height, Qt::IgnoreAspectRatio,
                                                 Qt::SmoothTransformation));
    }
    return pictureOf(replayed(scale));
  }

  [[nodiscard]] Rgb pixel(int x, int y) const override {
    if (!deviceRect().contains(Point{x, y})) return Rgb::black;
    paintPending();
    unpack();
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
    if (steps_.size() > MostKeptSteps) paintPending();
    if (painted_ == steps_.size()) compactPixels();
  }

  [[nodiscard]] std::size_t pixelBytes() const override {
    return static_cast<std::size_t>(image_.sizeInBytes()) + packed_.bytes();
  }

  void drawPrintedPage(std::shared_ptr<const PrintedPage> page, double scale) override {
    if (!page || !(scale > 0)) return;
    paint(deviceRect(), [page = std::move(page), scale](QPainter& painter) { page->drawOnScreen(painter, scale); });
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

  // Host drawing may read objects that change later: it is painted now, and
  // the page is held by its pixels from then on.
  void paintHostDrawing(const Rect& bounds, const PaintOperation& operation) override {
    paint(bounds, operation);
    paintPending();
    forgetSteps();
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
  // take more memory than its pixels. A finished page keeps its drawing,
  // beside its pixels once they are painted, while it holds at most
  // MostKeptSteps, about the memory of its pixels at one bit: it can be
  // drawn afresh at another scale.
  static constexpr std::size_t MostPendingSteps = 4096;
  static constexpr std::size_t MostKeptSteps = 256;
  static constexpr qsizetype MinPackedBytes = 16 * 1024;

  void defer(std::function<void()> step) {
    steps_.push_back(std::move(step));
    if (steps_.size() - painted_ >= MostPendingSteps) paintPending();
  }

  void paintPending() const {
    unpack();
    const bool blank = image_.isNull();
    if (blank) makeBlankImage();
    if (painted_ == steps_.size() && !blank) return;
    packed_ = {};  // the pixels change
    // A step never adds steps; painting them in place keeps them for a
    // drawing at another scale.
    for (std::size_t i = painted_; i < steps_.size(); ++i) steps_[i]();
    painted_ = steps_.size();
    if (!kept_ || steps_.size() > MostKeptSteps) forgetSteps();
    if (kept_) compactPixels();
  }

  // From here on the pixels alone hold the page.
  void forgetSteps() const {
    steps_ = decltype(steps_)();  // its room too: a long preview keeps every page
    painted_ = 0;
    stepsSinceBlank_ = false;
  }

  // The steps hold everything drawn on the page since it was blank.
  [[nodiscard]] bool drawingKept() const { return stepsSinceBlank_ && steps_.size() <= MostKeptSteps; }

  [[nodiscard]] Size scaledSize(double scale) const {
    return {static_cast<int>(std::lround(std::max(0, size().width) * scale)),
            static_cast<int>(std::lround(std::max(0, size().height) * scale))};
  }

  // A device rectangle at the scale the steps are painted at now; edges
  // shared by neighbouring rectangles stay shared.
  [[nodiscard]] Rect scaled(const Rect& rect) const {
    if (scale_ == 1.0) return rect;
    const auto at = [this](int edge) { return static_cast<int>(std::lround(edge * scale_)); };
    return Rect::fromLtrb(at(rect.left), at(rect.top), at(rect.right), at(rect.bottom));
  }

  // Paints the page's steps afresh on a blank image of the scaled size and
  // hands that over; the page's own pixels and painter are left as they were.
  [[nodiscard]] QImage replayed(double scale) const {
    finishPainting();
    QImage own = std::exchange(image_, QImage());
    PackedPixels ownPacked = std::exchange(packed_, {});
    scale_ = scale;
    makeBlankImage();
    for (const std::function<void()>& step : steps_) step();
    finishPainting();
    QImage result = std::exchange(image_, std::move(own));
    packed_ = std::move(ownPacked);
    scale_ = 1.0;
    return result;
  }

  void startBlank(Rgb color) {
    finishPainting();
    steps_.clear();
    painted_ = 0;
    stepsSinceBlank_ = true;
    image_ = QImage();
    packed_ = {};
    blank_ = color;
  }

  void makeBlankImage() const {
    const Size pixels = scaledSize(scale_);
    const int width = pixels.width;
    const int height = pixels.height;
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
    if (format_ == RasterFormat::Color && image_.format() == QImage::Format_RGB32) {
      finishPainting();
      if (std::optional<QImage> twoColours = toTwoColours(image_)) {
        image_ = std::move(*twoColours);
      } else if (std::optional<QImage> indexed = toIndexed(image_)) {
        image_ = std::move(*indexed);
      }
    }
    pack();
  }

  // A compacted page of more than a few kilobytes is kept packed.
  void pack() const {
    if (image_.isNull() || image_.format() == QImage::Format_RGB32 || image_.sizeInBytes() < MinPackedBytes) return;
    finishPainting();
    if (packed_.empty()) packed_ = PackedPixels(image_);
    image_ = QImage();
  }

  // The pixels of a packed page, for reading; the packed form stays valid
  // until the pixels change.
  void unpack() const {
    if (image_.isNull() && !packed_.empty()) image_ = packed_.image();
  }

  // The painter of a colour page, handed over at rest: no clip, no
  // transform, normal composition, transparent background mode; whoever
  // draws with it leaves it so (pen, brush and font may be changed).
  QPainter* openPainter() const {
    if (!painter_) {
      expand();
      painter_.emplace(&image_);
      preparePainter(*painter_);
      if (scale_ != 1.0) painter_->scale(scale_, scale_);
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
    const Rect pixels = scaled(area);
    for (int y = pixels.top; y < pixels.bottom; ++y) {
      uchar* row = image_.scanLine(y);
      for (int x = pixels.left; x < pixels.right; ++x) setMonoBit(row, x, black);
    }
  }

  void invertNow(const Rect& area) const {
    finishPainting();
    if (format_ == RasterFormat::Color) expand();
    const Rect pixels = scaled(area);
    for (int y = pixels.top; y < pixels.bottom; ++y) {
      if (format_ == RasterFormat::Monochrome) {
        uchar* row = image_.scanLine(y);
        for (int x = pixels.left; x < pixels.right; ++x) row[x >> 3] ^= static_cast<uchar>(0x80 >> (x & 7));
      } else {
        auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = pixels.left; x < pixels.right; ++x) row[x] ^= 0x00FFFFFF;
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
    const Rect pixels = scaled(area).intersected(Rect::fromXywh(0, 0, image_.width(), image_.height()));
    if (pixels.isEmpty()) return;
    QImage scratch = image_.copy(pixels.left, pixels.top, pixels.width(), pixels.height())
                         .convertToFormat(QImage::Format_RGB32);
    {
      QPainter painter(&scratch);
      preparePainter(painter);
      painter.translate(-pixels.left, -pixels.top);
      if (scale_ != 1.0) painter.scale(scale_, scale_);
      operation(painter);
    }
    for (int y = 0; y < pixels.height(); ++y) {
      const auto* source = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
      uchar* row = image_.scanLine(pixels.top + y);
      for (int x = 0; x < pixels.width(); ++x) setMonoBit(row, pixels.left + x, isDarkPixel(source[x]));
    }
  }

  RasterFormat format_;
  // Reading the pixels is when the drawing kept so far is painted: the
  // image, the steps and the painter change under the const readers.
  mutable QImage image_;  // null until the first step is painted, or while the page is packed
  mutable PackedPixels packed_;  // a kept page's pixels packed (or empty)
  Rgb blank_ = Rgb::white;
  // The drawing steps; those before painted_ are on the image already.
  mutable std::vector<std::function<void()>> steps_;
  mutable std::size_t painted_ = 0;
  mutable bool stepsSinceBlank_ = true;  // no step painted so far was forgotten
  mutable double scale_ = 1.0;           // the scale the steps paint at now
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
