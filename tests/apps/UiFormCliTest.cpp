// Qt Designer .ui forms printed end to end by the vellora program (as live
// widgets, with the outputs, report and refusals of form files), and the
// order-entry example printing itself without a display.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <regex>

#include "ProgramTestSupport.h"
#include "host/drawing/PdfTools.h"

namespace fs = std::filesystem;

namespace {

using programtest::Outcome;
using programtest::readFile;

const fs::path forms = fs::path(VELLORA_SOURCE_DIR) / "tests" / "forms";
const fs::path orderEntry = fs::path(VELLORA_BINARY_DIR) / "bin" / "order-entry";
const fs::path designerPlugin = fs::path(VELLORA_BINARY_DIR) / "plugins" / "designer" / "libvellora_designer.so";

std::vector<std::string> pdfPages(const fs::path& pdf) {
  std::vector<std::string> texts;
  const int pages = drawingtest::pdfPages(pdf);
  for (int page = 1; page <= pages; ++page)
    texts.push_back(drawingtest::run("pdftotext -raw -f " + std::to_string(page) + " -l " + std::to_string(page) +
                                     " " + drawingtest::quoted(pdf) + " -"));
  return texts;
}

bool footNumbers(const std::string& text, const std::string& footTitle, int number) {
  return std::regex_search(text, std::regex(footTitle + "\\s+" + std::to_string(number) + "\\b"));
}

std::vector<int> pageEvents(const QJsonObject& report) {
  std::vector<int> pages;
  for (const QJsonValue& event : report["events"].toArray())
    if (event.toObject()["event"].toString() == "Page") pages.push_back(event.toObject()["PageNumber"].toInt());
  return pages;
}

std::vector<int> oneToN(int n) {
  std::vector<int> numbers;
  for (int k = 1; k <= n; ++k) numbers.push_back(k);
  return numbers;
}

// Checks that every match of `pattern` (its first group a number) runs 1, 2,
// ... through the pages, and returns how many there were.
int countInOrder(const std::vector<std::string>& pages, const std::regex& pattern) {
  int expected = 1;
  for (std::size_t page = 0; page < pages.size(); ++page) {
    const std::string& text = pages[page];
    for (auto match = std::sregex_iterator(text.begin(), text.end(), pattern); match != std::sregex_iterator();
         ++match)
      EXPECT_EQ(std::stoi((*match)[1]), expected++) << "page " << page + 1;
  }
  return expected - 1;
}

class UiFormProgram : public programtest::ProgramTest {
 protected:
  QJsonObject report(const std::string& name) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(readFile(folder_ / name))).object();
  }
  int pictures(const fs::path& dir) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir)) count += entry.path().extension() == ".png";
    return count;
  }
};

TEST_F(UiFormProgram, PrintsTheWidgetsTextsWithTheTitleOnEveryPageAndReportsTheJob) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  const Outcome outcome = run({"print", (forms / "customer-card.ui").string(), "--pdf", "card.pdf", "--set",
                               "TopTitle=Card of the day", "--report", "report.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> pages = pdfPages(folder_ / "card.pdf");
  ASSERT_GE(pages.size(), 2u) << "the notes run over a page";
  for (const char* text : {"Customer card", "Contact", "Name:", "Ada Lovelace", "Marylebone", "Sends the newsletter"})
    EXPECT_NE(pages.front().find(text), std::string::npos) << text;
  EXPECT_EQ(countInOrder(pages, std::regex("Note line (\\d+)")), 80) << "every line of the notes exactly once";
  for (std::size_t page = 0; page < pages.size(); ++page) {
    EXPECT_NE(pages[page].find("Card of the day"), std::string::npos) << "the title on page " << page + 1;
    EXPECT_TRUE(footNumbers(pages[page], "Page :", static_cast<int>(page) + 1)) << "the foot line of page " << page + 1;
  }

  const QJsonObject r = report("report.json");
  EXPECT_TRUE(r["result"].toBool());
  EXPECT_EQ(r["pages"].toInt(), static_cast<int>(pages.size()));
  EXPECT_EQ(fs::path(r["output"].toString().toStdString()), folder_ / "card.pdf");
  EXPECT_EQ(pageEvents(r), oneToN(static_cast<int>(pages.size())));
  EXPECT_NE(outcome.err.find("vellora: page 2"), std::string::npos) << outcome.err;
}

TEST_F(UiFormProgram, PagePicturesOfAPreviewAndAPrintAreWrittenAsForFormFiles) {
  const std::string form = (forms / "customer-card.ui").string();
  Outcome outcome = run({"preview", form, "--png", "preview", "--report", "preview.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const QJsonObject previewed = report("preview.json");
  EXPECT_EQ(previewed["events"].toArray().first().toObject()["Mode"].toInt(), 0);
  EXPECT_GE(pictures(folder_ / "preview"), 2);
  EXPECT_EQ(previewed["pages"].toInt(), pictures(folder_ / "preview"));

  outcome = run({"print", form, "--png", "printed", "--report", "printed.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(report("printed.json")["pages"].toInt(), pictures(folder_ / "printed"));
  EXPECT_EQ(pictures(folder_ / "printed"), pictures(folder_ / "preview")) << "the same pages to the printer";
}

TEST_F(UiFormProgram, TheFormsOwnPrintControlPrintsWithItsSavedSettingsAndSetGoesOnTop) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  if (!fs::exists(designerPlugin)) GTEST_SKIP() << "the Designer plugin is not built: " << designerPlugin;
  const std::string form = (forms / "with-print-control.ui").string();
  Outcome outcome = run({"print", form, "--pdf", "saved.pdf"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  std::vector<std::string> pages = pdfPages(folder_ / "saved.pdf");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NE(pages[0].find("Invoices of the week"), std::string::npos);
  EXPECT_NE(pages[0].find("Saved title of the form"), std::string::npos) << pages[0];
  EXPECT_TRUE(footNumbers(pages[0], "Sheet :", 1)) << pages[0];

  outcome = run({"print", form, "--pdf", "given.pdf", "--set", "TopTitle=Given title"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  pages = pdfPages(folder_ / "given.pdf");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NE(pages[0].find("Given title"), std::string::npos) << pages[0];
  EXPECT_EQ(pages[0].find("Saved title"), std::string::npos);
  EXPECT_TRUE(footNumbers(pages[0], "Sheet :", 1)) << "the other saved settings stay";
}

TEST_F(UiFormProgram, AMalformedFileOrAnUnknownClassIsRefusedWithItsPlaceAndNothingPrints) {
  struct Refusal {
    const char* file;
    const char* line;
    const char* names;  // the class the message points at
  };
  for (const Refusal& refusal : {Refusal{"malformed.ui", "line 9", "QLabel \"greeting\""},
                                 Refusal{"unknown-class.ui", "line 14", "\"FuelGauge\""}}) {
    SCOPED_TRACE(refusal.file);
    for (const char* command : {"print", "preview"}) {
      const Outcome outcome = run({command, (forms / refusal.file).string(), "--png", "pages", "--report", "r.json"});
      EXPECT_EQ(outcome.status, 2);
      EXPECT_NE(outcome.err.find(refusal.file + std::string(", ") + refusal.line), std::string::npos) << outcome.err;
      EXPECT_NE(outcome.err.find(refusal.names), std::string::npos) << outcome.err;
      EXPECT_EQ(outcome.err.find("page 1"), std::string::npos) << "no job ran";
      EXPECT_FALSE(fs::exists(folder_ / "pages"));
      // The report says the form was refused, and why.
      const QJsonObject refused = report("r.json");
      EXPECT_FALSE(refused["result"].toBool());
      EXPECT_EQ(refused["pages"].toInt(), 0);
      EXPECT_TRUE(refused["outputs"].toArray().isEmpty());
      ASSERT_FALSE(refused["notes"].toArray().isEmpty());
      EXPECT_TRUE(refused["notes"].toArray().first().toString().contains(refusal.file));
      fs::remove(folder_ / "r.json");
    }
    const Outcome outcome = run({"print", (forms / refusal.file).string(), "--pdf", "never.pdf"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_FALSE(fs::exists(folder_ / "never.pdf"));
  }
  // A good form with a bad setting, and a window asked for without a display.
  Outcome outcome = run({"print", (forms / "customer-card.ui").string(), "--set", "NoSuchSetting=1"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("NoSuchSetting"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder_ / "customer-card.pdf"));
  outcome = runWith("env -u DISPLAY -u WAYLAND_DISPLAY", {"run", (forms / "customer-card.ui").string()});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("needs a display"), std::string::npos) << outcome.err;
}

TEST_F(UiFormProgram, OrderEntryPrintsEveryOrderLineOnceUnderTheTableHeaderOfEveryPage) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  if (!fs::exists(orderEntry)) GTEST_SKIP() << "the example is not built: " << orderEntry;
  // Without a display and without the tests' own platform setting.
  const Outcome outcome =
      runProgram(orderEntry, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM", {"--print", "order.pdf"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> pages = pdfPages(folder_ / "order.pdf");
  ASSERT_GE(pages.size(), 3u) << "300 order lines take several pages";
  EXPECT_NE(pages.front().find("Harriet Vane"), std::string::npos);
  EXPECT_NE(pages.front().find("Order SO-2026-1187"), std::string::npos) << "the title the window gives the job";
  for (std::size_t page = 0; page < pages.size(); ++page) {
    const std::string& text = pages[page];
    const std::size_t firstLine = text.find("ART-");
    if (firstLine == std::string::npos) continue;
    const std::size_t header = text.find("Unit price");
    ASSERT_NE(header, std::string::npos) << "no table header on page " << page + 1;
    EXPECT_LT(header, firstLine) << "the header heads page " << page + 1;
    EXPECT_EQ(text.find("Unit price", header + 1), std::string::npos) << "one header on page " << page + 1;
  }
  EXPECT_EQ(countInOrder(pages, std::regex("ART-(\\d{4})")), 300) << "every order line exactly once";
  // The delivery schedule below the table follows its last line, expanded.
  const std::string& last = pages.back();
  EXPECT_LT(last.find("ART-0300"), last.find("Second delivery")) << last;
  EXPECT_NE(last.find("Filing and storage"), std::string::npos) << last;
}

}  // namespace
