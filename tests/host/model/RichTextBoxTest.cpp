// The rich-text box: RTF written by real tools, broken RTF, the document's
// formats, its form-file keys and the format-range operation.
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <fstream>
#include <sstream>

#include "TestSupport.h"
#include "host/Font.h"
#include "host/Lang.h"
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
