// HTML tables nested deeper than the rich-text box lays out are read as the
// paragraphs of their cells, their text all kept.
#include <gtest/gtest.h>

#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <string>

#include "host/model/HtmlTables.h"
#include "host/model/RichText.h"

namespace {

// The deepest nesting of tables in a frame.
int tableDepth(const QTextFrame& frame) {
  int deepest = 0;
  for (const QTextFrame* child : frame.childFrames()) {
    const int below = tableDepth(*child) + (qobject_cast<const QTextTable*>(child) != nullptr ? 1 : 0);
    deepest = std::max(deepest, below);
  }
  return deepest;
}

std::string nested(int levels) {
  std::string html = "innermost";
  for (int level = levels; level >= 1; --level)
    html = "<table border=1><tr><td>level " + std::to_string(level) + "</td><td>" + html +
           "</td></tr><col width=10></table>";
  return html;
}

TEST(HtmlTables, TablesDeeperThanTheLimitBecomeParagraphsOfTheirCells) {
  QTextDocument document;
  document.setHtml(QString::fromStdString(host::withTablesNestedAtMost(nested(5), 2)));
  EXPECT_EQ(tableDepth(*document.rootFrame()), 2);
  const std::string text = document.toPlainText().toStdString();
  for (int level = 1; level <= 5; ++level)
    EXPECT_NE(text.find("level " + std::to_string(level)), std::string::npos) << level;
  EXPECT_NE(text.find("innermost"), std::string::npos);
  EXPECT_EQ(host::withTablesNestedAtMost(nested(2), 2), nested(2)) << "tables within the limit stay as written";
}

TEST(HtmlTables, OnlyTagsAreRewrittenNotTextCommentsOrStyles) {
  const std::string html =
      "<style>table td { color: red }</style><!-- <table><table><table> -->"
      "<table><tr><td title='a > b'><table><tr><td>x &lt;table&gt; 1 < 2</td></tr></table></td></tr></table>";
  const std::string bounded = host::withTablesNestedAtMost(html, 1);
  EXPECT_NE(bounded.find("<style>table td { color: red }</style><!-- <table><table><table> -->"), std::string::npos);
  EXPECT_NE(bounded.find("<td title='a > b'><div><div><div>x &lt;table&gt; 1 < 2</div></div></div></td>"),
            std::string::npos)
      << bounded;
  EXPECT_EQ(host::withTablesNestedAtMost("<TABLE><TR><TD><Table><tr><TD>y", 1), "<TABLE><TR><TD><div><div><div>y");
}

TEST(HtmlTables, TheRichTextBoxKeepsEveryCellOfTablesNestedThirtyDeep) {
  // Thirty levels once took minutes to read and lay out.
  host::RichTextBox box;
  box.setHtml(nested(30));
  const std::string text = box.plainText();
  for (int level = 1; level <= 30; ++level)
    EXPECT_NE(text.find("level " + std::to_string(level) + "\n"), std::string::npos) << level;
  EXPECT_NE(text.find("innermost"), std::string::npos);
}

}  // namespace
