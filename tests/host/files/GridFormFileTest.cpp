// Flex grids in form files: inline texts, CSV cell files, cell attributes,
// and the refusals of bad grid data.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "host/model/Csv.h"
#include "host/model/FormFile.h"
#include "host/model/Pictures.h"

namespace {

namespace fs = std::filesystem;
using host::FormFileError;
using host::Value;

const fs::path formsFolder = fs::path(VELLORA_SOURCE_DIR) / "tests" / "forms";

std::string text(const host::ObjectRef& grid, int row, int col) {
  return grid->get("TextMatrix", {Value(row), Value(col)}).toString();
}

std::string gridForm(const std::string& gridKeys) {
  return R"({"Form": {"Controls": [{"Type": "MSFlexGrid", "Name": "G")" + gridKeys + "}]}}";
}

TEST(GridFormFile, InlineTextsWidthsAndCellsLoad) {
  auto form = host::loadFormFile(formsFolder / "grids.json");
  host::ObjectRef items = form->control("Items");
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(items->get("Rows").toLong(), 40);
  EXPECT_EQ(items->get("FixedCols").toLong(), 0);
  EXPECT_EQ(text(items, 1, 3), "9.00");
  EXPECT_EQ(text(items, 2, 2), "") << "a short row leaves its last cells empty";
  EXPECT_EQ(items->get("ColWidth", {Value(0)}).toLong(), 3000);
  EXPECT_EQ(items->get("ColWidth", {Value(2)}).toLong(), -1);
  EXPECT_EQ(items->get("RowHeight", {Value(0)}).toLong(), 300);
  EXPECT_EQ(items->get("ColAlignment", {Value(3)}).toLong(), 7);
  EXPECT_EQ(items->get("BackColorFixed").toLong(), -2147483633);
  EXPECT_EQ(items->get("Row").toLong(), 2);
  EXPECT_EQ(items->get("Col").toLong(), 1);
  EXPECT_EQ(items->get("CellBackColor").toLong(), 0x00FFFF) << "#FFFF00 is yellow";
  EXPECT_EQ(items->get("CellForeColor").toLong(), 255);
  EXPECT_EQ(items->get("CellAlignment").toLong(), 4);
  EXPECT_TRUE(items->get("CellFontBold").toBool());
  EXPECT_EQ(items->get("CellFontName").toString(), "Courier New");
  EXPECT_EQ(host::pictureFromHandle(items->get("CellPicture").toLong()).size(), (host::Size{4, 3}));
  items->set("Col", Value(0));
  EXPECT_EQ(items->get("CellFontName").toString(), "Arial") << "other cells keep the grid's font";
}

TEST(GridFormFile, CsvCellsKeepQuotedCommasQuotesAndLineBreaks) {
  auto form = host::loadFormFile(formsFolder / "grids.json");
  host::ObjectRef suppliers = form->control("Suppliers");
  ASSERT_NE(suppliers, nullptr);
  EXPECT_EQ(suppliers->get("Rows").toLong(), 4) << "Rows and Cols default to the file's size";
  EXPECT_EQ(suppliers->get("Cols").toLong(), 3);
  EXPECT_EQ(text(suppliers, 0, 0), "Supplier") << "the header row comes first";
  EXPECT_EQ(text(suppliers, 1, 0), "Smith, Jones & Co");
  EXPECT_EQ(text(suppliers, 1, 2), "says \"hello\"");
  EXPECT_EQ(text(suppliers, 2, 2), "two\r\nlines");
  EXPECT_EQ(text(suppliers, 3, 2), "");
}

TEST(GridFormFile, CsvReaderFollowsTheRecordRules) {
  const auto records = host::parseCsv("\xEF\xBB\xBF" "a,\"b\"\"c\",\n\"x\ny\",z\nlast");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0], (std::vector<std::string>{"a", "b\"c", ""}));
  EXPECT_EQ(records[1], (std::vector<std::string>{"x\ny", "z"}));
  EXPECT_EQ(records[2], (std::vector<std::string>{"last"}));
  EXPECT_TRUE(host::parseCsv("").empty());
  try {
    (void)host::parseCsv("one\n\"two\nthree");
    FAIL() << "an open quote was accepted";
  } catch (const host::CsvError& error) {
    EXPECT_EQ(error.line(), 2) << "the line where the field opened";
  }
  EXPECT_THROW((void)host::parseCsv("\"closed\"tail,x"), host::CsvError);
  const std::vector<std::string> awkward{"plain", "with, comma", "with \"quote\"", "two\nlines", ""};
  EXPECT_EQ(host::parseCsv(host::csvRecord(awkward)).front(), awkward);
}

TEST(GridFormFile, CsvWriterKeepsAByteOrderMarkThatBeginsTheFirstField) {
  // The reader drops a mark at the start of the text, so a field that starts
  // with one must be quoted to keep it: written bare, it was lost on reading.
  const std::vector<std::string> marked{"\xEF\xBB\xBFmarked", "plain"};
  EXPECT_EQ(host::csvRecord(marked), "\"\xEF\xBB\xBFmarked\",plain");
  EXPECT_EQ(host::parseCsv(host::csvRecord(marked)).front(), marked);
  EXPECT_EQ(host::parseCsv("\xEF\xBB\xBF" + host::csvRecord(marked)).front(), marked)
      << "behind the mark of a text the quoted field keeps its own";
}

TEST(GridFormFile, SavingWritesTheGridBackEquivalently) {
  auto original = host::loadFormFile(formsFolder / "grids.json");
  const std::string first = host::saveFormText(*original, formsFolder);
  EXPECT_NE(first.find("\"CellsFile\": \"suppliers.csv\""), std::string::npos) << "an unchanged file stays a file";
  EXPECT_NE(first.find("\"Picture\": \"pictures/red.png\""), std::string::npos) << first;
  EXPECT_NE(first.find("\"GridColorFixed\": \"#0000FF\""), std::string::npos) << "a fixed colour is a colour";
  auto reloaded = host::loadFormText(first, formsFolder, "first save");
  EXPECT_EQ(host::saveFormText(*reloaded, formsFolder), first);

  // A grid whose cells changed after loading writes its texts inline.
  reloaded->control("Suppliers")->set("TextMatrix", Value("Changed"), {Value(3), Value(0)});
  const std::string second = host::saveFormText(*reloaded, formsFolder);
  EXPECT_EQ(second.find("suppliers.csv"), std::string::npos);
  auto again = host::loadFormText(second, formsFolder, "second save");
  EXPECT_EQ(text(again->control("Suppliers"), 3, 0), "Changed");
  EXPECT_EQ(text(again->control("Suppliers"), 1, 0), "Smith, Jones & Co");
  EXPECT_EQ(again->control("Suppliers")->get("Rows").toLong(), 4);
}

TEST(GridFormFile, BadGridDataIsRefusedNamingTheKey) {
  const fs::path folder = testsupport::makeTempDir();
  std::ofstream(folder / "open.csv") << "a,b\n\"never closed,c\n";
  ASSERT_EQ(mkfifo((folder / "pipe.csv").c_str(), 0600), 0);
  std::ofstream(folder / "empty.csv").flush();
  std::ofstream(folder / "huge.csv") << "a,b\n";
  fs::resize_file(folder / "huge.csv", (std::uintmax_t{256} << 20) + 1);
  struct Case {
    std::string keys;
    const char* key;
    const char* problemPart;
  };
  const Case cases[] = {
      {R"(, "Rows": 3, "Cols": 2, "Cells": [{"Row": 3, "Col": 0, "BackColor": 255}])", "Cells[0].Row", "outside"},
      {R"(, "Cells": [{"Row": 0}])", "Cells[0].Col", "missing"},
      {R"(, "Cells": [{"Row": 0, "Col": 0, "Colour": 1}])", "Cells[0].Colour", "not a key"},
      {R"(, "Rows": -1)", "Rows", "negative"},
      {R"(, "Rows": 2.5)", "Rows", "whole number"},
      {R"(, "Cols": 3, "ColWidth": [100, "wide"])", "ColWidth[1]", "must be a number"},
      {R"(, "Cols": 2, "ColWidth": [100, 100, 100])", "ColWidth", "3 entries"},
      {R"(, "Rows": 1, "TextMatrix": [["a"], ["b"]])", "TextMatrix", "more than"},
      {R"(, "TextMatrix": [["a"]], "CellsFile": "x.csv")", "CellsFile", "together"},
      {R"(, "CellsFile": "missing.csv")", "CellsFile", "no such file"},
      {R"(, "CellsFile": "open.csv")", "CellsFile", "line 2"},
      // A pipe would block the load until someone wrote to it, a device would
      // never end, and a huge sparse file would take all memory: refused at once.
      {R"(, "CellsFile": "pipe.csv")", "CellsFile", "pipe.csv: is not a regular file"},
      {R"(, "CellsFile": "/dev/zero")", "CellsFile", "not a regular file"},
      {R"(, "CellsFile": "huge.csv")", "CellsFile", "huge.csv: is larger than 256 MB"},
      {R"(, "CellsFile": "empty.csv")", "CellsFile", "empty.csv is empty"},
      {R"(, "Row": 7)", "Row", "Invalid property array index"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    try {
      (void)host::loadFormText(gridForm(c.keys), folder, "grid.json");
      ADD_FAILURE() << "the grid loaded";
    } catch (const FormFileError& error) {
      EXPECT_EQ(error.file(), "grid.json");
      EXPECT_EQ(error.place(), "Form.Controls[0]");
      EXPECT_EQ(error.key(), c.key);
      EXPECT_NE(error.problem().find(c.problemPart), std::string::npos) << error.what();
    }
  }
}

}  // namespace
