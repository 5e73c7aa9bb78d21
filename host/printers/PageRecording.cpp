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
