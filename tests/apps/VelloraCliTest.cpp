// The vellora program end to end: it runs on form files in a fresh folder and
// its PDF, page pictures, report and exit status are read back.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

const fs::path program = fs::path(VELLORA_BINARY_DIR) / "bin" / "vellora";
const fs::path exampleForm = fs::path(VELLORA_SOURCE_DIR) / "examples" / "orders.json";

std::string quoted(const std::string& text) {
  std::string result = "'";
  for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool toolAvailable(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class VelloraProgram : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(program)) GTEST_SKIP() << "the vellora program is not built: " << program;
    folder_ = testsupport::makeTempDir("vellora-cli");
  }
  void TearDown() override {
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }

  Outcome run(const std::vector<std::string>& arguments) {
    std::string command = "cd " + quoted(folder_.string()) + " && " + quoted(program.string());
    for (const std::string& argument : arguments) command += " " + quoted(argument);
    command += " >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = readFile(folder_ / "out.txt");
    outcome.err = readFile(folder_ / "err.txt");
    return outcome;
  }

  // The text of each page of a PDF.
  std::vector<std::string> pdfPages(const fs::path& pdf) {
    const int pages = pdfPageCount(pdf);
    std::vector<std::string> texts;
    for (int page = 1; page <= pages; ++page) {
      const fs::path text = folder_ / "page.txt";
      const std::string command = "pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
                                  quoted(pdf.string()) + " " + quoted(text.string());
      EXPECT_EQ(std::system(command.c_str()), 0);
      texts.push_back(readFile(text));
    }
    return texts;
  }

  int pdfPageCount(const fs::path& pdf) {
    const fs::path info = folder_ / "info.txt";
    if (std::system(("pdfinfo " + quoted(pdf.string()) + " >" + quoted(info.string())).c_str()) != 0) return -1;
    std::smatch match;
    const std::string text = readFile(info);
    if (!std::regex_search(text, match, std::regex("Pages:\\s+(\\d+)"))) return -1;
    return std::stoi(match[1]);
  }

  QJsonObject report(const std::string& name = "report.json") {
    return QJsonDocument::fromJson(QByteArray::fromStdString(readFile(folder_ / name))).object();
  }

  std::vector<fs::path> pictures(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.path().extension() == ".png") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  fs::path folder_;
};

// The page numbers of the report's Page events.
std::vector<int> pageEvents(const QJsonObject& report) {
  std::vector<int> pages;
  for (const QJsonValue& event : report["events"].toArray()) {
    if (event.toObject()["event"].toString() == "Page") pages.push_back(event.toObject()["PageNumber"].toInt());
  }
  return pages;
}

bool footNumbers(const std::string& text, int number) {
  return std::regex_search(text, std::regex("Page :\\s+" + std::to_string(number) + "\\b"));
}

TEST_F(VelloraProgram, PrintsTheExampleOrderFormToAPdfPageByPage) {
  if (!toolAvailable("pdftotext") || !toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  const Outcome outcome = run({"print", exampleForm.string(), "--report", "report.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const fs::path pdf = folder_ / "orders.pdf";
  ASSERT_TRUE(fs::exists(pdf));

  const QJsonObject r = report();
  EXPECT_TRUE(r["result"].toBool());
  const int pages = pdfPageCount(pdf);
  ASSERT_GE(pages, 2) << "the notes run over a page";
  EXPECT_EQ(r["pages"].toInt(), pages);
  EXPECT_EQ(fs::path(r["output"].toString().toStdString()), pdf);
  EXPECT_TRUE(r["messages"].toArray().isEmpty());

  const QJsonArray events = r["events"].toArray();
  ASSERT_GE(events.size(), 3);
  EXPECT_EQ(events.first().toObject()["event"].toString(), "BeforePrint");
  EXPECT_EQ(events.first().toObject()["Mode"].toInt(), 1);
  EXPECT_EQ(events.last().toObject()["event"].toString(), "AfterPrint");
  std::vector<int> expected;
  for (int n = 1; n <= pages; ++n) expected.push_back(n);
  EXPECT_EQ(pageEvents(r), expected);

  const std::vector<std::string> texts = pdfPages(pdf);
  ASSERT_EQ(static_cast<int>(texts.size()), pages);
  EXPECT_NE(texts.front().find("Order Confirmation"), std::string::npos);
  EXPECT_NE(texts.front().find("Harriet Vane"), std::string::npos);
  EXPECT_NE(texts.front().find("Courier, next day"), std::string::npos);
  EXPECT_NE(texts.back().find("End of the notes."), std::string::npos);
  for (int page = 1; page <= pages; ++page) {
    const std::string& text = texts[page - 1];
    EXPECT_NE(text.find("Northwind Office Supply - Order SO-2026-1187"), std::string::npos) << "top title, page " << page;
    EXPECT_TRUE(footNumbers(text, page)) << "foot line of page " << page;
    EXPECT_EQ(text.find("picked by J.B."), std::string::npos) << "a noprint box was printed";
  }
  EXPECT_NE(outcome.err.find("page 1"), std::string::npos) << "progress goes to standard error";
}

TEST_F(VelloraProgram, SettingsApplyThroughTheLetsAndTheRangeNumbersFromItsFirstPage) {
  if (!toolAvailable("pdftotext") || !toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  const Outcome full = run({"print", exampleForm.string(), "--pdf", "full.pdf"});
  ASSERT_EQ(full.status, 0) << full.err;
  const int total = pdfPageCount(folder_ / "full.pdf");
  const Outcome ranged = run({"print", exampleForm.string(), "--pdf", "ranged.pdf", "--set", "ToPage=0", "--set",
                              "FromPage=2", "--set", "FootTitle=Sheet", "--report", "report.json"});
  ASSERT_EQ(ranged.status, 0) << ranged.err;
  const std::vector<std::string> texts = pdfPages(folder_ / "ranged.pdf");
  ASSERT_EQ(static_cast<int>(texts.size()), total - 1);
  EXPECT_TRUE(std::regex_search(texts.front(), std::regex("Sheet\\s+2\\b")));
  EXPECT_EQ(texts.front().find("Order Confirmation"), std::string::npos) << "page 1 was not wiped";
  EXPECT_EQ(report()["pages"].toInt(), total - 1);
}

TEST_F(VelloraProgram, PreviewWritesOnePictureForEachStoredPage) {
  const Outcome outcome = run({"preview", exampleForm.string(), "--png", "pages", "--report", "report.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const QJsonObject r = report();
  EXPECT_TRUE(r["result"].toBool());
  const std::vector<fs::path> files = pictures(folder_ / "pages");
  ASSERT_GE(files.size(), 2u);
  EXPECT_EQ(r["pages"].toInt(), static_cast<int>(files.size()));
  EXPECT_EQ(files.front().filename(), "page-001.png");
  EXPECT_EQ(r["events"].toArray().first().toObject()["Mode"].toInt(), 0);
  EXPECT_EQ(pageEvents(r).size(), files.size());
  const QImage first(QString::fromStdString(files.front().string()));
  EXPECT_GT(first.width(), 700);
  EXPECT_GT(first.height(), 1000);
}

TEST_F(VelloraProgram, PrintingToPicturesRendersAt150DotsPerInch) {
  const Outcome outcome = run({"print", exampleForm.string(), "--png", "sheets", "--report", "report.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<fs::path> files = pictures(folder_ / "sheets");
  ASSERT_GE(files.size(), 2u);
  EXPECT_EQ(report()["pages"].toInt(), static_cast<int>(files.size()));
  const QImage first(QString::fromStdString(files.front().string()));
  EXPECT_NEAR(first.width(), 1240, 60);  // an A4 sheet, 8.27 inches
}

TEST_F(VelloraProgram, AFormWithoutPrintControlGetsOneWithDefaults) {
  if (!toolAvailable("pdftotext") || !toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  std::ofstream(folder_ / "tiny.json")
      << R"({"Form": {"Name": "Tiny", "Controls": [{"Type": "Label", "Name": "Greeting", "Caption": "Hello tiny",
             "Left": 360, "Top": 300, "Width": 3000, "Height": 300}]}})";
  const Outcome outcome = run({"print", "tiny.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> texts = pdfPages(folder_ / "tiny.pdf");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("Hello tiny"), std::string::npos);
  EXPECT_TRUE(footNumbers(texts[0], 1));
}

TEST_F(VelloraProgram, BadArgumentsAndUnreadableFormsEndWithStatusTwo) {
  Outcome outcome = run({});
  EXPECT_EQ(outcome.status, 2);
  outcome = run({"print", "missing.json"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("missing.json"), std::string::npos);
  std::ofstream(folder_ / "broken.json") << R"({"Form": {"Name": "Broken", "Controls": [{"Type": "Gizmo"}]}})";
  outcome = run({"print", "broken.json"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("broken.json"), std::string::npos);
  outcome = run({"print", exampleForm.string(), "--set", "NoSuchSetting=1"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("NoSuchSetting"), std::string::npos);
  outcome = run({"print", exampleForm.string(), "--set", "Zoom=wide"});
  EXPECT_EQ(outcome.status, 2);
  outcome = run({"print", exampleForm.string(), "--printer", "No Such Printer"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_FALSE(fs::exists(folder_ / "orders.pdf"));
}

TEST_F(VelloraProgram, HelpTellsAllAndPrintersListsTheDefaultFirst) {
  Outcome outcome = run({"--help"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.out.find("vellora print FORM"), std::string::npos);
  EXPECT_NE(outcome.out.find("--report PATH"), std::string::npos);
  outcome = run({"printers"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.out.find("(default)"), std::string::npos);
}

}  // namespace

// A form whose 500-row grid (cells from a CSV file) runs over many pages.
class GridProgram : public VelloraProgram {
 protected:
  static constexpr int DataRows = 500;

  fs::path writeGridForm() {
    std::ofstream csv(folder_ / "items.csv");
    csv << "Article,Description,Qty\r\n";
    for (int r = 1; r <= DataRows; ++r) {
      char number[16];
      std::snprintf(number, sizeof number, "%04d", r);
      csv << "Line-" << number << ",\"Paper, " << r << " reams\"," << r % 7 << "\r\n";
    }
    const fs::path form = folder_ / "stock.json";
    std::ofstream(form) << R"({"Form": {"Name": "Stock", "Width": 12000, "Height": 9000, "Controls": [
        {"Type": "MSFlexGrid", "Name": "Items", "Left": 240, "Top": 600, "Width": 9000, "Height": 2400,
         "FixedRows": 1, "FixedCols": 0, "CellsFile": "items.csv", "ColWidth": [1800, 3600, 900],
         "Font": {"Name": "Arial", "Size": 9}}]}})";
    return form;
  }
};

TEST_F(GridProgram, EveryDataRowPrintsOnceInOrderUnderTheHeaderOfItsPage) {
  if (!toolAvailable("pdftotext") || !toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  const Outcome outcome = run({"print", writeGridForm().string(), "--pdf", "stock.pdf", "--report", "report.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(report()["messages"].toArray().isEmpty());
  const std::vector<std::string> pages = pdfPages(folder_ / "stock.pdf");
  ASSERT_GE(pages.size(), 5u);
  int expected = 1;
  const std::regex dataRow("Line-(\\d{4})");
  for (std::size_t page = 0; page < pages.size(); ++page) {
    const std::string& text = pages[page];
    const std::size_t header = text.find("Article");
    const std::size_t firstRow = text.find("Line-");
    ASSERT_NE(header, std::string::npos) << "no header on page " << page + 1;
    ASSERT_NE(firstRow, std::string::npos) << "no rows on page " << page + 1;
    EXPECT_LT(header, firstRow) << "the header is above the rows of page " << page + 1;
    EXPECT_EQ(text.find("Article", header + 1), std::string::npos) << "one header per page";
    for (auto row = std::sregex_iterator(text.begin(), text.end(), dataRow); row != std::sregex_iterator(); ++row)
      EXPECT_EQ(std::stoi((*row)[1]), expected++) << "page " << page + 1;
  }
  EXPECT_EQ(expected, DataRows + 1) << "every data row exactly once";
}

TEST_F(GridProgram, PreviewStoresThePagesOfTheLongGrid) {
  const Outcome outcome = run({"preview", writeGridForm().string(), "--png", "pages", "--report", "report.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const QJsonObject r = report();
  EXPECT_TRUE(r["result"].toBool());
  EXPECT_TRUE(r["messages"].toArray().isEmpty());
  const std::vector<fs::path> files = pictures(folder_ / "pages");
  EXPECT_GE(files.size(), 5u);
  EXPECT_EQ(r["pages"].toInt(), static_cast<int>(files.size()));
  // The last page holds the end of the grid: it is not blank below its title.
  const QImage last(QString::fromStdString(files.back().string()));
  int ink = 0;
  for (int y = last.height() / 10; y < last.height() / 3; ++y)
    for (int x = 0; x < last.width(); ++x)
      if (qGray(last.pixel(x, y)) < 100) ++ink;
  EXPECT_GT(ink, 50);
}
