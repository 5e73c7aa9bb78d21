// The RTF reader as the rich-text box takes it (its TextRTF, a .rtf file):
// any bytes give a document, never an error; every table of it is whole (each
// position of its grid lies in the cell that covers it); the document prints
// page by page to its end; and the RTF the box writes of it (what a saved
// form file holds) reads back to the same text and writes the same again.
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "host/Font.h"
#include "host/model/RichText.h"
#include "host/model/Rtf.h"

namespace {

void checkTables(const QTextFrame& frame) {
  for (QTextFrame* child : frame.childFrames()) {
    if (const auto* table = qobject_cast<const QTextTable*>(child)) {
      for (int r = 0; r < table->rows(); ++r)
        for (int c = 0; c < table->columns(); ++c) {
          const QTextTableCell cell = table->cellAt(r, c);
          if (!cell.isValid() || r < cell.row() || r >= cell.row() + cell.rowSpan() || c < cell.column() ||
              c >= cell.column() + cell.columnSpan())
            fuzz::finding("a table cell does not cover its place in the table",
                          std::to_string(r) + "," + std::to_string(c) + " lies in the cell at " +
                              std::to_string(cell.row()) + "," + std::to_string(cell.column()) + " spanning " +
                              std::to_string(cell.rowSpan()) + "x" + std::to_string(cell.columnSpan()));
        }
    }
    checkTables(*child);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::startHost();
  const std::string rtf(fuzz::textOf(data, size));
  fuzz::guarded([&] {
    QTextDocument document;
    host::readRtf(rtf, document, host::Font("Arial", 10));
    checkTables(*document.rootFrame());

    host::RichTextBox box;
    box.setRtf(rtf);
    (void)fuzz::printPages(box);
    const std::string written = box.rtf();
    host::RichTextBox again;
    again.setRtf(written);
    if (again.plainText() != box.plainText())
      fuzz::finding("the RTF written of a document reads back to other text",
                    box.plainText() + "\n---- read back ----\n" + again.plainText() + "\n---- from ----\n" + written);
    if (const std::string writtenAgain = again.rtf(); writtenAgain != written)
      fuzz::finding("the RTF written of a document read back writes otherwise",
                    written + "\n---- then ----\n" + writtenAgain);
  });
  return 0;
}
