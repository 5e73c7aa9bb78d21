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
#include "TestSupport.h"
#include "cups/CupsTestSupport.h"
#include "host/CupsSpooler.h"
#include "host/HostError.h"
#include "host/Printer.h"

using namespace drawingtest;
namespace fs = std::filesystem;

namespace {

using cupstest::pdfFilesIn;

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

namespace {

// A small PDF made by the built-in PDF printer.
fs::path onePagePdf(const fs::path& folder) {
  const fs::path file = folder / "one.pdf";
  host::Printer printer(host::makePdfPrinter(file));
  printer.print("One page");
  printer.endDoc();
  return file;
}

int newestJob(const std::string& queue) {
  const std::vector<int> ids = host::cups::jobIds(queue);
  return ids.empty() ? 0 : ids.back();
}

TEST(CupsPrinter, AQueueThatRejectsJobsRefusesTheDocumentAndQueuesNothing) {
  const auto queues = cupstest::testQueues();
  if (!queues) GTEST_SKIP() << cupstest::noSchedulerReason;
  const auto rejecting = host::cups::findQueue(queues->rejecting);
  ASSERT_TRUE(rejecting);
  EXPECT_FALSE(rejecting->acceptingJobs);
  EXPECT_TRUE(host::cups::findQueue(queues->queue)->acceptingJobs);
  EXPECT_FALSE(host::cups::findQueue("No Such Queue"));

  const int before = newestJob(queues->rejecting);
  host::Printer printer(host::makeCupsPrinter(queues->rejecting));
  EXPECT_EQ(testsupport::errorNumberOf([&] { printer.print("Never printed"); }), host::err::PrinterError);
  EXPECT_FALSE(printer.documentOpen());

  // The spooler's own refusal of a finished document is an error too, with its reason.
  const fs::path folder = testsupport::makeTempDir("vellora-cups");
  std::string reason;
  try {
    (void)host::cups::submitPdf(queues->rejecting, onePagePdf(folder), "Refused", {});
  } catch (const host::HostError& error) {
    reason = error.what();
  }
  fs::remove_all(folder);
  EXPECT_NE(reason.find(queues->rejecting), std::string::npos) << reason;
  EXPECT_NE(reason.find("not accepting"), std::string::npos) << reason;
  EXPECT_EQ(newestJob(queues->rejecting), before) << "no job was queued";
}

TEST(CupsPrinter, TheSettingsReachTheSpoolerAsJobOptions) {
  const auto queues = cupstest::testQueues();
  if (!queues) GTEST_SKIP() << cupstest::noSchedulerReason;
  if (!havePoppler()) GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext) are not installed";

  host::Printer printer(host::makeCupsPrinter(queues->queue2));
  const host::PrinterDevice::Capabilities capabilities = printer.device()->capabilities();
  for (int paper : {1, 5, 8, 9, 11})
    EXPECT_NE(std::find(capabilities.paperSizes.begin(), capabilities.paperSizes.end(), paper),
              capabilities.paperSizes.end())
        << paper;
  EXPECT_TRUE(capabilities.color);
  EXPECT_FALSE(capabilities.duplex) << "the cups-pdf queue prints on one side";
  // A setting the queue cannot take is refused; the others are taken.
  EXPECT_EQ(testsupport::errorNumberOf([&] { printer.setDuplex(3); }), host::err::InvalidPropertyValue);
  printer.setCopies(2);
  printer.setOrientation(2);
  printer.setPaperSize(1);
  printer.setColorMode(1);
  EXPECT_GT(printer.width(), printer.height()) << "a landscape sheet";

  const std::set<fs::path> first = cupstest::pdfFilesIn(queues->output);
  const std::set<fs::path> second = cupstest::pdfFilesIn(queues->output2);
  const int before = newestJob(queues->queue2);
  printer.print("Landscape letter");
  printer.endDoc();

  const int job = newestJob(queues->queue2);
  ASSERT_GT(job, before) << "the job was queued";
  const auto attributes = host::cups::jobAttributes(job);
  ASSERT_TRUE(attributes);
  EXPECT_EQ(attributes->queue, queues->queue2);
  EXPECT_EQ(attributes->copies, 2);
  EXPECT_EQ(attributes->orientationRequested, 4) << "landscape";
  EXPECT_NE(attributes->media.find("letter"), std::string::npos) << attributes->media;
  EXPECT_EQ(attributes->colorMode, "monochrome");

  const fs::path delivered = cupstest::waitForNewPdf(queues->output2, second, [](const fs::path& file) {
    return pdfPages(file) > 0;
  });
  ASSERT_FALSE(delivered.empty()) << "no PDF appeared in " << queues->output2;
  EXPECT_EQ(cupstest::pdfFilesIn(queues->output), first) << "nothing went to the other queue";
}

}  // namespace
