#pragma once
// Host-side only: a rich-text document laid out by Qt's rich-text engine and
// drawn stretch by stretch, the format-range operation (host/FormatRange.h)
// of every host rich-text control (the emulated RichTextBox and the live
// rich-text editors share it).
//
// The document is laid out once for a width on a 96-dpi device and drawn at
// any resolution by scaling the painter; pages continue from the layout kept.
// Character indexes count UTF-16 code units; paragraph breaks count one each.
//
// A document is always held by a shared pointer: a page drawn from it may be
// painted after the control has moved on (a raster page keeps its drawing
// until its pixels are wanted), and the drawing keeps the document it was
// measured with.
#include <QFont>
#include <QImage>
#include <QTextDocument>
#include <cstdint>
#include <memory>

#include "host/FormatRange.h"

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
  explicit PagedDocument(std::unique_ptr<QTextDocument> text);
  // Lays the whole document out for a width (96-dpi pixels) and default
  // font, unless it is laid out so already.
  void layOut(double width, const QFont& defaultFont);

  QImage device_{1, 1, QImage::Format_RGB32};  // outlives the document that measures with it
  std::unique_ptr<QTextDocument> text_;
  bool stale_ = false;
};

}  // namespace host
