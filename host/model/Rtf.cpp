// The RTF reader and writer of the rich-text control.
#include "host/model/Rtf.h"

#include "host/model/Control.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "host/Font.h"

namespace host {

namespace {

// Deeper nesting than any document needs is read as text of the deepest group.
constexpr std::size_t MaximumGroupDepth = 256;

// Windows-1252 characters 0x80 to 0x9F; the rest of the upper half is Latin-1.
constexpr std::array<char16_t, 32> Cp1252High{
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char16_t fromCp1252(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return Cp1252High[byte - 0x80];
  return byte;
}

enum class Destination { Text, FontTable, ColorTable, Skip };

// Destinations whose content is not document text.
bool isSkippedDestination(std::string_view word) {
  static constexpr std::string_view skipped[] = {
      "stylesheet", "info",      "header",     "headerl",    "headerr",           "headerf",
      "footer",     "footerl",   "footerr",    "footerf",    "pict",              "object",
      "fldinst",    "themedata", "colorschememapping",       "listtable",         "listoverridetable",
      "rsidtbl",    "generator", "latentstyles",             "xmlnstbl",          "datastore",
      "filetbl",    "revtbl",    "footnote",   "annotation", "atnid",             "atnauthor",
      "xe",         "tc",        "template",   "userprops",  "docvar",            "mmathPr",
      "pgdsctbl",   "falt",      "panose",     "fontemb",    "fontfile",          "operator",
      "author",     "title",     "subject",    "keywords",   "comment",           "doccomm"};
  return std::find(std::begin(skipped), std::end(skipped), word) != std::end(skipped);
}

// The state a group keeps: character and paragraph properties, where its text goes.
struct GroupState {
  Destination destination = Destination::Text;
  int font = -1;       // font table index; -1: the document's default font (\deff)
  int halfPoints = 0;  // 0: the default size
  bool bold = false, italic = false, underline = false, strike = false;
  int color = 0;      // colour table index; 0: automatic
  int highlight = 0;  // colour table index; 0: none
  int unicodeSkip = 1;
  Qt::Alignment alignment = Qt::AlignLeft;
  int leftIndent = 0, rightIndent = 0, firstIndent = 0, spaceBefore = 0, spaceAfter = 0;  // twips

  void plain() {
    font = -1;
    halfPoints = 0;
    bold = italic = underline = strike = false;
    color = highlight = 0;
  }
  void paragraphDefaults() {
    alignment = Qt::AlignLeft;
    leftIndent = rightIndent = firstIndent = spaceBefore = spaceAfter = 0;
  }
};

class RtfReader {
 public:
  RtfReader(std::string_view rtf, QTextDocument& document, const Font& defaultFont)
      : rtf_(rtf), document_(document), cursor_(&document), defaultFont_(defaultFont) {}

  void read() {
    document_.clear();
    cursor_ = QTextCursor(&document_);
    stack_.push_back(GroupState{});
    while (at_ < rtf_.size()) step();
    flushParagraph(/*ended=*/false);
  }

 private:
  GroupState& state() { return stack_.back(); }

  void step() {
    const char c = rtf_[at_++];
    switch (c) {
      case '{':
        if (stack_.size() < MaximumGroupDepth) stack_.push_back(state());
        groupStart_ = true;
        return;
      case '}':
        if (stack_.size() > 1) stack_.pop_back();
        groupStart_ = false;
        return;
      case '\\':
        controlSequence();
        return;
      case '\r':
      case '\n':
        return;
      default:
        groupStart_ = false;
        character(fromCp1252(static_cast<unsigned char>(c)));
    }
  }

  void controlSequence() {
    if (at_ >= rtf_.size()) return;
    const char c = rtf_[at_];
    if (!isLetter(c)) {
      ++at_;
      controlSymbol(c);
      return;
    }
    const std::size_t start = at_;
    while (at_ < rtf_.size() && isLetter(rtf_[at_]) && at_ - start < 32) ++at_;
    const std::string_view word = rtf_.substr(start, at_ - start);
    std::optional<int> parameter = number();
    if (at_ < rtf_.size() && rtf_[at_] == ' ') ++at_;  // the delimiting space belongs to the word
    const bool atGroupStart = groupStart_;
    groupStart_ = false;
    controlWord(word, parameter, atGroupStart);
  }

  static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

  std::optional<int> number() {
    const std::size_t start = at_;
    bool negative = false;
    if (at_ < rtf_.size() && rtf_[at_] == '-') {
      negative = true;
      ++at_;
    }
    long value = 0;
    std::size_t digits = 0;
    while (at_ < rtf_.size() && rtf_[at_] >= '0' && rtf_[at_] <= '9') {
      if (digits < 10) value = value * 10 + (rtf_[at_] - '0');
      ++at_;
      ++digits;
    }
    if (digits == 0) {
      at_ = start;
      return std::nullopt;
    }
    value = std::clamp(value, -2147483647L, 2147483647L);
    return static_cast<int>(negative ? -value : value);
  }

  void controlSymbol(char c) {
    groupStart_ = false;
    switch (c) {
      case '\'': {
        const int byte = hexByte();
        if (byte >= 0) character(fromCp1252(static_cast<unsigned char>(byte)));
        return;
      }
      case '\\':
      case '{':
      case '}':
        character(static_cast<char16_t>(c));
        return;
      case '~':
        character(u'\u00A0');
        return;
      case '_':
        character(u'\u2011');
        return;
      case '*':
        state().destination = Destination::Skip;  // an optional destination this reader does not know
        return;
      case '\r':
      case '\n':
        paragraphEnd();
        return;
      default:
        return;  // \- (optional hyphen), \| and the other symbols draw nothing
    }
  }

  int hexByte() {
    int value = 0;
    for (int i = 0; i < 2; ++i) {
      if (at_ >= rtf_.size()) return -1;
      const char h = rtf_[at_];
      int digit = -1;
      if (h >= '0' && h <= '9') digit = h - '0';
      if (h >= 'a' && h <= 'f') digit = h - 'a' + 10;
      if (h >= 'A' && h <= 'F') digit = h - 'A' + 10;
      if (digit < 0) return -1;
      value = value * 16 + digit;
      ++at_;
    }
    return value;
  }

  void controlWord(std::string_view word, std::optional<int> parameter, bool atGroupStart) {
    GroupState& s = state();
    const int n = parameter.value_or(1);
    const bool on = !parameter || *parameter != 0;
    if (word == "deff") {
      defaultFontIndex_ = n;
    } else if (word == "fonttbl") {
      s.destination = Destination::FontTable;
    } else if (word == "colortbl") {
      s.destination = Destination::ColorTable;
      colors_.clear();
      pendingColor_ = QColor(0, 0, 0);
      colorGiven_ = false;
    } else if (isSkippedDestination(word) && (atGroupStart || word == "pict" || word == "fldinst")) {
      s.destination = Destination::Skip;
    } else if (s.destination == Destination::FontTable) {
      if (word == "f") fontNumber_ = n;
    } else if (s.destination == Destination::ColorTable) {
      colorComponent(word, n);
    } else if (s.destination == Destination::Text) {
      textControlWord(s, word, parameter, n, on);
    }
  }

  void colorComponent(std::string_view word, int n) {
    const int value = std::clamp(n, 0, 255);
    if (word == "red") pendingColor_.setRed(value);
    if (word == "green") pendingColor_.setGreen(value);
    if (word == "blue") pendingColor_.setBlue(value);
    if (word == "red" || word == "green" || word == "blue") colorGiven_ = true;
  }

  void textControlWord(GroupState& s, std::string_view word, std::optional<int> parameter, int n, bool on) {
    if (word == "par") return paragraphEnd();
    if (word == "line") return character(u'\u2028');
    if (word == "tab") return character(u'\t');
    if (word == "u") return unicodeCharacter(parameter.value_or(0));
    if (word == "uc") s.unicodeSkip = std::clamp(n, 0, 8);
    else if (word == "plain") s.plain();
    else if (word == "pard") s.paragraphDefaults();
    else if (word == "b") s.bold = on;
    else if (word == "i") s.italic = on;
    else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw") s.underline = on;
    else if (word == "ulnone") s.underline = false;
    else if (word == "strike") s.strike = on;
    else if (word == "fs") s.halfPoints = std::clamp(n, 0, 3276);
    else if (word == "f") s.font = n;
    else if (word == "cf") s.color = n;
    else if (word == "highlight" || word == "cb") s.highlight = n;
    else if (word == "ql") s.alignment = Qt::AlignLeft;
    else if (word == "qr") s.alignment = Qt::AlignRight;
    else if (word == "qc") s.alignment = Qt::AlignHCenter;
    else if (word == "qj") s.alignment = Qt::AlignJustify;
    else if (word == "li") s.leftIndent = n;
    else if (word == "ri") s.rightIndent = n;
    else if (word == "fi") s.firstIndent = n;
    else if (word == "sb") s.spaceBefore = n;
    else if (word == "sa") s.spaceAfter = n;
    else if (word == "bullet") character(u'\u2022');
    else if (word == "emdash") character(u'\u2014');
    else if (word == "endash") character(u'\u2013');
    else if (word == "lquote") character(u'\u2018');
    else if (word == "rquote") character(u'\u2019');
    else if (word == "ldblquote") character(u'\u201C');
    else if (word == "rdblquote") character(u'\u201D');
    else if (word == "emspace" || word == "enspace" || word == "qmspace") character(u' ');
    else if (word == "sect" || word == "page") paragraphEnd();
  }

  // \uN: the character, then the next unicodeSkip characters of its fallback are dropped.
  void unicodeCharacter(int code) {
    if (code < 0) code += 65536;
    if (code > 0 && code < 65536) character(static_cast<char16_t>(code));
    skipFallback(state().unicodeSkip);
  }

  void skipFallback(int count) {
    while (count > 0 && at_ < rtf_.size()) {
      const char c = rtf_[at_];
      if (c == '{' || c == '}') return;
      if (c == '\\') {
        if (at_ + 1 < rtf_.size() && rtf_[at_ + 1] == '\'') {
          at_ += 2;
          (void)hexByte();
        } else {
          return;  // a control word ends the fallback
        }
      } else if (c == '\r' || c == '\n') {
        ++at_;
        continue;
      } else {
        ++at_;
      }
      --count;
    }
  }

  void character(char16_t c) {
    GroupState& s = state();
    switch (s.destination) {
      case Destination::Text:
        addText(QString(QChar(c)));
        return;
      case Destination::FontTable:
        if (c == u';') {
          fonts_[fontNumber_] = fontName_.trimmed();
          fontName_.clear();
        } else {
          fontName_ += QChar(c);
        }
        return;
      case Destination::ColorTable:
        if (c == u';') {
          colors_.push_back(colorGiven_ ? std::optional<QColor>(pendingColor_) : std::nullopt);
          pendingColor_ = QColor(0, 0, 0);
          colorGiven_ = false;
        }
        return;
      case Destination::Skip:
        return;
    }
  }

  // --- building the document ---

  struct Run {
    QString text;
    QTextCharFormat format;
  };

  void addText(const QString& text) {
    QTextCharFormat format = charFormat(state());
    if (!runs_.empty() && runs_.back().format == format) {
      runs_.back().text += text;
    } else {
      runs_.push_back({text, format});
    }
    paragraph_ = state();
  }

  QTextCharFormat charFormat(const GroupState& s) const {
    QTextCharFormat format;
    Font font = defaultFont_;
    const int index = s.font < 0 ? defaultFontIndex_ : s.font;
    if (auto name = fonts_.find(index); name != fonts_.end() && !name->second.isEmpty())
      font.setName(name->second.toStdString());
    format.setFontFamilies(QStringList{QString::fromStdString(font.installedFamily())});
    format.setFontPointSize(s.halfPoints > 0 ? s.halfPoints / 2.0 : defaultFont_.size());
    format.setFontWeight(s.bold || (s.font < 0 && defaultFont_.bold()) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(s.italic);
    format.setFontUnderline(s.underline);
    format.setFontStrikeOut(s.strike);
    if (auto color = tableColor(s.color)) format.setForeground(*color);
    if (auto color = tableColor(s.highlight)) format.setBackground(*color);
    return format;
  }

  std::optional<QColor> tableColor(int index) const {
    if (index <= 0 || index >= static_cast<int>(colors_.size())) return std::nullopt;
    return colors_[static_cast<std::size_t>(index)];
  }

  static QTextBlockFormat blockFormat(const GroupState& s) {
    QTextBlockFormat format;
    format.setAlignment(s.alignment);
    format.setLeftMargin(s.leftIndent / TwipsPerPixel);
    format.setRightMargin(s.rightIndent / TwipsPerPixel);
    format.setTextIndent(s.firstIndent / TwipsPerPixel);
    format.setTopMargin(s.spaceBefore / TwipsPerPixel);
    format.setBottomMargin(s.spaceAfter / TwipsPerPixel);
    return format;
  }

  void paragraphEnd() {
    if (state().destination != Destination::Text) return;
    paragraph_ = state();
    flushParagraph(/*ended=*/true);
  }

  // Writes the paragraph gathered so far; its properties are those in force at its end.
  void flushParagraph(bool ended) {
    if (!ended && runs_.empty()) return;
    if (blockPending_) cursor_.insertBlock();
    cursor_.setBlockFormat(blockFormat(paragraph_));
    if (runs_.empty()) cursor_.setBlockCharFormat(charFormat(state()));
    for (const Run& run : runs_) cursor_.insertText(run.text, run.format);
    runs_.clear();
    blockPending_ = true;
  }

  std::string_view rtf_;
  std::size_t at_ = 0;
  QTextDocument& document_;
  QTextCursor cursor_;
  Font defaultFont_;
  std::vector<GroupState> stack_;
  bool groupStart_ = false;
  std::map<int, QString> fonts_;
  int fontNumber_ = 0;
  int defaultFontIndex_ = -1;  // \deff: the font of text that names none
  QString fontName_;
  std::vector<std::optional<QColor>> colors_;
  QColor pendingColor_;
  bool colorGiven_ = false;
  std::vector<Run> runs_;
  GroupState paragraph_;
  bool blockPending_ = false;
};

// --- writing ------------------------------------------------------------------

void appendEscaped(std::string& out, const QString& text) {
  for (QChar ch : text) {
    const char16_t c = ch.unicode();
    if (c == u'\\' || c == u'{' || c == u'}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == u'\t') {
      out += "\\tab ";
    } else if (c == u'\u2028' || c == u'\n') {
      out += "\\line ";
    } else if (c >= 0x20 && c < 0x80) {
      out += static_cast<char>(c);
    } else if (c >= 0x20) {
      out += "\\u" + std::to_string(static_cast<std::int16_t>(c)) + "?";
    }
  }
}

class RtfWriter {
 public:
  explicit RtfWriter(const QTextDocument& document) : document_(document) {}

  std::string write() {
    collectTables();
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (std::size_t i = 0; i < fonts_.size(); ++i)
      out += "{\\f" + std::to_string(i) + "\\fnil " + fonts_[i].toStdString() + ";}";
    out += "}\n{\\colortbl;";
    for (const QColor& color : colors_)
      out += "\\red" + std::to_string(color.red()) + "\\green" + std::to_string(color.green()) + "\\blue" +
             std::to_string(color.blue()) + ";";
    out += "}\n";
    bool first = true;
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
      if (!first) out += "\\par\n";
      first = false;
      writeBlock(out, block);
    }
    out += "}";
    return out;
  }

 private:
  void collectTables() {
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next())
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        (void)fontIndex(family(format));
        if (format.hasProperty(QTextFormat::ForegroundBrush)) (void)colorIndex(format.foreground().color());
        if (format.hasProperty(QTextFormat::BackgroundBrush)) (void)colorIndex(format.background().color());
      }
    if (fonts_.empty()) fonts_.push_back(QString::fromStdString(Font().installedFamily()));
  }

  static QString family(const QTextCharFormat& format) {
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? format.font().family() : families.front();
  }

  int fontIndex(const QString& name) {
    auto found = std::find(fonts_.begin(), fonts_.end(), name);
    if (found != fonts_.end()) return static_cast<int>(found - fonts_.begin());
    fonts_.push_back(name);
    return static_cast<int>(fonts_.size()) - 1;
  }

  int colorIndex(const QColor& color) {
    auto found = std::find(colors_.begin(), colors_.end(), color);
    if (found != colors_.end()) return static_cast<int>(found - colors_.begin()) + 1;
    colors_.push_back(color);
    return static_cast<int>(colors_.size());
  }

  void writeBlock(std::string& out, const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    out += "\\pard";
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignRight) out += "\\qr";
    if (alignment & Qt::AlignHCenter) out += "\\qc";
    if (alignment & Qt::AlignJustify) out += "\\qj";
    auto twips = [](double pixels) { return std::to_string(static_cast<long>(pixels * TwipsPerPixel + 0.5)); };
    if (format.leftMargin() != 0) out += "\\li" + twips(format.leftMargin());
    if (format.rightMargin() != 0) out += "\\ri" + twips(format.rightMargin());
    if (format.textIndent() != 0) out += "\\fi" + twips(format.textIndent());
    if (format.topMargin() != 0) out += "\\sb" + twips(format.topMargin());
    if (format.bottomMargin() != 0) out += "\\sa" + twips(format.bottomMargin());
    out += ' ';
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const QTextCharFormat chars = fragment.charFormat();
      out += "{\\f" + std::to_string(fontIndex(family(chars)));
      out += "\\fs" + std::to_string(static_cast<int>(chars.fontPointSize() * 2 + 0.5));
      if (chars.fontWeight() >= QFont::DemiBold) out += "\\b";
      if (chars.fontItalic()) out += "\\i";
      if (chars.fontUnderline()) out += "\\ul";
      if (chars.fontStrikeOut()) out += "\\strike";
      if (chars.hasProperty(QTextFormat::ForegroundBrush))
        out += "\\cf" + std::to_string(colorIndex(chars.foreground().color()));
      if (chars.hasProperty(QTextFormat::BackgroundBrush))
        out += "\\highlight" + std::to_string(colorIndex(chars.background().color()));
      out += ' ';
      appendEscaped(out, fragment.text());
      out += '}';
    }
  }

  const QTextDocument& document_;
  std::vector<QString> fonts_;
  std::vector<QColor> colors_;
};

}  // namespace

void readRtf(std::string_view rtf, QTextDocument& document, const Font& defaultFont) {
  RtfReader(rtf, document, defaultFont).read();
}

std::string writeRtf(const QTextDocument& document) { return RtfWriter(document).write(); }

}  // namespace host
