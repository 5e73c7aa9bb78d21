// Tables nested deeper than the rich-text box lays out are read as the
// paragraphs of their cells, their text all kept in order.
#include <gtest/gtest.h>

#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <string>

#include "host/PagedDocument.h"
#include "host/model/HtmlTables.h"
#include "host/model/RichText.h"

namespace {

std::string nested(int levels) {
  std::string html = "innermost";
  for (int level = levels; level >= 1; --level)
    html = "<table border=1><tr><td>level " + std::to_string(level) + "</td><td>" + html +
           "</td></tr></table>";
  return "<p>before</p>" + html + "<p>after</p>";
}

// Where each text lies in the plain text; -1 for one missing.
std::vector<std::ptrdiff_t> placesOf(const std::string& text, const std::vector<std::string>& parts) {
  std::vector<std::ptrdiff_t> places;
  for (const std::string& part : parts) {
    const std::size_t at = text.find(part);
    places.push_back(at == std::string::npos ? -1 : static_cast<std::ptrdiff_t>(at));
  }
  return places;
}

TEST(HtmlTables, TablesDeeperThanTheLimitBecomeParagraphsInTheirOrder) {
  QTextDocument document;
  document.setHtml(QString::fromStdString(nested(6)));
  ASSERT_EQ(host::tableNesting(document), 6);
  const std::string before = document.toPlainText().toStdString();
  EXPECT_TRUE(host::flattenTablesNestedDeeperThan(document, 2));
  EXPECT_EQ(host::tableNesting(document), 2);
  const std::string text = document.toPlainText().toStdString();
  const std::vector<std::string> parts{"before", "level 1", "level 2", "level 3", "level 4",
                                       "level 5", "level 6", "innermost", "after"};
  const std::vector<std::ptrdiff_t> places = placesOf(text, parts);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    EXPECT_GE(places[i], 0) << parts[i] << " in\n" << text;
    if (i > 0) {
      EXPECT_GT(places[i], places[i - 1]) << parts[i] << " comes after " << parts[i - 1];
    }
  }
  // The tables kept are whole: each cell still has its own text.
  const auto* outer = qobject_cast<QTextTable*>(document.rootFrame()->childFrames().value(0));
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(outer->columns(), 2);
  EXPECT_FALSE(host::flattenTablesNestedDeeperThan(document, 2)) << "nothing left to flatten";
}

TEST(HtmlTables, TablesWithinTheLimitStayAsTheyAre) {
  QTextDocument document;
  document.setHtml(QString::fromStdString(nested(3)));
  const QString html = document.toHtml();
  EXPECT_FALSE(host::flattenTablesNestedDeeperThan(document, 3));
  EXPECT_EQ(document.toHtml(), html);
}

TEST(HtmlTables, TheRichTextBoxKeepsEveryCellOfTablesNestedThirtyDeep) {
  // Thirty levels once took minutes to read and lay out; and HTML that hides
  // its tables from a simple reading of its tags (a quote in a key, blanks
  // after '<', a cell outside any table) nests them just as deep.
  std::string odd;
  for (int level = 0; level < 30; ++level) odd += "<p x\"y>< table><tr><td>" + std::to_string(level) + "<td>";
  for (const std::string& html : {nested(30), odd}) {
    host::RichTextBox box;
    box.setHtml(html);
    EXPECT_LE(host::tableNesting(box.document().text()), host::MaximumTableNesting);
    const std::string text = box.plainText();
    for (int level = 1; level < 30; ++level) {
      const std::string part = html == odd ? std::to_string(level) : "level " + std::to_string(level);
      EXPECT_NE(text.find(part), std::string::npos) << part;
    }
  }
}

}  // namespace
