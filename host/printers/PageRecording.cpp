#include "host/printers/PageRecording.h"

#include <QPainter>

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
  explicit SharedRun(QPainter& painter) : painter_(painter) {}
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
    painter_.drawRect(area);
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
  QPainter& painter_;
  bool open_ = false;
  bool penCleared_ = false;
  bool brushSet_ = false;
  QColor brush_;
};

}  // namespace

void PageRecording::replay(QPainter& painter, const std::vector<Operation>& operations) {
  preparePainter(painter);
  SharedRun run(painter);
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
