// The print and preview jobs: their events, results and the state they leave.
#include <gtest/gtest.h>

#include "host/HostError.h"
#include "host/Runtime.h"
#include "host/RasterDc.h"
#include "host/Window.h"
#include "layout/JobDriver.h"
#include "preview/Prview.h"
#include "printctl/VelloraHarness.h"

namespace {

using host::Value;
using velloratest::Harness;

using Events = std::vector<std::string>;

void addTitle(Harness& h) {
  h.add("Label", "Title", {{"Caption", "Orders"}, {"Left", 360}, {"Top", 300}, {"Width", 3000}, {"Height", 300}});
}

TEST(PrintJob, CompletedPrintRaisesItsEventsInOrderAndDeliversTheDocument) {
  Harness h;
  addTitle(h);
  EXPECT_TRUE(h.control->LVPrint());
  EXPECT_EQ(h.events, (Events{"BeforePrint 1", "Page 1", "AfterPrint"}));
  EXPECT_EQ(h.env.printer->documentsDelivered(), 1);
  ASSERT_EQ(h.env.printer->pages().size(), 1u);
  EXPECT_GT(velloratest::inkedPixels(h.env.printer->pages()[0]), 0);
  EXPECT_FALSE(h.control->job().StopRequested);
  EXPECT_EQ(h.control->job().Printing, 1);
}

TEST(PrintJob, CompletedPreviewKeepsItsPageForTheWindow) {
  Harness h;
  addTitle(h);
  EXPECT_TRUE(h.control->Preview());
  EXPECT_EQ(h.events, (Events{"BeforePrint 0", "Page 1", "AfterPrint"}));
  EXPECT_EQ(h.previewPages().size(), 1u);
  EXPECT_TRUE(h.control->job().preview->isOpen());
  EXPECT_TRUE(h.control->job().JobOpen);
  EXPECT_EQ(h.control->job().CurrentPage, 0);
  EXPECT_EQ(h.env.printer->documentsDelivered(), 0);
}

TEST(PrintJob, CancelInBeforePrintEndsEitherJobBeforeAnyPage) {
  Harness h;
  addTitle(h);
  h.onBeforePrint = [](bool& Cancel) { Cancel = true; };
  EXPECT_FALSE(h.control->LVPrint());
  EXPECT_TRUE(h.control->job().StopRequested);
  EXPECT_FALSE(h.control->Preview());
  EXPECT_EQ(h.events, (Events{"BeforePrint 1", "BeforePrint 0"}));
  EXPECT_EQ(h.env.printer->documentsDelivered(), 0);
  EXPECT_TRUE(h.previewPages().empty());
}

TEST(PrintJob, NoPrinterInstalledIsReportedAndNothingRuns) {
  Harness h;
  addTitle(h);
  host::runtime().setPrinters({});
  EXPECT_FALSE(h.control->LVPrint());
  EXPECT_FALSE(h.control->Preview());
  EXPECT_EQ(h.events, (Events{"BeforePrint 1", "BeforePrint 0"}));
  ASSERT_EQ(h.env.ui->messages().size(), 2u);
  EXPECT_EQ(h.env.ui->messages()[0].text, "No printer has been installed on this system");
  EXPECT_EQ(h.env.ui->messages()[0].style, 16);
}

TEST(PrintJob, APrinterThatCannotStartADocumentShowsThePrinterMessage) {
  Harness h(150, /*failToStart=*/true);
  addTitle(h);
  h.control->setPrinterMess("Printer is offline");
  EXPECT_FALSE(h.control->LVPrint());
  ASSERT_EQ(h.env.ui->messages().size(), 1u);
  EXPECT_EQ(h.env.ui->messages()[0].text, "Printer is offline");
  EXPECT_EQ(h.env.ui->messages()[0].style, 16);
  EXPECT_EQ(h.events, (Events{"BeforePrint 1"}));
  EXPECT_FALSE(host::printer().documentOpen());
  EXPECT_EQ(h.env.printer->documentsDelivered(), 0);
}

TEST(PrintJob, StopPrintFromAPageHandlerStopsThePrintOnceAndKillsTheDocument) {
  Harness h;
  addTitle(h);
  h.onPage = [&](int) { h.control->StopPrint(); };
  EXPECT_FALSE(h.control->LVPrint());
  EXPECT_EQ(h.events, (Events{"BeforePrint 1", "Page 1", "AfterPrint"}));
  EXPECT_FALSE(h.control->job().StopRequested);
  EXPECT_FALSE(host::printer().documentOpen());
  EXPECT_EQ(h.env.printer->documentsDelivered(), 0);
}

TEST(PrintJob, StopPrintFromAPageHandlerStopsThePreviewWithoutAWindow) {
  Harness h;
  addTitle(h);
  h.onPage = [&](int) { h.control->StopPrint(); };
  EXPECT_FALSE(h.control->Preview());
  EXPECT_EQ(h.events, (Events{"BeforePrint 0", "Page 1", "AfterPrint"}));
  EXPECT_FALSE(h.control->job().StopRequested);
  auto* window = dynamic_cast<Prview*>(h.control->job().preview.get());
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->window() != nullptr && window->window()->isShown());
}

TEST(PrintJob, AStopTheWalkerNeverSawStillEndsWithOneAfterPrint) {
  // A form with nothing to print: the walk ends before any stop test.
  Harness h;
  h.onPage = [&](int) { h.control->StopPrint(); };
  EXPECT_FALSE(h.control->LVPrint());
  EXPECT_EQ(h.count("AfterPrint"), 1);
  EXPECT_FALSE(h.control->Preview());
  EXPECT_EQ(h.count("AfterPrint"), 2);
}

TEST(PrintJob, ASecondJobIsRefusedWhileOneRuns) {
  Harness h;
  addTitle(h);
  std::vector<bool> nested;
  h.onPage = [&](int) {
    nested.push_back(h.control->LVPrint());
    nested.push_back(h.control->Preview());
    nested.push_back(h.control->JobRunning());
  };
  EXPECT_TRUE(h.control->LVPrint());
  EXPECT_EQ(nested, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(h.events, (Events{"BeforePrint 1", "Page 1", "AfterPrint"}));
  EXPECT_EQ(h.env.printer->documentsDelivered(), 1);
  EXPECT_FALSE(h.control->JobRunning());
  EXPECT_TRUE(h.control->Preview());
}

TEST(PrintJob, AFailureAfterTheDocumentStartedLeavesNoDocumentOpen) {
  Harness h;
  addTitle(h);
  h.onPage = [](int) { throw host::HostError(5, "Invalid procedure call"); };
  EXPECT_FALSE(h.control->LVPrint());
  EXPECT_FALSE(host::printer().documentOpen());
  EXPECT_EQ(h.env.printer->documentsDelivered(), 0);
  // The next job starts a document of its own.
  h.onPage = nullptr;
  EXPECT_TRUE(h.control->LVPrint());
  EXPECT_EQ(h.env.printer->documentsDelivered(), 1);
  EXPECT_EQ(h.env.printer->pages().size(), 1u);
}

TEST(PrintJob, MarginsAreScaledByZoomAndRoundedHalfToEven) {
  VelloraProperties properties;  // margins 0.5, 0.5, 1.5, 1.5
  properties.RightOffset = 1;
  const JobMargins full = printMargins(properties, 1.0);
  EXPECT_EQ(full.BodyLeft, 50);       // 50.33
  EXPECT_EQ(full.BodyTop, 128);       // 128.3415
  EXPECT_EQ(full.RightShift, 50);
  const JobMargins half = printMargins(properties, 0.5);
  EXPECT_EQ(half.BodyLeft, 25);       // 25.165
  EXPECT_EQ(half.BodyRight, 25);
  EXPECT_EQ(half.BodyTop, 64);        // 64.17
  EXPECT_EQ(half.BottomReserve, 64);
  EXPECT_EQ(half.RightShift, 25);
  const JobMargins preview = previewMargins(properties, 0.5);
  EXPECT_EQ(preview.BodyLeft, 13);    // 12.5825
  EXPECT_EQ(preview.BodyTop, 38);     // 37.7475
  const JobMargins none = printMargins(properties, 0.0);
  EXPECT_EQ(none.BodyLeft, 0);
  EXPECT_EQ(none.BodyRight, 0);
  EXPECT_EQ(none.BodyTop, 0);
  EXPECT_EQ(none.BottomReserve, 0);
  EXPECT_EQ(none.RightShift, 0);
}

TEST(PrintJob, TheJobsTakeTheirMarginsFromZoom) {
  Harness h;
  addTitle(h);
  host::PropertyBag bag;
  bag.setStored("Zoom", Value(0));  // only a loaded value can be 0
  h.control->ReadProperties(bag);
  EXPECT_TRUE(h.control->LVPrint());
  EXPECT_EQ(h.control->job().BodyLeft, 0);
  EXPECT_EQ(h.control->job().BodyTop, 0);
  h.control->setZoom(50);
  EXPECT_TRUE(h.control->Preview());
  EXPECT_EQ(h.control->job().BodyLeft, 13);
  EXPECT_EQ(h.control->job().BottomReserve, 38);
  EXPECT_DOUBLE_EQ(h.control->job().LayoutFactor, 0.5);
}

// The leftmost column with ink in rows top..bottom - 1, or -1 when they are blank.
int leftmostInk(const host::Picture& picture, int top, int bottom) {
  for (int x = 0; x < picture.width(); ++x) {
    for (int y = top; y < bottom; ++y) {
      if (!(picture.pixel(x, y) == host::Rgb::white)) return x;
    }
  }
  return -1;
}

TEST(PrintJob, APreviewMarginThatOverflowsKeepsOnlyItselfAsItWas) {
  Harness h;
  addTitle(h);
  ASSERT_TRUE(h.control->LVPrint());  // leaves the print job's margins: 50, 50, 128, 128
  ASSERT_EQ(h.control->job().BodyTop, 128);
  h.control->setTopMargin(1e10);  // beyond a Long in page units
  ASSERT_TRUE(h.control->Preview());
  const PrintJob& job = h.control->job();
  EXPECT_EQ(job.BodyLeft, 25);        // 25.165
  EXPECT_EQ(job.BodyRight, 25);
  EXPECT_EQ(job.BottomReserve, 75);   // 75.495
  EXPECT_EQ(job.BodyTop, 128) << "the overflowing margin is passed over";
  // The label at 360 twips (24 pixels) is drawn from the preview's left margin,
  // not from the print job's.
  ASSERT_FALSE(h.previewPages().empty());
  const int left = leftmostInk(h.previewPages().front(), job.BodyTop, job.BodyTop + 60);
  EXPECT_GE(left, 24 + 25 - 4);
  EXPECT_LT(left, 24 + 50 - 4);
}

TEST(PrintJob, AnyNonZeroColourPrintsInMonochrome) {
  Harness h;
  addTitle(h);
  h.control->setColor(5);
  EXPECT_TRUE(h.control->LVPrint());
  EXPECT_EQ(host::printer().colorMode(), 1);
  EXPECT_EQ(h.env.printer->lastSettings().colorMode, 1);
  h.control->setColor(0);
  EXPECT_TRUE(h.control->LVPrint());
  EXPECT_EQ(h.env.printer->lastSettings().colorMode, 2);
}

TEST(PrintJob, CopiesAreRoundedForThePrinter) {
  Harness h;
  addTitle(h);
  h.control->setCopies(2.5f);
  EXPECT_TRUE(h.control->LVPrint());
  EXPECT_EQ(h.env.printer->lastSettings().copies, 2);
}

TEST(PrintJob, PreviewSurfacesFollowColorAndPrViewMonochrome) {
  Harness h;
  addTitle(h);
  EXPECT_TRUE(h.control->Preview());
  EXPECT_EQ(h.control->job().SurfaceColorMode, 2);
  EXPECT_EQ(h.control->job().PageStore.front()->dc()->format(), host::RasterFormat::Color);
  h.control->setPrViewMonochrome(true);
  EXPECT_TRUE(h.control->Preview());
  EXPECT_EQ(h.control->job().PageStore.front()->dc()->format(), host::RasterFormat::Monochrome);
  h.control->setPrViewMonochrome(false);
  h.control->setColor(vellora::v_Monochrome);
  EXPECT_TRUE(h.control->Preview());
  EXPECT_EQ(h.control->job().PageStore.front()->dc()->format(), host::RasterFormat::Monochrome);
}

TEST(PrintJob, JobsRunTheSameWithWindowsThatOnlyKeepTheirState) {
  Harness h;
  addTitle(h);
  h.control->setWindowFactory({[](PrintJob&) { return makeSilentProgressWindow(); },
                               [](PrintJob& job) { return makeSilentPreviewWindow(job); }});
  ASSERT_TRUE(h.control->Preview());
  PreviewWindow& preview = *h.control->job().preview;
  EXPECT_TRUE(preview.isOpen());
  EXPECT_EQ(preview.pageBoxHeight(), h.control->job().PageHeight);
  EXPECT_EQ(preview.pageBoxWidth(), h.control->job().PageWidth);
  // The first page was copied onto the page box.
  EXPECT_GT(velloratest::inkedPixels(preview.pageBoxDc()->picture()), 0);
  EXPECT_FALSE(h.control->job().progress->isOpen());
  preview.Finir();
  EXPECT_FALSE(preview.isOpen());
  EXPECT_FALSE(h.control->job().JobOpen);
  EXPECT_FALSE(h.control->job().PageStore.front()->isReady());
  EXPECT_TRUE(h.control->LVPrint());
  EXPECT_EQ(h.events, (Events{"BeforePrint 0", "Page 1", "AfterPrint", "BeforePrint 1", "Page 1", "AfterPrint"}));
}

TEST(PrintJob, ANewPreviewClosesTheOneBefore) {
  Harness h;
  addTitle(h);
  ASSERT_TRUE(h.control->Preview());
  OffScreenDC* first = h.control->job().PageStore.front().get();
  ASSERT_TRUE(first->isReady());
  bool firstReleasedBeforeTheWalk = false;
  h.onPage = [&](int) { firstReleasedBeforeTheWalk = !first->isReady(); };
  ASSERT_TRUE(h.control->Preview());
  EXPECT_TRUE(firstReleasedBeforeTheWalk);
  EXPECT_TRUE(h.control->job().preview->isOpen());
  EXPECT_TRUE(h.control->job().PageStore.front()->isReady());
}

}  // namespace

namespace {

// A spooler that takes every page and then refuses the finished document, as
// a queue does that stops taking jobs while the job is being laid out.
class RefusingSpooler final : public host::PrinterDevice {
 public:
  std::string deviceName() const override { return "Spooler"; }
  std::string driverName() const override { return "Test"; }
  std::string port() const override { return "TEST:"; }
  double dotsPerInch() const override { return 100; }
  std::unique_ptr<Document> startDocument(const Settings& settings, const std::string&) override {
    struct Refused final : Document {
      explicit Refused(host::Size size) : dc(host::RasterDc::create(size, host::RasterFormat::Color, 100)) {}
      host::Dc& page() override { return *dc; }
      void newPage() override {}
      void discardPage() override {}
      void end() override { host::raise(host::err::PrinterError, "Printer error: Spooler refused the job"); }
      void abort() override {}
      std::unique_ptr<host::RasterDc> dc;
    };
    return std::make_unique<Refused>(pageSize(settings));
  }
};

TEST(PrintJob, ADocumentTheSpoolerRefusesAtItsEndShowsThePrinterMessage) {
  Harness h;
  addTitle(h);
  host::runtime().setPrinters({std::make_shared<RefusingSpooler>()});
  h.control->setPrinterMess("The queue refused the job");
  EXPECT_FALSE(h.control->LVPrint());
  ASSERT_EQ(h.env.ui->messages().size(), 1u);
  EXPECT_EQ(h.env.ui->messages()[0].text, "The queue refused the job");
  EXPECT_EQ(h.env.ui->messages()[0].style, 16);
  EXPECT_FALSE(host::printer().documentOpen());
}

}  // namespace
