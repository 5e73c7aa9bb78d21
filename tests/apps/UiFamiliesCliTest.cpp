// A .ui form with a widget of every printable family, printed by the vellora
// program: every line of text and every table row once, in the order the
// form shows them from top to bottom, the table's header over its rows on
// every page, and nothing of what is hidden or never printed.
#include <gtest/gtest.h>

#include <regex>

#include "ProgramTestSupport.h"
#include "host/drawing/PdfTools.h"

namespace fs = std::filesystem;

namespace {

using programtest::Outcome;

const fs::path form = fs::path(VELLORA_SOURCE_DIR) / "tests" / "forms" / "all-families.ui";

class UiFamiliesProgram : public programtest::ProgramTest {
 protected:
  std::vector<std::string> pages(const fs::path& pdf) {
    std::vector<std::string> texts;
    for (int page = 1; page <= drawingtest::pdfPages(pdf); ++page)
      texts.push_back(drawingtest::run("pdftotext -raw -f " + std::to_string(page) + " -l " + std::to_string(page) +
                                       " " + drawingtest::quoted(pdf) + " - | tr -d '\\f'"));
    return texts;
  }
};

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

TEST_F(UiFamiliesProgram, EveryFamilyPrintsOnceInTheOrderTheFormShowsIt) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  const Outcome outcome = run({"print", form.string(), "--pdf", "all.pdf", "--set", "ToPage=0"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> texts = pages(folder_ / "all.pdf");
  ASSERT_GE(texts.size(), 2u);
  std::string all;
  for (const std::string& text : texts) all += text;

  // Top to bottom as on the form: each family's first text after the one above it.
  const std::vector<std::string> inOrder = {
      "Every family on one form", "Field text", "17 boxes", "Courier",  "Group title",     "Check caption",
      "Note line 001",            "Note line 040", "Rich bold paragraph", "Article 001", "Article 080",
      "Branch 1",                 "Branch 5",   "List item 1", "Shown tab label"};
  std::size_t previous = 0;
  for (const std::string& text : inOrder) {
    const std::size_t at = all.find(text, previous);
    ASSERT_NE(at, std::string::npos) << text << " missing or out of order";
    previous = at;
  }
  for (int n = 1; n <= 40; ++n) {
    char line[32];
    std::snprintf(line, sizeof line, "Note line %03d", n);
    EXPECT_EQ(occurrences(all, line), 1u) << line;
  }
  for (int n = 1; n <= 80; ++n) {
    char row[32];
    std::snprintf(row, sizeof row, "Article %03d", n);
    EXPECT_EQ(occurrences(all, row), 1u) << row;
  }
  // The table's header heads every page the table runs over.
  const std::regex row("Article \\d{3}");
  for (std::size_t page = 0; page < texts.size(); ++page) {
    const std::string& text = texts[page];
    std::smatch first;
    if (!std::regex_search(text, first, row)) continue;
    const std::size_t header = text.find("Article Amount");
    ASSERT_NE(header, std::string::npos) << "page " << page + 1;
    EXPECT_LT(header, static_cast<std::size_t>(first.position(0))) << "page " << page + 1;
  }
  EXPECT_EQ(all.find("Hidden tab label"), std::string::npos) << "only the current tab prints";
  EXPECT_EQ(all.find("Button never printed"), std::string::npos);
  EXPECT_EQ(all.find("Leaf 1.1"), std::string::npos) << "a collapsed branch keeps its leaves off the page";
}

}  // namespace
