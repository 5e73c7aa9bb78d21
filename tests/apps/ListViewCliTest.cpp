// A long list view printed end to end by the vellora program: every item once
// and in order across the pages of the PDF, each page headed by the column
// headers unless the list hides them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>

#include "ProgramTestSupport.h"
#include "host/drawing/PdfTools.h"

namespace fs = std::filesystem;

namespace {

using programtest::Outcome;

class ListViewProgram : public programtest::ProgramTest {
 protected:
  static constexpr int Items = 300;

  // A form with a report-view list of `Items` people, three columns wide.
  fs::path writeListForm(bool hideHeaders) {
    std::string items;
    for (int i = 1; i <= Items; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "Person-%04d", i);
      if (i > 1) items += ",\n";
      // Every seventh person has no year: its cell prints empty.
      items += std::string(R"({"Text": ")") + name + R"(", "SubItems": ["Town )" + std::to_string(i % 13) + "\"" +
               (i % 7 == 0 ? "" : ", \"" + std::to_string(1800 + i) + "\"") + "]}";
    }
    const fs::path form = folder_ / "people.json";
    std::ofstream(form) << R"({"Form": {"Name": "People", "Width": 12000, "Height": 9000, "Controls": [
        {"Type": "Label", "Name": "Title", "Left": 240, "Top": 120, "Width": 6000, "Height": 300,
         "Caption": "Registered people"},
        {"Type": "ListView", "Name": "People", "Left": 240, "Top": 600, "Width": 9000, "Height": 3000, "View": 3,
         "HideColumnHeaders": )" << (hideHeaders ? "true" : "false") << R"(,
         "Font": {"Name": "Arial", "Size": 9},
         "ColumnHeaders": [{"Text": "Surname", "Width": 2400, "Alignment": 0},
                           {"Text": "Hometown", "Width": 2400, "Alignment": 0},
                           {"Text": "Birthyear", "Width": 1200, "Alignment": 1}],
         "ListItems": [)" << items << "]}]}}";
    return form;
  }

  std::vector<std::string> pdfPages(const fs::path& pdf) {
    std::vector<std::string> texts;
    const int pages = drawingtest::pdfPages(pdf);
    for (int page = 1; page <= pages; ++page)
      texts.push_back(drawingtest::run("pdftotext -raw -f " + std::to_string(page) + " -l " + std::to_string(page) +
                                       " " + drawingtest::quoted(pdf) + " -"));
    return texts;
  }
};

TEST_F(ListViewProgram, EveryItemPrintsOnceInOrderUnderTheHeaderOfEveryPage) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  for (const bool hidden : {false, true}) {
    SCOPED_TRACE(hidden);
    const fs::path pdf = folder_ / (hidden ? "hidden.pdf" : "people.pdf");
    const Outcome outcome = run({"print", writeListForm(hidden).string(), "--pdf", pdf.string()});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<std::string> pages = pdfPages(pdf);
    ASSERT_GE(pages.size(), 4u);
    int expected = 1;
    const std::regex person("Person-(\\d{4})");
    for (std::size_t page = 0; page < pages.size(); ++page) {
      const std::string& text = pages[page];
      const std::size_t header = text.find("Surname");
      const std::size_t firstItem = text.find("Person-");
      ASSERT_NE(firstItem, std::string::npos) << "no items on page " << page + 1;
      if (hidden) {
        EXPECT_EQ(header, std::string::npos) << "a header on page " << page + 1;
      } else {
        ASSERT_NE(header, std::string::npos) << "no header on page " << page + 1;
        EXPECT_LT(header, firstItem) << "the header is above the items of page " << page + 1;
        EXPECT_EQ(text.find("Surname", header + 1), std::string::npos) << "one header per page";
        EXPECT_NE(text.find("Birthyear"), std::string::npos) << "every column is headed on page " << page + 1;
      }
      for (auto match = std::sregex_iterator(text.begin(), text.end(), person); match != std::sregex_iterator();
           ++match)
        EXPECT_EQ(std::stoi((*match)[1]), expected++) << "page " << page + 1;
    }
    EXPECT_EQ(expected, Items + 1) << "every item exactly once";
    // The sub-items print beside their items; a missing one leaves its cell empty.
    EXPECT_NE(pages.front().find("1801"), std::string::npos);
    EXPECT_EQ(pages.front().find("1807"), std::string::npos);
  }
}

TEST_F(ListViewProgram, PreviewStoresThePagesOfTheLongList) {
  const Outcome outcome = run({"preview", writeListForm(false).string(), "--png", "pages", "--report", "report.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  int pictures = 0;
  for (const auto& entry : fs::directory_iterator(folder_ / "pages")) pictures += entry.path().extension() == ".png";
  EXPECT_GE(pictures, 4);
  const std::string report = programtest::readFile(folder_ / "report.json");
  EXPECT_NE(report.find("\"pages\": " + std::to_string(pictures)), std::string::npos) << report;
}

}  // namespace
