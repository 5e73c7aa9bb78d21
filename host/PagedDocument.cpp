#include "host/PagedDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <limits>

#include "host/HostError.h"
#include "host/PainterDc.h"
#include "host/model/Control.h"

namespace host {

namespace {

constexpr double LayoutDpi = PagedDocument::LayoutDpi;
// 96 dots per inch in dots per metre, as an image keeps its resolution.
constexpr int LayoutDotsPerMetre = 3780;

// Lines touching a cut belong to the stretch on the side they lie: a line is
// drawn (and its text put into a PDF) on one page only.
constexpr double Edge = 0.01;
constexpr double Infinity = std::numeric_limits<double>::infinity();

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
  if (text_->defaultFont() != defaultFont) {
    text_->setDefaultFont(defaultFont);
    indexed_ = false;
  }
  if (text_->textWidth() != width) {
    text_->setTextWidth(width);
    indexed_ = false;
  }
  if (stale_) {
    // The whole document laid out afresh, as a new page size has it: marked
    // dirty instead, a laid-out document is laid out again at a cost that
    // grows with the square of its blocks (the pages of a million paragraphs,
    // drawn after their job had let its layout go, took many minutes).
    text_->setPageSize(text_->pageSize());
    stale_ = false;
    indexed_ = false;
  }
  (void)text_->size();  // finishes the layout of every block
}

void PagedDocument::index() {
  if (indexed_) return;
  indexed_ = true;
  lines_.clear();
  loweredMost_ = 0;
  rows_.clear();
  breaks_.clear();
  resumes_.clear();
  const QAbstractTextDocumentLayout& layout = *text_->documentLayout();
  // Qt lays the paragraph after a table out from a little above the
  // table's bottom (the empty one right after it even beside its last row):
  // running text after a frame is taken to start below it.
  std::vector<std::pair<std::int32_t, double>> frames;  // last position, bottom
  for (QTextFrame* frame : text_->rootFrame()->childFrames())
    if (frame->frameFormat().position() == QTextFrameFormat::InFlow)  // text flows beside a floating one
      frames.emplace_back(frame->lastPosition(), layout.frameBoundingRect(frame).bottom());
  std::size_t framesAbove = 0;
  double floor = -Infinity;
  for (QTextBlock block = text_->begin(); block.isValid(); block = block.next()) {
    const QTextLayout* lines = block.layout();
    if (lines == nullptr || !block.isVisible() || lines->lineCount() == 0) continue;
    for (; framesAbove < frames.size() && frames[framesAbove].first < block.position(); ++framesAbove)
      floor = std::max(floor, frames[framesAbove].second);
    // The block's place in the document, the table cells around it included.
    const double origin = layout.blockBoundingRect(block).top();
    const bool inTable = text_->frameAt(block.position()) != text_->rootFrame();
    const std::size_t firstLine = lines_.size();
    for (int i = 0; i < lines->lineCount(); ++i) {
      const QTextLine line = lines->lineAt(i);
      const std::int32_t start = block.position() + line.textStart();
      const double layoutTop = origin + line.y();
      double top = layoutTop, bottom = top + line.height();
      if (!inTable) {
        top = std::max(top, floor);
        bottom = std::max(bottom, top);
        loweredMost_ = std::max(loweredMost_, top - layoutTop);
      }
      lines_.push_back({top, bottom, start, start + line.textLength(), inTable, layoutTop});
    }
    const auto policy = block.blockFormat().pageBreakPolicy();
    if (policy & QTextFormat::PageBreak_AlwaysBefore) breaks_.push_back(lines_[firstLine].top);
    if (policy & QTextFormat::PageBreak_AlwaysAfter) breaks_.push_back(lines_.back().bottom);
  }
  indexTables(*text_->rootFrame());
  std::sort(rows_.begin(), rows_.end(), [](const Rows& a, const Rows& b) { return a.cut < b.cut; });
  std::sort(breaks_.begin(), breaks_.end());
  tallestRows_ = 0;
  for (const Rows& r : rows_) tallestRows_ = std::max(tallestRows_, r.bottom - r.cut);
  reachUpTo_.resize(lines_.size());
  highestFrom_.resize(lines_.size());
  double reach = -Infinity;
  for (std::size_t i = 0; i < lines_.size(); ++i) reachUpTo_[i] = reach = std::max(reach, lines_[i].bottom);
  double highest = Infinity;
  for (std::size_t i = lines_.size(); i-- > 0;) highestFrom_[i] = highest = std::min(highest, lines_[i].top);
}

// The rows of every table in the frame, nested ones included: between two
// rows that no cell spans, the cut lies halfway between the lowest line
// above and the highest line below (in the gap that holds the borders and
// the cells' padding); above the first row it is the table's top.
void PagedDocument::indexTables(const QTextFrame& frame) {
  for (QTextFrame* child : frame.childFrames()) {
    indexTables(*child);
    auto* table = qobject_cast<QTextTable*>(child);
    const QRectF box = text_->documentLayout()->frameBoundingRect(child);
    if (child->frameFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
      breaks_.push_back(box.top());
    if (child->frameFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter)
      breaks_.push_back(box.bottom());
    if (table == nullptr || table->rows() == 0) continue;
    // The highest top and lowest bottom of the lines of each row's cells (a
    // cell spanning rows counts in its first row).
    const int rowCount = table->rows();
    std::vector<double> tops(static_cast<std::size_t>(rowCount), Infinity);
    std::vector<double> bottoms(static_cast<std::size_t>(rowCount), -Infinity);
    std::vector<bool> spanned(static_cast<std::size_t>(rowCount), false);  // a cell reaches down into the row
    for (int r = 0; r < rowCount; ++r)
      for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(r, c);
        if (!cell.isValid() || cell.row() != r || cell.column() != c) continue;
        for (int below = r + 1; below < r + cell.rowSpan() && below < rowCount; ++below)
          spanned[static_cast<std::size_t>(below)] = true;
        auto line = std::lower_bound(lines_.begin(), lines_.end(), cell.firstPosition(),
                                     [](const Line& l, std::int32_t at) { return l.start < at; });
        for (; line != lines_.end() && line->start <= cell.lastPosition(); ++line) {
          tops[static_cast<std::size_t>(r)] = std::min(tops[static_cast<std::size_t>(r)], line->top);
          bottoms[static_cast<std::size_t>(r)] = std::max(bottoms[static_cast<std::size_t>(r)], line->bottom);
        }
      }
    Rows rows{box.top(), Infinity, box.bottom()};
    double above = -Infinity;  // the lowest line of the rows gathered so far
    for (int r = 0; r < rowCount; ++r) {
      const auto at = static_cast<std::size_t>(r);
      if (r > 0 && !spanned[at] && tops[at] < Infinity && above > -Infinity) {
        const double cut = tops[at] > above ? (above + tops[at]) / 2 : tops[at];
        rows.bottom = cut;
        if (rows.firstTop < Infinity) rows_.push_back(rows);
        rows = Rows{cut, Infinity, box.bottom()};
      }
      rows.firstTop = std::min(rows.firstTop, tops[at]);
      above = std::max(above, bottoms[at]);
    }
    rows.bottom = box.bottom();
    if (rows.firstTop < Infinity) rows_.push_back(rows);
  }
}

std::pair<std::vector<PagedDocument::Rows>::const_iterator, std::vector<PagedDocument::Rows>::const_iterator>
PagedDocument::rowsBetween(double low, double high) const {
  auto byCut = [](const Rows& r, double at) { return r.cut < at; };
  auto from = std::lower_bound(rows_.begin(), rows_.end(), low, byCut);
  return {from, std::lower_bound(from, rows_.end(), std::max(low, high), byCut)};
}

// Where a stretch from `first` starts: where the stretch that returned it
// stopped, or else the top of the line holding it.
double PagedDocument::startOf(std::int32_t first) const {
  if (auto resumed = resumes_.find(first); resumed != resumes_.end()) return resumed->second;
  auto after = std::upper_bound(lines_.begin(), lines_.end(), first,
                                [](std::int32_t at, const Line& l) { return at < l.start; });
  if (after != lines_.begin() && first < std::prev(after)->end) return std::prev(after)->top;
  if (after != lines_.begin() && first == std::prev(after)->start) return std::prev(after)->top;
  return after == lines_.end() ? Infinity : after->top;
}

PagedDocument::Stretch PagedDocument::measure(std::int32_t first, std::int32_t last, double available,
                                              bool wholePage, double wholePageHeight) const {
  const double top = startOf(first);
  Stretch stretch{top, top, top, first};
  if (top == Infinity || lines_.empty()) {
    stretch.next = std::max(first, last);
    return stretch;
  }
  const auto count = lines_.size();
  // Lines above the start are drawn already; the first that reaches below it opens the window.
  const std::size_t from = static_cast<std::size_t>(
      std::upper_bound(reachUpTo_.begin(), reachUpTo_.end(), top + Edge) - reachUpTo_.begin());

  double limit = top + std::max(0.0, available);
  // Characters from `last` on are not this range's.
  if (last < length()) {
    auto rest = std::lower_bound(lines_.begin(), lines_.end(), last,
                                 [](const Line& l, std::int32_t at) { return l.start < at; });
    if (rest != lines_.end())
      limit = std::min(limit, highestFrom_[static_cast<std::size_t>(rest - lines_.begin())]);
  }
  // A page break comes first.
  if (auto next = std::upper_bound(breaks_.begin(), breaks_.end(), top + Edge); next != breaks_.end())
    limit = std::min(limit, *next);

  // The lines that can meet the band [top, limit]: from `from` up to the
  // first after which every line starts below the limit.
  std::size_t to = from;
  while (to < count && highestFrom_[to] < limit + Edge) ++to;
  // Moves a cut up above every line it would cross.
  auto cleanAbove = [&](double cut) {
    for (bool moved = true; moved;) {
      moved = false;
      for (std::size_t i = from; i < to; ++i) {
        const Line& line = lines_[i];
        if (line.top >= top - Edge && line.top < cut - Edge && line.bottom > cut + Edge) {
          cut = line.top;
          moved = true;
        }
      }
    }
    return cut;
  };
  double cut = cleanAbove(limit);
  // Rows that start below the top of the stretch and reach below the cut go
  // to the next stretch whole, if a whole page holds them.
  for (bool moved = true; moved;) {
    moved = false;
    for (auto [row, end] = rowsBetween(top + Edge, cut - Edge); row != end; ++row)
      if (row->cut > top + Edge && row->bottom > cut + Edge &&
          row->bottom - row->cut <= wholePageHeight + Edge) {
        cut = cleanAbove(row->cut);
        moved = true;
        break;
      }
  }
  // Rows that start at the top of the stretch and do not fit wait for a
  // whole page if one holds them; taller ones are cut between their lines.
  if (!wholePage)
    for (auto [row, end] = rowsBetween(top - tallestRows_ - Edge, top + Edge); row != end; ++row)
      if (row->firstTop >= top - Edge && row->firstTop <= cut + Edge && row->bottom > cut + Edge &&
          row->bottom - row->cut <= wholePageHeight + Edge)
        return stretch;

  if (cut > top + Edge) {
    stretch.bottom = stretch.resume = cut;
  } else if (!wholePage) {
    return stretch;  // not one line fits: it waits for a larger rectangle
  } else {
    // What is taller than a whole page is cut at its bottom; the next
    // stretch starts below it.
    stretch.bottom = limit;
    double resume = limit;
    for (bool moved = true; moved;) {
      moved = false;
      for (std::size_t i = from; i < count && highestFrom_[i] < resume + Edge; ++i) {
        const Line& line = lines_[i];
        if (line.top >= top - Edge && line.top < resume - Edge && line.bottom > resume + Edge) {
          resume = line.bottom;
          moved = true;
        }
      }
    }
    if (resume <= top + Edge) {  // no room at all: the first line goes, undrawn
      for (std::size_t i = from; i < count; ++i)
        if (lines_[i].top >= top - Edge) {
          resume = std::max(resume, lines_[i].bottom);
          break;
        }
    }
    stretch.resume = resume;
  }

  // The first line below the cut, in the order of the characters.
  stretch.next = length();
  for (std::size_t i = from; i < count; ++i) {
    if (lines_[i].top < stretch.resume - Edge) continue;
    stretch.next = std::min(std::max(lines_[i].start, first + 1), last);
    // Running text goes on at its next line, not in the space above it
    // (unless a table's foot lies in that space).
    const double lineTop = lines_[i].top;
    const auto [rows, end] = rowsBetween(stretch.resume - tallestRows_ - Edge, lineTop);
    const bool tableAbove =
        std::any_of(rows, end, [&](const Rows& row) { return row.bottom > stretch.resume + Edge; });
    if (!lines_[i].inTable && lineTop > stretch.resume && !tableAbove) stretch.resume = lineTop;
    break;
  }
  return stretch;
}

// The first of a block's lines in lines_.
std::size_t PagedDocument::firstLineOf(const QTextBlock& block) const {
  return static_cast<std::size_t>(
      std::lower_bound(lines_.begin(), lines_.end(), block.position(),
                       [](const Line& l, std::int32_t at) { return l.start < at; }) -
      lines_.begin());
}

// Blocks Qt would draw other lines of in the band [top, bottom) than those
// that belong to it. Qt draws a block from the line before the first one in
// its clip on, so the text of the line above the band would be drawn
// (clipped away, yet written into a PDF) on this page and the page before;
// and a paragraph that starts a little above the bottom of the table before
// it belongs below that table. Such blocks are drawn line by line instead.
std::vector<QTextBlock> PagedDocument::blocksAcross(double top, double bottom) const {
  std::vector<QTextBlock> blocks;
  const auto count = lines_.size();
  auto i = static_cast<std::size_t>(std::upper_bound(reachUpTo_.begin(), reachUpTo_.end(), top + Edge) -
                                    reachUpTo_.begin());
  for (; i < count && highestFrom_[i] < bottom + loweredMost_ + Edge; ++i) {
    const Line& line = lines_[i];
    const bool inBand = line.top >= top - Edge && line.top < bottom - Edge;
    const bool drawnAbove = i > 0 && inBand && lines_[i - 1].top < top - Edge;
    const bool drawnBelow = !inBand && line.top >= bottom - Edge && line.layoutTop < bottom - Edge;
    if (!drawnAbove && !drawnBelow) continue;
    const QTextBlock block = text_->findBlock(line.start);
    if (drawnAbove && lines_[i - 1].start < block.position()) continue;  // the line above is another block's
    if (blocks.empty() || blocks.back() != block) blocks.push_back(block);
  }
  return blocks;
}

// Draws the band [top, bottom) of the layout with its top at `at` of the
// device, scaled from the 96-dpi layout.
void PagedDocument::drawBand(QPainter& painter, double top, double bottom, double width, QPointF at,
                             QPointF scale) {
  painter.save();
  painter.translate(at);
  painter.scale(scale.x(), scale.y());
  painter.translate(0, -top);
  QAbstractTextDocumentLayout::PaintContext context;
  context.clip = QRectF(-width, top + Edge, 3 * width, bottom - top - 2 * Edge);
  context.palette.setColor(QPalette::Text, Qt::black);
  painter.setClipRect(context.clip);
  QAbstractTextDocumentLayout& layout = *text_->documentLayout();
  std::vector<QTextBlock> across = blocksAcross(top, bottom);
  std::vector<QRectF> places;
  for (QTextBlock& block : across) {
    places.push_back(layout.blockBoundingRect(block));
    block.setVisible(false);  // only while drawing: the layout stays as it is
  }
  layout.draw(&painter, context);
  painter.setPen(Qt::black);
  for (std::size_t b = 0; b < across.size(); ++b) {
    QTextBlock& block = across[b];
    block.setVisible(true);
    const QBrush background = block.blockFormat().background();
    if (background.style() != Qt::NoBrush) painter.fillRect(places[b], background);
    const QTextLayout& lines = *block.layout();
    const std::size_t first = firstLineOf(block);
    for (int i = 0; i < lines.lineCount() && first + static_cast<std::size_t>(i) < lines_.size(); ++i) {
      const double lineTop = lines_[first + static_cast<std::size_t>(i)].top;
      if (lineTop >= top - Edge && lineTop < bottom - Edge)
        lines.lineAt(i).draw(&painter, places[b].topLeft());
    }
  }
  painter.restore();
}

std::int32_t PagedDocument::formatRange(const FormatRange& request, const QFont& defaultFont) {
  if (request.target == nullptr) raise(err::InvalidProcedureCall, "Invalid procedure call: no device to format for");
  const std::int32_t total = length();
  const std::int32_t first = std::clamp(request.firstChar, 0, total);
  const std::int32_t last = request.lastChar < 0 ? total : std::clamp(request.lastChar, first, total);
  if (first >= last) return first;

  const double width = std::max(1.0, request.drawTwips.width() / TwipsPerPixel);
  layOut(width, defaultFont);
  index();
  const double wholePageHeight =
      request.wholePageTwips > 0 ? request.wholePageTwips / TwipsPerPixel : Infinity;
  const Stretch stretch =
      measure(first, last, request.drawTwips.height() / TwipsPerPixel, request.wholePage, wholePageHeight);
  if (stretch.next > first && stretch.next < total) resumes_[stretch.next] = stretch.resume;
  if (!request.render || stretch.bottom <= stretch.top) return stretch.next;

  Dc& target = *request.target;
  const QPointF scale(target.dotsPerInchX() / LayoutDpi, target.dotsPerInchY() / LayoutDpi);
  const QPointF at(request.drawTwips.left * target.dotsPerInchX() / 1440.0,
                   request.drawTwips.top * target.dotsPerInchY() / 1440.0);
  const Rect bounds = Rect::fromXywh(static_cast<int>(at.x()) - 1, static_cast<int>(at.y()) - 1,
                                     static_cast<int>(width * scale.x()) + 3,
                                     static_cast<int>((stretch.bottom - stretch.top) * scale.y()) + 3);
  paintWithPainter(target, bounds,
                   [self = shared_from_this(), width, defaultFont, at, scale, top = stretch.top,
                    bottom = stretch.bottom](QPainter& painter) {
                     self->layOut(width, defaultFont);
                     self->index();
                     self->drawBand(painter, top, bottom, width, at, scale);
                   });
  return stretch.next;
}

}  // namespace host
