#include "host/printers/PageRecording.h"

#include <QImage>
#include <QPainter>
#include <QPaintDevice>
#include <QTransform>
#include <algorithm>
#include <array>
#include <map>
#include <tuple>
#include <cmath>

namespace host {

PageRecording::PageRecording(Size size, double dotsPerInch) : PainterDc<Dc>(size, dotsPerInch, dotsPerInch) {}

namespace {

QRect toQRect(const Rect& rect) { return QRect(rect.left, rect.top, rect.width(), rect.height()); }

}  // namespace

void PageRecording::paint(const Rect& bounds, const PaintOperation& operation) {
  const Rect reach = bounds.intersected(deviceRect());
  if (reach.isEmpty()) return;
  operations_.push_back({Kind::Isolated, operation, toQRect(reach), {}});
}

void PageRecording::paintSelfContained(const Rect& bounds, const PaintOperation& operation) {
  const Rect reach = bounds.intersected(deviceRect());
  if (reach.isEmpty()) return;
  operations_.push_back({Kind::SelfContained, operation, toQRect(reach), {}});
}

void PageRecording::recordFill(const Rect& rect, Rgb color) {
  if (rect.isEmpty() || rect.intersected(deviceRect()).isEmpty()) return;
  operations_.push_back({Kind::Fill, {}, toQRect(rect), QColor(color.red, color.green, color.blue)});
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

using Operation = PageRecording::Operation;

// How far the tidying looks: a fill is tried against this many later fills
// around its rows, and a rule is joined across at most this many steps, so
// that a page of any drawing is tidied in time linear in its steps.
constexpr std::size_t MostCoversTried = 64;
constexpr std::size_t MostStepsJoinedAcross = 64;
constexpr std::size_t MostRepaintsLookedBack = 16;
// Rows of the page are looked up in bands of this many pixels.
constexpr int BandPixels = 64;

bool isFill(const Operation& operation) { return operation.kind == PageRecording::Kind::Fill; }

// The later fills that reach into each band of rows, nearest first: a fill
// is dropped when one of them covers it whole.
class LaterFills {
 public:
  explicit LaterFills(int pageHeight) : bands_(static_cast<std::size_t>(pageHeight / BandPixels + 1)) {}

  [[nodiscard]] bool cover(const QRect& area, const std::vector<Operation>& operations) const {
    const std::vector<std::size_t>& band = bands_[bandOf(area.top())];
    const std::size_t tried = std::min(band.size(), MostCoversTried);
    for (std::size_t i = 0; i < tried; ++i)
      if (operations[band[band.size() - 1 - i]].area.contains(area)) return true;
    return false;
  }
  void add(std::size_t index, const QRect& area) {
    for (std::size_t band = bandOf(area.top()); band <= bandOf(area.bottom()); ++band) bands_[band].push_back(index);
  }

 private:
  [[nodiscard]] std::size_t bandOf(int y) const {
    return std::min(static_cast<std::size_t>(std::max(y, 0) / BandPixels), bands_.size() - 1);
  }
  std::vector<std::vector<std::size_t>> bands_;
};

// Marks the fills that a later fill covers whole: nothing of them shows.
void markHiddenFills(const std::vector<Operation>& operations, int pageHeight, std::vector<bool>& dropped) {
  LaterFills later(pageHeight);
  for (std::size_t i = operations.size(); i-- > 0;) {
    const Operation& operation = operations[i];
    if (!isFill(operation)) continue;
    if (later.cover(operation.area, operations)) {
      dropped[i] = true;
    } else if (operation.area.width() > 1 && operation.area.height() > 1) {
      later.add(i, operation.area);  // a rule covers little but rules
    }
  }
}

// Marks the fills that paint pixels again in the colour an earlier fill gave
// them, nothing in between having touched them: an opaque text's background
// over its cell's.
void markRepaints(const std::vector<Operation>& operations, std::vector<bool>& dropped) {
  for (std::size_t i = 0; i < operations.size(); ++i) {
    const Operation& fill = operations[i];
    if (!isFill(fill) || dropped[i]) continue;
    std::size_t looked = 0;
    for (std::size_t j = i; j-- > 0 && looked < MostRepaintsLookedBack;) {
      if (dropped[j]) continue;
      ++looked;
      const Operation& earlier = operations[j];
      if (!earlier.area.intersects(fill.area)) continue;
      dropped[i] = isFill(earlier) && earlier.color == fill.color && earlier.area.contains(fill.area);
      break;
    }
  }
}

// The parts of `moved` outside `kept`, when both span the same rows.
std::array<QRect, 2> partsOutside(const QRect& moved, const QRect& kept) {
  return {QRect(QPoint(moved.left(), moved.top()), QPoint(std::min(moved.right(), kept.left() - 1), moved.bottom())),
          QRect(QPoint(std::max(moved.left(), kept.right() + 1), moved.top()), QPoint(moved.right(), moved.bottom()))};
}

// Whether the fill `from` may be drawn later, at `to`, as one with that
// fill: no step in between, left in the drawing, reaches a pixel of it
// that the fill at `to` does not paint again.
bool mayJoin(const std::vector<Operation>& operations, const std::vector<bool>& dropped, std::size_t from,
             std::size_t to) {
  if (to - from > MostStepsJoinedAcross) return false;
  const std::array<QRect, 2> moving = partsOutside(operations[from].area, operations[to].area);
  for (std::size_t i = from + 1; i < to; ++i) {
    if (dropped[i]) continue;
    for (const QRect& part : moving)
      if (part.isValid() && operations[i].area.intersects(part)) return false;
  }
  return true;
}

// Joins fills of one colour on the same rows that touch or overlap, each
// into the later one.
void joinRules(std::vector<Operation>& operations, std::vector<bool>& dropped) {
  struct RowKey {
    int top, bottom;
    QRgb color;
    bool operator<(const RowKey& other) const {
      return std::tie(top, bottom, color) < std::tie(other.top, other.bottom, other.color);
    }
  };
  std::map<RowKey, std::size_t> lastOnRows;
  for (std::size_t i = 0; i < operations.size(); ++i) {
    Operation& fill = operations[i];
    if (!isFill(fill) || dropped[i]) continue;
    const RowKey key{fill.area.top(), fill.area.bottom(), fill.color.rgb()};
    const auto [last, added] = lastOnRows.try_emplace(key, i);
    if (added) continue;
    const std::size_t earlier = last->second;
    last->second = i;
    const QRect& before = operations[earlier].area;
    const bool touching = before.left() <= fill.area.right() + 1 && fill.area.left() <= before.right() + 1;
    if (!touching || !mayJoin(operations, dropped, earlier, i)) continue;
    fill.area = fill.area.united(before);
    dropped[earlier] = true;
  }
}

}  // namespace

void PageRecording::tidy() {
  std::vector<bool> dropped(operations_.size(), false);
  markHiddenFills(operations_, size().height, dropped);
  markRepaints(operations_, dropped);
  joinRules(operations_, dropped);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < operations_.size(); ++i)
    if (!dropped[i]) operations_[kept++] = std::move(operations_[i]);
  operations_.resize(kept);
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
