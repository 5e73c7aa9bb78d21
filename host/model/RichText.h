#pragma once
// The rich-text box (type name "RichTextBox"): a document laid out by Qt's
// rich-text engine, reached by name as Text (plain text), TextRTF (the
// document as RTF), FileName (loads a .rtf, .html, .md or .txt file), hWnd,
// BackColor, Font, and by the format-range operation (host/FormatRange.h)
// that prints it page by page. Character indexes count UTF-16 code units, as
// the host language's Len does; paragraph breaks count one each.
//
// Form files give the document as "TextRTF" (RTF text), "Html" or "FileName"
// (relative to the form file); saved, a document read from a file that has
// not changed keeps its "FileName", any other is written as "TextRTF".
#include <filesystem>
#include <memory>
#include <string>

#include "host/FormatRange.h"
#include "host/model/Control.h"

namespace host {

class PagedDocument;

class RichTextBox final : public Control, public FormatRangeControl {
 public:
  RichTextBox();
  ~RichTextBox() override;
  [[nodiscard]] std::string typeName() const override { return "RichTextBox"; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  Value call(std::string_view name, Args args = {}) override;
  using Object::call;
  using Object::get;
  using Object::set;
  [[nodiscard]] const FormDataCodec* formData() const override;

  // The document's content from RTF, HTML, Markdown or plain text.
  void setRtf(const std::string& rtf);
  void setHtml(const std::string& html);
  void setPlainText(const std::string& text);
  // Loads a file by its extension (.rtf, .html/.htm, .md, anything else as
  // plain text); raises 53 when it cannot be read.
  void loadFile(const std::filesystem::path& file);
  [[nodiscard]] std::string plainText() const;
  [[nodiscard]] std::string rtf() const;
  // The file the document came from, while the document is as it was read.
  [[nodiscard]] std::filesystem::path unchangedSource() const;
  // The document as it stands (for its layout).
  [[nodiscard]] const PagedDocument& document() const { return *document_; }
  // Number of characters of Text (UTF-16 code units).
  [[nodiscard]] std::int32_t textLength() const;

  std::int32_t formatRange(const FormatRange& request) override;
  void releaseFormatRange() override;

 private:
  // A document changed after a page was drawn from it gets a fresh one: a
  // printed page still to be delivered keeps the text it showed.
  PagedDocument& freshDocument();
  std::shared_ptr<PagedDocument> document_;
  std::uint64_t revision_ = 0;
  std::filesystem::path source_;
  std::uint64_t sourceRevision_ = 0;
};

}  // namespace host
