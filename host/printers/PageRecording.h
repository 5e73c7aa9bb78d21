#pragma once
// Host-side only: the page of a printer document. Drawing is recorded and
// replayed onto the printer when the page ends, so that what a later opaque
// fill over the whole sheet covers never reaches the device: a page that is
// laid out and then wiped white leaves nothing behind (no hidden text in a
// PDF), exactly as on a raster page.
#include <QColor>
#include <QImage>
#include <QRect>
#include <utility>
#include <vector>

#include "host/PainterDc.h"

class QPainter;

namespace host {

class PageRecording final : public PainterDc<Dc> {
 public:
  PageRecording(Size size, double dotsPerInch);

  // One step of the page's drawing: a painting that may change anything of
  // the painter and runs in a painter state of its own; one that sets only
  // its pen and font (unclipped text); or a plain fill of one colour. Runs of
  // the last two share one painter state, and fills change the brush only
  // where the colour changes: each state a PDF document sets up costs it
  // time and bytes, and a long table fills, frames and writes every cell.
  enum class Kind { Isolated, SelfContained, Fill };
  struct Operation {
    Kind kind = Kind::Isolated;
    PaintOperation paint;  // empty for a fill
    QRect area;            // a fill's pixels; the pixels a painting may reach
    QColor color;
  };

  // Paints the page's drawing, in order, onto a device of the page's size.
  // With `hairline` pixels, a plain fill that the painter's scale makes
  // thinner than that covers that many whole pixels of the device instead
  // (a page shown smaller than it prints keeps its rules).
  void replay(QPainter& painter) const { replay(painter, operations_); }
  static void replay(QPainter& painter, const std::vector<Operation>& operations, int hairline = 0);
  [[nodiscard]] const std::vector<Operation>& operations() const { return operations_; }
  // Hands the page's drawing over and leaves the page empty.
  [[nodiscard]] std::vector<Operation> takeOperations() { return std::exchange(operations_, {}); }
  // The page drawn into a white image of the page's size.
  [[nodiscard]] QImage render(QImage::Format format) const;
  // Leaves out of the finished page's drawing what cannot show and joins
  // rules that neighbouring cells share, so that a table page sets up far
  // fewer fills on the device; the page's pixels stay exactly as they were.
  // A fill that a later fill covers whole is dropped (the right and bottom
  // edges of a cell frame, under the next cell), and so is one that paints
  // pixels again in the colour an earlier fill gave them (an opaque text's
  // background over its cell's). A fill that a later one of
  // the same colour continues along the same rows is drawn as one with it,
  // when nothing drawn in between reaches the part that moves (a row's top
  // edges become one rule).
  void tidy();
  // Forgets the drawing for the next page; attributes (font, colours, pen,
  // brush) stay as they are, as they do on a printer between pages.
  void clear() { operations_.clear(); }
  [[nodiscard]] std::size_t operationCount() const { return operations_.size(); }

 protected:
  void paint(const Rect& bounds, const PaintOperation& operation) override;
  void paintSelfContained(const Rect& bounds, const PaintOperation& operation) override;
  // A solid fill that covers the whole page hides everything drawn before
  // it: the earlier drawing is dropped.
  void fillSolid(const Rect& rect, Rgb color) override;
  // A frame of a solid brush is recorded as one plain fill of its four
  // edges (the same pixels): a long table frames every cell.
  void frameRect(const Rect& rect, const Brush& brush) override;

 private:
  void recordFill(const Rect& rect, Rgb color);
  std::vector<Operation> operations_;
};

// A finished page of a printer document, kept as its drawing.
class PrintedPage {
 public:
  PrintedPage(Size size, std::vector<PageRecording::Operation> operations)
      : size_(size), operations_(std::move(operations)) {}
  [[nodiscard]] Size size() const { return size_; }
  // Draws the page for a screen: its printer pixels scaled by `scale` within
  // the painter's own transform (a pure scale). Shown smaller than it prints,
  // the page is drawn finer and smoothed down, so that its text reads as on
  // paper, and its rules stay a pixel wide at least.
  void drawOnScreen(QPainter& painter, double scale) const;

 private:
  Size size_;
  std::vector<PageRecording::Operation> operations_;
};

}  // namespace host
