#pragma once
// Host-side only: tables nested deeper than a rich text needs. Qt lays a table
// out again for each table around it, so that each level of nesting costs
// several times the one above it: thirty levels of a few hundred bytes each
// would take longer than any job may wait. The rich-text box reads HTML into
// a document nobody lays out yet and makes the tables nested too deep there
// into the paragraphs of their cells, in the order written, as the RTF writer
// writes a table in a cell; their text is all kept.
class QTextDocument;

namespace host {

inline constexpr int MaximumTableNesting = 8;

// Makes each table of the document nested deeper than `depth` (a table in no
// table is nested 1 deep), with every table in it, into the paragraphs of
// their cells, in order, each with its own text and formats. Returns whether
// there was any.
bool flattenTablesNestedDeeperThan(QTextDocument& document, int depth = MaximumTableNesting);

// How deep the tables of the document are nested (0 without tables).
[[nodiscard]] int tableNesting(const QTextDocument& document);

}  // namespace host
