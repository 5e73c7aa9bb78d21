#include "host/PagedDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <optional>

#include "host/HostError.h"
#include "host/PainterDc.h"
#include "host/model/Control.h"

namespace host {

namespace {

constexpr double LayoutDpi = PagedDocument::LayoutDpi;
// 96 dots per inch in dots per metre, as an image keeps its resolution.
constexpr int LayoutDotsPerMetre = 3780;

// The lines of one stretch: from the line holding `first`, as many whole
// lines as `available` pixels hold, stopping before `last`.
struct Stretch {
  double top = 0;
  double bottom = 0;
  std::int32_t next = 0;  // first character not drawn
};

// The line of its block that holds `first` (0 when the block is not laid out).
int lineIndexOf(const QTextBlock& block, std::int32_t first) {
  if (!block.isValid() || block.layout() == nullptr) return 0;
  const QTextLine line = block.layout()->lineForTextPosition(first - block.position());
  return line.isValid() ? line.lineNumber() : 0;
}

Stretch measureStretch(const QTextDocument& text, std::int32_t first, std::int32_t last, std::int32_t length,
                       double available) {
  Stretch stretch{0, 0, length};
  std::optional<double> top;
  QTextBlock block = text.findBlock(first);
  for (int lineIndex = lineIndexOf(block, first); block.isValid(); block = block.next(), lineIndex = 0) {
    const QTextLayout* layout = block.layout();
    if (layout == nullptr) continue;
    const double originY = layout->position().y();
    for (int i = lineIndex; i < layout->lineCount(); ++i) {
      const QTextLine line = layout->lineAt(i);
      const std::int32_t start = block.position() + line.textStart();
      const double lineTop = originY + line.y();
      if (!top) {
        top = lineTop;
        stretch.top = stretch.bottom = lineTop;
      }
      if (start >= last || lineTop + line.height() - *top > available) {
        stretch.next = std::max(first, start);
        return stretch;
      }
      stretch.bottom = lineTop + line.height();
    }
  }
  return stretch;
}

// Draws the lines of a stretch with their top at (left, top) of the device,
// scaled from the 96-dpi layout.
void drawStretch(QPainter& painter, const QTextDocument& text, const Stretch& stretch, double width, QPointF at,
                 QPointF scale) {
  painter.save();
  painter.translate(at);
  painter.scale(scale.x(), scale.y());
  painter.translate(0, -stretch.top);
  QAbstractTextDocumentLayout::PaintContext context;
  // Lines touching the stretch's edges belong to the stretches before and
  // after it: a line is drawn (and its text put into a PDF) on one page only.
  constexpr double edge = 0.01;
  context.clip = QRectF(-width, stretch.top + edge, 3 * width, stretch.bottom - stretch.top - 2 * edge);
  context.palette.setColor(QPalette::Text, Qt::black);
  painter.setClipRect(context.clip);
  text.documentLayout()->draw(&painter, context);
  painter.restore();
}

}  // namespace

std::shared_ptr<PagedDocument> PagedDocument::create() { return adopt(std::make_unique<QTextDocument>()); }

std::shared_ptr<PagedDocument> PagedDocument::adopt(std::unique_ptr<QTextDocument> text) {
  return std::shared_ptr<PagedDocument>(new PagedDocument(std::move(text)));
}

PagedDocument::PagedDocument(std::unique_ptr<QTextDocument> text) : text_(std::move(text)) {
  device_.setDotsPerMeterX(LayoutDotsPerMetre);
  device_.setDotsPerMeterY(LayoutDotsPerMetre);
  text_->setDocumentMargin(0);
  text_->setUndoRedoEnabled(false);
  text_->documentLayout()->setPaintDevice(&device_);
}

PagedDocument::~PagedDocument() = default;

std::int32_t PagedDocument::length() const { return std::max(0, text_->characterCount() - 1); }

void PagedDocument::layOut(double width, const QFont& defaultFont) {
  if (text_->defaultFont() != defaultFont) text_->setDefaultFont(defaultFont);
  if (text_->textWidth() != width) text_->setTextWidth(width);
  if (stale_) {
    text_->markContentsDirty(0, text_->characterCount());
    stale_ = false;
  }
  (void)text_->size();  // finishes the layout of every block
}

std::int32_t PagedDocument::formatRange(const FormatRange& request, const QFont& defaultFont) {
  if (request.target == nullptr) raise(err::InvalidProcedureCall, "Invalid procedure call: no device to format for");
  const std::int32_t total = length();
  const std::int32_t first = std::clamp(request.firstChar, 0, total);
  const std::int32_t last = request.lastChar < 0 ? total : std::clamp(request.lastChar, first, total);
  if (first >= last) return first;

  const double width = std::max(1.0, request.drawTwips.width() / TwipsPerPixel);
  layOut(width, defaultFont);
  const Stretch stretch = measureStretch(*text_, first, last, total, request.drawTwips.height() / TwipsPerPixel);
  if (!request.render || stretch.bottom <= stretch.top) return stretch.next;

  Dc& target = *request.target;
  const QPointF scale(target.dotsPerInchX() / LayoutDpi, target.dotsPerInchY() / LayoutDpi);
  const QPointF at(request.drawTwips.left * target.dotsPerInchX() / 1440.0,
                   request.drawTwips.top * target.dotsPerInchY() / 1440.0);
  const Rect bounds = Rect::fromXywh(static_cast<int>(at.x()) - 1, static_cast<int>(at.y()) - 1,
                                     static_cast<int>(width * scale.x()) + 3,
                                     static_cast<int>((stretch.bottom - stretch.top) * scale.y()) + 3);
  paintWithPainter(target, bounds, [self = shared_from_this(), width, defaultFont, at, scale, stretch](QPainter& painter) {
    self->layOut(width, defaultFont);
    drawStretch(painter, *self->text_, stretch, width, at, scale);
  });
  return stretch.next;
}

}  // namespace host
