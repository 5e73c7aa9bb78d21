#include "host/printers/PageRecording.h"

#include <QPainter>

namespace host {

PageRecording::PageRecording(Size size, double dotsPerInch) : PainterDc<Dc>(size, dotsPerInch, dotsPerInch) {}

void PageRecording::paint(const Rect& bounds, const PaintOperation& operation) {
  if (bounds.intersected(deviceRect()).isEmpty()) return;
  operations_.push_back(operation);
}

void PageRecording::fillSolid(const Rect& rect, Rgb color) {
  const Rect page = deviceRect();
  if (rect.intersected(page) == page) operations_.clear();
  PainterDc<Dc>::fillSolid(rect, color);
}

void PageRecording::frameRect(const Rect& rect, const Brush& brush) {
  if (brush.style != BrushStyle::Solid || rect.width() < 3 || rect.height() < 3) {
    PainterDc<Dc>::frameRect(rect, brush);
    return;
  }
  const QColor color(brush.color.red, brush.color.green, brush.color.blue);
  const int w = rect.width();
  const int h = rect.height();
  const QRect edges[] = {QRect(rect.left, rect.top, w, 1), QRect(rect.left, rect.bottom - 1, w, 1),
                         QRect(rect.left, rect.top + 1, 1, h - 2), QRect(rect.right - 1, rect.top + 1, 1, h - 2)};
  paint(rect, [color, edges](QPainter& painter) {
    for (const QRect& edge : edges) painter.fillRect(edge, color);
  });
}

void PageRecording::replay(QPainter& painter, const std::vector<PaintOperation>& operations) {
  preparePainter(painter);
  for (const PaintOperation& operation : operations) {
    painter.save();
    operation(painter);
    painter.restore();
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
