#include "host/printers/PageRecording.h"

#include <QImage>
#include <QPainter>
#include <QPaintDevice>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace host {

PageRecording::PageRecording(Size size, double dotsPerInch) : PainterDc<Dc>(size, dotsPerInch, dotsPerInch) {}

void PageRecording::paint(const Rect& bounds, const PaintOperation& operation) {
  if (bounds.intersected(deviceRect()).isEmpty()) return;
  operations_.push_back({Kind::Isolated, operation, {}, {}});
}

void PageRecording::paintSelfContained(const Rect& bounds, const PaintOperation& operation) {
  if (bounds.intersected(deviceRect()).isEmpty()) return;
  operations_.push_back({Kind::SelfContained, operation, {}, {}});
}

void PageRecording::recordFill(const Rect& rect, Rgb color) {
  if (rect.isEmpty() || rect.intersected(deviceRect()).isEmpty()) return;
  operations_.push_back({Kind::Fill, {}, QRect(rect.left, rect.top, rect.width(), rect.height()),
                         QColor(color.red, color.green, color.blue)});
}

void PageRecording::fillSolid(const Rect& rect, Rgb color) {
  const Rect page = deviceRect();
  if (!rect.isEmpty() && rect.intersected(page) == page) operations_.clear();
  recordFill(rect, color);
}

void PageRecording::frameRect(const Rect& rect, const Brush& brush) {
  if (brush.style != BrushStyle::Solid || rect.width() < 3 || rect.height() < 3) {
    PainterDc<Dc>::frameRect(rect, brush);
    return;
  }
  const int w = rect.width();
  const int h = rect.height();
  recordFill(Rect::fromXywh(rect.left, rect.top, w, 1), brush.color);
  recordFill(Rect::fromXywh(rect.left, rect.bottom - 1, w, 1), brush.color);
  recordFill(Rect::fromXywh(rect.left, rect.top + 1, 1, h - 2), brush.color);
  recordFill(Rect::fromXywh(rect.right - 1, rect.top + 1, 1, h - 2), brush.color);
}

namespace {

// The painter state a run of fills and self-contained steps shares: the pen
// and brush the fills last set, so that a fill sets only what changed.
class SharedRun {
 public:
  SharedRun(QPainter& painter, int hairline) : painter_(painter), hairline_(hairline) {}
  SharedRun(const SharedRun&) = delete;
  SharedRun& operator=(const SharedRun&) = delete;
  ~SharedRun() { end(); }

  void fill(const QRect& area, const QColor& color) {
    begin();
    if (!penCleared_) {
      painter_.setPen(Qt::NoPen);
      penCleared_ = true;
    }
    if (!brushSet_ || color != brush_) {
      painter_.setBrush(color);
      brush_ = color;
      brushSet_ = true;
    }
    if (hairline_ > 0) {
      fillAtLeastAHairline(area);
    } else {
      painter_.drawRect(area);
    }
  }
  void paint(const PainterDc<Dc>::PaintOperation& operation) {
    begin();
    operation(painter_);
    penCleared_ = false;  // it set a pen of its own
  }
  void end() {
    if (!open_) return;
    painter_.restore();
    open_ = penCleared_ = brushSet_ = false;
  }

 private:
  void begin() {
    if (open_) return;
    painter_.save();
    open_ = true;
  }
  // A fill the painter's scale makes thinner than a hairline (a printer's
  // rule on a screen) covers whole hairlines of the device instead, one at
  // least across; it would fall between the pixels.
  void fillAtLeastAHairline(const QRect& area) {
    const QTransform transform = painter_.worldTransform();
    const QRectF onDevice = transform.mapRect(QRectF(area));
    if (onDevice.width() >= hairline_ && onDevice.height() >= hairline_) {
      painter_.drawRect(area);
      return;
    }
    const auto down = [this](double edge) { return static_cast<int>(std::floor(edge / hairline_)) * hairline_; };
    const auto nearest = [this](double edge) { return static_cast<int>(std::lround(edge / hairline_)) * hairline_; };
    const int left = down(onDevice.left());
    const int top = down(onDevice.top());
    const int right = std::max(left + hairline_, nearest(onDevice.right()));
    const int bottom = std::max(top + hairline_, nearest(onDevice.bottom()));
    painter_.setWorldTransform(QTransform());
    painter_.drawRect(QRect(left, top, right - left, bottom - top));
    painter_.setWorldTransform(transform);
  }

  QPainter& painter_;
  int hairline_;
  bool open_ = false;
  bool penCleared_ = false;
  bool brushSet_ = false;
  QColor brush_;
};

}  // namespace

void PageRecording::replay(QPainter& painter, const std::vector<Operation>& operations, int hairline) {
  preparePainter(painter);
  SharedRun run(painter, hairline);
  for (const Operation& operation : operations) {
    switch (operation.kind) {
      case Kind::Fill: run.fill(operation.area, operation.color); break;
      case Kind::SelfContained: run.paint(operation.paint); break;
      case Kind::Isolated:
        run.end();
        painter.save();
        operation.paint(painter);
        painter.restore();
        break;
    }
  }
}

QImage PageRecording::render(QImage::Format format) const {
  QImage image(size().width, size().height, format);
  image.fill(Qt::white);
  QPainter painter(&image);
  replay(painter);
  return image;
}

}  // namespace host

namespace host {

namespace {

// Drawn finer than the screen by this much at most, and on no more pixels
// than this: a page zoomed large is drawn at the screen's own pixels.
constexpr int FinestDrawing = 3;
constexpr double MostFinePixels = 24e6;

}  // namespace

void PrintedPage::drawOnScreen(QPainter& painter, double scale) const {
  const QTransform toDevice = QTransform::fromScale(scale, scale) * painter.worldTransform();
  const QRect onDevice = toDevice.mapRect(QRectF(0, 0, size_.width, size_.height)).toAlignedRect();
  const QRect visible = onDevice.intersected(QRect(0, 0, painter.device()->width(), painter.device()->height()));
  if (visible.isEmpty()) return;
  int finer = 1;
  if (toDevice.m11() < 1) {
    const double room = std::sqrt(MostFinePixels / (static_cast<double>(visible.width()) * visible.height()));
    finer = std::clamp(static_cast<int>(room), 1, FinestDrawing);
  }
  QImage fine(visible.size() * finer, QImage::Format_RGB32);
  fine.fill(Qt::white);
  {
    QPainter drawing(&fine);
    drawing.scale(finer, finer);
    drawing.translate(-visible.left(), -visible.top());
    drawing.setWorldTransform(toDevice, true);
    PageRecording::replay(drawing, operations_, finer);
  }
  painter.save();
  painter.resetTransform();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.drawImage(visible, fine);
  painter.restore();
}

}  // namespace host
