#include "host/model/HtmlTables.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextTable>
#include <algorithm>
#include <vector>

namespace host {

namespace {

// The tables under the frame (itself nested `level` tables deep) that are
// nested `wanted` deep, counting themselves, in document order; not those
// inside them.
void tablesAtDepth(QTextFrame& frame, int level, int wanted, std::vector<QTextTable*>& found) {
  for (QTextFrame* child : frame.childFrames()) {
    auto* table = qobject_cast<QTextTable*>(child);
    const int childLevel = level + (table != nullptr ? 1 : 0);
    if (table != nullptr && childLevel == wanted) {
      found.push_back(table);
    } else {
      tablesAtDepth(*child, childLevel, wanted, found);
    }
  }
}

int deepest(const QTextFrame& frame) {
  int depth = 0;
  for (const QTextFrame* child : frame.childFrames())
    depth = std::max(depth, deepest(*child) + (qobject_cast<const QTextTable*>(child) != nullptr ? 1 : 0));
  return depth;
}

// One paragraph of a table: its text with formats, and its paragraph format.
struct Paragraph {
  QTextDocumentFragment text;
  QTextBlockFormat format;
};

void flatten(QTextDocument& document, QTextTable& table) {
  std::vector<Paragraph> paragraphs;
  for (QTextBlock block = document.findBlock(table.firstPosition());
       block.isValid() && block.position() <= table.lastPosition(); block = block.next()) {
    QTextCursor within(&document);
    within.setPosition(block.position());
    within.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    paragraphs.push_back({within.selection(), block.blockFormat()});
  }
  // A paragraph always follows a table; once the table's rows are gone, its
  // paragraphs go before that one, each a paragraph of its own.
  const int at = table.firstPosition() - 1;
  table.removeRows(0, table.rows());
  QTextCursor cursor(&document);
  cursor.setPosition(at);
  const QTextBlockFormat following = cursor.blockFormat();
  for (const Paragraph& paragraph : paragraphs) {
    cursor.insertFragment(paragraph.text);
    cursor.setBlockFormat(paragraph.format);
    cursor.insertBlock(following);
  }
}

}  // namespace

bool flattenTablesNestedDeeperThan(QTextDocument& document, int depth) {
  std::vector<QTextTable*> tooDeep;
  tablesAtDepth(*document.rootFrame(), 0, std::max(depth, 0) + 1, tooDeep);
  if (tooDeep.empty()) return false;
  QTextCursor edit(&document);
  edit.beginEditBlock();
  // Last first: a table flattened moves only what follows it.
  for (auto table = tooDeep.rbegin(); table != tooDeep.rend(); ++table) flatten(document, **table);
  edit.endEditBlock();
  return true;
}

int tableNesting(const QTextDocument& document) { return deepest(*document.rootFrame()); }

}  // namespace host
