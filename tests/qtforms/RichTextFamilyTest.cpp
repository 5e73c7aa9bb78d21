// Rich text editors on a live form: which editors are rich-text boxes, a long
// document printed page by page with every paragraph once, and the editor
// left exactly as the user had it.
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextTable>
#include <QWidget>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/FormatRange.h"
#include "host/Lang.h"
#include "host/RasterDc.h"
#include "printctl/Vellora.h"
#include "qtforms/LiveForm.h"
#include "qtforms/LivePrint.h"
#include "qtforms/QtFormsTestSupport.h"

namespace {

using qtformstest::pageCount;
using qtformstest::pageText;

std::string paragraph(int n) {
  char text[32];
  std::snprintf(text, sizeof text, "Paragraph %03d", n);
  return text;
}

std::string cell(int row, int column) { return "Cell " + std::to_string(row) + std::to_string(column); }

// `paragraphs` numbered paragraphs with a bold run each, and a 3 x 3 table
// after the first half.
void fillLongDocument(QTextEdit& editor, int paragraphs) {
  QTextCursor cursor(editor.document());
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  for (int n = 1; n <= paragraphs; ++n) {
    if (n > 1) cursor.insertBlock();
    cursor.insertText(QString::fromStdString(paragraph(n)) + " says ", QTextCharFormat());
    cursor.insertText("something bold", bold);
    cursor.insertText(" and goes on a little further.", QTextCharFormat());
    if (n == paragraphs / 2) {
      QTextTable* table = cursor.insertTable(3, 3);
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) table->cellAt(r, c).firstCursorPosition().insertText(QString::fromStdString(cell(r, c)));
      cursor.movePosition(QTextCursor::End);
    }
  }
}

std::string typeOf(QWidget& form, QWidget& widget) {
  auto live = qtforms::LiveForm::adapt(form, qtforms::Writes::KeptByAdapter);
  const host::ObjectRef control = live->adapterOf(widget);
  return control ? control->typeName() : "none";
}

TEST(RichTextFamily, FormattedEditorsAreRichTextBoxesAndPlainOnesTextBoxes) {
  QWidget form;
  form.resize(400, 300);
  auto* plain = new QTextEdit(&form);
  plain->setPlainText("just words\non two lines");
  auto* htmlButPlain = new QTextEdit(&form);
  htmlButPlain->setHtml("just words");
  auto* bold = new QTextEdit(&form);
  bold->setHtml("some <b>bold</b> words");
  auto* markdown = new QTextBrowser(&form);
  markdown->setMarkdown("# Title\n\nbody");
  auto* table = new QTextEdit(&form);
  QTextCursor(table->document()).insertTable(2, 2);

  EXPECT_EQ(typeOf(form, *plain), "TextBox");
  EXPECT_EQ(typeOf(form, *htmlButPlain), "TextBox") << "HTML that holds only plain text is plain";
  EXPECT_EQ(typeOf(form, *bold), "RichTextBox");
  EXPECT_EQ(typeOf(form, *markdown), "RichTextBox");
  EXPECT_EQ(typeOf(form, *table), "RichTextBox");
}

// The format range works on the document the job began with: the editor
// changing between two stretches does not shift the characters the job
// continues from; the next job takes the document as it is then.
TEST(RichTextFamily, AJobContinuesOverTheDocumentItBeganWith) {
  QWidget form;
  auto* editor = new QTextEdit(&form);
  editor->setGeometry(0, 0, 300, 200);
  fillLongDocument(*editor, 60);
  auto live = qtforms::LiveForm::adapt(form, qtforms::Writes::KeptByAdapter);
  const host::ObjectRef control = live->adapterOf(*editor);
  ASSERT_TRUE(control);
  const std::int32_t length = host::Len(control->get("Text").toString());
  host::FormatRangeControl& ranged = host::formatRangeOf(*control);

  auto surface = host::RasterDc::create({400, 300}, host::RasterFormat::Color);
  host::FormatRange range;
  range.target = surface.get();
  range.drawTwips = host::Rect::fromXywh(0, 0, 300 * 15, 200 * 15);
  range.pageTwips = range.drawTwips;
  const std::int32_t first = ranged.formatRange(range);
  ASSERT_GT(first, 0);
  ASSERT_LT(first, length);

  editor->setHtml("<b>short</b>");
  range.firstChar = first;
  const std::int32_t second = ranged.formatRange(range);
  EXPECT_GT(second, first) << "the second stretch continues in the text the job began with";

  ranged.releaseFormatRange();
  range.firstChar = 0;
  EXPECT_EQ(ranged.formatRange(range), 5) << "the next job lays out the editor's text as it is now";
}

class RichTextPrint : public ::testing::Test {
 protected:
  std::filesystem::path folder = testsupport::makeTempDir("richtext");
  std::filesystem::path pdf = folder / "form.pdf";
  void TearDown() override { std::filesystem::remove_all(folder); }
};

TEST_F(RichTextPrint, ALongDocumentPrintsEveryParagraphOnceInOrderAndTheEditorStaysAsItWas) {
  constexpr int paragraphs = 150;
  QWidget form;
  form.resize(500, 400);
  auto* editor = new QTextEdit(&form);
  editor->setGeometry(20, 20, 420, 300);
  fillLongDocument(*editor, paragraphs);
  form.show();
  editor->verticalScrollBar()->setValue(editor->verticalScrollBar()->maximum() / 3);
  QTextCursor cursor = editor->textCursor();
  cursor.setPosition(123);
  editor->setTextCursor(cursor);
  const auto before = qtformstest::stateOf(form);
  const QString html = editor->toHtml();
  const qreal textWidth = editor->document()->textWidth();

  qtforms::LivePrint job(form);
  job.control().setToPage(0);
  ASSERT_TRUE(job.printToPdf(pdf));

  const int pages = pageCount(pdf);
  ASSERT_GT(pages, 2);
  std::string all;
  for (int page = 1; page <= pages; ++page) all += pageText(pdf, page);
  long previous = -1;
  for (int n = 1; n <= paragraphs; ++n) {
    const std::string wanted = paragraph(n);
    const std::size_t at = all.find(wanted);
    ASSERT_NE(at, std::string::npos) << wanted << " is missing";
    EXPECT_EQ(all.find(wanted, at + 1), std::string::npos) << wanted << " printed twice";
    EXPECT_GT(static_cast<long>(at), previous) << wanted << " out of order";
    previous = static_cast<long>(at);
  }
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const std::size_t at = all.find(cell(r, c));
      ASSERT_NE(at, std::string::npos) << cell(r, c) << " is missing";
      EXPECT_EQ(all.find(cell(r, c), at + 1), std::string::npos) << cell(r, c) << " printed twice";
    }
  EXPECT_NE(all.find("something bold"), std::string::npos);

  EXPECT_EQ(qtformstest::stateOf(form), before) << "geometry, cursor and scroll position";
  EXPECT_EQ(editor->toHtml(), html) << "the document";
  EXPECT_EQ(editor->document()->textWidth(), textWidth) << "the editor's own layout";
}

// A document that ends in a table, as a user writes it in HTML: every
// paragraph and every cell prints, the cells of a row on one line apart.
TEST_F(RichTextPrint, ADocumentEndingInATablePrintsEveryParagraphAndEveryCell) {
  QWidget form;
  form.resize(500, 400);
  auto* editor = new QTextEdit(&form);
  editor->setGeometry(20, 20, 420, 300);
  std::string html = "<p>First.</p><p>Second.</p><p>Third.</p><p>Fourth.</p><table border=1>";
  for (int r = 0; r < 40; ++r) {
    html += "<tr>";
    for (int c = 0; c < 3; ++c) html += "<td>" + cell(r, c) + "</td>";
    html += "</tr>";
  }
  editor->setHtml(QString::fromStdString(html + "</table>"));
  qtforms::LivePrint job(form);
  job.control().setToPage(0);
  ASSERT_TRUE(job.printToPdf(pdf));
  const int pages = pageCount(pdf);
  ASSERT_GE(pages, 1);
  std::string all;
  for (int page = 1; page <= pages; ++page) all += pageText(pdf, page);
  for (const char* paragraph : {"First.", "Second.", "Third.", "Fourth."})
    EXPECT_NE(all.find(paragraph), std::string::npos) << paragraph;
  for (int r = 0; r < 40; ++r)
    for (int c = 0; c < 3; ++c) {
      const std::size_t at = all.find(cell(r, c) + (c < 2 ? " " : "\n"));
      ASSERT_NE(at, std::string::npos) << cell(r, c) << " is missing or not apart from the next cell";
      EXPECT_EQ(all.find(cell(r, c) + (c < 2 ? " " : "\n"), at + 1), std::string::npos)
          << cell(r, c) << " twice";
    }
}

}  // namespace
