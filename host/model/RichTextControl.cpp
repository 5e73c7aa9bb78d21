// The rich-text box: its document, properties, form-file data and the
// format-range operation that draws it stretch by stretch.
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <optional>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/PainterDc.h"
#include "host/QtFont.h"
#include "host/model/Families.h"
#include "host/model/FormData.h"
#include "host/model/ModelErrors.h"
#include "host/model/RichText.h"
#include "host/model/Rtf.h"

namespace host {

namespace {

constexpr double LayoutDpi = 96;
// 96 dots per inch in dots per metre, as an image keeps its resolution.
constexpr int LayoutDotsPerMetre = 3780;

QString qtext(const std::string& text) { return QString::fromStdString(text); }

std::string lowerExtension(const std::filesystem::path& file) { return lowerCase(file.extension().string()); }

}  // namespace

// The document is laid out once for a width on a 96-dpi device and drawn at
// any resolution by scaling the painter; pages continue from the layout kept.
struct RichTextBox::Document {
  Document() {
    device.setDotsPerMeterX(LayoutDotsPerMetre);
    device.setDotsPerMeterY(LayoutDotsPerMetre);
    text.setDocumentMargin(0);
    text.setUndoRedoEnabled(false);
    text.documentLayout()->setPaintDevice(&device);
  }
  // Lays the whole document out for a width (96-dpi pixels) and default font,
  // unless it is laid out so already.
  void layOut(double width, const QFont& defaultFont) {
    if (text.defaultFont() != defaultFont) text.setDefaultFont(defaultFont);
    if (text.textWidth() != width) text.setTextWidth(width);
    if (stale) {
      text.markContentsDirty(0, text.characterCount());
      stale = false;
    }
    (void)text.size();  // finishes the layout of every block
  }

  QImage device{1, 1, QImage::Format_RGB32};  // outlives the document that measures with it
  QTextDocument text;
  bool stale = false;
  std::uint64_t revision = 0;
};

namespace {

// The lines of one stretch: from the line holding `first`, as many whole
// lines as `available` pixels hold, stopping before `last`.
struct Stretch {
  double top = 0;
  double bottom = 0;
  std::int32_t next = 0;  // first character not drawn
};

Stretch measureStretch(const QTextDocument& text, std::int32_t first, std::int32_t last, std::int32_t length,
                       double available) {
  Stretch stretch{0, 0, length};
  std::optional<double> top;
  QTextBlock block = text.findBlock(first);
  int lineIndex = 0;
  if (block.isValid() && block.layout() != nullptr) {
    const QTextLine line = block.layout()->lineForTextPosition(first - block.position());
    if (line.isValid()) lineIndex = line.lineNumber();
  }
  for (; block.isValid(); block = block.next(), lineIndex = 0) {
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
      if (start >= last || originY + line.y() + line.height() - *top > available) {
        stretch.next = std::max(first, start);
        return stretch;
      }
      stretch.bottom = lineTop + line.height();
    }
  }
  return stretch;
}

}  // namespace

RichTextBox::RichTextBox() : document_(std::make_shared<Document>()) {
  declareExtender();
  declare({"BackColor", ValueType::Long, WindowBackground});
  declare({"Enabled", ValueType::Boolean, true});
  declare({"Locked", ValueType::Boolean, false});
  declare({"MultiLine", ValueType::Boolean, true});
  declare(PropertyDef{"ScrollBars", ValueType::Integer, 0}.between(0, 3));
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 1}.between(0, 1));
  declare(PropertyDef{"Appearance", ValueType::Integer, 1}.between(0, 1));
  declare({"RightMargin", ValueType::Single, 0});
  declare({"ToolTipText", ValueType::String, ""});
  store("Width", Value(2400));
  store("Height", Value(1800));
  giveWindow();
  giveFont();
}

RichTextBox::~RichTextBox() = default;

RichTextBox::Document& RichTextBox::freshDocument() {
  const std::uint64_t revision = document_->revision + 1;
  document_ = std::make_shared<Document>();
  document_->revision = revision;
  return *document_;
}

void RichTextBox::setRtf(const std::string& rtf) {
  readRtf(rtf, freshDocument().text, fontObject()->font());
}

void RichTextBox::setHtml(const std::string& html) { freshDocument().text.setHtml(qtext(html)); }

void RichTextBox::setPlainText(const std::string& text) {
  QString plain = qtext(text);
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  plain.replace(QChar('\r'), QChar('\n'));
  freshDocument().text.setPlainText(plain);
}

void RichTextBox::loadFile(const std::filesystem::path& file) {
  QFile input(QString::fromStdString(file.string()));
  if (!input.open(QIODevice::ReadOnly)) raise(err::FileNotFound, "File not found: " + file.string());
  const QByteArray bytes = input.readAll();
  const std::string extension = lowerExtension(file);
  if (extension == ".rtf") {
    setRtf(bytes.toStdString());
  } else if (extension == ".html" || extension == ".htm") {
    setHtml(bytes.toStdString());
  } else if (extension == ".md") {
    freshDocument().text.setMarkdown(QString::fromUtf8(bytes));
  } else {
    setPlainText(bytes.toStdString());
  }
  source_ = file;
  sourceRevision_ = document_->revision;
}

std::string RichTextBox::plainText() const { return document_->text.toPlainText().toStdString(); }

std::string RichTextBox::rtf() const { return writeRtf(document_->text); }

std::filesystem::path RichTextBox::unchangedSource() const {
  return document_->revision == sourceRevision_ ? source_ : std::filesystem::path();
}

std::int32_t RichTextBox::textLength() const { return std::max(0, document_->text.characterCount() - 1); }

Value RichTextBox::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "Text")) return Value(plainText());
  if (equalsNoCase(name, "TextRTF")) return Value(rtf());
  if (equalsNoCase(name, "FileName")) return Value(source_.string());
  return Control::get(name, index);
}

void RichTextBox::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "Text")) return setPlainText(value.toString());
  if (equalsNoCase(name, "TextRTF")) return setRtf(value.toString());
  if (equalsNoCase(name, "FileName")) return loadFile(value.toString());
  Control::set(name, value, index);
}

Value RichTextBox::call(std::string_view name, Args args) {
  if (equalsNoCase(name, "LoadFile")) {
    if (args.size() != 1 && args.size() != 2) raise(model_err::WrongArguments, "Wrong number of arguments: LoadFile");
    loadFile(args[0].toString());
    return {};
  }
  return Control::call(name, args);
}

std::int32_t RichTextBox::formatRange(const FormatRange& request) {
  if (request.target == nullptr) raise(err::InvalidProcedureCall, "Invalid procedure call: no device to format for");
  const std::int32_t length = textLength();
  const std::int32_t first = std::clamp(request.firstChar, 0, length);
  const std::int32_t last = request.lastChar < 0 ? length : std::clamp(request.lastChar, first, length);
  if (first >= last) return first;

  const double width = std::max(1.0, request.drawTwips.width() / TwipsPerPixel);
  const QFont defaultFont = toQFont(fontObject()->font(), LayoutDpi);
  document_->layOut(width, defaultFont);
  const Stretch stretch =
      measureStretch(document_->text, first, last, length, request.drawTwips.height() / TwipsPerPixel);
  if (!request.render || stretch.bottom <= stretch.top) return stretch.next;

  Dc& target = *request.target;
  const double scaleX = target.dotsPerInchX() / LayoutDpi;
  const double scaleY = target.dotsPerInchY() / LayoutDpi;
  const double left = request.drawTwips.left * target.dotsPerInchX() / 1440.0;
  const double top = request.drawTwips.top * target.dotsPerInchY() / 1440.0;
  const Rect bounds = Rect::fromXywh(static_cast<int>(left) - 1, static_cast<int>(top) - 1,
                                     static_cast<int>(width * scaleX) + 3,
                                     static_cast<int>((stretch.bottom - stretch.top) * scaleY) + 3);
  // The page may be delivered after the control has moved on: the drawing
  // keeps the document it was measured with.
  std::shared_ptr<Document> document = document_;
  paintWithPainter(target, bounds, [document, width, defaultFont, scaleX, scaleY, left, top, stretch](QPainter& painter) {
    document->layOut(width, defaultFont);
    painter.save();
    painter.translate(left, top);
    painter.scale(scaleX, scaleY);
    painter.translate(0, -stretch.top);
    QAbstractTextDocumentLayout::PaintContext context;
    // Lines touching the stretch's edges belong to the stretches before and
    // after it: a line is drawn (and its text put into a PDF) on one page only.
    constexpr double edge = 0.01;
    context.clip = QRectF(-width, stretch.top + edge, 3 * width, stretch.bottom - stretch.top - 2 * edge);
    context.palette.setColor(QPalette::Text, Qt::black);
    painter.setClipRect(context.clip);
    document->text.documentLayout()->draw(&painter, context);
    painter.restore();
  });
  return stretch.next;
}

void RichTextBox::releaseFormatRange() { document_->stale = true; }

// --- form-file data -------------------------------------------------------------

namespace {

class RichTextCodec final : public FormDataCodec {
 public:
  std::vector<std::string_view> keys() const override { return {"TextRTF", "Html", "FileName"}; }

  void load(Control& control, const FormDataReader& data) const override {
    auto& box = dynamic_cast<RichTextBox&>(control);
    int given = 0;
    for (std::string_view key : keys()) given += data.value(key) ? 1 : 0;
    if (given > 1)
      data.fail("TextRTF", "give the document once: as \"TextRTF\", \"Html\" or \"FileName\", not several");
    if (auto rtf = data.value("TextRTF")) box.setRtf(data.text(*rtf, data.spelling("TextRTF")));
    if (auto html = data.value("Html")) box.setHtml(data.text(*html, data.spelling("Html")));
    if (auto file = data.value("FileName")) {
      const std::string key = data.spelling("FileName");
      const std::filesystem::path path = data.resolved(data.text(*file, key));
      try {
        box.loadFile(path);
      } catch (const HostError&) {
        data.fail(key, "cannot read the document \"" + path.string() + "\"");
      }
    }
  }

  void save(const Control& control, FormDataWriter& out) const override {
    const auto& box = dynamic_cast<const RichTextBox&>(control);
    if (!box.unchangedSource().empty()) {
      out.add("FileName", Json::string(out.relative(box.unchangedSource())));
    } else if (box.textLength() > 0) {
      out.add("TextRTF", Json::string(box.rtf()));
    }
  }
};

}  // namespace

const FormDataCodec* RichTextBox::formData() const {
  static const RichTextCodec codec;
  return &codec;
}

}  // namespace host
