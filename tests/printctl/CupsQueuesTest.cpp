// The print control on real CUPS queues of the suite's private scheduler:
// the print dialog's choice of queue, copies, orientation, paper, colour and
// sides reaches the spooler, and a queue that rejects jobs ends the job unprinted and says so.
#include <gtest/gtest.h>

#include "cups/CupsTestSupport.h"
#include "host/CupsSpooler.h"
#include "host/Lang.h"
#include "host/Runtime.h"
#include "printctl/VelloraHarness.h"

namespace fs = std::filesystem;

namespace {

using velloratest::Harness;

int newestJob(const std::string& queue) {
  const std::vector<int> ids = host::cups::jobIds(queue);
  return ids.empty() ? 0 : ids.back();
}

// A form with a caption on it, on a runtime with the installed printers.
struct CupsHarness {
  Harness h;
  fs::path folder = testsupport::makeTempDir("vellora-queues");
  CupsHarness() {
    host::runtime().setPrinters(host::Printers::installed(folder / "form.pdf"));
    h.add("Label", "Title", {{"Caption", "Orders of the week"}, {"Left", 360}, {"Top", 300}, {"Width", 4000},
                             {"Height", 300}});
  }
  ~CupsHarness() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
};

TEST(CupsQueues, TheDialogsChoiceOfTheSecondQueueSendsTheJobThereWithEverySettingChosen) {
  const auto queues = cupstest::testQueues();
  if (!queues) GTEST_SKIP() << cupstest::noSchedulerReason;
  CupsHarness c;
  EXPECT_EQ(host::printer().deviceName(), "PDF") << "the built-in PDF printer is the default";

  host::PrintDialogScript script;
  script.printer = host::lowerCase(queues->queue2);
  script.copies = 2;
  script.orientation = 2;
  script.paperSize = 5;  // Legal
  script.colorMode = 1;  // monochrome
  script.duplex = 1;     // one side: the only one the queue has
  c.h.env.ui->setPrintDialogScript(script);
  c.h.control->setShowPrinterAlways(true);
  const auto first = cupstest::pdfFilesIn(queues->output);
  const auto second = cupstest::pdfFilesIn(queues->output2);
  const int before = newestJob(queues->queue2);

  ASSERT_TRUE(c.h.control->LVPrint());
  EXPECT_EQ(host::printer().deviceName(), queues->queue2);
  EXPECT_TRUE(c.h.env.ui->messages().empty());
  EXPECT_FALSE(fs::exists(c.folder / "form.pdf")) << "nothing went to the PDF printer";

  const int job = newestJob(queues->queue2);
  ASSERT_GT(job, before);
  const auto attributes = host::cups::jobAttributes(job);
  ASSERT_TRUE(attributes);
  EXPECT_EQ(attributes->copies, 2);
  EXPECT_EQ(attributes->orientationRequested, 4);
  EXPECT_NE(attributes->media.find("legal"), std::string::npos) << attributes->media;
  EXPECT_EQ(attributes->colorMode, "monochrome");
  EXPECT_EQ(attributes->sides, "one-sided");
  const fs::path delivered =
      cupstest::waitForNewPdf(queues->output2, second, [](const fs::path& file) { return fs::file_size(file) > 0; });
  EXPECT_FALSE(delivered.empty()) << "no PDF appeared in " << queues->output2;
  EXPECT_EQ(cupstest::pdfFilesIn(queues->output), first);
}

TEST(CupsQueues, AQueueThatRejectsJobsEndsTheJobWithThePrinterMessage) {
  const auto queues = cupstest::testQueues();
  if (!queues) GTEST_SKIP() << cupstest::noSchedulerReason;
  CupsHarness c;
  c.h.control->setPrinterName(queues->rejecting);
  ASSERT_EQ(host::printer().deviceName(), queues->rejecting);
  const int before = newestJob(queues->rejecting);

  EXPECT_FALSE(c.h.control->LVPrint());
  ASSERT_EQ(c.h.env.ui->messages().size(), 1u);
  EXPECT_EQ(c.h.env.ui->messages()[0].text, "Printer Not Ready");
  EXPECT_EQ(c.h.env.ui->messages()[0].style, 16);
  EXPECT_FALSE(host::printer().documentOpen());
  EXPECT_EQ(newestJob(queues->rejecting), before);
  EXPECT_EQ(c.h.events, (std::vector<std::string>{"BeforePrint 1"}));
}

}  // namespace
