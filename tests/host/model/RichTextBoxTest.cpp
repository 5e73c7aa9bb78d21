// The rich-text box: RTF written by real tools, broken RTF, the document's
// formats, its form-file keys and the format-range operation.
#include <gtest/gtest.h>

#include <QImage>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextTable>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "TestSupport.h"
#include "host/CodePages.h"
#include "host/Font.h"
#include "host/Lang.h"
#include "host/PagedDocument.h"
#include "host/RasterDc.h"
#include "host/model/FormFile.h"
#include "host/model/RichText.h"
#include "host/model/Rtf.h"

namespace {

using host::Value;

std::string fixture(const std::string& name) {
  std::ifstream in(std::string(VELLORA_SOURCE_DIR) + "/tests/forms/richtext/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Document {
  explicit Document(std::string_view rtf) { host::readRtf(rtf, text, host::Font("Arial", 10)); }
  [[nodiscard]] std::string plain() const { return text.toPlainText().toStdString(); }
  // The character format at the first occurrence of `needle`.
  [[nodiscard]] QTextCharFormat formatAt(const char* needle) const {
    const QTextCursor found = text.find(QString::fromUtf8(needle));
    EXPECT_FALSE(found.isNull()) << needle;
    QTextCursor at(found);
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
  }
  [[nodiscard]] QTextBlockFormat blockAt(const char* needle) const {
    return text.find(QString::fromUtf8(needle)).block().blockFormat();
  }
  QTextDocument text;
};

TEST(RtfReader, ReadsWhatLatex2rtfWrites) {
  Document document(fixture("terms.rtf"));
  const std::string plain = document.plain();
  EXPECT_NE(plain.find("Delivery terms"), std::string::npos);
  EXPECT_NE(plain.find("The goods are shipped within ten days of the order."), std::string::npos);
  EXPECT_NE(plain.find("caf\u00e9 and na\u00efve"), std::string::npos);    // \'e9 and \'ef
  EXPECT_NE(plain.find("\u2022\tFirst item of the list"), std::string::npos);  // \bullet\tab
  EXPECT_NE(plain.find("ORD-1042 ends the document."), std::string::npos);
  // The style sheet, the document information and the footer are no text.
  for (const char* hidden : {"Normal", "heading", "Original file", "latex2rtf", "Default Paragraph"})
    EXPECT_EQ(plain.find(hidden), std::string::npos) << hidden;

  EXPECT_EQ(document.formatAt("within ten days").fontWeight(), QFont::Bold);
  EXPECT_EQ(document.formatAt("shipped").fontWeight(), QFont::Normal);
  EXPECT_TRUE(document.formatAt("euros").fontItalic());
  EXPECT_TRUE(document.formatAt("freight").fontUnderline());
  EXPECT_EQ(document.formatAt("freight").fontPointSize(), 10);  // \fs20
  EXPECT_EQ(document.formatAt("Delivery").fontPointSize(), 16);  // \fs32
  EXPECT_EQ(document.formatAt("ORD-1042").fontFamilies().toStringList().value(0), "Liberation Mono");
  EXPECT_EQ(document.blockAt("A centred closing line").alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(document.blockAt("The goods").alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
  // \li600\fi-300 on the list items: 40 and -20 pixels of a 96-dpi page.
  EXPECT_DOUBLE_EQ(document.blockAt("First item").leftMargin(), 40);
  EXPECT_DOUBLE_EQ(document.blockAt("First item").textIndent(), -20);
}

TEST(RtfReader, ReadsWhatEnscriptWrites) {
  Document document(fixture("listing.rtf"));
  const std::string plain = document.plain();
  // \line breaks lines inside one paragraph; tabs stay tabs.
  EXPECT_NE(plain.find("Invoice 1042\n\nQty\tItem\tPrice\n2\tPaper A4\t9.80"), std::string::npos) << plain;
  EXPECT_NE(plain.find("Thank you for your order."), std::string::npos);
  EXPECT_EQ(document.formatAt("Invoice").fontFamilies().toStringList().value(0), "Liberation Mono");
}

TEST(RtfReader, BrokenOrUnknownRtfYieldsTheTextItCouldRead) {
  EXPECT_EQ(Document(R"({\rtf1 Before {\*\unknowndest secret {nested} words} after\par)").plain(), "Before  after");
  // A bad hex escape is left as text; stray closing braces are passed over.
  EXPECT_EQ(Document(R"({\rtf1 {\b bold} and \'zz\'4 plain} } } trailing)").plain(), "bold and zz plain   trailing");
  EXPECT_EQ(Document(R"({\rtf1 \madeupword12 kept\par {\pict\pngblip 89504e47} next})").plain(), "kept\n next");
  EXPECT_EQ(Document("{\\rtf1 cut off in the middle {\\i of a gro").plain(), "cut off in the middle of a gro");
  EXPECT_EQ(Document("").plain(), "");
  EXPECT_EQ(Document("\\").plain(), "");
  // Far deeper nesting than any document has is still read.
  EXPECT_EQ(Document(std::string(5000, '{') + "deep" + std::string(5000, '}')).plain(), "deep");
}

TEST(RtfReader, UnicodeCharactersSkipTheirFallback) {
  EXPECT_EQ(Document(R"({\rtf1 price \u8364? 12\par})").plain(), "price \u20ac 12");
  EXPECT_EQ(Document(R"({\rtf1\uc2 a\u8364\'80\'80b})").plain(), "a\u20acb");
  EXPECT_EQ(Document(R"({\rtf1 \u-3913 ?x})").plain(), "\uf0b7x");  // negative: the code + 65536
  EXPECT_EQ(Document(R"({\rtf1 \'80 \'93q\'94})").plain(), "\u20ac \u201cq\u201d");  // Windows-1252
}

// The tables of a document, in order.
std::vector<QTextTable*> tablesOf(const QTextDocument& document) {
  std::vector<QTextTable*> tables;
  for (QTextFrame* frame : document.rootFrame()->childFrames())
    if (auto* table = qobject_cast<QTextTable*>(frame)) tables.push_back(table);
  return tables;
}

std::string cellText(QTextTable& table, int row, int column) {
  QTextCursor cursor = table.cellAt(row, column).firstCursorPosition();
  cursor.setPosition(table.cellAt(row, column).lastCursorPosition().position(), QTextCursor::KeepAnchor);
  return cursor.selectedText().replace(QChar::ParagraphSeparator, '\n').toStdString();
}

TEST(RtfReader, HexCharactersAreReadInTheCodePageTheFileNames) {
  // The document's code page.
  EXPECT_EQ(Document(R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8\'e2\'e5\'f2\par})").plain(), "Привет");
  EXPECT_EQ(Document(R"({\rtf1\ansi\ansicpg1250 \'a3\'f3d\'9f})").plain(), "Łódź");
  EXPECT_EQ(Document(R"({\rtf1\ansi\ansicpg1253 \'e1\'e2\'e3})").plain(), "αβγ");
  EXPECT_EQ(Document(R"({\rtf1\ansi\ansicpg1254 \'fe\'f0})").plain(), "şğ");
  // A font's character set gives the code page of its text, whatever the document's.
  Document fonts(
      R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\fswiss\fcharset204 Arial Cyr;})"
      R"({\f2\fnil\fcharset238 Arial CE;}{\f3\fnil\fcharset161\cpg1251 Odd;}}\f0 caf\'e9 {\f1 \'e4\'e0} {\f2 \'b9} {\f3 \'e4}\par})");
  EXPECT_EQ(fonts.plain(), "café да ą д");  // \cpgN outranks the set's code page
  EXPECT_EQ(Document(R"({\rtf1\ansi\deff1{\fonttbl{\f0 Arial;}{\f1\fcharset204 Arial;}}\'e4\'e0 {\f0 \'e4}})")
                .plain(),
            "да ä");
  // A font's name is read in its own code page.
  Document named(R"({\rtf1\ansi{\fonttbl{\f0\fcharset204 \'d2\'e5\'f1\'f2;}}\f0 x})");
  EXPECT_EQ(named.formatAt("x").fontFamilies().toStringList().value(0), "Тест");
  // Bytes a code page does not define.
  EXPECT_EQ(Document(R"({\rtf1\ansi \'81})").plain(), "\ufffd");
  // Bytes in a row make one character of a multi-byte code page.
  EXPECT_EQ(Document(R"({\rtf1\ansi\ansicpg65001 \'d0\'9f\'d1\'80})").plain(), "Пр");
  if (host::isKnownCodePage(932)) {  // where this Qt offers Shift-JIS
    EXPECT_EQ(Document(R"({\rtf1\ansi\ansicpg932 \'82\'a0\'93\'fa})").plain(), "あ日");
  }
}

TEST(RtfReader, RawUtf8TextReadsAsItsCharacters) {
  EXPECT_EQ(Document("{\\rtf1\\ansi Grüße, Привет, 東京 😀\\par}").plain(), "Grüße, Привет, 東京 😀");
  // Raw bytes that are not UTF-8 are bytes of the code page.
  EXPECT_EQ(Document("{\\rtf1\\ansi caf\xe9 na\xefve}").plain(), "café naïve");
  EXPECT_EQ(Document("{\\rtf1\\ansi\\ansicpg1251 \xcf\xf0\xe8\xe2\xe5\xf2}").plain(), "Привет");
  // Escapes are always bytes of the code page, beside UTF-8 text.
  EXPECT_EQ(Document("{\\rtf1\\ansi Ü \\'dc}").plain(), "Ü Ü");
}

TEST(RtfReader, UnicodeCharactersKeepSkippingTheirFallbackInAnyCodePage) {
  EXPECT_EQ(Document(R"({\rtf1\ansi\ansicpg1251\uc1\u1055\'cf\'f0\'e8\u1074\'e2\'e5\'f2})").plain(),
            "Привет");
  EXPECT_EQ(Document(R"({\rtf1\ansi\ansicpg1251{\uc2\u1055\'cf\'cf}\'f0})").plain(), "Пр");
  EXPECT_EQ(Document("{\\rtf1\\uc0\\u1055 x}").plain(), "Пx");
}

TEST(RtfReader, BinaryDataIsSkippedByItsLength) {
  // The data holds braces, backslashes and letters: none of it is RTF or text.
  const std::string data = "}{\\b\\par x{";
  const std::string rtf = "{\\rtf1 Before {\\pict\\pngblip\\bin" + std::to_string(data.size()) + " " + data +
                          "} after {\\i italic}\\par{\\*\\blob\\bin3 }}}}tail}";
  Document document(rtf);
  EXPECT_EQ(document.plain(), "Before  after italic\ntail");
  EXPECT_FALSE(document.formatAt("after").fontWeight() == QFont::Bold);
  EXPECT_TRUE(document.formatAt("italic").fontItalic());
  EXPECT_FALSE(document.formatAt("tail").fontItalic());
  // In running text too, and cut short by the end of the file.
  EXPECT_EQ(Document("{\\rtf1 a\\bin2 zz b}").plain(), "a b");
  EXPECT_EQ(Document("{\\rtf1 a\\bin99 zz").plain(), "a");
}

TEST(RtfReader, GroupsPastTheNestingCapStayBalanced) {
  const std::string deep = std::string(1000, '{') + "\\b deep" + std::string(1000, '}');
  Document document("{\\rtf1 " + deep + " after {\\i italic} plain\\par Next}");
  EXPECT_EQ(document.plain(), "deep after italic plain\nNext");
  EXPECT_EQ(document.formatAt("deep").fontWeight(), QFont::Bold);
  EXPECT_EQ(document.formatAt("after").fontWeight(), QFont::Normal);
  EXPECT_TRUE(document.formatAt("italic").fontItalic());
  EXPECT_FALSE(document.formatAt("plain").fontItalic());
  // A destination skipped past the cap ends with its group.
  const std::string hidden = std::string(300, '{') + "{\\*\\unknown secret}shown" + std::string(300, '}');
  EXPECT_EQ(Document("{\\rtf1 " + hidden + " visible}").plain(), "shown visible");
  // The font table after a deep group is still a font table.
  Document fonts("{\\rtf1 " + std::string(400, '{') + std::string(400, '}') +
                 "{\\fonttbl{\\f1 Courier New;}}{\\f1 mono} text}");
  EXPECT_EQ(fonts.plain(), "mono text");
  EXPECT_EQ(fonts.formatAt("mono").fontFamilies().toStringList().value(0), "Liberation Mono");
}

TEST(RtfReader, TableRowsAreTablesWithTheirCellEdgesAsColumns) {
  // As Word writes a table: the row definition before and again after the cells.
  const std::string row1 =
      R"(\trowd\trgaph108\trleft-108\clbrdrt\brdrs\brdrw10\clbrdrb\brdrs\brdrw10\cellx2000\cellx4000\cellx6000)"
      R"(\pard\intbl Cell11\cell Cell12\cell {\b Cell13}\par second line\cell)"
      R"({\trowd\trgaph108\trleft-108\clbrdrt\brdrs\brdrw10\clbrdrb\brdrs\brdrw10\cellx2000\cellx4000\cellx6000\row})";
  const std::string row2 =
      R"(\trowd\trgaph108\trleft-108\cellx4000\cellx6000\pard\intbl Wide\cell Cell23\cell\row)";
  Document document("{\\rtf1\\ansi Before\\par " + row1 + row2 + "\\pard After\\par}");
  EXPECT_EQ(document.plain(), "Before\nCell11\nCell12\nCell13\nsecond line\nWide\nCell23\nAfter");
  const std::vector<QTextTable*> tables = tablesOf(document.text);
  ASSERT_EQ(tables.size(), 1u);
  QTextTable& table = *tables[0];
  ASSERT_EQ(table.rows(), 2);
  ASSERT_EQ(table.columns(), 3);
  EXPECT_EQ(cellText(table, 0, 0), "Cell11");
  EXPECT_EQ(cellText(table, 0, 1), "Cell12");
  EXPECT_EQ(cellText(table, 0, 2), "Cell13\nsecond line");
  // The second row's first cell reaches from the row's start to 4000 twips: two columns.
  EXPECT_EQ(table.cellAt(1, 0).columnSpan(), 2);
  EXPECT_EQ(cellText(table, 1, 0), "Wide");
  EXPECT_EQ(cellText(table, 1, 2), "Cell23");
  // Column widths are the distances between the cells' right edges (15 twips a pixel).
  const QList<QTextLength> widths = table.format().columnWidthConstraints();
  ASSERT_EQ(widths.size(), 3);
  EXPECT_EQ(widths[0].type(), QTextLength::FixedLength);
  EXPECT_DOUBLE_EQ(widths[0].rawValue(), 2108 / 15.0);
  EXPECT_DOUBLE_EQ(widths[1].rawValue(), 2000 / 15.0);
  EXPECT_DOUBLE_EQ(widths[2].rawValue(), 2000 / 15.0);
  EXPECT_GT(table.format().border(), 0);
  EXPECT_EQ(document.formatAt("Cell13").fontWeight(), QFont::Bold);
  EXPECT_EQ(document.formatAt("Cell12").fontWeight(), QFont::Normal);
  // Without borders the table has none; a table ends the document.
  Document bare(R"({\rtf1\trowd\cellx1000\cellx2000\intbl a\cell b\cell\row})");
  ASSERT_EQ(tablesOf(bare.text).size(), 1u);
  EXPECT_EQ(tablesOf(bare.text)[0]->format().border(), 0);
  EXPECT_EQ(cellText(*tablesOf(bare.text)[0], 0, 1), "b");
  // Cut off in the middle of a row: the cells read so far are a row still.
  Document cut(R"({\rtf1\trowd\cellx1000\cellx2000\intbl a\cell b)");
  ASSERT_EQ(tablesOf(cut.text).size(), 1u);
  EXPECT_EQ(cellText(*tablesOf(cut.text)[0], 0, 1), "b");
}

TEST(RtfReader, AnEmptyCellSpanningColumnsKeepsItsSpanAndPadding) {
  // The empty paragraph of a cell once took the place of the cell's format:
  // the cell lost its span (the table still had it cover both columns) and
  // its padding, and the next save wrote another table.
  Document document(R"({\rtf1\trowd\trgaph108\cellx1000\cellx2000\cellx3000\intbl a\cell b\cell c\cell\row)"
                    R"(\trowd\trgaph108\cellx1000\cellx3000\pard\intbl x\cell\pard\intbl \cell\row})");
  const std::vector<QTextTable*> tables = tablesOf(document.text);
  ASSERT_EQ(tables.size(), 1u);
  ASSERT_EQ(tables[0]->columns(), 3);
  const QTextTableCell empty = tables[0]->cellAt(1, 2);
  EXPECT_EQ(empty.column(), 1);
  EXPECT_EQ(empty.columnSpan(), 2);
  EXPECT_EQ(tables[0]->cellAt(1, 1).columnSpan(), 2);
  EXPECT_DOUBLE_EQ(empty.format().toTableCellFormat().leftPadding(), 108 / 15.0);
}

TEST(RtfReader, AParagraphOfThousandsOfRunsKeepsTheFormatOfEach) {
  // Read run by run, such a paragraph was laid out again after each run: 5000
  // runs took most of a minute. It is read as one edit now.
  std::string rtf = "{\\rtf1 ";
  for (int run = 0; run < 5000; ++run) rtf += std::string(run % 2 == 0 ? "\\b " : "\\b0 ") + "r" + std::to_string(run) + " ";
  Document document(rtf + "\\par}");
  EXPECT_EQ(document.text.blockCount(), 1);
  EXPECT_EQ(document.formatAt("r0 ").fontWeight(), QFont::Bold);
  EXPECT_EQ(document.formatAt("r1 ").fontWeight(), QFont::Normal);
  EXPECT_EQ(document.formatAt("r4998 ").fontWeight(), QFont::Bold);
  EXPECT_EQ(document.formatAt("r4999").fontWeight(), QFont::Normal);
  EXPECT_TRUE(document.plain().starts_with("r0 r1 r2 ")) << document.plain().substr(0, 40);
  EXPECT_TRUE(document.plain().ends_with("r4998 r4999 ")) << document.plain().substr(document.plain().size() - 40);
}

TEST(RtfReader, ControlCharactersAreNoTextOfTheDocument) {
  // A NUL read into the document was left out when the box wrote it again,
  // so the saved text was not the text read.
  const char bytes[] = "{\\rtf1 a\0b\\'00c\\u1?d\x01\x1f" "e\tg\\tab f\\line h}";
  Document document(std::string_view(bytes, sizeof bytes - 1));
  EXPECT_EQ(document.plain(), "abcde\tg\tf\nh");
  EXPECT_EQ(Document(host::writeRtf(document.text)).plain(), document.plain());
  // A run of nothing but control characters (HTML may hold NULs) is written
  // not at all: its empty group read back as no run, and the text written
  // again was another.
  QTextDocument html;
  html.setHtml(QString::fromUtf8("<p>a<i>") + QChar(0) + QChar(1) + QString::fromUtf8("</i>b</p>"));
  const std::string written = host::writeRtf(html);
  EXPECT_EQ(written.find("\\i"), std::string::npos) << written;
  EXPECT_EQ(host::writeRtf(Document(written).text), written);
}

TEST(RtfWriter, AnEmptyLastParagraphIsKept) {
  // Written without its \par, an empty last paragraph was not read back.
  for (const char* rtf : {R"({\rtf1 words\par\par})", R"({\rtf1 a\par\par\par})", R"({\rtf1 \par})",
                          R"({\rtf1 \trowd\cellx1000\intbl a\cell\row\pard\par})", R"({\rtf1 one})",
                          R"({\rtf1 \trowd\cellx1000\intbl a\cell\row\pard\li283\fi-283\sa120 })",
                          R"({\rtf1 \pard\qc\sa120 })"}) {
    Document document(rtf);
    Document again(host::writeRtf(document.text));
    EXPECT_EQ(again.text.blockCount(), document.text.blockCount()) << rtf;
    EXPECT_EQ(again.plain(), document.plain()) << rtf;
    EXPECT_EQ(host::writeRtf(again.text), host::writeRtf(document.text)) << rtf;
  }
}

TEST(RtfWriter, FontNamesAreWrittenSoThatTheFontTableStaysWhole) {
  // A brace in a font's name was written as it is and took the rest of the
  // document into the font table: the saved text read back empty.
  QTextDocument document;
  QTextCursor cursor(&document);
  QTextCharFormat odd;
  odd.setFontFamilies({QString::fromUtf8(" Odd {Sans} \\ caf\u00e9; ")});
  cursor.insertText("Kept text", odd);
  const std::string written = host::writeRtf(document);
  Document again(written);
  EXPECT_EQ(again.plain(), "Kept text") << written;
  EXPECT_EQ(again.formatAt("Kept").fontFamilies().toStringList().value(0).toStdString(),
            "Odd {Sans} \\ caf\u00e9")
      << written;
  EXPECT_EQ(host::writeRtf(again.text), written);
  // Control characters in a name are no part of it: the name stays one the
  // host knows (Courier New has its metric twin), read and read again.
  const char table[] = "{\\rtf1{\\fonttbl{\\f1 \x06\0\\'01Courier New\\line;}}\\f1 Mono}";
  Document mono(std::string_view(table, sizeof table - 1));
  const QString family = mono.formatAt("Mono").fontFamilies().toStringList().value(0);
  EXPECT_EQ(family.toStdString(), host::Font("Courier New", 10).installedFamily());
  EXPECT_EQ(host::writeRtf(Document(host::writeRtf(mono.text)).text), host::writeRtf(mono.text));
}

TEST(RtfReader, TableEdgesAsFarAsANumberGoesStillMakeATable) {
  // Edges near the largest number overflowed when the cells after them were
  // placed (undefined behaviour the sanitizers report).
  Document far(R"({\rtf1\trowd\trleft2147483647\trgaph2147483647\cellx2147483647\intbl a\cell b\cell c\cell\row)"
               R"(\trowd\trleft-2147483647\cellx-2147483647\cellx5\intbl d\cell e\cell\row})");
  const std::vector<QTextTable*> tables = tablesOf(far.text);
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_EQ(tables[0]->rows(), 2);
  for (const char* cell : {"a", "b", "c", "d", "e"})
    EXPECT_NE(far.plain().find(cell), std::string::npos) << cell;
  EXPECT_EQ(Document(host::writeRtf(far.text)).plain(), far.plain());
  // Written, the edges past the farthest one written stay apart, and a cell
  // spanning several of them keeps its span when read again.
  const std::string written = host::writeRtf(far.text);
  EXPECT_EQ(host::writeRtf(Document(written).text), written);
}

TEST(RichTextBox, ADocumentOfOnlyControlCharactersIsSavedAsAnEmptyOne) {
  // Its TextRTF, written without them, was an empty document, which the
  // next save left out: the form saved twice gave two files.
  const auto form = host::loadFormText(
      "{\"Form\": {\"Controls\": [{\"Type\": \"RichTextBox\", \"Name\": \"R\", \"Html\": \"\\u0002\\u0001\"}]}}");
  const std::string saved = host::saveFormText(*form);
  EXPECT_EQ(saved.find("TextRTF"), std::string::npos) << saved;
  EXPECT_EQ(host::saveFormText(*host::loadFormText(saved)), saved);
}

TEST(RtfReader, PageBreaksStartTheNextParagraphOnANewPage) {
  Document document(R"({\rtf1 One\page Two\par Three\par\pard\pagebb Four\par})");
  EXPECT_EQ(document.plain(), "One\nTwo\nThree\nFour");
  auto breaksBefore = [&](const char* text) {
    return bool(document.blockAt(text).pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
  };
  EXPECT_FALSE(breaksBefore("One"));
  EXPECT_TRUE(breaksBefore("Two"));
  EXPECT_FALSE(breaksBefore("Three"));
  EXPECT_TRUE(breaksBefore("Four"));
  // A page break before a table puts the table on the new page.
  Document table(R"({\rtf1 One\page\trowd\cellx1000\intbl a\cell\row})");
  ASSERT_EQ(tablesOf(table.text).size(), 1u);
  EXPECT_TRUE(tablesOf(table.text)[0]->format().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
}

TEST(CodePages, TablesAndCharacterSets) {
  EXPECT_EQ(host::codePageOfCharset(0), 1252);
  EXPECT_EQ(host::codePageOfCharset(204), 1251);
  EXPECT_EQ(host::codePageOfCharset(238), 1250);
  EXPECT_EQ(host::codePageOfCharset(1), 0);
  EXPECT_EQ(host::decodeCodePage(1252, "\x80\x93\x94\xe9"), QString::fromUtf8("€“”é"));
  EXPECT_EQ(host::decodeCodePage(1251, "\xc0\xff\xa8\xb8"), QString::fromUtf8("АяЁё"));
  EXPECT_EQ(host::decodeCodePage(1255, "\xf9"), QString::fromUtf8("ש"));
  EXPECT_EQ(host::decodeCodePage(1256, "\xc7"), QString::fromUtf8("ا"));
  EXPECT_EQ(host::decodeCodePage(1257, "\xe0"), QString::fromUtf8("ą"));
  EXPECT_EQ(host::decodeCodePage(1258, "\xd2"), QString::fromUtf8("\u0309"));
  EXPECT_EQ(host::decodeCodePage(host::Utf8CodePage, "\xc3\xa9"), QString::fromUtf8("é"));
  // A code page nobody knows reads as Windows-1252.
  EXPECT_EQ(host::decodeCodePage(12345, "\xe9"), QString::fromUtf8("é"));
  EXPECT_TRUE(host::isUtf8("plain ascii"));
  EXPECT_TRUE(host::isUtf8("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"));
  EXPECT_FALSE(host::isUtf8("\xe9t\xe9"));
  EXPECT_FALSE(host::isUtf8("\xc0\xaf"));      // overlong
  EXPECT_FALSE(host::isUtf8("\xed\xa0\x80"));  // a surrogate
  EXPECT_FALSE(host::isUtf8("\xe2\x82"));      // cut short
}

TEST(RtfReader, ColourAndHighlightComeFromTheColourTable) {
  Document document(R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green0\blue255;}{\cf1 red}{\highlight2 marked} plain})");
  EXPECT_EQ(document.formatAt("red").foreground().color(), QColor(255, 0, 0));
  EXPECT_EQ(document.formatAt("marked").background().color(), QColor(0, 0, 255));
  EXPECT_FALSE(document.formatAt("plain").hasProperty(QTextFormat::ForegroundBrush));
}

TEST(RtfWriter, WrittenRtfReadsBackToTheSameDocument) {
  Document original(fixture("terms.rtf"));
  Document again(host::writeRtf(original.text));
  EXPECT_EQ(again.plain(), original.plain());
  EXPECT_EQ(again.text.blockCount(), original.text.blockCount());
  EXPECT_EQ(again.formatAt("within ten days").fontWeight(), QFont::Bold);
  EXPECT_TRUE(again.formatAt("euros").fontItalic());
  EXPECT_EQ(again.blockAt("A centred closing line").alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_DOUBLE_EQ(again.blockAt("First item").leftMargin(), 40);
  Document braces(host::writeRtf(Document(R"({\rtf1 a \{b\} c\\d \u8364?})").text));
  EXPECT_EQ(braces.plain(), "a {b} c\\d \u20ac");
}

TEST(RtfWriter, TablesAndPageBreaksReadBackAsTheyWere) {
  QTextDocument html;
  html.setHtml(
      "<p>Intro</p><table border=1><tr><td>A1</td><td>B1</td></tr><tr><td colspan=2>Both</td></tr></table>"
      "<p style='page-break-before: always'>Later</p>");
  Document again(host::writeRtf(html));
  EXPECT_EQ(again.plain(), html.toPlainText().toStdString());
  const std::vector<QTextTable*> tables = tablesOf(again.text);
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_EQ(tables[0]->rows(), 2);
  EXPECT_EQ(tables[0]->columns(), 2);
  EXPECT_EQ(cellText(*tables[0], 0, 1), "B1");
  EXPECT_EQ(tables[0]->cellAt(1, 0).columnSpan(), 2);
  EXPECT_GT(tables[0]->format().border(), 0);
  EXPECT_TRUE(again.blockAt("Later").pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
  // Written again, the same RTF; a table first in the document stays first.
  EXPECT_EQ(host::writeRtf(again.text), host::writeRtf(Document(host::writeRtf(again.text)).text));
  Document first(R"({\rtf1\trowd\cellx1500\cellx3000\intbl a\cell b\cell\row\pard\page After\par})");
  Document firstAgain(host::writeRtf(first.text));
  EXPECT_EQ(firstAgain.plain(), first.plain());
  EXPECT_EQ(firstAgain.text.blockCount(), first.text.blockCount());
  ASSERT_EQ(tablesOf(firstAgain.text).size(), 1u);
  EXPECT_DOUBLE_EQ(tablesOf(firstAgain.text)[0]->format().columnWidthConstraints().value(1).rawValue(), 100);
  EXPECT_TRUE(firstAgain.blockAt("After").pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
}

TEST(RtfWriter, NegativeLengthsAndSizesWithoutPointsReadBackAsTheyWere) {
  // A hanging indent of -360 twips was written as -359, one twip less each
  // time the form was saved.
  Document hanging(R"({\rtf1\pard\li720\fi-360 hanging\par})");
  const std::string written = host::writeRtf(hanging.text);
  EXPECT_NE(written.find("\\fi-360"), std::string::npos) << written;
  EXPECT_EQ(host::writeRtf(Document(written).text), written);

  // Text from HTML has no point size of its own: it was written as \fs0,
  // which reads as the box's default size instead of the document's.
  QTextDocument html;
  html.setDefaultFont(QFont("Liberation Serif", 12));
  html.setHtml("<p>plain <span style='font-size:20px'>pixels</span></p>");
  const std::string fromHtml = host::writeRtf(html);
  EXPECT_EQ(fromHtml.find("\\fs0"), std::string::npos) << fromHtml;
  Document again(fromHtml);
  EXPECT_DOUBLE_EQ(again.formatAt("plain").fontPointSize(), 12);
  EXPECT_DOUBLE_EQ(again.formatAt("pixels").fontPointSize(), 15) << "20 pixels at 96 dpi";
  EXPECT_EQ(host::writeRtf(again.text), fromHtml) << "written again, the same RTF";
}

TEST(RtfWriter, TableRowsOfOtherGapsKeepTheirColumnsWhenWrittenAgain) {
  // Rows of other gaps were written from other left edges, so reading them
  // back split the columns and shifted the cells; a table of cells without
  // padding (from HTML) came back with the reader's least padding and
  // moved on each save.
  Document gaps(R"({\rtf1\trowd\trgaph108\trleft0\cellx1500\cellx3000\cellx4500\intbl one\cell two\cell three\cell\row)"
                R"(\trowd\cellx2000\cellx4000\intbl a\cell b\cell\row\pard after\par})");
  const std::string written = host::writeRtf(gaps.text);
  Document again(written);
  EXPECT_EQ(again.plain(), gaps.plain()) << written;
  ASSERT_EQ(tablesOf(again.text).size(), 1u);
  EXPECT_EQ(tablesOf(again.text)[0]->columns(), tablesOf(gaps.text)[0]->columns()) << written;
  EXPECT_EQ(host::writeRtf(again.text), written);

  QTextDocument html;
  html.setHtml("<table><tr><td>x</td><td>y</td></tr></table>");
  const std::string fromHtml = host::writeRtf(html);
  EXPECT_EQ(host::writeRtf(Document(fromHtml).text), fromHtml);
}

TEST(RichTextBox, TextAndTextRtfAreTwoViewsOfOneDocument) {
  host::RichTextBox box;
  box.set("TextRTF", Value(std::string(R"({\rtf1 {\b One}\par Two})")));
  EXPECT_EQ(box.get("Text").toString(), "One\nTwo");
  EXPECT_EQ(box.textLength(), host::Len("One\nTwo"));
  box.set("Text", Value(std::string("First\r\nSecond")));
  EXPECT_EQ(box.get("Text").toString(), "First\nSecond");
  const std::string rtf = box.get("TextRTF").toString();
  host::RichTextBox copy;
  copy.set("TextRTF", Value(rtf));
  EXPECT_EQ(copy.get("Text").toString(), "First\nSecond");
  EXPECT_EQ(testsupport::errorNumberOf([&] { box.set("FileName", Value(std::string("/no/such/file.rtf"))); }), 53);
}

TEST(RichTextBox, PicturesOfAnHtmlTextAreReadOnlyFromRegularFiles) {
  const std::filesystem::path folder = testsupport::makeTempDir("vellora-html-pictures");
  QImage tall(20, 300, QImage::Format_RGB32);
  tall.fill(Qt::blue);
  ASSERT_TRUE(tall.save(QString::fromStdString((folder / "tall.png").string())));
  const std::filesystem::path fifo = folder / "pipe.png";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const auto heightWith = [](const std::string& source) {
    host::RichTextBox box;
    box.setHtml("<p>Before</p><img src='" + source + "'><p>After</p>");
    return box.document().text().documentLayout()->documentSize().height();
  };
  const double shown = heightWith((folder / "tall.png").string());
  EXPECT_GT(shown, 300) << "a picture file is read";
  // Neither blocks nor reads for ever: each is left out as a missing picture.
  for (const std::string& special : {fifo.string(), std::string("/dev/zero"), folder.string()})
    EXPECT_LT(heightWith(special), shown - 200) << special;
  std::filesystem::remove_all(folder);
}

// Lays the numbered lines out in stretches of a page band each, as a job does.
std::vector<std::int32_t> stretches(host::RichTextBox& box, host::Dc& page, int bandTwips) {
  std::vector<std::int32_t> starts{0};
  host::FormatRange range;
  range.target = &page;
  range.drawTwips = host::Rect::fromLtrb(0, 0, 6000, bandTwips);
  range.pageTwips = range.drawTwips;
  while (starts.back() < box.textLength() && starts.size() < 100) {
    range.firstChar = starts.back();
    starts.push_back(box.formatRange(range));
  }
  return starts;
}

TEST(RichTextBox, FormatRangeContinuesAtTheFirstLineThatDidNotFit) {
  host::RichTextBox box;
  box.set("Text", Value(testsupport::numberedLines(40)));
  auto page = host::RasterDc::create({400, 300}, host::RasterFormat::Color);
  const std::vector<std::int32_t> starts = stretches(box, *page, 3000);  // 200 pixels a stretch
  ASSERT_GT(starts.size(), 3u);
  ASSERT_EQ(starts.back(), box.textLength());
  const std::string text = box.get("Text").toString();
  for (std::size_t i = 1; i + 1 < starts.size(); ++i) {
    // Each stretch ends at the start of a line, and the stretches are equally full.
    EXPECT_EQ(text[static_cast<std::size_t>(starts[i]) - 1], '\n');
    EXPECT_EQ(starts[i] - starts[i - 1], starts[1]) << i;
  }
  // Laying out without drawing gives the same stretches and draws nothing.
  host::FormatRange measure;
  measure.target = page.get();
  measure.drawTwips = host::Rect::fromLtrb(0, 0, 6000, 3000);
  measure.render = false;
  auto blank = host::RasterDc::create({400, 300}, host::RasterFormat::Color);
  measure.target = blank.get();
  EXPECT_EQ(box.formatRange(measure), starts[1]);
  EXPECT_EQ(blank->pixel(10, 8), host::Rgb::white);
  // A band lower than one line takes nothing; a start at the end takes nothing either.
  measure.drawTwips = host::Rect::fromLtrb(0, 0, 6000, 30);
  EXPECT_EQ(box.formatRange(measure), 0);
  measure.firstChar = box.textLength();
  EXPECT_EQ(box.formatRange(measure), box.textLength());
}

// The stretches of a job: the first in a band of `firstTwips`, every later
// one in a whole page of `bandTwips`.
std::vector<std::int32_t> jobStretches(host::RichTextBox& box, host::Dc& page, int firstTwips,
                                       int bandTwips) {
  std::vector<std::int32_t> starts{0};
  host::FormatRange range;
  range.target = &page;
  range.drawTwips = host::Rect::fromLtrb(0, 0, 6000, firstTwips);
  while (starts.back() < box.textLength() && starts.size() < 200) {
    range.firstChar = starts.back();
    starts.push_back(box.formatRange(range));
    range.drawTwips = host::Rect::fromLtrb(0, 0, 6000, bandTwips);
    range.wholePage = true;
  }
  return starts;
}

TEST(RichTextBox, FormatRangeLaysTablesOutAsTablesAndMovesARowThatDoesNotFitWhole) {
  host::RichTextBox box;
  std::string html = "<p>First.</p><p>Second.</p><table border=1>";
  for (int r = 1; r <= 30; ++r)
    html += "<tr><td>A" + std::to_string(r) + "<br>two<br>three</td><td>B" + std::to_string(r) + "</td></tr>";
  box.setHtml(html + "</table>");
  auto page = host::RasterDc::create({400, 300}, host::RasterFormat::Color);
  const std::vector<std::int32_t> starts = jobStretches(box, *page, 2000, 3000);
  ASSERT_EQ(starts.back(), box.textLength());
  ASSERT_GT(starts.size(), 5u) << "the table runs over several stretches";
  const QString text = QString::fromStdString(box.plainText());
  for (std::size_t i = 1; i < starts.size(); ++i) {
    ASSERT_GT(starts[i], starts[i - 1]) << "every stretch takes something";
    if (i + 1 == starts.size()) break;
    // Each later stretch starts at the first cell of a row: rows are not cut.
    EXPECT_TRUE(text.mid(starts[i], 1) == "A") << text.mid(starts[i], 8).toStdString();
  }
  // A band that holds the paragraphs but not the first row takes the paragraphs.
  host::FormatRange range;
  range.target = page.get();
  range.drawTwips = host::Rect::fromLtrb(0, 0, 6000, 600);
  const std::int32_t afterParagraphs = box.formatRange(range);
  EXPECT_EQ(text.mid(afterParagraphs, 2).toStdString(), "A1");
}

TEST(RichTextBox, FormatRangeCutsWhatIsTallerThanAWholePageAndGoesOn) {
  const auto folder = testsupport::makeTempDir("richtext-tall");
  QImage tall(40, 1200, QImage::Format_RGB32);
  tall.fill(Qt::black);
  ASSERT_TRUE(tall.save(QString::fromStdString((folder / "tall.png").string())));
  host::RichTextBox box;
  box.setHtml("<p>Before.</p><p><img src='" + (folder / "tall.png").string() + "'></p><p>After.</p>");
  const QString text = QString::fromStdString(box.plainText());
  auto page = host::RasterDc::create({400, 300}, host::RasterFormat::Color);
  host::FormatRange range;
  range.target = page.get();
  range.drawTwips = host::Rect::fromLtrb(0, 0, 6000, 3000);  // 200 pixels
  // Not a whole page: the picture waits for one.
  const std::int32_t picture = box.formatRange(range);
  EXPECT_EQ(text.mid(picture - 1, 1), "\n");
  range.firstChar = picture;
  EXPECT_EQ(box.formatRange(range), picture);
  // A whole page: the picture is drawn down to the band's bottom and the text goes on after it.
  range.wholePage = true;
  auto cut = host::RasterDc::create({400, 300}, host::RasterFormat::Color);
  range.target = cut.get();
  const std::int32_t after = box.formatRange(range);
  EXPECT_GT(after, picture);
  EXPECT_EQ(text.mid(after).toStdString(), "After.");
  EXPECT_EQ(cut->pixel(20, 195), host::Rgb::black) << "drawn to the bottom of the band";
  EXPECT_EQ(cut->pixel(20, 205), host::Rgb::white) << "and no further";
  range.firstChar = after;
  EXPECT_EQ(box.formatRange(range), box.textLength());
  // A whole page always takes something, even a band of no height.
  range.firstChar = picture;
  range.drawTwips = host::Rect::fromLtrb(0, 0, 6000, 0);
  EXPECT_GT(box.formatRange(range), picture);
  std::filesystem::remove_all(folder);
}

TEST(RichTextBox, FormatRangeStartsAPageAtAPageBreak) {
  host::RichTextBox box;
  box.setRtf(R"({\rtf1 One\par Two\page Three\par Four\par})");
  auto page = host::RasterDc::create({400, 300}, host::RasterFormat::Color);
  const std::vector<std::int32_t> starts = jobStretches(box, *page, 3000, 3000);
  ASSERT_EQ(starts.size(), 3u);
  const QString text = QString::fromStdString(box.plainText());
  EXPECT_EQ(text.mid(starts[1]).toStdString(), "Three\nFour");
}

TEST(RichTextBox, FormatRangeDrawsTheTextInItsRectangle) {
  host::RichTextBox box;
  box.set("Text", Value(std::string("Ink")));
  auto page = host::RasterDc::create({300, 200}, host::RasterFormat::Color);
  host::FormatRange range;
  range.target = page.get();
  range.drawTwips = host::Rect::fromLtrb(1500, 750, 4500, 3000);  // from (100, 50) pixels
  EXPECT_EQ(box.formatRange(range), 3);
  int inkAbove = 0, inkInside = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) {
      if (page->pixel(x, y).brightness() > 100) continue;
      (y < 50 || x < 100 ? inkAbove : inkInside) += 1;
    }
  EXPECT_EQ(inkAbove, 0);
  EXPECT_GT(inkInside, 10);
}

TEST(RichTextBox, FormFileGivesTheDocumentAsRtfHtmlOrFile) {
  const auto folder = testsupport::makeTempDir("richtext-form");
  std::ofstream(folder / "notes.md") << "# Heading\n\nSome *notes*.\n";
  const std::string json = R"({"Form": {"Name": "F", "Controls": [
    {"Type": "RichTextBox", "Name": "A", "TextRTF": "{\\rtf1 {\\b Bold} text}"},
    {"Type": "RichTextBox", "Name": "B", "Html": "<p>Para <i>one</i></p><p>Two</p>"},
    {"Type": "RichTextBox", "Name": "C", "FileName": "notes.md"}]}})";
  auto form = host::loadFormText(json, folder);
  EXPECT_EQ(form->control("A")->get("Text").toString(), "Bold text");
  EXPECT_EQ(form->control("B")->get("Text").toString(), "Para one\nTwo");
  EXPECT_EQ(form->control("C")->get("Text").toString(), "Heading\nSome notes.");

  // Saved: the file keeps its name, the others their document as RTF.
  const std::string saved = host::saveFormText(*form, folder);
  EXPECT_NE(saved.find("\"FileName\": \"notes.md\""), std::string::npos) << saved;
  auto again = host::loadFormText(saved, folder);
  EXPECT_EQ(again->control("A")->get("Text").toString(), "Bold text");
  EXPECT_EQ(again->control("B")->get("Text").toString(), "Para one\nTwo");
  EXPECT_EQ(again->control("C")->get("Text").toString(), "Heading\nSome notes.");

  auto refusal = [&](const std::string& control) {
    try {
      (void)host::loadFormText(R"({"Form": {"Name": "F", "Controls": [)" + control + "]}}", folder, "bad.json");
    } catch (const host::FormFileError& error) {
      return error.key() + ": " + error.problem();
    }
    return std::string("accepted");
  };
  EXPECT_EQ(refusal(R"({"Type": "RichTextBox", "Name": "D", "FileName": "missing.rtf"})").rfind("FileName: cannot read", 0), 0u);
  EXPECT_EQ(refusal(R"({"Type": "RichTextBox", "Name": "D", "Html": "x", "TextRTF": "y"})").rfind("TextRTF: give the document once", 0), 0u);
  EXPECT_EQ(refusal(R"({"Type": "RichTextBox", "Name": "D", "Html": 3})").rfind("Html:", 0), 0u);
  std::filesystem::remove_all(folder);
}

}  // namespace
