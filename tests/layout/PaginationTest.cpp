// Page breaks and page ranges on a form whose notes run over several pages,
// in print and in preview; the memory guard, the progress caption, and the
// common error report.
#include <gtest/gtest.h>

#include "host/HostError.h"
#include "host/Ui.h"
#include "host/Runtime.h"
#include "host/SysColors.h"
#include "host/SystemInfo.h"
#include "layout/Pagination.h"
#include "printctl/VelloraHarness.h"

namespace {

using host::Value;
using velloratest::Harness;
using velloratest::samePixels;

// Enough numbered lines to fill at least five pages in either job.
constexpr int notesLines = 420;

enum class Job { Print, Preview };

struct JobRun {
  std::vector<int> pagesRaised;
  std::vector<host::Picture> pages;
  bool result = false;
};

JobRun runJob(Job job, int fromPage, int toPage) {
  Harness h;
  h.add("Label", "Title", {{"Caption", "Orders"}, {"Left", 360}, {"Top", 120}, {"Width", 3000}, {"Height", 300}});
  h.addNotes(notesLines);
  h.control->setToPage(0);
  h.control->setFromPage(static_cast<std::int16_t>(fromPage));
  h.control->setToPage(static_cast<std::int16_t>(toPage));
  JobRun run;
  run.result = job == Job::Print ? h.control->LVPrint() : h.control->Preview();
  run.pagesRaised = h.pagesRaised();
  run.pages = job == Job::Print ? h.env.printer->pages() : h.previewPages();
  EXPECT_TRUE(h.env.ui->messages().empty()) << h.env.ui->messages().front().text;
  return run;
}

std::vector<int> numbers(int first, int last) {
  std::vector<int> result;
  for (int n = first; n <= last; ++n) result.push_back(n);
  return result;
}

class PageRange : public testing::TestWithParam<Job> {};

TEST_P(PageRange, EveryPageIsMadeAndAnnouncedWithoutARange) {
  const JobRun full = runJob(GetParam(), 1, 0);
  ASSERT_TRUE(full.result);
  const int total = static_cast<int>(full.pages.size());
  ASSERT_GE(total, 5) << "the notes should run over at least five pages";
  EXPECT_EQ(full.pagesRaised, numbers(1, total));
  for (const host::Picture& page : full.pages) EXPECT_GT(velloratest::inkedPixels(page), 0);
  // FromPage 0 means the first page as well.
  const JobRun fromZero = runJob(GetParam(), 0, 0);
  EXPECT_EQ(fromZero.pagesRaised, full.pagesRaised);
  ASSERT_EQ(fromZero.pages.size(), full.pages.size());
  EXPECT_TRUE(samePixels(fromZero.pages.front(), full.pages.front()));
}

TEST_P(PageRange, FromPageThreeOutputsPageThreeOnwardsExactlyAsInAFullRun) {
  const JobRun full = runJob(GetParam(), 1, 0);
  const int total = static_cast<int>(full.pages.size());
  ASSERT_GE(total, 5);
  const JobRun ranged = runJob(GetParam(), 3, 0);
  ASSERT_TRUE(ranged.result);
  ASSERT_EQ(ranged.pages.size(), static_cast<std::size_t>(total - 2));
  // Page 1 is announced before the walk; then every page of the range.
  std::vector<int> expected{1};
  for (int n : numbers(3, total)) expected.push_back(n);
  EXPECT_EQ(ranged.pagesRaised, expected);
  // The same pixels as pages 3.. of the full run: nothing of pages 1 and 2
  // stays, and the titles carry the same page numbers.
  for (int index = 0; index < total - 2; ++index) {
    EXPECT_TRUE(samePixels(ranged.pages[index], full.pages[index + 2])) << "page " << index + 3;
  }
}

TEST_P(PageRange, ToPageOneStopsAfterTheFirstPage) {
  const JobRun full = runJob(GetParam(), 1, 0);
  const JobRun first = runJob(GetParam(), 1, 1);
  ASSERT_TRUE(first.result);
  EXPECT_EQ(first.pagesRaised, std::vector<int>{1});
  ASSERT_EQ(first.pages.size(), 1u);
  EXPECT_TRUE(samePixels(first.pages[0], full.pages[0]));
}

TEST_P(PageRange, FromAndToPageTwoOutputsOnlyPageTwo) {
  const JobRun full = runJob(GetParam(), 1, 0);
  const JobRun second = runJob(GetParam(), 2, 2);
  ASSERT_TRUE(second.result);
  EXPECT_EQ(second.pagesRaised, (std::vector<int>{1, 2}));
  ASSERT_EQ(second.pages.size(), 1u);
  EXPECT_TRUE(samePixels(second.pages[0], full.pages[1]));
}

INSTANTIATE_TEST_SUITE_P(BothJobs, PageRange, testing::Values(Job::Print, Job::Preview),
                         [](const testing::TestParamInfo<Job>& info) {
                           return info.param == Job::Print ? std::string("Print") : std::string("Preview");
                         });

TEST(Pagination, ARangeAfterTheLastPageOutputsNothingOfTheForm) {
  Harness h;
  h.addNotes(notesLines);
  h.control->setToPage(0);
  h.control->setFromPage(99);
  EXPECT_FALSE(h.control->LVPrint());
  EXPECT_EQ(h.env.printer->documentsDelivered(), 0);
  EXPECT_FALSE(host::printer().documentOpen());
  EXPECT_EQ(h.pagesRaised(), std::vector<int>{1});
  EXPECT_TRUE(h.control->Preview());
  ASSERT_EQ(h.previewPages().size(), 1u);
  EXPECT_EQ(velloratest::inkedPixels(h.previewPages().front()), 0);
}

TEST(Pagination, ThePageWipedForTheRangeIsWhiteWhateverTheLastBoxColour) {
  for (Job job : {Job::Print, Job::Preview}) {
    Harness h;
    host::ObjectRef notes = h.addNotes(notesLines);
    notes->set("BackColor", Value(0x00FFFF));  // yellow
    h.control->setFromPage(2);
    ASSERT_TRUE(job == Job::Print ? h.control->LVPrint() : h.control->Preview());
    const host::Picture page = job == Job::Print ? h.env.printer->pages().front() : h.previewPages().front();
    // Right of the notes box, in the body of the page: paper white.
    const int x = page.width() - page.width() / 20;
    EXPECT_EQ(page.pixel(x, page.height() / 2), host::Rgb::white) << (job == Job::Print ? "print" : "preview");
  }
}

TEST(Pagination, PreviewStopsWithAMessageWhenMemoryRunsShort) {
  Harness h;
  h.addNotes(notesLines);
  h.control->setToPage(0);
  h.control->job().MemoryProbe = [] { return std::optional<std::uint64_t>(1000); };
  EXPECT_TRUE(h.control->Preview());
  ASSERT_EQ(h.env.ui->messages().size(), 1u);
  EXPECT_EQ(h.env.ui->messages()[0].text, "Not enough Memory for Complete Preview");
  EXPECT_EQ(h.env.ui->messages()[0].style, 0);
  EXPECT_EQ(h.previewPages().size(), 1u);
  EXPECT_TRUE(h.control->job().JobEnded);
  EXPECT_EQ(h.control->job().PageCounter, 0);
}

TEST(Pagination, PreviewStopsBeforeMemoryIsAlmostGone) {
  // A megabyte left is too little for further page surfaces, though more
  // than a few thousand bytes.
  Harness h;
  h.addNotes(notesLines);
  h.control->setToPage(0);
  h.control->job().MemoryProbe = [] { return std::optional<std::uint64_t>(1024 * 1024); };
  EXPECT_TRUE(h.control->Preview());
  EXPECT_EQ(h.previewPages().size(), 1u);
  ASSERT_EQ(h.env.ui->messages().size(), 1u);
  EXPECT_EQ(h.env.ui->messages()[0].text, "Not enough Memory for Complete Preview");
}

TEST(Pagination, MemAvailableIsReadAsSixtyFourBitBytes) {
  EXPECT_EQ(host::memAvailableFromMeminfo("MemTotal:       16302412 kB\nMemFree:  1 kB\nMemAvailable:   123 kB\n"),
            std::optional<std::uint64_t>(123 * 1024));
  EXPECT_EQ(host::memAvailableFromMeminfo("MemAvailable: 8000000000 kB\n"),
            std::optional<std::uint64_t>(8000000000ull * 1024));
  EXPECT_EQ(host::memAvailableFromMeminfo("MemTotal: 5 kB\n"), std::nullopt);
  EXPECT_EQ(host::memAvailableFromMeminfo("MemAvailable: lots\n"), std::nullopt);
  EXPECT_EQ(host::memAvailableFromMeminfo("MemAvailable: 5 MB\n"), std::nullopt);
  EXPECT_TRUE(host::availablePhysicalMemory().has_value());
}

TEST(Pagination, MemoryThatCannotBeReadIsNoShortage) {
  Harness h;
  h.addNotes(notesLines);
  h.control->setToPage(0);
  h.control->job().MemoryProbe = [] { return std::optional<std::uint64_t>(); };
  EXPECT_TRUE(h.control->Preview());
  EXPECT_GE(h.previewPages().size(), 5u);
  EXPECT_TRUE(h.env.ui->messages().empty());
}

// Records the stop button's caption and colour at every yield of a job.
struct StopButtonLog {
  std::vector<std::string> captions;
  std::vector<host::Rgb> colors;
  std::function<void()> record;

  StopButtonLog(Harness& h) {
    h.control->ensureJobWindows();
    ProgressWindow& progress = *h.control->job().progress;
    host::HeadlessUi& ui = *h.env.ui;
    record = [this, &progress, &ui] {
      if (captions.empty() || captions.back() != progress.stopCaption()) captions.push_back(progress.stopCaption());
      colors.push_back(progress.stopForeColor());
      ui.queue(record);
    };
    ui.queue(record);
  }
};

// A job of tens of thousands of pages (a long table with no page limit) goes
// on counting: the job is let run as if 40,000 pages had gone by after its
// second, so that it need not print them.
TEST(Pagination, AJobLongerThanTheIntegerRangeGoesOnCountingItsPages) {
  for (const Job kind : {Job::Print, Job::Preview}) {
    SCOPED_TRACE(kind == Job::Print ? "print" : "preview");
    Harness h;
    h.addNotes(notesLines);
    h.control->setToPage(0);
    constexpr int skipped = 40000;
    h.onPage = [&](int PageNumber) {
      if (PageNumber != 2) return;
      h.control->job().PageCounter += skipped;
      if (kind == Job::Print) h.control->job().CurrentPage += 2 * skipped;
    };
    EXPECT_TRUE(kind == Job::Print ? h.control->LVPrint() : h.control->Preview());
    EXPECT_TRUE(h.env.ui->messages().empty()) << h.env.ui->messages().front().text;
    const std::vector<int> raised = h.pagesRaised();
    ASSERT_GE(raised.size(), 4U);
    EXPECT_EQ(raised[2], skipped + 3) << "the page after the skipped ones";
    EXPECT_EQ(raised.back(), skipped + static_cast<int>(raised.size()));
  }
}

TEST(Pagination, TheStopButtonCountsThePages) {
  Harness h;
  h.addNotes(notesLines);
  h.control->setToPage(3);
  StopButtonLog log(h);
  ASSERT_TRUE(h.control->LVPrint());
  std::vector<std::string> shown;
  for (const std::string& caption : log.captions) {
    if (!caption.empty()) shown.push_back(caption);
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"Click to Stop\n\nPage .... 1\n", "Click to Stop\n\nPage ....  2\n",
                                             "Click to Stop\n\nPage ....  3\n"}));
}

TEST(Pagination, TheStopButtonIsLeftAloneWhenHidden) {
  Harness h;
  h.addNotes(notesLines);
  h.control->setHideStopBtn(true);
  h.control->ensureJobWindows();
  h.control->job().progress->setStopCaption("untouched");
  h.control->job().progress->setStopForeColor(host::Rgb::fromRgb(1, 2, 3));
  ASSERT_TRUE(h.control->Preview());
  EXPECT_EQ(h.control->job().progress->stopCaption(), "untouched");
  EXPECT_EQ(h.control->job().progress->stopForeColor(), host::Rgb::fromRgb(1, 2, 3));
}

TEST(Pagination, StopButtonTextIsWhiteUntilTheRangeComesNear) {
  Harness h;
  h.addNotes(notesLines);
  h.control->setToPage(0);
  h.control->setFromPage(4);
  StopButtonLog log(h);
  ProgressWindow& progress = *h.control->job().progress;
  progress.setStopForeColor(host::Rgb::fromRgb(1, 2, 3));
  std::vector<int> blackPages;
  h.onPage = [&](int page) {
    if (progress.stopForeColor() == host::Rgb::black) blackPages.push_back(page);
  };
  ASSERT_TRUE(h.control->LVPrint());
  // White from the walk's start until the page before the first wanted one.
  auto firstWhite = std::find(log.colors.begin(), log.colors.end(), host::Rgb::white);
  ASSERT_NE(firstWhite, log.colors.end());
  auto firstBlack = std::find(log.colors.begin(), log.colors.end(), host::Rgb::black);
  EXPECT_LT(firstWhite, firstBlack);
  ASSERT_FALSE(blackPages.empty());
  EXPECT_EQ(blackPages.front(), 4);
}

TEST(Pagination, SysColorIndexMapsOnlyTheTwentyOneSystemColours) {
  EXPECT_EQ(SysColorIndex(static_cast<std::int32_t>(0x80000005u)), 5);
  EXPECT_EQ(SysColorIndex(static_cast<std::int32_t>(0x80000000u)), 0);
  EXPECT_EQ(SysColorIndex(static_cast<std::int32_t>(0x80000014u)), 20);
  EXPECT_EQ(SysColorIndex(static_cast<std::int32_t>(0x80000015u)), 0);
  EXPECT_EQ(SysColorIndex(0xFF), 0);
  EXPECT_EQ(TranslateColor(0x00FFFF), 0x00FFFF);
  EXPECT_EQ(TranslateColor(static_cast<std::int32_t>(0x80000005u)), host::GetSysColor(5).toHost());
  EXPECT_EQ(TranslateColor(static_cast<std::int32_t>(0x80000015u)), host::GetSysColor(0).toHost());
}

TEST(Pagination, ReportJobErrorStopsTheJobAndDiscardsThePrinterDocument) {
  Harness h;
  h.control->setErr_Mess("Printer Operation #");
  host::printer().print(" ");
  ASSERT_TRUE(host::printer().documentOpen());
  h.control->job().Printing = 1;
  ReportJobError(h.control->job(), host::HostError(482, "Printer error"));
  EXPECT_TRUE(h.control->job().StopRequested);
  ASSERT_EQ(h.env.ui->messages().size(), 1u);
  EXPECT_EQ(h.env.ui->messages()[0].text, "Printer Operation # 482");
  EXPECT_EQ(h.env.ui->messages()[0].style, 16);
  EXPECT_FALSE(host::printer().documentOpen());
  EXPECT_EQ(h.env.printer->documentsDelivered(), 0);
}

}  // namespace
