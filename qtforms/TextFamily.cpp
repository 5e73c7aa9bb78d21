// Labels, line edits, spin boxes and date edits, plain text editors and
// combo boxes: the text family, each answering what the text box and label
// renderer reads from the live widget.
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QMovie>
#include <QPicture>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <optional>

#include "host/HostError.h"
#include "host/model/EditLayout.h"
#include "host/model/Messages.h"
#include "qtforms/Families.h"
#include "qtforms/LiveForm.h"
#include "qtforms/WidgetControl.h"

using host::Args;
using host::Value;

namespace qtforms {

namespace {

std::int32_t codePointCount(QStringView text) {
  std::int32_t count = 0;
  for (qsizetype i = 0; i < text.size(); ++i, ++count) {
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
  }
  return count;
}

// A one-line box answers the line messages as an edit control of one line does.
Value oneLineMessage(int message, const std::string& text) {
  switch (message) {
    case host::msg::EM_GETLINECOUNT:
      return Value(std::int32_t{1});
    case host::msg::EM_LINELENGTH:
      return Value(codePointCount(QString::fromStdString(text)));
    default:
      return Value(std::int32_t{0});
  }
}

class LabelControl final : public WidgetControl {
 public:
  LabelControl(LiveForm& form, QLabel& label) : WidgetControl(form, label, "Label", host::Kind::Label) {
    property("Caption", [this](Args) {
      const QLabel& label = as<QLabel>();
      if (label.textFormat() != Qt::PlainText && Qt::mightBeRichText(label.text()))
        return Value(plainTextOf(label.text(), Qt::RichText));
      return Value(label.buddy() != nullptr ? withoutMnemonic(label.text()) : label.text().toStdString());
    });
    property("Alignment", [this](Args) { return Value(hostAlignment(as<QLabel>().alignment())); });
    property("WordWrap", [this](Args) { return Value(as<QLabel>().wordWrap()); });
    property("BorderStyle",
             [this](Args) { return Value(std::int16_t(as<QLabel>().frameShape() == QFrame::NoFrame ? 0 : 1)); });
    // A label that fills its background is opaque (1); otherwise the form shows through (0).
    property("BackStyle", [this](Args) { return Value(std::int16_t(as<QLabel>().autoFillBackground() ? 1 : 0)); });
    // A label that does not wrap shows its caption on one line whatever its
    // width, as an auto-sized label does: on paper it widens to the device's font.
    property("AutoSize", [this](Args) { return Value(!as<QLabel>().wordWrap()); });
    property("UseMnemonic", [this](Args) { return Value(as<QLabel>().buddy() != nullptr); });
  }
};

// A one-line field: line edits (masked when they echo a password), spin
// boxes and date and time edits, shown text and all.
template <class Field>
class FieldControl final : public WidgetControl {
 public:
  FieldControl(LiveForm& form, Field& field, QString (Field::*shownText)() const)
      : WidgetControl(form, field, "TextBox", host::Kind::TextBox), shownText_(shownText) {
    property("Text", [this](Args) { return Value(text()); });
    property("Alignment", [this](Args) { return Value(hostAlignment(as<Field>().alignment())); });
    property("BorderStyle", [this](Args) { return Value(std::int16_t(as<Field>().hasFrame() ? 1 : 0)); });
    property("MultiLine", [](Args) { return Value(false); });
    property("ScrollBars", [](Args) { return Value(std::int16_t{0}); });
    // What a user types into shows the palette's base and text colours.
    colorsFrom(QPalette::Base, QPalette::Text);
    method("SendMessage", [this](Args args) {
      if (args.empty()) host::raise(host::err::InvalidProcedureCall, "Wrong number of arguments: SendMessage");
      return oneLineMessage(args[0].toLong(), text());
    });
  }

 private:
  [[nodiscard]] std::string text() const { return (as<Field>().*shownText_)().toStdString(); }
  QString (Field::*shownText_)() const;
};

// What a multi-line editor shows, line by line, as its own layout breaks it.
struct EditorLines {
  std::string text;  // the blocks joined by line feeds
  host::EditLayout layout;
};

// Lays out every block of `document` as the editor wraps it: `wrapWidth`
// pixels (0: no wrap), in the editor's font and wrap mode. Positions count
// characters as the host language does (one per code point).
EditorLines layOutEditor(const QTextDocument& document, const QFont& font, double wrapWidth, QTextOption::WrapMode mode) {
  EditorLines lines;
  QString joined;
  std::int32_t blockStart = 0;
  QTextOption option;
  option.setWrapMode(wrapWidth > 0 ? mode : QTextOption::NoWrap);
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const QString text = block.text();
    if (block != document.begin()) {
      joined += QLatin1Char('\n');
      ++blockStart;
    }
    joined += text;
    QTextLayout layout(text, font);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(wrapWidth > 0 ? wrapWidth : 1e9);
      const std::int32_t start = blockStart + codePointCount(QStringView(text).left(line.textStart()));
      const std::int32_t end = blockStart + codePointCount(QStringView(text).left(line.textStart() + line.textLength()));
      lines.layout.lineStarts.push_back(start);
      lines.layout.lineEnds.push_back(end);
    }
    layout.endLayout();
    if (text.isEmpty() && (lines.layout.lineStarts.empty() || lines.layout.lineStarts.back() != blockStart)) {
      lines.layout.lineStarts.push_back(blockStart);
      lines.layout.lineEnds.push_back(blockStart);
    }
    blockStart += codePointCount(text);
  }
  if (lines.layout.lineStarts.empty()) {
    lines.layout.lineStarts.push_back(0);
    lines.layout.lineEnds.push_back(0);
  }
  lines.layout.characterCount = blockStart;
  lines.text = joined.toStdString();
  return lines;
}

// QPlainTextEdit and QTextEdit holding plain text: a multi-line text box
// whose lines are the editor's own (wrapped at its width unless it does not
// wrap), continued line by line across pages.
class EditorControl final : public WidgetControl {
 public:
  EditorControl(LiveForm& form, QAbstractScrollArea& editor, const QTextDocument& document,
                std::function<double()> wrapWidth, std::function<QTextOption::WrapMode()> mode)
      : WidgetControl(form, editor, "TextBox", host::Kind::TextBox),
        document_(&document),
        wrapWidth_(std::move(wrapWidth)),
        mode_(std::move(mode)) {
    property("Text", [this](Args) { return Value(lines().text); });
    property("Alignment", [](Args) { return Value(std::int16_t{0}); });
    property("BorderStyle", [this](Args) {
      return Value(std::int16_t(as<QAbstractScrollArea>().frameShape() == QFrame::NoFrame ? 0 : 1));
    });
    property("MultiLine", [](Args) { return Value(true); });
    // What a user types into shows the palette's base and text colours.
    colorsFrom(QPalette::Base, QPalette::Text);
    property("ScrollBars", [this](Args) { return Value(std::int16_t(wrapWidth_() > 0 ? 2 : 3)); });
    method("SendMessage", [this](Args args) {
      if (args.size() < 2) host::raise(host::err::InvalidProcedureCall, "Wrong number of arguments: SendMessage");
      return Value(lineMessage(args[0].toLong(), args[1].toLong()));
    });
  }

 private:
  // The lines are laid out again only when the text, the font or the wrap width changed.
  const EditorLines& lines() const {
    const QFont font = widget().font();
    const double width = wrapWidth_();
    if (!document_) host::raise(host::err::ObjectVariableNotSet, "Object variable not set: the document is gone");
    const int revision = document_->revision();
    if (!cached_ || revision != revision_ || width != width_ || font != font_) {
      cached_ = layOutEditor(*document_, font, width, mode_());
      revision_ = revision;
      width_ = width;
      font_ = font;
    }
    return *cached_;
  }

  std::int32_t lineMessage(int message, std::int32_t wParam) const {
    const host::EditLayout& layout = lines().layout;
    switch (message) {
      case host::msg::EM_GETLINECOUNT:
        return layout.lineCount();
      case host::msg::EM_LINEINDEX:
        return layout.lineIndex(wParam);
      case host::msg::EM_LINELENGTH:
        return layout.lineLength(layout.lineFromCharacter(wParam));
      case host::msg::EM_LINEFROMCHAR:
        return layout.lineFromCharacter(wParam);
      default:
        return 0;
    }
  }

  QPointer<const QTextDocument> document_;
  std::function<double()> wrapWidth_;
  std::function<QTextOption::WrapMode()> mode_;
  mutable std::optional<EditorLines> cached_;
  mutable int revision_ = -1;
  mutable double width_ = -1;
  mutable QFont font_;
};

// The width an editor's lines wrap at: its viewport less the document's margins.
double viewportWrapWidth(const QAbstractScrollArea& editor, const QTextDocument& document) {
  return std::max(1.0, editor.viewport()->width() - 2 * document.documentMargin());
}

std::shared_ptr<WidgetControl> adaptPlainTextEdit(LiveForm& form, QPlainTextEdit& widget) {
  QPointer<QPlainTextEdit> editor(&widget);
  return std::make_shared<EditorControl>(
      form, widget, *widget.document(),
      [editor] {
        if (!editor || editor->lineWrapMode() == QPlainTextEdit::NoWrap) return 0.0;
        return viewportWrapWidth(*editor, *editor->document());
      },
      [editor] { return editor ? editor->wordWrapMode() : QTextOption::NoWrap; });
}

std::shared_ptr<WidgetControl> adaptTextEdit(LiveForm& form, QTextEdit& widget) {
  QPointer<QTextEdit> editor(&widget);
  return std::make_shared<EditorControl>(
      form, widget, *widget.document(),
      [editor]() -> double {
        if (!editor) return 0.0;
        switch (editor->lineWrapMode()) {
          case QTextEdit::NoWrap:
            return 0.0;
          case QTextEdit::FixedPixelWidth:
            return editor->lineWrapColumnOrWidth();
          case QTextEdit::FixedColumnWidth:
            return editor->lineWrapColumnOrWidth() * QFontMetricsF(editor->font()).averageCharWidth();
          case QTextEdit::WidgetWidth:
            break;
        }
        return viewportWrapWidth(*editor, *editor->document());
      },
      [editor] { return editor ? editor->wordWrapMode() : QTextOption::NoWrap; });
}

class ComboControl final : public WidgetControl {
 public:
  ComboControl(LiveForm& form, QComboBox& combo) : WidgetControl(form, combo, "ComboBox", host::Kind::ComboBox) {
    property("Text", [this](Args) { return Value(as<QComboBox>().currentText().toStdString()); });
    property("ListCount", [this](Args) { return Value(static_cast<std::int32_t>(as<QComboBox>().count())); });
    property("ListIndex", [this](Args) { return Value(static_cast<std::int32_t>(as<QComboBox>().currentIndex())); });
    property("List", [this](Args index) {
      if (index.size() != 1) host::raise(host::err::InvalidPropertyArrayIndex, "Invalid property array index: List");
      const QComboBox& combo = as<QComboBox>();
      const int i = index[0].toLong();
      return Value(i >= 0 && i < combo.count() ? combo.itemText(i).toStdString() : std::string());
    });
    property("Style", [this](Args) { return Value(std::int16_t(as<QComboBox>().isEditable() ? 0 : 2)); });
    property("Alignment", [](Args) { return Value(std::int16_t{0}); });
  }
};

}  // namespace

std::shared_ptr<WidgetControl> adaptTextFamily(LiveForm& form, QWidget& widget) {
  if (auto* label = qobject_cast<QLabel*>(&widget)) {
    const bool picture = !label->pixmap().isNull() || label->movie() != nullptr || !label->picture().isNull();
    if (picture && label->text().isEmpty()) return nullptr;  // the picture family's
    return std::make_shared<LabelControl>(form, *label);
  }
  // What the field shows: a password masked, a spin box's prefix and suffix,
  // a date or time in the edit's own format.
  if (auto* edit = qobject_cast<QLineEdit*>(&widget))
    return std::make_shared<FieldControl<QLineEdit>>(form, *edit, &QLineEdit::displayText);
  if (auto* spin = qobject_cast<QAbstractSpinBox*>(&widget))
    return std::make_shared<FieldControl<QAbstractSpinBox>>(form, *spin, &QAbstractSpinBox::text);
  if (auto* plain = qobject_cast<QPlainTextEdit*>(&widget)) return adaptPlainTextEdit(form, *plain);
  if (auto* text = qobject_cast<QTextEdit*>(&widget)) return adaptTextEdit(form, *text);
  if (auto* combo = qobject_cast<QComboBox*>(&widget)) return std::make_shared<ComboControl>(form, *combo);
  return nullptr;
}

}  // namespace qtforms
