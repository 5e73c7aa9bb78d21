#include "host/printers/PageRecording.h"

#include <QPainter>

namespace host {

PageRecording::PageRecording(Size size, double dotsPerInch) : PainterDc<Dc>(size, dotsPerInch, dotsPerInch) {}

void PageRecording::paint(const Rect& bounds, const PaintOperation& operation) {
  if (bounds.intersected(deviceRect()).isEmpty()) return;
  operations_.push_back({operation, {}, {}});
}

void PageRecording::recordFill(const Rect& rect, Rgb color) {
  if (rect.isEmpty() || rect.intersected(deviceRect()).isEmpty()) return;
  operations_.push_back({{}, QRect(rect.left, rect.top, rect.width(), rect.height()),
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

void PageRecording::replay(QPainter& painter, const std::vector<Operation>& operations) {
  preparePainter(painter);
  bool filling = false;
  QColor brush;
  for (const Operation& operation : operations) {
    if (!operation.paint) {
      if (!filling || operation.color != brush) {
        if (!filling) {
          painter.save();
          painter.setPen(Qt::NoPen);
          filling = true;
        }
        brush = operation.color;
        painter.setBrush(brush);
      }
      painter.drawRect(operation.area);
      continue;
    }
    if (filling) {
      painter.restore();
      filling = false;
    }
    painter.save();
    operation.paint(painter);
    painter.restore();
  }
  if (filling) painter.restore();
}

QImage PageRecording::render(QImage::Format format) const {
  QImage image(size().width, size().height, format);
  image.fill(Qt::white);
  QPainter painter(&image);
  replay(painter);
  return image;
}

}  // namespace host
