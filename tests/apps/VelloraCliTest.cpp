// The vellora program end to end: it runs on form files in a fresh folder and
// its PDF, page pictures, report and exit status are read back.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "PageCompare.h"
#include "ProgramTestSupport.h"
#include "TestSupport.h"
#include "cups/CupsTestSupport.h"

namespace fs = std::filesystem;

namespace {

using programtest::Outcome;
using programtest::quoted;
using programtest::readFile;
using programtest::toolAvailable;

const fs::path exampleForm = fs::path(VELLORA_SOURCE_DIR) / "examples" / "orders.json";

class VelloraProgram : public programtest::ProgramTest {
 protected:
  // The text of each page of a PDF.
  std::vector<std::string> pdfPages(const fs::path& pdf) {
    const int pages = pdfPageCount(pdf);
    std::vector<std::string> texts;
    for (int page = 1; page <= pages; ++page) {
      const fs::path text = folder_ / "page.txt";
      // -raw keeps each run of text whole: text hidden under other text still shows.
      const std::string command = "pdftotext -raw -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
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
  EXPECT_NE(outcome.err.find("vellora: wrote orders.pdf, " + std::to_string(pages) + " pages"), std::string::npos)
      << "a file is not written without a word: " << outcome.err;
  EXPECT_TRUE(r["notes"].toArray().isEmpty());
}

TEST_F(VelloraProgram, AJobThePageRangeEndedSaysSoInItsReport) {
  const Outcome outcome = run({"print", exampleForm.string(), "--set", "ToPage=1", "--report", "report.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const QJsonObject r = report();
  EXPECT_TRUE(r["result"].toBool());
  const QJsonArray notes = r["notes"].toArray();
  ASSERT_EQ(notes.size(), 1) << outcome.err;
  EXPECT_EQ(notes.first().toString().toStdString(),
            "the page range ended the job at page 1 (ToPage 1); the form goes on beyond it");
  EXPECT_NE(outcome.err.find("vellora: " + notes.first().toString().toStdString()), std::string::npos);
  EXPECT_NE(outcome.err.find("vellora: wrote orders.pdf, 1 page\n"), std::string::npos) << outcome.err;
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

// The report's one print dialog.
QJsonObject onlyDialog(const QJsonObject& report) {
  const QJsonArray dialogs = report["dialogs"].toArray();
  EXPECT_EQ(dialogs.size(), 1);
  return dialogs.isEmpty() ? QJsonObject() : dialogs.first().toObject();
}

TEST_F(VelloraProgram, ACancelledDialogEndsThePrintUnprintedAndSaysSo) {
  const Outcome outcome = run({"print", exampleForm.string(), "--dialog", "cancel", "--report", "report.json"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("the print dialog was cancelled"), std::string::npos) << outcome.err;
  EXPECT_FALSE(fs::exists(folder_ / "orders.pdf"));
  const QJsonObject r = report();
  EXPECT_FALSE(r["result"].toBool());
  EXPECT_EQ(onlyDialog(r)["outcome"].toString(), "cancelled");
  EXPECT_FALSE(onlyDialog(r)["shown"].toBool());
  EXPECT_TRUE(pageEvents(r).empty());
}

TEST_F(VelloraProgram, TheDialogsPagesAndOrientationTakeTheJob) {
  if (!toolAvailable("pdftotext") || !toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  const Outcome outcome = run({"print", exampleForm.string(), "--dialog", "from=2,to=2,orientation=landscape",
                               "--report", "report.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> texts = pdfPages(folder_ / "orders.pdf");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(footNumbers(texts[0], 2)) << texts[0];
  const std::string info = [&] {
    std::system(("pdfinfo " + quoted((folder_ / "orders.pdf").string()) + " >" +
                 quoted((folder_ / "info.txt").string())).c_str());
    return readFile(folder_ / "info.txt");
  }();
  std::smatch size;
  ASSERT_TRUE(std::regex_search(info, size, std::regex("Page size:\\s+([0-9.]+) x ([0-9.]+)")));
  EXPECT_GT(std::stod(size[1]), std::stod(size[2])) << "a landscape sheet";

  const QJsonObject dialog = onlyDialog(report());
  EXPECT_EQ(dialog["outcome"].toString(), "confirmed");
  EXPECT_EQ(dialog["fromPage"].toInt(), 2);
  EXPECT_EQ(dialog["toPage"].toInt(), 2);
  EXPECT_EQ(dialog["orientation"].toString(), "landscape");
  EXPECT_EQ(dialog["printer"].toString(), "PDF");
  EXPECT_NE(outcome.err.find("the print dialog was confirmed: PDF, pages 2 to 2, 1 copy, landscape"),
            std::string::npos)
      << outcome.err;
}

TEST_F(VelloraProgram, TheDialogNeedsADisplayOrItsAnswerAndAnInstalledPrinter) {
  Outcome outcome = runWith("env -u DISPLAY -u WAYLAND_DISPLAY", {"print", exampleForm.string(), "--dialog"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("needs a display"), std::string::npos) << outcome.err;
  outcome = run({"print", exampleForm.string(), "--dialog", "printer=Nowhere"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("no printer named Nowhere"), std::string::npos) << outcome.err;
  EXPECT_FALSE(fs::exists(folder_ / "orders.pdf"));
}

TEST_F(VelloraProgram, ThePdfPrinterWritesTheCopiesAskedForAndRefusesMoreThanItMakes) {
  if (!toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  ASSERT_EQ(run({"print", exampleForm.string(), "--pdf", "one.pdf"}).status, 0);
  const int pages = pdfPageCount(folder_ / "one.pdf");
  ASSERT_GT(pages, 0);
  const Outcome three = run({"print", exampleForm.string(), "--pdf", "three.pdf", "--dialog", "copies=3"});
  ASSERT_EQ(three.status, 0) << three.err;
  EXPECT_EQ(pdfPageCount(folder_ / "three.pdf"), 3 * pages);
  const Outcome many = run({"print", exampleForm.string(), "--pdf", "many.pdf", "--dialog", "copies=100000"});
  EXPECT_EQ(many.status, 2);
  EXPECT_NE(many.err.find("copies=100000: PDF makes 1 to 99 copies"), std::string::npos) << many.err;
  EXPECT_FALSE(fs::exists(folder_ / "many.pdf"));
}

TEST_F(VelloraProgram, PrintersShowTheirPapersAndColour) {
  const Outcome outcome = run({"printers"});
  ASSERT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.out.find("PDF  (default)\n  paper: Letter"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("A4"), std::string::npos);
  EXPECT_NE(outcome.out.find("colour: yes"), std::string::npos);
  if (const auto queues = cupstest::testQueues()) {
    EXPECT_NE(outcome.out.find("\n" + queues->queue2 + "\n  paper: "), std::string::npos) << outcome.out;
  }
}

TEST_F(VelloraProgram, AQueueThatRejectsJobsEndsWithStatusOneAndThePrinterMessage) {
  const auto queues = cupstest::testQueues();
  if (!queues) GTEST_SKIP() << cupstest::noSchedulerReason;
  const Outcome outcome = run({"print", exampleForm.string(), "--printer", queues->rejecting, "--report", "report.json"});
  EXPECT_EQ(outcome.status, 1);
  const QJsonObject r = report();
  EXPECT_FALSE(r["result"].toBool());
  const QJsonArray messages = r["messages"].toArray();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0].toObject()["text"].toString(), "Printer Not Ready");
  EXPECT_EQ(r["pages"].toInt(), 0);
}

TEST_F(VelloraProgram, TheDialogsQueueTakesTheJob) {
  const auto queues = cupstest::testQueues();
  if (!queues) GTEST_SKIP() << cupstest::noSchedulerReason;
  const auto before = cupstest::pdfFilesIn(queues->output2);
  const Outcome outcome = run({"print", exampleForm.string(), "--dialog",
                               "printer=" + queues->queue2 + ",copies=2", "--report", "report.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const QJsonObject r = report();
  EXPECT_EQ(r["output"].toString().toStdString(), queues->queue2);
  EXPECT_EQ(onlyDialog(r)["copies"].toInt(), 2);
  EXPECT_FALSE(fs::exists(folder_ / "orders.pdf"));
  const fs::path delivered =
      cupstest::waitForNewPdf(queues->output2, before, [](const fs::path& file) { return fs::file_size(file) > 0; });
  EXPECT_FALSE(delivered.empty()) << "no PDF appeared in " << queues->output2;
}

}  // namespace

namespace {

// A form whose multi-line box runs over several pages, "Line 001" to
// "Line 300", with a label after it.
void writeLongForm(const fs::path& file) {
  std::string lines;
  for (int line = 1; line <= 300; ++line) {
    char text[16];
    std::snprintf(text, sizeof text, "Line %03d", line);
    lines += (line > 1 ? "\\r\\n" : "") + std::string(text);
  }
  std::ofstream(file) << R"({"Form": {"Name": "Long", "Controls": [
      {"Type": "TextBox", "Name": "Notes", "MultiLine": true, "Text": ")" << lines << R"(",
       "Left": 360, "Top": 300, "Width": 6000, "Height": 2400},
      {"Type": "Label", "Name": "After", "Caption": "Signed after the notes",
       "Left": 360, "Top": 2900, "Width": 4000, "Height": 300}]}})";
}

// The numbers of the "Line NNN" lines in a text.
std::vector<int> lineNumbers(const std::string& text) {
  std::vector<int> numbers;
  const std::regex line("Line (\\d{3})");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it)
    numbers.push_back(std::stoi((*it)[1]));
  return numbers;
}

}  // namespace

// Pages before the range leave nothing in the document, not even text
// hidden under the white wipe, and once the range ends the job nothing of
// a later page lands on the last one kept.
TEST_F(VelloraProgram, ARangeKeepsOnlyItsPagesInThePdf) {
  if (!toolAvailable("pdftotext") || !toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  writeLongForm(folder_ / "long.json");
  const Outcome full = run({"print", "long.json", "--pdf", "full.pdf"});
  ASSERT_EQ(full.status, 0) << full.err;
  const std::vector<std::string> fullPages = pdfPages(folder_ / "full.pdf");
  ASSERT_GE(fullPages.size(), 4u);
  EXPECT_EQ(lineNumbers(fullPages[0]).front(), 1);

  for (const auto& [from, to] : {std::pair{3, 0}, std::pair{2, 2}, std::pair{3, 3}}) {
    SCOPED_TRACE(testing::Message() << "pages " << from << " to " << to);
    const Outcome ranged = run({"print", "long.json", "--pdf", "ranged.pdf", "--set", "ToPage=" + std::to_string(to),
                                "--set", "FromPage=" + std::to_string(from)});
    ASSERT_EQ(ranged.status, 0) << ranged.err;
    const std::vector<std::string> pages = pdfPages(folder_ / "ranged.pdf");
    const std::size_t expected = to == 0 ? fullPages.size() - from + 1 : 1;
    ASSERT_EQ(pages.size(), expected);
    for (std::size_t page = 0; page < pages.size(); ++page) {
      EXPECT_EQ(lineNumbers(pages[page]), lineNumbers(fullPages[page + from - 1])) << "page " << page + from;
    }
    if (to != 0) {
      EXPECT_EQ(pages.back().find("Signed after"), std::string::npos) << "a later page's label was drawn";
      EXPECT_NE(ranged.err.find("the page range ended the job at page " + std::to_string(to)), std::string::npos)
          << ranged.err;
    }
  }
}

// A range that starts after the last page prints nothing and says so.
TEST_F(VelloraProgram, ARangeAfterTheLastPageEndsWithStatusOne) {
  const Outcome outcome = run({"print", exampleForm.string(), "--pdf", "none.pdf", "--set", "ToPage=0", "--set",
                               "FromPage=9", "--report", "report.json"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_FALSE(report()["result"].toBool());
  EXPECT_TRUE(report()["outputs"].toArray().isEmpty());
  EXPECT_NE(outcome.err.find("the page range starts at page 9 but the form has 2 pages"), std::string::npos)
      << outcome.err;
  EXPECT_FALSE(fs::exists(folder_ / "none.pdf"));
}

// Output that cannot be written ends with status 1, a line naming the path
// and the system's reason, and no partial file.
TEST_F(VelloraProgram, OutputThatCannotBeWrittenIsReportedAndLeavesNoPartialFile) {
  std::ofstream(folder_ / "plain-file") << "not a folder";
  Outcome outcome = run({"preview", exampleForm.string(), "--png", "plain-file/pages"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("vellora: cannot write plain-file/pages: Not a directory"), std::string::npos)
      << outcome.err;

  outcome = run({"print", exampleForm.string(), "--pdf", "missing/out.pdf"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("out.pdf: No such file or directory"), std::string::npos) << outcome.err;

  // A full disk, as a file size limit: writes fail instead of the signal.
  for (const std::vector<std::string>& target :
       {std::vector<std::string>{"--pdf", "full.pdf"}, std::vector<std::string>{"--png", "sheets"}}) {
    std::vector<std::string> arguments{"print", exampleForm.string()};
    arguments.insert(arguments.end(), target.begin(), target.end());
    outcome = runWith("ulimit -f 8; trap '' XFSZ;", arguments);
    EXPECT_EQ(outcome.status, 1) << target[0];
    EXPECT_NE(outcome.err.find("File too large"), std::string::npos) << outcome.err;
  }
  EXPECT_FALSE(fs::exists(folder_ / "full.pdf"));
  EXPECT_FALSE(fs::exists(folder_ / "sheets" / "page-001.png"));
  for (const auto& entry : fs::directory_iterator(folder_))
    EXPECT_EQ(entry.path().filename().string().find("full.pdf."), std::string::npos) << entry.path();
}

// A value the print control's bag cannot read takes its default and the job
// goes on; a setting the job cannot use says why it failed.
TEST_F(VelloraProgram, UnreadableSettingsAreReportedAndTheJobGoesOnOrSaysWhyItFailed) {
  std::ofstream(folder_ / "bag.json")
      << R"({"Form": {"Name": "Bag", "Controls": [
           {"Type": "Vellora", "Name": "Vellora1", "Properties": {"Zoom": "abc"}},
           {"Type": "Label", "Name": "Greeting", "Caption": "Hello bag", "Left": 360, "Top": 300, "Width": 3000,
            "Height": 300}]}})";
  Outcome outcome = run({"print", "bag.json", "--pdf", "bag.pdf"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("Zoom"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("the default is used"), std::string::npos) << outcome.err;
  EXPECT_TRUE(fs::exists(folder_ / "bag.pdf"));

  outcome = run({"print", exampleForm.string(), "--pdf", "set.pdf", "--set", "LeftMargin=1e10"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("vellora: the print job failed: "), std::string::npos) << outcome.err;

  // An orientation that does not exist is refused where it is given, not
  // first by the printer when the job runs.
  outcome = run({"print", exampleForm.string(), "--pdf", "set.pdf", "--set", "Orientation=2"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("--set Orientation=2: Invalid property value"), std::string::npos) << outcome.err;
  std::ofstream(folder_ / "turned.json") << R"({"Form": {"Name": "Turned", "Controls": [
      {"Type": "Vellora", "Name": "Vellora1", "Orientation": 3}]}})";
  outcome = run({"print", "turned.json", "--pdf", "turned.pdf"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("Form.Controls[0]: \"Orientation\": Invalid property value"), std::string::npos)
      << outcome.err;
  EXPECT_FALSE(fs::exists(folder_ / "turned.pdf"));
}

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

// A form whose data grid shows a 1,000-record SQLite table the test makes.
class DataGridProgram : public VelloraProgram {
 protected:
  static constexpr int Records = 1000;

  fs::path writeForm(const std::string& recordSource) {
    testsupport::makeDatabase(folder_ / "orders.sqlite", testsupport::ordersTable(Records));
    const fs::path form = folder_ / "orders.json";
    std::ofstream(form) << R"({"Form": {"Name": "Orders", "Width": 12000, "Height": 9000, "Controls": [
        {"Type": "DataGrid", "Name": "Orders", "Left": 240, "Top": 600, "Width": 9000, "Height": 2400,
         "Database": "orders.sqlite", "RecordSource": ")" + recordSource + R"(", "AllowAddNew": true,
         "HeadFont": {"Name": "Arial", "Size": 9, "Bold": true}, "Font": {"Name": "Arial", "Size": 9},
         "Columns": [{"DataField": "id", "Caption": "Order", "Width": 900, "Alignment": 1},
                     {"DataField": "customer", "Caption": "Customer", "Width": 3000},
                     {"DataField": "total", "Caption": "Total", "Width": 1200, "Alignment": 1}]}]}})";
    return form;
  }
};

TEST_F(DataGridProgram, EveryRecordPrintsOnceInOrderUnderTheHeadersOfItsPageAndTheDatabaseStaysAsItWas) {
  if (!toolAvailable("pdftotext") || !toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  const fs::path form = writeForm("SELECT id, customer, total FROM orders ORDER BY id");
  const std::string before = testsupport::fileBytes(folder_ / "orders.sqlite");
  const Outcome outcome = run({"print", form.string(), "--pdf", "orders.pdf", "--report", "report.json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(report()["messages"].toArray().isEmpty());
  const std::vector<std::string> pages = pdfPages(folder_ / "orders.pdf");
  ASSERT_GE(pages.size(), 10u);
  int expected = 1;
  const std::regex record("Customer (\\d+)");
  for (std::size_t page = 0; page < pages.size(); ++page) {
    const std::string& text = pages[page];
    const std::size_t header = text.find("Order Customer Total");
    ASSERT_NE(header, std::string::npos) << "no header on page " << page + 1;
    EXPECT_LT(header, text.find("Customer 1")) << "the header heads page " << page + 1;
    for (auto row = std::sregex_iterator(text.begin(), text.end(), record); row != std::sregex_iterator(); ++row)
      EXPECT_EQ(std::stoi((*row)[1]), expected++) << "page " << page + 1;
  }
  EXPECT_EQ(expected, Records + 1) << "every record exactly once";
  EXPECT_EQ(testsupport::fileBytes(folder_ / "orders.sqlite"), before) << "printing never changes the database";
}

TEST_F(DataGridProgram, AnEndlessQueryPrintsItsRecordsInOrderUpToThePageRange) {
  if (!toolAvailable("pdftotext") || !toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  const fs::path form = writeForm(
      "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
      "SELECT x AS id, 'Customer ' || x AS customer, x * 2 AS total FROM c");
  const Outcome outcome = run({"print", form.string(), "--pdf", "endless.pdf", "--set", "ToPage=3"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> pages = pdfPages(folder_ / "endless.pdf");
  ASSERT_EQ(pages.size(), 3U);
  std::string all;
  for (const std::string& page : pages) all += page;
  const std::regex record("Customer (\\d+)");
  int expected = 1;
  for (auto row = std::sregex_iterator(all.begin(), all.end(), record); row != std::sregex_iterator(); ++row)
    EXPECT_EQ(std::stoi((*row)[1]), expected++);
  EXPECT_GT(expected, 100) << "three pages of records";
}

TEST_F(DataGridProgram, ARecordSourceThatIsNotAQueryIsRefusedAndNothingPrints) {
  const fs::path form = writeForm("DELETE FROM orders");
  const std::string before = testsupport::fileBytes(folder_ / "orders.sqlite");
  const Outcome outcome = run({"print", form.string(), "--pdf", "orders.pdf", "--report", "refused.json"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("Form.Controls[0]"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("RecordSource"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("must be a table name or a SELECT statement"), std::string::npos) << outcome.err;
  EXPECT_FALSE(fs::exists(folder_ / "orders.pdf"));
  EXPECT_EQ(testsupport::fileBytes(folder_ / "orders.sqlite"), before);
  // The refused form still writes its report, as a job that ended False does.
  const QJsonObject report =
      QJsonDocument::fromJson(QByteArray::fromStdString(readFile(folder_ / "refused.json"))).object();
  EXPECT_FALSE(report["result"].toBool());
  EXPECT_EQ(report["pages"].toInt(), 0);
  const QJsonArray notes = report["notes"].toArray();
  ASSERT_FALSE(notes.isEmpty());
  EXPECT_TRUE(notes.first().toString().contains("must be a table name or a SELECT statement"))
      << notes.first().toString().toStdString();
}

TEST_F(DataGridProgram, TheExampleOrderBookPrintsEveryOrderOfItsDatabase) {
  if (!toolAvailable("pdftotext") || !toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  const fs::path examples = fs::path(VELLORA_SOURCE_DIR) / "examples";
  fs::copy_file(examples / "orders-db.json", folder_ / "orders-db.json");
  testsupport::makeDatabase(folder_ / "orders.sqlite", readFile(examples / "orders-db.sql"));
  const Outcome outcome = run({"print", "orders-db.json", "--pdf", "book.pdf"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  std::string all;
  for (const std::string& page : pdfPages(folder_ / "book.pdf")) all += page;
  const std::regex record("Customer (\\d+)");
  int expected = 1;
  for (auto row = std::sregex_iterator(all.begin(), all.end(), record); row != std::sregex_iterator(); ++row)
    EXPECT_EQ(std::stoi((*row)[1]), expected++);
  EXPECT_EQ(expected, 251);
}

namespace {

// The preview as printed against the print itself: the same pages, broken
// at the same places.
class AsPrintedProgram : public VelloraProgram {
 protected:
  void expectPreviewAsPrinted(const fs::path& form) {
    const std::string name = form.stem().string();
    const fs::path pdf = folder_ / (name + "-printed.pdf");
    const Outcome printed = run({"print", form.string(), "--pdf", pdf.string()});
    ASSERT_EQ(printed.status, 0) << printed.err;
    const fs::path shownFolder = folder_ / (name + "-shown");
    fs::create_directory(shownFolder);
    const Outcome shown = run({"preview", form.string(), "--as-printed", "--png", shownFolder.string()});
    ASSERT_EQ(shown.status, 0) << shown.err;
    ASSERT_FALSE(fs::exists(folder_ / (name + ".pdf"))) << "a preview prints nothing";

    const std::vector<fs::path> pages = pictures(shownFolder);
    ASSERT_EQ(static_cast<int>(pages.size()), pdfPageCount(pdf)) << name;
    // Each printed page drawn at the screen's resolution, against the page shown.
    const fs::path paperFolder = folder_ / (name + "-paper");
    fs::create_directory(paperFolder);
    const std::string render =
        "pdftoppm -r 96 -png " + quoted(pdf.string()) + " " + quoted((paperFolder / "page").string());
    ASSERT_EQ(std::system(render.c_str()), 0);
    const std::vector<fs::path> rendered = pictures(paperFolder);
    ASSERT_EQ(rendered.size(), pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
      const QImage page(QString::fromStdString(pages[i].string()));
      const QImage paper(QString::fromStdString(rendered[i].string()));
      EXPECT_LT(testsupport::pageDifference(page, paper, page.width(), page.height(), 8), 5.0)
          << name << " page " << i + 1;
    }
  }
};

TEST_F(AsPrintedProgram, TheStockPeopleAndOrderBookExamplesPreviewPageForPageAsTheyPrint) {
  if (!toolAvailable("pdftoppm") || !toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  const fs::path examples = fs::path(VELLORA_SOURCE_DIR) / "examples";
  expectPreviewAsPrinted(examples / "stock.json");
  expectPreviewAsPrinted(examples / "people.json");
  fs::copy_file(examples / "orders-db.json", folder_ / "orders-db.json");
  testsupport::makeDatabase(folder_ / "orders.sqlite", readFile(examples / "orders-db.sql"));
  expectPreviewAsPrinted(folder_ / "orders-db.json");
}

TEST_F(AsPrintedProgram, ALongTextBoxPreviewsPageForPageAsItPrints) {
  if (!toolAvailable("pdftoppm") || !toolAvailable("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  std::string text;
  for (int row = 1; row <= 400; ++row)
    text += (row > 1 ? "\\r\\n" : "") + ("Row " + std::to_string(row) + " " + std::string(row * 7 % 40, '='));
  std::ofstream(folder_ / "notes.json") << R"({"Form": {"Name": "Notes", "Width": 12000, "Height": 9000, "Controls": [
      {"Type": "TextBox", "Name": "Notes", "Left": 240, "Top": 600, "Width": 9000, "Height": 2400,
       "MultiLine": true, "Text": ")" + text + R"("}]}})";
  expectPreviewAsPrinted(folder_ / "notes.json");
}

TEST_F(AsPrintedProgram, AsPrintedBelongsToPreviewAndTakesAPrinter) {
  Outcome outcome = run({"print", exampleForm.string(), "--as-printed"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("--as-printed belongs to preview"), std::string::npos) << outcome.err;
  outcome = run({"preview", exampleForm.string(), "--printer", "nowhere"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("--printer belongs to print and to preview --as-printed"), std::string::npos)
      << outcome.err;
  outcome = run({"preview", exampleForm.string(), "--as-printed", "--printer", "nowhere"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("no printer named nowhere"), std::string::npos) << outcome.err;
}

}  // namespace
