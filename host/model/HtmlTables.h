#pragma once
// HTML as the rich-text box gives it to Qt's rich-text reader. Qt lays a
// table out again for each table around it, so that each level of nesting
// costs several times more than the one above it: thirty levels of a few
// hundred bytes each would take longer than any job may wait. Tables nested
// deeper than any document needs are therefore read as the paragraphs of
// their cells, in the order written, as the RTF writer writes a table in a
// cell; their text is all kept.
#include <string>
#include <string_view>

namespace host {

inline constexpr int MaximumTableNesting = 8;

// The HTML with the table elements (table, tr, td, th, thead, tbody, tfoot,
// caption) of tables nested deeper than `depth` made into div elements, and
// col and colgroup there left out. Comments, and the text of style and script
// elements, are left as they are; anything else is copied unchanged.
[[nodiscard]] std::string withTablesNestedAtMost(std::string_view html, int depth = MaximumTableNesting);

}  // namespace host
