// The rich-text box: its document, properties and form-file data; the
// document draws itself stretch by stretch (host/PagedDocument.h).
#include <QImage>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/PagedDocument.h"
#include "host/model/UserFile.h"
#include "host/QtFont.h"
#include "host/model/Families.h"
#include "host/model/FormData.h"
#include "host/model/HtmlTables.h"
#include "host/model/ModelErrors.h"
#include "host/model/RichText.h"
#include "host/model/Rtf.h"

namespace host {

namespace {

QString qtext(const std::string& text) { return QString::fromStdString(text); }

std::string lowerExtension(const std::filesystem::path& file) { return lowerCase(file.extension().string()); }

// A document whose pictures and style sheets are files a user names: only a
// regular file of a size a page can hold is read, and anything else is left
// out as a missing picture is (a pipe would block the job for ever, a device
// would never end).
class UserFilesDocument final : public QTextDocument {
 protected:
  QVariant loadResource(int type, const QUrl& name) override {
    if (!name.scheme().isEmpty() && !name.isLocalFile()) return QTextDocument::loadResource(type, name);
    const QString path = name.isLocalFile() ? name.toLocalFile() : name.path();
    try {
      return readUserFile(path.toStdString());
    } catch (const UserFileError&) {
      // Something must stand in for a picture: given none, the layout would
      // read the file itself.
      if (type != ImageResource) return QByteArray();
      QImage nothing(1, 1, QImage::Format_ARGB32);
      nothing.fill(Qt::transparent);
      return nothing;
    }
  }
};

std::shared_ptr<PagedDocument> userFilesDocument() {
  return PagedDocument::adopt(std::make_unique<UserFilesDocument>());
}

}  // namespace

RichTextBox::RichTextBox() : document_(userFilesDocument()) {
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

PagedDocument& RichTextBox::freshDocument() {
  ++revision_;
  document_ = userFilesDocument();
  return *document_;
}

void RichTextBox::setRtf(const std::string& rtf) {
  readRtf(rtf, freshDocument().text(), fontObject()->font());
}

void RichTextBox::setHtml(const std::string& html) {
  // Read first where nothing lays it out: the box's document is laid out as
  // it changes, and tables nested too deep would be laid out at great cost
  // before they could be made paragraphs (host/model/HtmlTables.h).
  QTextDocument& text = freshDocument().text();
  UserFilesDocument read;
  read.setDefaultFont(text.defaultFont());
  read.setHtml(qtext(html));
  if (flattenTablesNestedDeeperThan(read, MaximumTableNesting)) {
    text.setHtml(read.toHtml());
  } else {
    text.setHtml(qtext(html));
  }
}

void RichTextBox::setPlainText(const std::string& text) {
  QString plain = qtext(text);
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  plain.replace(QChar('\r'), QChar('\n'));
  freshDocument().text().setPlainText(plain);
}

void RichTextBox::loadFile(const std::filesystem::path& file) {
  QByteArray bytes;
  try {
    bytes = readUserFile(file);
  } catch (const UserFileError& error) {
    raise(err::FileNotFound, "File not found: " + file.string() + " (" + error.what() + ")");
  }
  const std::string extension = lowerExtension(file);
  if (extension == ".rtf") {
    setRtf(bytes.toStdString());
  } else if (extension == ".html" || extension == ".htm") {
    setHtml(bytes.toStdString());
  } else if (extension == ".md") {
    freshDocument().text().setMarkdown(QString::fromUtf8(bytes));
  } else {
    setPlainText(bytes.toStdString());
  }
  source_ = file;
  sourceRevision_ = revision_;
}

std::string RichTextBox::plainText() const { return document_->text().toPlainText().toStdString(); }

std::string RichTextBox::rtf() const { return writeRtf(document_->text()); }

std::filesystem::path RichTextBox::unchangedSource() const {
  return revision_ == sourceRevision_ ? source_ : std::filesystem::path();
}

std::int32_t RichTextBox::textLength() const { return document_->length(); }

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
  return document_->formatRange(request, toQFont(fontObject()->font(), PagedDocument::LayoutDpi));
}

void RichTextBox::releaseFormatRange() { document_->release(); }

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
      // A document of nothing RTF keeps (control characters) is written as
      // an empty one, and saved as one: not at all.
      const std::string rtf = box.rtf();
      if (rtf != writeRtf(QTextDocument())) out.add("TextRTF", Json::string(rtf));
    }
  }
};

}  // namespace

const FormDataCodec* RichTextBox::formData() const {
  static const RichTextCodec codec;
  return &codec;
}

}  // namespace host
