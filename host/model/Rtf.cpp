// The RTF reader and writer of the rich-text control.
#include "host/model/Rtf.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextTable>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <vector>

#include "host/CodePages.h"
#include "host/Font.h"
#include "host/model/Control.h"

namespace host {

namespace {

// Deeper nesting than any document needs is read as text of the deepest
// group; the braces still pair up, so the groups around it close as written.
constexpr std::size_t MaximumGroupDepth = 256;

// The least room a table cell's text gets on its left and right, in pixels,
// whatever the row's \trgaph says.
constexpr double SmallestCellPadding = 2;

// The farthest edge of a table written, in twips (over eleven thousand
// inches), and the widest gap read: the edges written past it are a pixel
// apart, so that they stay apart and well inside the numbers RTF holds. The
// reader counts edges in 64 bits, however far they lie.
constexpr int FarthestEdge = 1 << 24;

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

// Cell and row border words, after which a border style word gives the border.
bool isBorderTarget(std::string_view word) {
  static constexpr std::string_view targets[] = {"clbrdrt", "clbrdrb", "clbrdrl", "clbrdrr", "trbrdrt",
                                                 "trbrdrb", "trbrdrl", "trbrdrr", "trbrdrh", "trbrdrv"};
  return std::find(std::begin(targets), std::end(targets), word) != std::end(targets);
}

// A border style (\brdrs, \brdrth, \brdrdb ...), not its width, colour or absence.
bool isBorderStyle(std::string_view word) {
  return word.starts_with("brdr") && word != "brdrw" && word != "brdrcf" && word != "brdrnone" &&
         word != "brdrnil" && word != "brdrtbl";
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
  bool inTable = false;          // \intbl: the paragraph belongs to a table cell
  bool pageBreakBefore = false;  // \pagebb

  void plain() {
    font = -1;
    halfPoints = 0;
    bold = italic = underline = strike = false;
    color = highlight = 0;
  }
  void paragraphDefaults() {
    alignment = Qt::AlignLeft;
    leftIndent = rightIndent = firstIndent = spaceBefore = spaceAfter = 0;
    inTable = pageBreakBefore = false;
  }
};

// A table row as its definition (\trowd ... \cellxN) gives it; twips.
struct RowDefinition {
  int left = 0;             // \trleftN: where the row starts
  int gap = 0;              // \trgaphN: half the space between two cells' text
  std::vector<int> rights;  // \cellxN: each cell's right edge
  bool bordered = false;    // a cell or the row has a border
  Qt::Alignment alignment = Qt::AlignLeft;
};

struct Run {
  QString text;
  QTextCharFormat format;
};

struct Paragraph {
  QTextBlockFormat block;
  QTextCharFormat chars;  // of an empty paragraph
  std::vector<Run> runs;
  bool pageBreakBefore = false;
};

struct Row {
  RowDefinition definition;
  std::vector<std::vector<Paragraph>> cells;
};

class RtfReader {
 public:
  RtfReader(std::string_view rtf, QTextDocument& document, const Font& defaultFont)
      : rtf_(rtf), document_(document), cursor_(&document), defaultFont_(defaultFont) {}

  void read() {
    document_.clear();
    cursor_ = QTextCursor(&document_);
    // One edit for the whole reading: the document is laid out again once,
    // at its end, not after each run of text (a long paragraph of many runs
    // took the square of its runs).
    cursor_.beginEditBlock();
    stack_.push_back(GroupState{});
    while (at_ < rtf_.size()) step();
    flushBytes();
    if (!runs_.empty() && state().inTable) cellParagraphs_.push_back(takeParagraph(state()));
    flushTable();
    flushParagraph(/*ended=*/false);
    cursor_.endEditBlock();
  }

 private:
  GroupState& state() { return stack_.back(); }

  void step() {
    const char c = rtf_[at_++];
    if (c == '\\' && at_ < rtf_.size() && rtf_[at_] == '\'') {
      ++at_;
      return hexCharacter();
    }
    flushBytes();
    switch (c) {
      case '{':
        return openGroup();
      case '}':
        return closeGroup();
      case '\\':
        controlSequence();
        return;
      case '\r':
      case '\n':
        return;
      default:
        groupStart_ = false;
        if (static_cast<unsigned char>(c) >= 0x80) return rawBytes();
        character(static_cast<char16_t>(c));
    }
  }

  // --- groups ---

  void openGroup() {
    groupStart_ = true;
    if (stack_.size() < MaximumGroupDepth) {
      stack_.push_back(state());
      return;
    }
    if (overflow_.depth == 0) overflow_.saved = state();
    ++overflow_.depth;
  }

  void closeGroup() {
    groupStart_ = false;
    if (overflow_.depth > 0) {
      // A destination begun in a group past the cap ends with that group.
      if (overflow_.destinationDepth == overflow_.depth) {
        state().destination = overflow_.destinationBefore;
        overflow_.destinationDepth = 0;
      }
      if (--overflow_.depth == 0) state() = overflow_.saved;
      return;
    }
    if (stack_.size() > 1) stack_.pop_back();
  }

  void setDestination(Destination destination) {
    if (overflow_.depth > 0 && overflow_.destinationDepth == 0 && destination != state().destination) {
      overflow_.destinationDepth = overflow_.depth;
      overflow_.destinationBefore = state().destination;
    }
    state().destination = destination;
  }

  // --- control words and symbols ---

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
        setDestination(Destination::Skip);  // an optional destination this reader does not know
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
    if (word == "bin") {
      skipBinary(parameter.value_or(0));
    } else if (word == "ansicpg") {
      if (n > 0) documentCodePage_ = n;
    } else if (word == "ansi") {
      documentCodePage_ = WesternCodePage;
    } else if (word == "mac") {
      documentCodePage_ = 10000;
    } else if (word == "pc") {
      documentCodePage_ = 437;
    } else if (word == "pca") {
      documentCodePage_ = 850;
    } else if (word == "deff") {
      defaultFontIndex_ = n;
    } else if (word == "fonttbl") {
      setDestination(Destination::FontTable);
    } else if (word == "colortbl") {
      setDestination(Destination::ColorTable);
      colors_.clear();
      pendingColor_ = QColor(0, 0, 0);
      colorGiven_ = false;
    } else if (isSkippedDestination(word) && (atGroupStart || word == "pict" || word == "fldinst")) {
      setDestination(Destination::Skip);
    } else if (s.destination == Destination::FontTable) {
      fontTableWord(word, n);
    } else if (s.destination == Destination::ColorTable) {
      colorComponent(word, n);
    } else if (s.destination == Destination::Text) {
      textControlWord(s, word, parameter, n, on);
    }
  }

  // \binN: N bytes of binary data follow, which are neither text nor RTF.
  void skipBinary(int count) {
    if (count <= 0) return;
    at_ += std::min(static_cast<std::size_t>(count), rtf_.size() - at_);
  }

  void fontTableWord(std::string_view word, int n) {
    if (word == "u") {
      unicodeCharacter(n);  // a character of a font's name, as in text
    } else if (word == "f") {
      fontNumber_ = n;
    } else if (word == "fcharset") {
      // The symbol set draws its glyphs at the places of Latin-1.
      const int codePage = n == 2 ? WesternCodePage : codePageOfCharset(n);
      if (codePage > 0 && !fontCodePages_.contains(fontNumber_)) fontCodePages_[fontNumber_] = codePage;
    } else if (word == "cpg") {
      if (n > 0) fontCodePages_[fontNumber_] = n;  // the font's own code page outranks its set's
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
    if (word == "page") return pageBreak();
    if (word == "cell") return cellEnd();
    if (word == "row") return rowEnd();
    if (tableWord(word, n)) return;
    if (word == "uc") s.unicodeSkip = std::clamp(n, 0, 8);
    else if (word == "plain") s.plain();
    else if (word == "pard") s.paragraphDefaults();
    else if (word == "intbl")
      s.inTable = on;
    else if (word == "pagebb")
      s.pageBreakBefore = on;
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
    else if (word == "sect")
      paragraphEnd();
  }

  // The row definition: \trowd starts one, \cellxN gives a cell's right edge.
  // A table nested in a cell (\nestcell, \nestrow) is read as the text of
  // its cell: its cells apart by tabs, its rows as paragraphs.
  bool tableWord(std::string_view word, int n) {
    if (word == "trowd") {
      row_ = RowDefinition{};
      borderTarget_ = false;
    } else if (word == "trleft") {
      row_.left = n;
    } else if (word == "trgaph") {
      row_.gap = std::clamp(n, 0, FarthestEdge);
    } else if (word == "cellx") {
      row_.rights.push_back(n);
    } else if (word == "trql") {
      row_.alignment = Qt::AlignLeft;
    } else if (word == "trqc") {
      row_.alignment = Qt::AlignHCenter;
    } else if (word == "trqr") {
      row_.alignment = Qt::AlignRight;
    } else if (isBorderTarget(word)) {
      borderTarget_ = true;
    } else if (word == "brdrnone" || word == "brdrnil" || word == "brdrtbl") {
      borderTarget_ = false;
    } else if (isBorderStyle(word)) {
      if (borderTarget_) row_.bordered = true;
      borderTarget_ = false;
    } else if (word == "nestcell") {
      character(u'\t');
    } else if (word == "nestrow") {
      paragraphEnd();
    } else {
      return false;
    }
    return true;
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

  // --- characters in code pages ---

  // The code page of text here: its font's (\fcharsetN, \cpgN), else the document's (\ansicpgN).
  int codePage() {
    const GroupState& s = state();
    const int font = s.destination == Destination::FontTable ? fontNumber_
                     : s.font < 0                            ? defaultFontIndex_
                                                             : s.font;
    if (auto given = fontCodePages_.find(font); given != fontCodePages_.end()) return given->second;
    return documentCodePage_;
  }

  CodePageDecoder& decoder(int codePage) {
    auto found = decoders_.find(codePage);
    if (found == decoders_.end()) found = decoders_.emplace(codePage, CodePageDecoder(codePage)).first;
    return found->second;
  }

  // \'hh: a byte of the code page. Bytes in a row are decoded together, so
  // that the two bytes of a double-byte character make one.
  void hexCharacter() {
    groupStart_ = false;
    const int byte = hexByte();
    if (byte < 0) return;
    const int page = codePage();
    if (!bytes_.empty() && page != bytesCodePage_) flushBytes();
    bytesCodePage_ = page;
    bytes_ += static_cast<char>(byte);
  }

  void flushBytes() {
    if (bytes_.empty()) return;
    const QString text = decoder(bytesCodePage_).decode(bytes_);
    bytes_.clear();
    for (QChar c : text) character(c.unicode());
  }

  // Bytes past ASCII written as they are: UTF-8 when they are UTF-8 (as
  // editors that save UTF-8 write them), else bytes of the code page.
  void rawBytes() {
    const std::size_t start = at_ - 1;
    while (at_ < rtf_.size() && static_cast<unsigned char>(rtf_[at_]) >= 0x80) ++at_;
    const std::string_view bytes = rtf_.substr(start, at_ - start);
    const QString text = isUtf8(bytes) ? QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))
                                       : decoder(codePage()).decode(bytes);
    for (QChar c : text) character(c.unicode());
  }

  void character(char16_t c) {
    GroupState& s = state();
    switch (s.destination) {
      case Destination::Text:
        // Control characters are no text of a document: RTF gives a tab, a
        // line break and a paragraph by control words, and a NUL or another
        // control character, raw or as \'hh or \uN, is passed over (written
        // back it would be left out, and the text would change).
        if (c < u'\x20' && c != u'\t') return;
        addText(QString(QChar(c)));
        return;
      case Destination::FontTable:
        if (c == u';') {
          fonts_[fontNumber_] = fontName_.trimmed();
          fontName_.clear();
        } else if (c >= u'\x20' && c != u'\u2028') {  // nor of a font's name
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

  // The paragraph gathered so far, with the properties in force at its end.
  Paragraph takeParagraph(const GroupState& end) {
    Paragraph paragraph{blockFormat(end), charFormat(state()), std::move(runs_), end.pageBreakBefore};
    runs_.clear();
    return paragraph;
  }

  void paragraphEnd() {
    if (state().destination != Destination::Text) return;
    paragraph_ = state();
    if (paragraph_.inTable) {
      cellParagraphs_.push_back(takeParagraph(paragraph_));
      return;
    }
    flushTable();
    flushParagraph(/*ended=*/true);
  }

  // \page: the paragraph ends, and the next one starts a page.
  void pageBreak() {
    if (state().destination != Destination::Text || state().inTable) return;
    paragraphEnd();
    pageBreakNext_ = true;
  }

  // \cell: the paragraph ends its cell.
  void cellEnd() {
    if (state().destination != Destination::Text) return;
    paragraph_ = state();
    cellParagraphs_.push_back(takeParagraph(paragraph_));
    rowCells_.push_back(std::move(cellParagraphs_));
    cellParagraphs_.clear();
  }

  // \row: the cells read make a row, as the latest row definition sets them out.
  void rowEnd() {
    if (state().destination != Destination::Text) return;
    if (!runs_.empty()) {
      cellEnd();
    } else if (!cellParagraphs_.empty()) {  // paragraphs of a cell without its \cell
      rowCells_.push_back(std::move(cellParagraphs_));
      cellParagraphs_.clear();
    }
    if (rowCells_.empty()) return;
    rows_.push_back({row_, std::move(rowCells_)});
    rowCells_.clear();
  }

  // Writes the paragraph gathered so far; its properties are those in force at its end.
  void flushParagraph(bool ended) {
    if (!ended && runs_.empty()) return;
    if (blockPending_) cursor_.insertBlock();
    QTextBlockFormat format = blockFormat(paragraph_);
    if (pageBreakNext_ || paragraph_.pageBreakBefore)
      format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    pageBreakNext_ = false;
    cursor_.setBlockFormat(format);
    if (runs_.empty()) cursor_.setBlockCharFormat(charFormat(state()));
    for (const Run& run : runs_) cursor_.insertText(run.text, run.format);
    runs_.clear();
    blockPending_ = true;
  }

  // Writes the rows read so far as one table: its columns are the right
  // edges of all its rows' cells, and a cell spans the columns between its
  // own left and right edges.
  void flushTable() {
    if (!cellParagraphs_.empty() || !rowCells_.empty()) rowEnd();
    if (rows_.empty()) return;
    // Edges are counted in 64 bits: cells the definition does not give add
    // an inch each, and a row may have any number of them.
    std::vector<std::vector<std::int64_t>> rights;  // each row's cell edges, rising
    std::int64_t left = std::numeric_limits<std::int64_t>::max();
    for (const Row& row : rows_) left = std::min<std::int64_t>(left, row.definition.left);
    std::vector<std::int64_t> edges;
    for (const Row& row : rows_) {
      std::vector<std::int64_t> edge(row.definition.rights.begin(), row.definition.rights.end());
      // Cells the definition does not give are an inch wide.
      while (edge.size() < row.cells.size())
        edge.push_back((edge.empty() ? row.definition.left : edge.back()) + 1440);
      std::int64_t previous = row.definition.left;
      for (std::int64_t& right : edge)
        previous = right = std::max<std::int64_t>(right, previous + static_cast<std::int64_t>(TwipsPerPixel));
      edges.insert(edges.end(), edge.begin(), edge.end());
      rights.push_back(std::move(edge));
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    const RowDefinition& first = rows_.front().definition;
    QTextTableFormat format;
    QList<QTextLength> widths;
    for (std::size_t c = 0; c < edges.size(); ++c)
      widths.push_back(
          QTextLength(QTextLength::FixedLength,
                      static_cast<double>(edges[c] - (c == 0 ? left : edges[c - 1])) / TwipsPerPixel));
    format.setColumnWidthConstraints(widths);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    format.setBorderCollapse(true);
    const bool bordered =
        std::any_of(rows_.begin(), rows_.end(), [](const Row& r) { return r.definition.bordered; });
    format.setBorder(bordered ? 1 : 0);
    format.setBorderBrush(QBrush(Qt::black));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setAlignment(first.alignment);
    format.setLeftMargin(static_cast<double>(std::max<std::int64_t>(0, left + first.gap)) / TwipsPerPixel);
    const std::vector<std::vector<Paragraph>>& firstCells = rows_.front().cells;
    if (pageBreakNext_ ||
        (!firstCells.empty() && !firstCells.front().empty() && firstCells.front().front().pageBreakBefore))
      format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    pageBreakNext_ = false;

    QTextTable* table =
        cursor_.insertTable(static_cast<int>(rows_.size()), static_cast<int>(edges.size()), format);
    // The first column right of an edge, and the column an edge is the right of.
    auto columnAfter = [&](std::int64_t edge) {
      return static_cast<int>(std::upper_bound(edges.begin(), edges.end(), edge) - edges.begin());
    };
    auto columnTo = [&](std::int64_t edge) {
      return static_cast<int>(std::lower_bound(edges.begin(), edges.end(), edge) - edges.begin());
    };
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const Row& row = rows_[r];
      std::int64_t previous = row.definition.left;
      for (std::size_t k = 0; k < rights[r].size(); ++k) {
        const int from = columnAfter(previous);
        const int to = columnTo(rights[r][k]);
        previous = rights[r][k];
        if (to > from) table->mergeCells(static_cast<int>(r), from, 1, to - from + 1);
        if (k >= row.cells.size()) continue;
        QTextTableCell cell = table->cellAt(static_cast<int>(r), from);
        if (!cell.isValid()) continue;  // no column right of its left edge
        QTextTableCellFormat padding = cell.format().toTableCellFormat();
        padding.setLeftPadding(std::max(SmallestCellPadding, row.definition.gap / TwipsPerPixel));
        padding.setRightPadding(std::max(SmallestCellPadding, row.definition.gap / TwipsPerPixel));
        padding.setTopPadding(1);
        padding.setBottomPadding(1);
        cell.setFormat(padding);
        QTextCursor at = cell.firstCursorPosition();
        bool firstParagraph = true;
        for (const Paragraph& paragraph : row.cells[k]) {
          const bool cellStart = firstParagraph;
          if (!firstParagraph) at.insertBlock();
          firstParagraph = false;
          at.setBlockFormat(paragraph.block);
          // The first block of a cell carries the cell's own format (its
          // spans and padding): an empty paragraph's character format is
          // merged into it there, never put in its place, or a merged cell
          // would lose its span.
          if (paragraph.runs.empty() && cellStart) {
            at.mergeBlockCharFormat(paragraph.chars);
          } else if (paragraph.runs.empty()) {
            at.setBlockCharFormat(paragraph.chars);
          }
          for (const Run& run : paragraph.runs) at.insertText(run.text, run.format);
        }
      }
    }
    rows_.clear();
    // Text goes on in the paragraph after the table, in formats of its own.
    cursor_.setPosition(table->lastPosition() + 1);
    cursor_.setBlockFormat(QTextBlockFormat());
    cursor_.setBlockCharFormat(charFormat(state()));
    blockPending_ = false;
  }

  std::string_view rtf_;
  std::size_t at_ = 0;
  QTextDocument& document_;
  QTextCursor cursor_;
  Font defaultFont_;
  std::vector<GroupState> stack_;
  // Groups opened past the deepest the stack keeps.
  struct {
    std::size_t depth = 0;
    GroupState saved;                  // the deepest state, as the first of them found it
    std::size_t destinationDepth = 0;  // the one of them that changed the destination
    Destination destinationBefore = Destination::Text;
  } overflow_;
  bool groupStart_ = false;
  std::map<int, QString> fonts_;
  std::map<int, int> fontCodePages_;  // font table index -> code page, where the font gives one
  int fontNumber_ = 0;
  int defaultFontIndex_ = -1;  // \deff: the font of text that names none
  int documentCodePage_ = WesternCodePage;
  std::map<int, CodePageDecoder> decoders_;
  std::string bytes_;  // \'hh bytes not decoded yet
  int bytesCodePage_ = WesternCodePage;
  QString fontName_;
  std::vector<std::optional<QColor>> colors_;
  QColor pendingColor_;
  bool colorGiven_ = false;
  std::vector<Run> runs_;
  GroupState paragraph_;
  bool blockPending_ = false;
  bool pageBreakNext_ = false;
  RowDefinition row_;
  bool borderTarget_ = false;
  std::vector<Paragraph> cellParagraphs_;         // of the cell being read
  std::vector<std::vector<Paragraph>> rowCells_;  // of the row being read
  std::vector<Row> rows_;                         // of the table being read
};

// --- writing ------------------------------------------------------------------

// Pixels of the 96-dpi document as whole twips, to the nearest: a negative
// length (a hanging first-line indent) rounds as a positive one does, so that
// reading what was written gives the same length again.
long toTwips(double pixels) { return std::lround(pixels * TwipsPerPixel); }

// A table's length as twips no farther than its edges may reach, so that
// the edges written add up without overflowing.
int edgeTwips(double pixels) {
  if (!(pixels * TwipsPerPixel < FarthestEdge)) return pixels > 0 ? FarthestEdge : -FarthestEdge;
  if (!(pixels * TwipsPerPixel > -FarthestEdge)) return -FarthestEdge;
  return static_cast<int>(toTwips(pixels));
}

// The size of a character format in half points (\fs). A format without a
// size of its own (text from HTML or Markdown) takes the document's default
// font; a size given in pixels is taken at 96 dpi. 0 when there is none.
int halfPointsOf(const QTextCharFormat& format, const QFont& documentFont) {
  double points = format.fontPointSize();
  if (points <= 0) {
    const QFont font = format.font().resolve(documentFont);
    points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
  }
  return points > 0 ? static_cast<int>(std::lround(points * 2)) : 0;
}

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
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
      out += "{\\f" + std::to_string(i) + "\\fnil ";
      appendEscaped(out, fonts_[i]);
      out += ";}";
    }
    out += "}\n{\\colortbl;";
    for (const QColor& color : colors_)
      out += "\\red" + std::to_string(color.red()) + "\\green" + std::to_string(color.green()) + "\\blue" +
             std::to_string(color.blue()) + ";";
    out += "}\n";
    // Paragraphs are parted by \par; a table's rows end in \row, and the
    // paragraph before a table ends before its first cell.
    bool paragraphOpen = false;
    // The last paragraph needs no \par, unless it is empty: an empty
    // paragraph is read only where a \par ends it. The one that follows a
    // table (every table has one) and a document's only one are there
    // anyway, but without a format of their own: theirs is not written.
    bool first = true;
    bool afterFrame = false;
    bool lastEmpty = false;
    bool lastNeedsEnd = false;
    std::size_t lastStart = 0;
    for (auto it = document_.rootFrame()->begin(); !it.atEnd(); ++it) {
      if (QTextFrame* frame = it.currentFrame()) {
        if (paragraphOpen) out += "\\par\n";
        paragraphOpen = false;
        writeFrame(out, *frame);
        afterFrame = true;
      } else if (it.currentBlock().isValid()) {
        if (paragraphOpen) out += "\\par\n";
        lastStart = out.size();
        writeBlock(out, it.currentBlock(), false);
        paragraphOpen = true;
        lastEmpty = it.currentBlock().length() <= 1;
        lastNeedsEnd = lastEmpty && !afterFrame && !first;
        afterFrame = false;
      }
      first = false;
    }
    if (paragraphOpen && lastNeedsEnd) out += "\\par\n";
    if (paragraphOpen && lastEmpty && !lastNeedsEnd) {
      out.resize(lastStart);
      out += "\\pard ";
    }
    out += "}";
    return out;
  }

 private:
  // A table as \trowd ... \cellxN, its cells' paragraphs and \row per row;
  // other frames as their paragraphs. A table in a cell is written as the
  // paragraphs of that cell.
  void writeFrame(std::string& out, const QTextFrame& frame) {
    const auto* table = qobject_cast<const QTextTable*>(&frame);
    if (table == nullptr) {
      bool first = true;
      for (QTextBlock block = document_.findBlock(frame.firstPosition());
           block.isValid() && block.position() <= frame.lastPosition(); block = block.next()) {
        if (!first) out += "\\par\n";
        first = false;
        writeBlock(out, block, false);
      }
      out += "\\par\n";
      return;
    }
    const QTextTableFormat format = table->format();
    const std::vector<int> rights = columnRights(*table);
    const bool bordered = format.border() > 0 && format.borderStyle() != QTextFrameFormat::BorderStyle_None;
    const bool breakBefore = format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
    // A row's gap is its cells' padding, as the reader will give it (never
    // less than its smallest). Every row starts at the same left edge, the
    // table's margin less the first row's gap, so that the cells of rows of
    // other gaps still line up in the columns they came from.
    auto gapOf = [&](int r) {
      const QTextTableCell first = table->cellAt(r, 0);
      const double padding = first.isValid() ? first.format().toTableCellFormat().leftPadding() : 0;
      return edgeTwips(std::max(SmallestCellPadding, padding));
    };
    const int left = edgeTwips(format.leftMargin()) - gapOf(0);
    // The columns' right edges as \cellx gives them, each at least a pixel
    // right of the one before, as the reader keeps them: past the farthest
    // edge the reader takes, every further one is a pixel on.
    std::vector<std::int64_t> edges;
    std::int64_t previous = left;
    for (int right : rights) {
      previous = std::max<std::int64_t>(std::min<std::int64_t>(std::int64_t{left} + right, FarthestEdge),
                                        previous + static_cast<std::int64_t>(TwipsPerPixel));
      edges.push_back(previous);
    }
    for (int r = 0; r < table->rows(); ++r) {
      out += "\\trowd\\trgaph" + std::to_string(gapOf(r)) + "\\trleft" + std::to_string(left);
      const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
      if (alignment & Qt::AlignHCenter) out += "\\trqc";
      if (alignment & Qt::AlignRight) out += "\\trqr";
      std::vector<QTextTableCell> cells;
      for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(r, c);
        if (!cell.isValid() || cell.column() != c) continue;  // within a cell spanning columns
        if (bordered)
          out +=
              "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\b"
              "rdrw10";
        const int last = std::min(c + cell.columnSpan(), table->columns()) - 1;
        out += "\\cellx" + std::to_string(edges[static_cast<std::size_t>(last)]);
        cells.push_back(cell);
      }
      out += "\n";
      for (const QTextTableCell& cell : cells) {
        // A cell reaching down from a row above is empty here.
        bool firstParagraph = true;
        if (cell.row() == r)
          for (QTextBlock block = document_.findBlock(cell.firstPosition());
               block.isValid() && block.position() <= cell.lastPosition(); block = block.next()) {
            if (!firstParagraph) out += "\\par\n";
            writeBlock(out, block, true, firstParagraph && r == 0 && cell.column() == 0 && breakBefore);
            firstParagraph = false;
          }
        if (firstParagraph) out += "\\pard\\intbl ";
        out += "\\cell\n";
      }
      out += "\\row\n";
    }
  }

  // The right edges of a table's columns, twips from its left: fixed widths
  // as they are, percentages of the document's width (6.5 inches when it has
  // none), and the width left shared among the others.
  std::vector<int> columnRights(const QTextTable& table) const {
    const double width = document_.textWidth() > 0 ? document_.textWidth() : 6.5 * 96;
    const QList<QTextLength> constraints = table.format().columnWidthConstraints();
    std::vector<double> widths(static_cast<std::size_t>(table.columns()), -1);
    double taken = 0;
    int free = 0;
    for (std::size_t c = 0; c < widths.size(); ++c) {
      const QTextLength length = c < static_cast<std::size_t>(constraints.size())
                                     ? constraints[static_cast<qsizetype>(c)]
                                     : QTextLength();
      if (length.type() == QTextLength::FixedLength) widths[c] = length.rawValue();
      if (length.type() == QTextLength::PercentageLength) widths[c] = length.rawValue() * width / 100;
      if (widths[c] >= 0)
        taken += widths[c];
      else
        ++free;
    }
    const double share = free > 0 ? std::max(width - taken, 20.0 * free) / free : 0;
    std::vector<int> rights;
    double right = 0;
    for (double w : widths) {
      right += std::max(1.0, w >= 0 ? w : share);
      rights.push_back(edgeTwips(right));
    }
    return rights;
  }

  void collectTables() {
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next())
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        if (escapedText(it.fragment()).empty()) continue;  // written not at all
        const QTextCharFormat format = it.fragment().charFormat();
        (void)fontIndex(family(format));
        if (format.hasProperty(QTextFormat::ForegroundBrush)) (void)colorIndex(format.foreground().color());
        if (format.hasProperty(QTextFormat::BackgroundBrush)) (void)colorIndex(format.background().color());
      }
    if (fonts_.empty()) fonts_.push_back(QString::fromStdString(Font().installedFamily()));
  }

  // The font's name as the font table can hold it: a ';' ends a name there
  // and a control character is no part of one, so both are left out (and the
  // blanks around it, which the reader drops); braces, backslashes and
  // characters past ASCII are escaped as in text when the table is written.
  static QString family(const QTextCharFormat& format) {
    const QStringList families = format.fontFamilies().toStringList();
    QString name = families.isEmpty() ? format.font().family() : families.front();
    name.removeIf([](QChar c) {
      return c == u';' || c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
    });
    return name.trimmed();
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

  void writeBlock(std::string& out, const QTextBlock& block, bool inTable, bool pageBreakBefore = false) {
    const QTextBlockFormat format = block.blockFormat();
    out += "\\pard";
    if (inTable) out += "\\intbl";
    if (pageBreakBefore || (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
      out += "\\pagebb";
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignRight) out += "\\qr";
    if (alignment & Qt::AlignHCenter) out += "\\qc";
    if (alignment & Qt::AlignJustify) out += "\\qj";
    auto twips = [](double pixels) { return std::to_string(toTwips(pixels)); };
    if (format.leftMargin() != 0) out += "\\li" + twips(format.leftMargin());
    if (format.rightMargin() != 0) out += "\\ri" + twips(format.rightMargin());
    if (format.textIndent() != 0) out += "\\fi" + twips(format.textIndent());
    if (format.topMargin() != 0) out += "\\sb" + twips(format.topMargin());
    if (format.bottomMargin() != 0) out += "\\sa" + twips(format.bottomMargin());
    out += ' ';
    std::string previousGroup;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      // A run of nothing but what RTF does not keep (control characters) is
      // left out whole: its empty group would not be read back.
      const std::string text = escapedText(fragment);
      if (text.empty()) continue;
      const QTextCharFormat chars = fragment.charFormat();
      std::string group = "{\\f" + std::to_string(fontIndex(family(chars)));
      if (const int halfPoints = halfPointsOf(chars, document_.defaultFont()); halfPoints > 0)
        group += "\\fs" + std::to_string(halfPoints);
      if (chars.fontWeight() >= QFont::DemiBold) group += "\\b";
      if (chars.fontItalic()) group += "\\i";
      if (chars.fontUnderline()) group += "\\ul";
      if (chars.fontStrikeOut()) group += "\\strike";
      if (chars.hasProperty(QTextFormat::ForegroundBrush))
        group += "\\cf" + std::to_string(colorIndex(chars.foreground().color()));
      if (chars.hasProperty(QTextFormat::BackgroundBrush))
        group += "\\highlight" + std::to_string(colorIndex(chars.background().color()));
      group += ' ';
      // Runs written alike are one run, as the reader reads them.
      if (group == previousGroup) {
        out.pop_back();
      } else {
        out += group;
        previousGroup = std::move(group);
      }
      out += text;
      out += '}';
    }
  }

  static std::string escapedText(const QTextFragment& fragment) {
    std::string text;
    appendEscaped(text, fragment.text());
    return text;
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
