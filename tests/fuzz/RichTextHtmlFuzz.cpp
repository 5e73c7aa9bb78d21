// Rich text given as HTML (a form file's "Html", a .html file), as the
// rich-text box takes it: Qt's reader makes the document, whose tables are
// nested no deeper than the box lays out, and which must print
// page by page to its end; the RTF the box writes of it when the form is
// saved must read back to the same text, line by line. Only empty lines and
// control characters may differ: a cell that spans rows is written as the
// cell above and an empty cell in each row below it, as RTF without merged
// cells has it, and control characters other than the tab (a NUL that HTML
// text may hold) are no text RTF keeps.
#include <cstddef>
#include <cstdint>
#include <string>

#include <algorithm>
#include <sstream>
#include <vector>

#include "FuzzSupport.h"
#include "host/PagedDocument.h"
#include "host/model/HtmlTables.h"
#include "host/model/RichText.h"

namespace {

std::vector<std::string> linesWithText(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::erase_if(line, [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::startHost();
  fuzz::guarded([&] {
    host::RichTextBox box;
    box.setHtml(std::string(fuzz::textOf(data, size)));
    if (const int nesting = host::tableNesting(box.document().text()); nesting > host::MaximumTableNesting)
      fuzz::finding("tables nested deeper than the box lays out", std::to_string(nesting));
    (void)fuzz::printPages(box);
    const std::string written = box.rtf();
    host::RichTextBox again;
    again.setRtf(written);
    if (linesWithText(again.plainText()) != linesWithText(box.plainText()))
      fuzz::finding("the RTF written of an HTML document reads back to other text",
                    box.plainText() + "\n---- read back ----\n" + again.plainText() + "\n---- from ----\n" + written);
  });
  return 0;
}
