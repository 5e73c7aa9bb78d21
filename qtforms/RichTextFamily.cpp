// Rich text editors (QTextEdit, QTextBrowser) holding formatted text as
// rich-text boxes: the editor's own document, laid out at the page's width
// and drawn stretch by stretch by the host's paged document, as the emulated
// rich-text box is drawn. A job lays out a clone of the document, never the
// editor's own: the editor's layout, cursor and scroll position stay as the
// user left them.
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>

#include "host/FormatRange.h"
#include "host/PagedDocument.h"
#include "host/model/Rtf.h"
#include "qtforms/Families.h"
#include "qtforms/LiveForm.h"
#include "qtforms/WidgetControl.h"

using host::Args;
using host::Value;

namespace qtforms {

namespace {

// True when the document holds more than its plain text: Qt writes it as
// other HTML than the same text set as plain text (fonts, colours, paragraph
// spacing, lists, tables, pictures).
bool holdsRichText(const QTextDocument& document) {
  if (!document.rootFrame()->childFrames().isEmpty()) return true;  // tables and frames
  QTextDocument plain;
  plain.setDefaultFont(document.defaultFont());
  plain.setDocumentMargin(document.documentMargin());
  plain.setPlainText(document.toPlainText());
  return document.toHtml() != plain.toHtml();
}

class RichTextControl final : public WidgetControl, public host::FormatRangeControl {
 public:
  RichTextControl(LiveForm& form, QTextEdit& editor) : WidgetControl(form, editor, "RichTextBox", host::Kind::Other) {
    property("Text", [this](Args) { return Value(document().toPlainText().toStdString()); });
    property("TextRTF", [this](Args) { return Value(host::writeRtf(document())); });
    property("MultiLine", [](Args) { return Value(true); });
    property("Locked", [this](Args) { return Value(as<QTextEdit>().isReadOnly()); });
    property("BorderStyle", [this](Args) {
      return Value(std::int16_t(as<QTextEdit>().frameShape() == QFrame::NoFrame ? 0 : 1));
    });
    property("ScrollBars", [this](Args) {
      return Value(std::int16_t(as<QTextEdit>().lineWrapMode() == QTextEdit::NoWrap ? 3 : 2));
    });
    property("RightMargin", [](Args) { return Value(0.0f); });
    // The page behind the text is the editor's base colour, as the user sees it.
    colorsFrom(QPalette::Base, QPalette::Text);
  }

  // The first stretch of a job clones the editor's document; the job's
  // later stretches continue over that clone, so the character indexes they
  // are given stay those of the text the job began with.
  std::int32_t formatRange(const host::FormatRange& request) override {
    if (!paged_) {
      paged_ = host::PagedDocument::adopt(std::unique_ptr<QTextDocument>(document().clone()));
      defaultFont_ = paged_->text().defaultFont();
    }
    return paged_->formatRange(request, defaultFont_);
  }

  // The next job takes the document as it is then.
  void releaseFormatRange() override { paged_.reset(); }

 private:
  [[nodiscard]] const QTextDocument& document() const { return *as<QTextEdit>().document(); }

  std::shared_ptr<host::PagedDocument> paged_;
  QFont defaultFont_;  // the editor's font, as its document has it
};

}  // namespace

std::shared_ptr<WidgetControl> adaptRichText(LiveForm& form, QWidget& widget) {
  auto* editor = qobject_cast<QTextEdit*>(&widget);  // a QTextBrowser is one too
  if (editor == nullptr || !holdsRichText(*editor->document())) return nullptr;
  return std::make_shared<RichTextControl>(form, *editor);
}

}  // namespace qtforms
