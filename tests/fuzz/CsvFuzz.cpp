// The CSV reader, alone and as a grid's CellsFile takes it. Any text is read
// into records or refused with a CsvError on a line of the text. Records read
// and written again with csvRecord read back the same; and a grid that takes
// its cells from the text holds exactly the fields read, or is refused with a
// FormFileError naming the CellsFile.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "host/model/Control.h"
#include "host/model/Csv.h"
#include "host/model/FormFile.h"

namespace {

namespace fs = std::filesystem;
using Records = std::vector<std::vector<std::string>>;

int lineCount(std::string_view text) {
  int lines = 1;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++lines;
  return lines;
}

void checkWrittenAgain(const Records& records) {
  std::string text;
  for (const auto& record : records) text += host::csvRecord(record) + "\r\n";
  Records again;
  try {
    again = host::parseCsv(text);
  } catch (const host::CsvError& error) {
    fuzz::finding("records written with csvRecord are refused", error.what());
  }
  if (again != records) fuzz::finding("records written with csvRecord read back otherwise", text);
}

// The grid's cells must be the records, row by row; cells past a short
// record are empty.
void checkGrid(const fs::path& folder, const Records& records) {
  const std::string form =
      R"({"Form": {"Controls": [{"Type": "MSFlexGrid", "Name": "Cells", "FixedRows": 0, "FixedCols": 0,)"
      R"( "CellsFile": "cells.csv"}]}})";
  std::shared_ptr<host::Form> loaded;
  try {
    loaded = host::loadFormText(form, folder, "grid.json");
  } catch (const host::FormFileError& refused) {
    if (refused.key() != "CellsFile" && refused.key() != "Rows")
      fuzz::finding("a grid's cells refused at another key than its CellsFile", refused.what());
    return;
  }
  const host::ObjectRef grid = loaded->control("Cells");
  if (grid->get("Rows").toLong() != static_cast<std::int32_t>(records.size()))
    fuzz::finding("the grid has other rows than the records", std::to_string(grid->get("Rows").toLong()));
  const std::int32_t cols = grid->get("Cols").toLong();
  for (std::size_t r = 0; r < records.size(); ++r)
    for (std::int32_t c = 0; c < cols; ++c) {
      const host::Value index[] = {host::Value(static_cast<std::int32_t>(r)), host::Value(c)};
      const std::string cell = grid->get("TextMatrix", host::Args(index)).toString();
      const std::string expected =
          static_cast<std::size_t>(c) < records[r].size() ? records[r][static_cast<std::size_t>(c)] : "";
      if (cell != expected)
        fuzz::finding("a grid cell is not the field read", std::to_string(r) + "," + std::to_string(c) + ": " + cell);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fs::path folder = fuzz::startHost() / "csv";
  static const bool made = fs::create_directories(folder);
  (void)made;
  const std::string_view text = fuzz::textOf(data, size);
  fuzz::guarded([&] {
    Records records;
    try {
      records = host::parseCsv(text);
    } catch (const host::CsvError& refused) {
      if (refused.line() < 1 || refused.line() > lineCount(text))
        fuzz::finding("a CSV error on a line the text does not have", refused.what());
      return;
    }
    checkWrittenAgain(records);
    {
      std::ofstream file(folder / "cells.csv", std::ios::binary | std::ios::trunc);
      file.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    checkGrid(folder, records);
  });
  return 0;
}
