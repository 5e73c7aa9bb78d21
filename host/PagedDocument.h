#pragma once
// Host-side only: a rich-text document laid out by Qt's rich-text engine and
// drawn stretch by stretch, the format-range operation (host/FormatRange.h)
// of every host rich-text control (the emulated RichTextBox and the live
// rich-text editors share it).
//
// The document is laid out once for a width on a 96-dpi device and drawn at
// any resolution by scaling the painter; pages continue from the layout kept.
// Character indexes count UTF-16 code units; paragraph breaks count one each
// (and so do the marks that open and close a table).
//
// A stretch is a band of the laid-out document, from where the last one
// stopped down to a cut no line crosses: the lines of every table cell beside
// each other are cut at one height, a table row that does not fit goes to the
// next stretch whole unless it fills a whole page, and a block (or table) that
// asks for a page break before it starts a stretch. A line or picture taller
// than a whole page is cut at the page's bottom and the stretch after it goes
// on below it. The index a stretch returns is the first character of the
// first line below its cut; given that index again, the next stretch starts
// at the cut itself, so nothing beside it in another table column is drawn
// twice or lost.
//
// A document is always held by a shared pointer: a page drawn from it may be
// painted after the control has moved on (a raster page keeps its drawing
// until its pixels are wanted), and the drawing keeps the document it was
// measured with.
#include <QFont>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "host/FormatRange.h"

class QPainter;

namespace host {

class PagedDocument final : public std::enable_shared_from_this<PagedDocument> {
 public:
  // The resolution the document is laid out for: a default font is sized for it.
  static constexpr double LayoutDpi = 96;

  // An empty document.
  [[nodiscard]] static std::shared_ptr<PagedDocument> create();
  // A document over `text` (a clone of a live editor's document): its
  // content and formats as they are, without the editor's margin.
  [[nodiscard]] static std::shared_ptr<PagedDocument> adopt(std::unique_ptr<QTextDocument> text);
  ~PagedDocument();
  PagedDocument(const PagedDocument&) = delete;
  PagedDocument& operator=(const PagedDocument&) = delete;

  [[nodiscard]] QTextDocument& text() { return *text_; }
  [[nodiscard]] const QTextDocument& text() const { return *text_; }
  // Number of characters of its plain text.
  [[nodiscard]] std::int32_t length() const;

  // Lays the range out into request.drawTwips with `defaultFont` for text
  // without a font of its own (sized for 96 dpi), draws the whole lines that
  // fit when asked, and returns the first character that did not fit.
  std::int32_t formatRange(const FormatRange& request, const QFont& defaultFont);
  // The layout kept between calls is laid out afresh on the next call.
  void release() { stale_ = true; }

 private:
  // One laid-out line, in 96-dpi pixels from the document's top.
  struct Line {
    double top = 0, bottom = 0;
    std::int32_t start = 0, end = 0;  // its characters
    bool inTable = false;
    double layoutTop = 0;  // where Qt put it: above `top` when it starts inside the table before it
  };
  // Rows of a table no cell spans beyond: `cut` is the height between them
  // and the rows above, `bottom` the cut below them.
  struct Rows {
    double cut = 0, firstTop = 0, bottom = 0;
  };
  struct Stretch {
    double top = 0;         // where the stretch starts
    double bottom = 0;      // where its drawing is cut
    double resume = 0;      // where the next stretch starts
    std::int32_t next = 0;  // first character not drawn
  };

  explicit PagedDocument(std::unique_ptr<QTextDocument> text);
  // Lays the whole document out for a width (96-dpi pixels) and default
  // font, unless it is laid out so already.
  void layOut(double width, const QFont& defaultFont);
  // The lines, table rows and page breaks of the layout, once per layout.
  void index();
  void indexTables(const QTextFrame& frame);
  [[nodiscard]] double startOf(std::int32_t first) const;
  [[nodiscard]] std::size_t firstLineOf(const QTextBlock& block) const;
  [[nodiscard]] std::vector<QTextBlock> blocksAcross(double top, double bottom) const;
  void drawBand(QPainter& painter, double top, double bottom, double width, QPointF at, QPointF scale);
  // The rows whose cut lies in [low, high).
  [[nodiscard]] std::pair<std::vector<Rows>::const_iterator, std::vector<Rows>::const_iterator> rowsBetween(
      double low, double high) const;
  [[nodiscard]] Stretch measure(std::int32_t first, std::int32_t last, double available, bool wholePage,
                                double wholePageHeight) const;

  QImage device_{1, 1, QImage::Format_RGB32};  // outlives the document that measures with it
  std::unique_ptr<QTextDocument> text_;
  bool stale_ = false;
  bool indexed_ = false;
  std::vector<Line> lines_;                 // in the order of their characters
  double loweredMost_ = 0;                  // the most a line's top lies below where Qt put it
  std::vector<double> reachUpTo_;           // the lowest bottom of lines_[0..i]
  std::vector<double> highestFrom_;         // the highest top of lines_[i..]
  std::vector<Rows> rows_;                  // by cut
  double tallestRows_ = 0;                  // the greatest height of rows_
  std::vector<double> breaks_;              // heights a page break comes at, ascending
  std::map<std::int32_t, double> resumes_;  // where a stretch starting at an index returned starts
};

}  // namespace host
