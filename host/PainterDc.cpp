#include "host/PainterDc.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "host/QtColor.h"
#include "host/PictureImpl.h"
#include "host/QtFont.h"
#include "host/RasterDc.h"

namespace host {

namespace {


QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The pixels left..right-1, top..bottom-1 of a device rectangle.
QRect toQRect(const Rect& rect) { return QRect(rect.left, rect.top, rect.width(), rect.height()); }

Rect normalized(const Rect& rect) {
  return Rect::fromLtrb(std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                        std::max(rect.left, rect.right), std::max(rect.top, rect.bottom));
}

Rect boundsOf(std::span<const Point> points) {
  Rect bounds = Rect::fromLtrb(points.front().x, points.front().y, points.front().x, points.front().y);
  for (const Point& p : points) {
    bounds.left = std::min(bounds.left, p.x);
    bounds.top = std::min(bounds.top, p.y);
    bounds.right = std::max(bounds.right, p.x + 1);
    bounds.bottom = std::max(bounds.bottom, p.y + 1);
  }
  return bounds;
}

// The 8 x 8 hatch patterns, one byte per row, the leftmost pixel in the high bit.
using HatchRows = std::array<std::uint8_t, 8>;
HatchRows hatchRows(HatchStyle hatch) {
  switch (hatch) {
    case HatchStyle::Horizontal: return {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00};
    case HatchStyle::Vertical: return {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08};
    case HatchStyle::ForwardDiagonal: return {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
    case HatchStyle::BackwardDiagonal: return {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
    case HatchStyle::Cross: return {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08};
    case HatchStyle::DiagonalCross: return {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81};
  }
  return {};
}

// A hatch brush tiles from the device origin; the gaps between its lines take
// the background colour in opaque mode and stay untouched in transparent mode.
QBrush hatchBrush(HatchStyle hatch, Rgb color, BkMode mode, Rgb background) {
  QImage tile(8, 8, QImage::Format_ARGB32);
  tile.fill(mode == BkMode::Opaque ? toQColor(background) : QColor(Qt::transparent));
  const HatchRows rows = hatchRows(hatch);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if (rows[static_cast<std::size_t>(y)] & (0x80 >> x)) tile.setPixelColor(x, y, toQColor(color));
  return QBrush(tile);
}

QBrush toQBrush(const Brush& brush, BkMode mode, Rgb background) {
  switch (brush.style) {
    case BrushStyle::Solid: return QBrush(toQColor(brush.color));
    case BrushStyle::Hollow: return QBrush(Qt::NoBrush);
    case BrushStyle::Hatched: return hatchBrush(brush.hatch, brush.color, mode, background);
  }
  return QBrush(Qt::NoBrush);
}

// On/off run lengths of the styled one-pixel pens.
std::vector<int> dashRuns(PenStyle style) {
  switch (style) {
    case PenStyle::Dash: return {18, 6};
    case PenStyle::Dot: return {3, 3};
    case PenStyle::DashDot: return {9, 6, 3, 6};
    case PenStyle::DashDotDot: return {9, 3, 3, 3, 3, 3};
    case PenStyle::Solid:
    case PenStyle::Null: break;
  }
  return {};
}

// Wider pens are always solid, as on the classic devices.
bool isStyled(const Pen& pen) { return pen.width <= 1 && !dashRuns(pen.style).empty(); }

QPen toQPen(const Pen& pen) {
  if (pen.style == PenStyle::Null) return QPen(Qt::NoPen);
  QPen qpen(toQColor(pen.color));
  qpen.setWidth(std::max(1, pen.width));
  qpen.setCapStyle(Qt::FlatCap);
  qpen.setJoinStyle(Qt::MiterJoin);
  if (isStyled(pen)) {
    QList<qreal> pattern;
    for (int run : dashRuns(pen.style)) pattern.append(run);
    qpen.setDashPattern(pattern);
  }
  return qpen;
}

// The pixels of a one-pixel line and the gaps of its pen style, collected as
// rectangles (runs of neighbouring pixels merge into one).
class PixelRuns {
 public:
  void add(int x, int y) {
    if (!rects_.isEmpty()) {
      QRect& last = rects_.last();
      if (last.height() == 1 && y == last.top() && x == last.right() + 1) {
        last.setRight(x);
        return;
      }
      if (last.width() == 1 && x == last.left() && y == last.bottom() + 1) {
        last.setBottom(y);
        return;
      }
    }
    rects_.append(QRect(x, y, 1, 1));
  }
  [[nodiscard]] const QList<QRect>& rects() const { return rects_; }

 private:
  QList<QRect> rects_;
};

// Walks the pen pattern pixel by pixel; the phase carries on from one segment
// of a polyline to the next.
class PenPattern {
 public:
  explicit PenPattern(PenStyle style) : runs_(dashRuns(style)) {}
  // True when the next pixel is drawn (not a gap).
  bool next() {
    if (runs_.empty()) return true;
    const bool on = index_ % 2 == 0;
    if (++count_ >= runs_[index_]) {
      count_ = 0;
      index_ = (index_ + 1) % runs_.size();
    }
    return on;
  }

 private:
  std::vector<int> runs_;
  std::size_t index_ = 0;
  int count_ = 0;
};

// The pixels of the line from `from` to `to`, the end point left out.
template <class Plot>
void walkLine(Point from, Point to, Plot&& plot) {
  const int dx = std::abs(to.x - from.x);
  const int dy = -std::abs(to.y - from.y);
  const int stepX = from.x < to.x ? 1 : -1;
  const int stepY = from.y < to.y ? 1 : -1;
  int error = dx + dy;
  int x = from.x;
  int y = from.y;
  while (x != to.x || y != to.y) {
    plot(x, y);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += stepX;
    }
    if (twice <= dx) {
      error += dx;
      y += stepY;
    }
  }
}

bool isDoubleByteCharset(int charset) { return charset == 128 || charset == 129 || charset == 134 || charset == 136; }

// One line of formatted text and its width.
struct TextLine {
  QString text;
  int width = 0;
};

}  // namespace

namespace {

// Lays out the text of drawText: lines break at line feeds always and, with
// word breaks, between words that would pass the right edge. A word wider
// than the whole line is broken at the character that no longer fits, so no
// part of it is lost past the right edge. Laying out can stop after a number
// of lines: what lies below a clipping rectangle never shows. Paragraphs are
// converted one at a time as they are reached, so a long text costs what is
// laid out of it.
class TextLayout {
 public:
  TextLayout(const TextAdvances& advances, unsigned format)
      : advances_(advances), metrics_(advances.metrics()), format_(format) {}

  // A run without tabs measures the same with and without tab expansion;
  // one with tabs is measured piece by piece when tabs are expanded.
  [[nodiscard]] int width(QStringView line) const {
    if (!(format_ & dt::ExpandTabs)) return advances_.of(line);
    int position = 0;
    qsizetype start = 0;
    for (;;) {
      const qsizetype tab = line.indexOf(u'\t', start);
      position += advances_.of(line.mid(start, tab < 0 ? -1 : tab - start));
      if (tab < 0) return position;
      position = nextTabStop(position);
      start = tab + 1;
    }
  }

  [[nodiscard]] int nextTabStop(int position) const {
    const int stop = std::max(1, 8 * metrics_.averageCharWidth());
    return (position / stop + 1) * stop;
  }

  // The lines of `text` (UTF-8) at `maxWidth`, at most `maxLines` of them.
  [[nodiscard]] std::vector<TextLine> lines(std::string_view text, int maxWidth,
                                            std::size_t maxLines = std::numeric_limits<std::size_t>::max()) const {
    std::vector<TextLine> result;
    Paragraphs paragraphs(text);
    while (result.size() < maxLines) {
      const std::optional<std::string_view> next = paragraphs.next();
      if (!next) break;
      QString paragraph = toQString(*next);
      if (!(format_ & dt::ExpandTabs)) paragraph.replace(u'\t', u' ');
      if (format_ & dt::WordBreak)
        breakWords(paragraph, maxWidth, maxLines, result);
      else
        result.push_back({paragraph, width(paragraph)});
    }
    if (result.size() > maxLines) result.resize(maxLines);
    return result;
  }

 private:
  // The paragraphs of a text, split at CR LF, CR or LF; a break at the very
  // end opens no further paragraph, and an empty text has none.
  class Paragraphs {
   public:
    explicit Paragraphs(std::string_view text) : text_(text) {}
    [[nodiscard]] std::optional<std::string_view> next() {
      if (done_ || (start_ == text_.size() && (start_ == 0 || brokeAtEnd_))) return std::nullopt;
      const std::size_t end = text_.find_first_of("\r\n", start_);
      if (end == std::string_view::npos) {
        done_ = true;
        return text_.substr(start_);
      }
      const std::string_view paragraph = text_.substr(start_, end - start_);
      start_ = end + (text_.substr(end, 2) == "\r\n" ? 2 : 1);
      brokeAtEnd_ = start_ == text_.size();
      return paragraph;
    }

   private:
    std::string_view text_;
    std::size_t start_ = 0;
    bool brokeAtEnd_ = false;
    bool done_ = false;
  };

  // Whether a run fits one line. A run much longer than a line holds is
  // never measured whole: it does not fit.
  [[nodiscard]] bool fitsLine(QStringView run, int maxWidth) const {
    const int average = std::max(1, metrics_.averageCharWidth());
    const bool mayFit = run.size() <= 4 * static_cast<qsizetype>(std::max(0, maxWidth) / average) + 16;
    return mayFit && width(run) <= maxWidth;
  }

  // The line being filled is always a stretch of the paragraph, kept as where
  // it starts: a word of millions of characters is cut line by line without
  // copying or measuring the rest of it each time.
  void breakWords(const QString& paragraph, int maxWidth, std::size_t maxLines, std::vector<TextLine>& out) const {
    // Most paragraphs fit their line: every candidate line would be a start
    // of the paragraph, and none is wider than the whole.
    if (fitsLine(paragraph, maxWidth)) {
      if (out.size() < maxLines) out.push_back(trimmedLine(paragraph));
      return;
    }
    const QStringView text(paragraph);
    qsizetype lineStart = 0;  // the line so far is text[lineStart, position)
    qsizetype position = 0;
    while (position < text.size() && out.size() < maxLines) {
      qsizetype wordStart = position;
      while (wordStart < text.size() && text[wordStart] == u' ') ++wordStart;
      qsizetype wordEnd = wordStart;
      while (wordEnd < text.size() && text[wordEnd] != u' ') ++wordEnd;
      const bool hasWord = wordEnd > wordStart;
      if (hasWord && position > lineStart && !fitsLine(text.mid(lineStart, wordEnd - lineStart), maxWidth)) {
        out.push_back(trimmedLine(text.mid(lineStart, position - lineStart).toString()));
        lineStart = wordStart;
      }
      position = wordEnd;
      // A word that cannot fit a line of its own is cut where it passes the edge.
      while (out.size() < maxLines) {
        const QStringView line = text.mid(lineStart, position - lineStart);
        const qsizetype fits = fittingPrefix(line, maxWidth);
        if (fits >= line.size()) break;
        out.push_back({line.left(fits).toString(), width(line.left(fits))});
        lineStart += fits;
      }
    }
    if (out.size() < maxLines) out.push_back(trimmedLine(text.mid(lineStart, position - lineStart).toString()));
  }

  // The longest start of `line` (at least one character, never splitting a
  // surrogate pair) that fits `maxWidth`, the whole line when it fits;
  // leading blanks count as part of it. Probes grow by doubling before the
  // search between them, so a line costs about its own length to measure,
  // however much of the text follows it.
  [[nodiscard]] qsizetype fittingPrefix(QStringView line, int maxWidth) const {
    qsizetype low = 1;  // fits, or is taken anyway
    qsizetype high = 0;
    for (qsizetype probe = 16;; probe *= 2) {
      if (probe >= line.size()) {
        if (width(line) <= maxWidth) return line.size();
        high = line.size() - 1;
        break;
      }
      if (width(line.left(probe)) > maxWidth) {
        high = probe - 1;
        break;
      }
      low = probe;
    }
    while (low < high) {
      const qsizetype middle = (low + high + 1) / 2;
      if (width(line.left(middle)) <= maxWidth) {
        low = middle;
      } else {
        high = middle - 1;
      }
    }
    if (low < line.size() && line[low].isLowSurrogate()) low = low > 1 ? low - 1 : low + 1;
    return low;
  }

  [[nodiscard]] TextLine trimmedLine(QString line) const {
    while (line.size() > 1 && line.endsWith(u' ')) line.chop(1);
    return {line, width(line)};
  }

  const TextAdvances& advances_;
  const QFontMetrics& metrics_;
  unsigned format_;
};

// How far a glyph may reach past its advance (an italic's slant, a
// kerned last letter), in pixels.
constexpr int GlyphOverhang = 2;

// One line of text in its cell, as extTextOut paints it (an opaque
// background is filled before, on its own).
struct TextCell {
  QString text;
  QPoint baseline;
  bool clipped = false;
  QRect clip;
  QColor foreground;
  QFont font;
};

void drawTextCell(QPainter& painter, const TextCell& cell) {
  if (cell.clipped) painter.setClipRect(cell.clip, Qt::IntersectClip);
  painter.setFont(cell.font);
  painter.setPen(cell.foreground);
  painter.drawText(cell.baseline, cell.text);
}

// Formatted text laid out in its rectangle, as drawText paints it: each line
// in its cell, piece by piece between its tab stops.
struct PlacedText {
  struct Piece {
    QPoint baseline;
    QString text;
  };
  struct Line {
    QRect cell;
    std::vector<Piece> pieces;
  };
  std::vector<Line> lines;
  QRect clip;
  bool clipped = true;  // false when every line lies well inside the clip
  bool opaque = false;
  QColor background;
  QColor foreground;
  QFont font;
};

void drawPlacedText(QPainter& painter, const PlacedText& placed) {
  if (placed.clipped) painter.setClipRect(placed.clip, Qt::IntersectClip);
  painter.setFont(placed.font);
  painter.setPen(placed.foreground);
  for (const PlacedText::Line& line : placed.lines) {
    if (placed.opaque) painter.fillRect(line.cell, placed.background);
    for (const PlacedText::Piece& piece : line.pieces) painter.drawText(piece.baseline, piece.text);
  }
}

}  // namespace

bool isDarkPixel(unsigned int argb) { return Rgb::fromRgb(qRed(argb), qGreen(argb), qBlue(argb)).brightness() < 128; }

QImage monochromeOf(const QImage& image) {
  const QImage colour = image.convertToFormat(QImage::Format_RGB32);
  QImage mono(colour.width(), colour.height(), QImage::Format_Mono);
  mono.setColorTable({0xFFFFFFFF, 0xFF000000});  // a set bit is black
  mono.fill(0);
  for (int y = 0; y < colour.height(); ++y) {
    const auto* source = reinterpret_cast<const QRgb*>(colour.constScanLine(y));
    uchar* row = mono.scanLine(y);
    for (int x = 0; x < colour.width(); ++x)
      if (isDarkPixel(source[x])) row[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
  }
  return mono;
}

template <class Interface>
PainterDc<Interface>::PainterDc(Size size, double dotsPerInchX, double dotsPerInchY)
    : size_(size),
      dotsPerInchX_(dotsPerInchX),
      dotsPerInchY_(dotsPerInchY),
      qfont_(toQFont(font_, dotsPerInchY)),
      advances_(qfont_) {}

template <class Interface>
void PainterDc<Interface>::preparePainter(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

template <class Interface>
void PainterDc<Interface>::setFont(const Font& font) {
  if (font == font_) return;
  font_ = font;
  qfont_ = toQFont(font_, dotsPerInchY_);
  advances_ = TextAdvances(qfont_);
  measured_.width = -1;
}

template <class Interface>
auto PainterDc<Interface>::measure(std::string_view text) const -> const MeasuredText& {
  if (measured_.width < 0 || measured_.utf8 != text) {
    measured_.utf8.assign(text);
    measured_.text = toQString(text);
    measured_.width = advances_.of(measured_.text);
  }
  return measured_;
}

template <class Interface>
void PainterDc<Interface>::fillSolid(const Rect& rect, Rgb color) {
  if (rect.isEmpty()) return;
  const QRect area = toQRect(rect);
  const QColor qcolor = toQColor(color);
  paint(rect, [area, qcolor](QPainter& painter) { painter.fillRect(area, qcolor); });
}

template <class Interface>
void PainterDc<Interface>::invert(const Rect& rect) {
  const QRect area = toQRect(rect);
  paint(rect, [area](QPainter& painter) {
    // A vector device (PDF, spooler) cannot read back what it drew: there is
    // nothing to invert, and a black box would be a wrong result.
    if (!painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) return;
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.fillRect(area, Qt::black);
  });
}

template <class Interface>
void PainterDc<Interface>::fillWithBrush(const Rect& rect, const Brush& brush) {
  if (rect.isEmpty()) return;
  switch (brush.style) {
    case BrushStyle::Hollow: return;
    case BrushStyle::Solid: fillSolid(rect, brush.color); return;
    case BrushStyle::Hatched: {
      const QRect area = toQRect(rect);
      const QBrush qbrush = toQBrush(brush, bkMode_, bkColor_);
      paint(rect, [area, qbrush](QPainter& painter) { painter.fillRect(area, qbrush); });
      return;
    }
  }
}

template <class Interface>
void PainterDc<Interface>::fillRect(const Rect& rect, const Brush& brush) {
  fillWithBrush(rect, brush);
}

template <class Interface>
void PainterDc<Interface>::frameRect(const Rect& rect, const Brush& brush) {
  if (rect.isEmpty()) return;
  fillWithBrush(Rect::fromLtrb(rect.left, rect.top, rect.right, rect.top + 1), brush);
  fillWithBrush(Rect::fromLtrb(rect.left, rect.bottom - 1, rect.right, rect.bottom), brush);
  fillWithBrush(Rect::fromLtrb(rect.left, rect.top + 1, rect.left + 1, rect.bottom - 1), brush);
  fillWithBrush(Rect::fromLtrb(rect.right - 1, rect.top + 1, rect.right, rect.bottom - 1), brush);
}

template <class Interface>
void PainterDc<Interface>::invertRect(const Rect& rect) {
  if (!rect.isEmpty()) invert(rect);
}

template <class Interface>
void PainterDc<Interface>::rectangle(const Rect& given) {
  const Rect rect = normalized(given);
  if (rect.isEmpty()) return;
  fillWithBrush(rect, brush_);
  if (pen_.style != PenStyle::Null) outlineRectangle(rect);
}

// A one-pixel outline runs along the rectangle's outermost pixels; a wider pen
// is centred on them, reaching (width - 1) / 2 pixels outside.
template <class Interface>
void PainterDc<Interface>::outlineRectangle(const Rect& rect) {
  if (isStyled(pen_)) {
    const int right = rect.right - 1;
    const int bottom = rect.bottom - 1;
    styledPolyline({{rect.left, rect.top}, {right, rect.top}, {right, bottom}, {rect.left, bottom}, {rect.left, rect.top}});
    if (rect.width() == 1 && rect.height() == 1) styledPolyline({{right, bottom}, {right, bottom + 1}});
    return;
  }
  const int width = std::max(1, pen_.width);
  const Rect outer = rect.inflated((width - 1) / 2);
  if (outer.width() <= 2 * width || outer.height() <= 2 * width) {
    fillSolid(outer, pen_.color);
    return;
  }
  fillSolid(Rect::fromLtrb(outer.left, outer.top, outer.right, outer.top + width), pen_.color);
  fillSolid(Rect::fromLtrb(outer.left, outer.bottom - width, outer.right, outer.bottom), pen_.color);
  fillSolid(Rect::fromLtrb(outer.left, outer.top + width, outer.left + width, outer.bottom - width), pen_.color);
  fillSolid(Rect::fromLtrb(outer.right - width, outer.top + width, outer.right, outer.bottom - width), pen_.color);
}

// One-pixel lines are walked pixel by pixel so that the end point is left out
// and the pen's pattern (with its gaps in the background colour when opaque)
// falls on exact pixels.
template <class Interface>
void PainterDc<Interface>::styledPolyline(std::initializer_list<Point> points) {
  PenPattern pattern(pen_.style);
  PixelRuns drawn;
  PixelRuns gaps;
  for (auto it = points.begin(); it + 1 != points.end(); ++it)
    walkLine(*it, *(it + 1), [&](int x, int y) { (pattern.next() ? drawn : gaps).add(x, y); });
  if (drawn.rects().isEmpty() && gaps.rects().isEmpty()) return;
  const QColor color = toQColor(pen_.color);
  const bool paintGaps = bkMode_ == BkMode::Opaque;
  const QColor gapColor = toQColor(bkColor_);
  paint(boundsOf(std::span<const Point>(points.begin(), points.size())),
        [drawnRects = drawn.rects(), gapRects = gaps.rects(), color, paintGaps, gapColor](QPainter& painter) {
          for (const QRect& r : drawnRects) painter.fillRect(r, color);
          if (paintGaps)
            for (const QRect& r : gapRects) painter.fillRect(r, gapColor);
        });
}

template <class Interface>
void PainterDc<Interface>::lineTo(Point to) {
  const Point from = position_;
  position_ = to;
  if (pen_.style == PenStyle::Null || from == to) return;
  if (pen_.width <= 1) {
    styledPolyline({from, to});
    return;
  }
  // Wide pens: a solid stroke with round ends, centred on the pixel centres.
  QPen qpen = toQPen(pen_);
  qpen.setCapStyle(Qt::RoundCap);
  const QPointF start(from.x + 0.5, from.y + 0.5);
  const QPointF end(to.x + 0.5, to.y + 0.5);
  const std::array<Point, 2> ends{from, to};
  paint(boundsOf(ends).inflated(pen_.width), [qpen, start, end](QPainter& painter) {
    painter.setPen(qpen);
    painter.drawLine(start, end);
  });
}

// Ellipses and rounded rectangles go through the painter: with an outline the
// figure is stroked along its outermost pixels; without one its inside fills
// the whole rectangle.
template <class Interface>
void PainterDc<Interface>::paintShape(const Rect& given, const std::function<void(QPainter&, const QRectF&)>& draw) {
  const Rect rect = normalized(given);
  if (rect.isEmpty()) return;
  const QPen qpen = toQPen(pen_);
  const QBrush qbrush = toQBrush(brush_, bkMode_, bkColor_);
  const bool outlined = pen_.style != PenStyle::Null;
  const int penWidth = std::max(1, pen_.width);
  const QRectF figure = outlined ? QRectF(rect.left + 0.5, rect.top + 0.5, rect.width() - 1, rect.height() - 1)
                                 : QRectF(rect.left, rect.top, rect.width(), rect.height());
  const bool opaque = bkMode_ == BkMode::Opaque;
  const QColor background = toQColor(bkColor_);
  paint(rect.inflated(penWidth), [=](QPainter& painter) {
    painter.setPen(qpen);
    painter.setBrush(qbrush);
    painter.setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
    painter.setBackground(background);
    draw(painter, figure);
  });
}

template <class Interface>
void PainterDc<Interface>::ellipse(const Rect& rect) {
  paintShape(rect, [](QPainter& painter, const QRectF& figure) { painter.drawEllipse(figure); });
}

template <class Interface>
void PainterDc<Interface>::roundRect(const Rect& rect, int cornerWidth, int cornerHeight) {
  const double radiusX = std::max(0, cornerWidth) / 2.0;
  const double radiusY = std::max(0, cornerHeight) / 2.0;
  paintShape(rect, [radiusX, radiusY](QPainter& painter, const QRectF& figure) {
    painter.drawRoundedRect(figure, radiusX, radiusY, Qt::AbsoluteSize);
  });
}

template <class Interface>
void PainterDc<Interface>::paintTextCell(Point origin, const QString& text, int width, const Rect* clip) {
  const Rect cell = Rect::fromXywh(origin.x, origin.y, width, metrics().height());
  // Italic overhang and underlines may reach a little past the cell.
  Rect bounds = cell.inflated(std::max(2, metrics().height() / 2));
  if (clip) bounds = bounds.intersected(*clip);
  if (bounds.isEmpty()) return;
  // The opaque background is a fill of its own, under the text: a device
  // that records its page can then leave out one that paints a cell's
  // background again in the same colour.
  if (bkMode_ == BkMode::Opaque) fillSolid(clip ? cell.intersected(*clip) : cell, bkColor_);
  TextCell textCell{text,
                    QPoint(origin.x, origin.y + metrics().ascent()),
                    clip != nullptr && !toQRect(*clip).adjusted(GlyphOverhang, 0, -GlyphOverhang, 0).contains(toQRect(cell)),
                    clip ? toQRect(*clip) : QRect(),
                    toQColor(textColor_),
                    qfont_};
  const bool clipped = textCell.clipped;
  paintText(bounds, clipped, [textCell = std::move(textCell)](QPainter& painter) { drawTextCell(painter, textCell); });
}

// Text with a clip of its own changes the painter's state; text without one
// only sets its pen and font.
template <class Interface>
void PainterDc<Interface>::paintText(const Rect& bounds, bool clipped, const PaintOperation& operation) {
  if (clipped) {
    paint(bounds, operation);
  } else {
    paintSelfContained(bounds, operation);
  }
}

template <class Interface>
void PainterDc<Interface>::extTextOut(Point origin, unsigned options, const Rect& rect, std::string_view text) {
  if (options & eto::Opaque) fillSolid(rect, bkColor_);
  if (text.empty()) return;
  const MeasuredText& measured = measure(text);
  paintTextCell(origin, measured.text, measured.width, (options & eto::Clipped) ? &rect : nullptr);
}

template <class Interface>
int PainterDc<Interface>::lineHeight(unsigned format) const {
  const int leading = (format & dt::ExternalLeading) ? std::max(0, metrics().leading()) : 0;
  return metrics().height() + leading;
}

template <class Interface>
int PainterDc<Interface>::drawText(std::string_view text, Rect& rect, unsigned format) {
  const TextLayout layout(advances_, format);
  const int height = lineHeight(format);
  // Measuring needs every line; drawing only those that reach into the part
  // of the rectangle on the device (lines above it still place the rest).
  std::size_t visibleLines = std::numeric_limits<std::size_t>::max();
  if (!(format & dt::CalcRect)) {
    const int visibleBottom = std::min(rect.bottom, deviceRect().bottom);
    const int visibleHeight = std::max(0, visibleBottom - rect.top);
    visibleLines = static_cast<std::size_t>((visibleHeight + std::max(1, height) - 1) / std::max(1, height));
  }
  const std::vector<TextLine> lines = layout.lines(text, rect.width(), visibleLines);
  const int total = static_cast<int>(lines.size()) * height;
  if (format & dt::CalcRect) {
    int widest = 0;
    for (const TextLine& line : lines) widest = std::max(widest, line.width);
    if (!(format & dt::WordBreak) || widest > rect.width()) rect.right = rect.left + widest;
    rect.bottom = rect.top + total;
    return total;
  }
  if (lines.empty() || rect.isEmpty()) return total;

  PlacedText placed{{}, toQRect(rect), true, bkMode_ == BkMode::Opaque, toQColor(bkColor_), toQColor(textColor_), qfont_};
  int y = rect.top;
  for (const TextLine& line : lines) {
    int x = rect.left;
    if (format & dt::Right)
      x = rect.right - line.width;
    else if (format & dt::Center)
      x = rect.left + (rect.width() - line.width) / 2;
    PlacedText::Line out{QRect(x, y, line.width, height), {}};
    const QStringList pieces = line.text.split(u'\t');
    int position = 0;
    // Only a piece followed by a tab places another: a line without tabs
    // is not measured again.
    for (qsizetype i = 0; i < pieces.size(); ++i) {
      out.pieces.push_back({QPoint(x + position, y + metrics().ascent()), pieces[i]});
      if (i + 1 < pieces.size()) position = layout.nextTabStop(position + layout.width(pieces[i]));
    }
    placed.lines.push_back(std::move(out));
    y += height;
  }
  // Text that lies inside its rectangle with room for a glyph's overhang
  // needs no clip: a page of table cells then sets up none (each clip costs
  // a PDF document a path of its own).
  const QRect inner = placed.clip.adjusted(GlyphOverhang, 0, -GlyphOverhang, 0);
  placed.clipped = !std::all_of(placed.lines.begin(), placed.lines.end(),
                                [&](const PlacedText::Line& line) { return inner.contains(line.cell); });
  const bool clipped = placed.clipped;
  paintText(rect, clipped, [placed = std::move(placed)](QPainter& painter) { drawPlacedText(painter, placed); });
  return total;
}

template <class Interface>
Size PainterDc<Interface>::textExtent(std::string_view text) const {
  return {measure(text).width, metrics().height()};
}

template <class Interface>
std::uint32_t PainterDc<Interface>::fontLanguageInfo() const {
  return isDoubleByteCharset(font_.charset()) ? 1u : 0u;
}

template <class Interface>
void PainterDc<Interface>::stretchPicture(const Rect& dest, const Picture& source, const Rect& sourceRect) {
  QImage image = imageOf(source);
  if (image.isNull() || dest.isEmpty() || sourceRect.isEmpty()) return;
  // The source rectangle is in host pixels; a picture of more stored pixels
  // than that gives every one of them to the copy (a sharper print), one of
  // fewer stretches them over the host pixels they stand for.
  image.setDevicePixelRatio(1);
  const QRectF from = storedRect(source, sourceRect);
  paint(dest, [image, target = QRectF(toQRect(dest)), from](QPainter& painter) {
    painter.drawImage(target, image, from);
  });
}

template class PainterDc<Dc>;
template class PainterDc<RasterDc>;

bool paintWithPainter(Dc& dc, const Rect& bounds, const std::function<void(QPainter&)>& operation) {
  if (auto* raster = dynamic_cast<PainterDc<RasterDc>*>(&dc)) {
    raster->paintOperation(bounds, operation);
    return true;
  }
  if (auto* page = dynamic_cast<PainterDc<Dc>*>(&dc)) {
    page->paintOperation(bounds, operation);
    return true;
  }
  return false;
}

}  // namespace host
