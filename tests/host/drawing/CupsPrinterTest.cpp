// A real print queue: a private CUPS scheduler with a cups-pdf queue, started
// by tests/cups/cupsd.sh. Without it the test reports a skip and says why.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <set>
#include <thread>

#include "DrawingTestSupport.h"
#include "PdfTools.h"
#include "host/Printer.h"

using namespace drawingtest;
namespace fs = std::filesystem;

namespace {

std::set<fs::path> pdfFilesIn(const fs::path& folder) {
  std::set<fs::path> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.path().extension() == ".pdf") files.insert(entry.path());
  return files;
}

std::string pageWords(const fs::path& pdf, int page) {
  const std::string number = std::to_string(page);
  return run("pdftotext -f " + number + " -l " + number + " " + quoted(pdf) + " -");
}

int wordCount(const std::string& text) {
  std::istringstream words(text);
  return static_cast<int>(std::distance(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()));
}

}  // namespace

TEST(CupsPrinter, ATwoPageDocumentReachesTheQueue) {
  const char* queue = std::getenv("VELLORA_TEST_CUPS_QUEUE");
  const char* output = std::getenv("VELLORA_TEST_CUPS_OUTPUT");
  if (!queue || !output || !std::getenv("CUPS_SERVER"))
    GTEST_SKIP() << "no private CUPS scheduler: CUPS_SERVER, VELLORA_TEST_CUPS_QUEUE and VELLORA_TEST_CUPS_OUTPUT "
                    "are set by start_test_cupsd in tests/cups/cupsd.sh (run as root)";
  if (!havePoppler()) GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext) are not installed";

  bool listed = false;
  for (const auto& device : host::Printers::installed()) listed = listed || device->deviceName() == queue;
  ASSERT_TRUE(listed) << "the queue " << queue << " is not among the installed printers";

  const std::set<fs::path> before = pdfFilesIn(output);
  host::Printer printer(host::makeCupsPrinter(queue));
  printer.print("A killed document never reaches the queue");
  printer.killDoc();
  EXPECT_EQ(printer.deviceName(), queue);
  EXPECT_GT(printer.width(), 10000);  // the printable width of an A4 sheet, in twips
  EXPECT_LE(printer.width(), 11910);
  printer.setFont(host::Font("Arial", 14));
  printer.print("Spooled page one");
  printer.newPage();
  printer.print("Spooled page two");
  printer.endDoc();

  // The spooler converts and writes the file in its own time.
  fs::path delivered;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    for (const fs::path& file : pdfFilesIn(output))
      if (!before.count(file) && pdfPages(file) > 0) delivered = file;
    if (!delivered.empty()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  ASSERT_FALSE(delivered.empty()) << "no new PDF appeared in " << output << " within 30 seconds";
  // Jobs are converted in turn: had the killed document been sent, it would be there first.
  EXPECT_EQ(pdfFilesIn(output).size(), before.size() + 1);
  EXPECT_EQ(pdfPages(delivered), 2);
  // The queue turns the job into PostScript and back; its fonts lose their
  // character names on the way, so each page is checked for its three words.
  const std::string first = pageWords(delivered, 1);
  const std::string second = pageWords(delivered, 2);
  EXPECT_EQ(wordCount(first), 3) << first;
  EXPECT_EQ(wordCount(second), 3) << second;
  EXPECT_NE(first, second);
}
