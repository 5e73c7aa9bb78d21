// Tables printed end to end by the vellora program on the built-in PDF
// printer: every page of a table writes its words in the table's own font,
// however many page titles were drawn before them. Word heights come from the
// word boxes pdftotext gives (yMax - yMin).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "TestSupport.h"
#include "apps/ProgramTestSupport.h"
#include "host/drawing/PdfTools.h"

namespace fs = std::filesystem;

namespace {

const fs::path longTables = fs::path(VELLORA_SOURCE_DIR) / "tests" / "forms" / "long-tables.json";

// The heights (hundredths of a point) of the words of each page that match
// `word`, by page number; pages without such words are left out.
std::map<int, std::set<long>> wordHeights(const fs::path& pdf, const std::regex& word) {
  static const std::regex box(R"re(<word xMin="[^"]*" yMin="([^"]*)" xMax="[^"]*" yMax="([^"]*)">([^<]*)</word>)re");
  std::map<int, std::set<long>> heights;
  const int pages = drawingtest::pdfPages(pdf);
  for (int page = 1; page <= pages; ++page) {
    const std::string text = drawingtest::run("pdftotext -bbox -f " + std::to_string(page) + " -l " +
                                              std::to_string(page) + " " + drawingtest::quoted(pdf) + " -");
    for (std::sregex_iterator at(text.begin(), text.end(), box), end; at != end; ++at) {
      if (!std::regex_match((*at)[3].str(), word)) continue;
      const double height = std::stod((*at)[2].str()) - std::stod((*at)[1].str());
      heights[page].insert(std::lround(height * 100));
    }
  }
  return heights;
}

class TablePagesPdf : public programtest::ProgramTest {
 protected:
  // Prints `form` to a PDF and gives the word heights of the words matching
  // `word`, which must show on at least three pages.
  std::map<int, std::set<long>> printedHeights(const fs::path& form, const std::string& word,
                                               const std::vector<std::string>& settings = {}) {
    const fs::path pdf = folder_ / "tables.pdf";
    std::vector<std::string> arguments{"print", form.string(), "--pdf", pdf.string()};
    for (const std::string& setting : settings) arguments.insert(arguments.end(), {"--set", setting});
    const programtest::Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    std::map<int, std::set<long>> heights = wordHeights(pdf, std::regex(word));
    EXPECT_GE(heights.size(), 3u) << "the table runs over three pages";
    return heights;
  }

  static void expectOneHeightThroughout(const std::map<int, std::set<long>>& heights) {
    ASSERT_FALSE(heights.empty());
    const std::set<long>& first = heights.begin()->second;
    EXPECT_EQ(first.size(), 1u) << "one font on the table's first page";
    for (const auto& [page, onPage] : heights) EXPECT_EQ(onPage, first) << "page " << page;
  }
};

TEST_F(TablePagesPdf, AListViewKeepsItsFontOnEveryPage) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  expectOneHeightThroughout(printedHeights(longTables, "Item\\d+"));
}

TEST_F(TablePagesPdf, AShrunkFlexGridKeepsItsShrunkFontOnEveryPage) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  const std::map<int, std::set<long>> heights = printedHeights(longTables, "R\\d+C\\d+", {"GridToFit=2"});
  expectOneHeightThroughout(heights);
  const std::map<int, std::set<long>> list = wordHeights(folder_ / "tables.pdf", std::regex("Item\\d+"));
  ASSERT_FALSE(list.empty());
  EXPECT_LT(*heights.begin()->second.begin(), *list.begin()->second.begin()) << "the grid is shrunk";
}

TEST_F(TablePagesPdf, ADataGridKeepsItsFontOnEveryPageWithOrWithoutHeaders) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  testsupport::makeDatabase(folder_ / "orders.sqlite", testsupport::ordersTable(300));
  for (const bool headers : {false, true}) {
    SCOPED_TRACE(headers);
    const fs::path form = folder_ / "orders.json";
    std::ofstream(form) << R"({"Form": {"Name": "Orders", "Width": 12000, "Height": 9000, "Controls": [
        {"Type": "DataGrid", "Name": "Orders", "Left": 240, "Top": 600, "Width": 6000, "Height": 2400,
         "Database": "orders.sqlite", "RecordSource": "SELECT customer FROM orders",
         "ColumnHeaders": )" << (headers ? "true" : "false") << R"(,
         "Font": {"Name": "Arial", "Size": 8}, "HeadFont": {"Name": "Arial", "Size": 8}}]}})";
    expectOneHeightThroughout(printedHeights(form, "Customer"));
  }
}

}  // namespace
