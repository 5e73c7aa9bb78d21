// A print job on a printer that goes out of order part-way through: at the
// start of the document, at a page feed, at any drawing call on a page, or at
// the end of the document. Whatever call fails, the job says it did not
// print, tells the user, leaves no document open and nothing delivered,
// raises AfterPrint once, closes its progress window and gives the form back
// as it was; the next job on a working printer prints the whole form.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FormState.h"
#include "TestSupport.h"
#include "VelloraHarness.h"
#include "host/HostError.h"
#include "host/PictureImpl.h"
#include "host/Printer.h"
#include "host/Runtime.h"
#include "host/model/Control.h"
#include "layout/JobWindows.h"

namespace {

using host::Value;

// The calls a job makes on the failing printer. The printer goes out of order
// at call number `failAt` and stays so: every later call fails as well, as a
// printer that is not ready does until someone sees to it. A printer with a
// passing fault fails that one call only.
struct CallCounter {
  long calls = 0;
  long failAt = 0;  // 0: never
  bool passing = false;
  std::string firstFailure;  // the call that failed first
  void count(const char* what) {
    ++calls;
    if (failAt > 0 && (passing ? calls == failAt : calls >= failAt)) {
      if (firstFailure.empty()) firstFailure = what;
      host::raise(host::err::PrinterError, std::string("Printer error: the printer failed at ") + what);
    }
  }
  [[nodiscard]] bool reached() const { return failAt > 0 && calls >= failAt; }
};

// A page's Dc that counts every call changing the page (attributes and
// drawing) and hands it on to the real page; the measuring calls are free.
class CountingDc final : public host::Dc {
 public:
  CountingDc(host::Dc& inner, CallCounter& counter) : inner_(inner), counter_(counter) {}

  [[nodiscard]] host::Size size() const override { return inner_.size(); }
  [[nodiscard]] double dotsPerInchX() const override { return inner_.dotsPerInchX(); }
  [[nodiscard]] double dotsPerInchY() const override { return inner_.dotsPerInchY(); }
  void setBkMode(host::BkMode mode) override {
    counter_.count("setBkMode");
    inner_.setBkMode(mode);
  }
  [[nodiscard]] host::BkMode bkMode() const override { return inner_.bkMode(); }
  void setBkColor(host::Rgb color) override {
    counter_.count("setBkColor");
    inner_.setBkColor(color);
  }
  [[nodiscard]] host::Rgb bkColor() const override { return inner_.bkColor(); }
  void setTextColor(host::Rgb color) override {
    counter_.count("setTextColor");
    inner_.setTextColor(color);
  }
  [[nodiscard]] host::Rgb textColor() const override { return inner_.textColor(); }
  void setFont(const host::Font& font) override {
    counter_.count("setFont");
    inner_.setFont(font);
  }
  [[nodiscard]] const host::Font& font() const override { return inner_.font(); }
  void selectPen(const host::Pen& pen) override {
    counter_.count("selectPen");
    inner_.selectPen(pen);
  }
  [[nodiscard]] const host::Pen& pen() const override { return inner_.pen(); }
  void selectBrush(const host::Brush& brush) override {
    counter_.count("selectBrush");
    inner_.selectBrush(brush);
  }
  [[nodiscard]] const host::Brush& brush() const override { return inner_.brush(); }
  void fillRect(const host::Rect& rect, const host::Brush& brush) override {
    counter_.count("fillRect");
    inner_.fillRect(rect, brush);
  }
  void frameRect(const host::Rect& rect, const host::Brush& brush) override {
    counter_.count("frameRect");
    inner_.frameRect(rect, brush);
  }
  void invertRect(const host::Rect& rect) override {
    counter_.count("invertRect");
    inner_.invertRect(rect);
  }
  void rectangle(const host::Rect& rect) override {
    counter_.count("rectangle");
    inner_.rectangle(rect);
  }
  void ellipse(const host::Rect& rect) override {
    counter_.count("ellipse");
    inner_.ellipse(rect);
  }
  void roundRect(const host::Rect& rect, int cornerWidth, int cornerHeight) override {
    counter_.count("roundRect");
    inner_.roundRect(rect, cornerWidth, cornerHeight);
  }
  void moveTo(host::Point p) override {
    counter_.count("moveTo");
    inner_.moveTo(p);
  }
  void lineTo(host::Point p) override {
    counter_.count("lineTo");
    inner_.lineTo(p);
  }
  void extTextOut(host::Point origin, unsigned options, const host::Rect& rect, std::string_view text) override {
    counter_.count("extTextOut");
    inner_.extTextOut(origin, options, rect, text);
  }
  int drawText(std::string_view text, host::Rect& rect, unsigned format) override {
    // Measuring with CalcRect draws nothing.
    if ((format & host::dt::CalcRect) == 0) counter_.count("drawText");
    return inner_.drawText(text, rect, format);
  }
  [[nodiscard]] host::Size textExtent(std::string_view text) const override { return inner_.textExtent(text); }
  [[nodiscard]] std::uint32_t fontLanguageInfo() const override { return inner_.fontLanguageInfo(); }
  void stretchPicture(const host::Rect& dest, const host::Picture& source, const host::Rect& sourceRect) override {
    counter_.count("stretchPicture");
    inner_.stretchPicture(dest, source, sourceRect);
  }

 private:
  host::Dc& inner_;
  CallCounter& counter_;
};

// A document of the failing printer over a document of a memory printer. When
// its end fails, the document underneath is thrown away: a printer that
// cannot finish a document delivers none of it.
class FailingDocument final : public host::PrinterDevice::Document {
 public:
  FailingDocument(std::unique_ptr<host::PrinterDevice::Document> inner, CallCounter& counter)
      : inner_(std::move(inner)), counter_(counter), page_(inner_->page(), counter) {}

  [[nodiscard]] host::Dc& page() override { return page_; }
  void newPage() override {
    counter_.count("newPage");
    inner_->newPage();
  }
  void discardPage() override { inner_->discardPage(); }
  void end() override {
    try {
      counter_.count("end");
    } catch (const host::HostError&) {
      inner_->abort();
      throw;
    }
    inner_->end();
  }
  void abort() override { inner_->abort(); }

 private:
  std::unique_ptr<host::PrinterDevice::Document> inner_;
  CallCounter& counter_;
  CountingDc page_;
};

class FailingPrinter final : public host::PrinterDevice {
 public:
  explicit FailingPrinter(double dotsPerInch) : inner_(host::MemoryPrinter::create("Failing", dotsPerInch)) {}

  [[nodiscard]] std::string deviceName() const override { return "Failing"; }
  [[nodiscard]] std::string driverName() const override { return "Failing"; }
  [[nodiscard]] std::string port() const override { return "FAILING:"; }
  [[nodiscard]] double dotsPerInch() const override { return inner_->dotsPerInch(); }
  [[nodiscard]] std::unique_ptr<Document> startDocument(const Settings& settings, const std::string& title) override {
    counter.count("startDocument");
    return std::make_unique<FailingDocument>(inner_->startDocument(settings, title), counter);
  }

  [[nodiscard]] const host::MemoryPrinter& delivered() const { return *inner_; }
  CallCounter counter;

 private:
  std::shared_ptr<host::MemoryPrinter> inner_;
};

constexpr double printerDpi = 72;

struct FailingPrinterJob : testing::Test {
  velloratest::Harness h{printerDpi};
  std::shared_ptr<FailingPrinter> failing = std::make_shared<FailingPrinter>(printerDpi);
  std::shared_ptr<host::MemoryPrinter> working = host::MemoryPrinter::create("Working", printerDpi);

  void SetUp() override {
    h.add("Label", "Heading",
          {{"Caption", Value("Quarterly statement")}, {"Left", 360}, {"Top", 120}, {"Width", 5000}, {"Height", 300}});
    h.addNotes(170, 600);
    host::ObjectRef grid = h.add("MSFlexGrid", "Figures", {{"Left", 360}, {"Top", 2400}, {"Height", 1500}});
    grid->set("Rows", Value(12));
    grid->set("Cols", Value(3));
    for (int r = 0; r < 12; ++r) {
      for (int c = 0; c < 3; ++c) grid->set("TextMatrix", Value("R" + std::to_string(r) + "C" + std::to_string(c)), {Value(r), Value(c)});
    }
    grid->set("Row", Value(4));
    grid->set("Col", Value(2));
    h.form->set("Caption", Value("Statement"));
    host::runtime().setPrinters({failing, working});
  }

  // The form printed on the working printer: its pages.
  std::vector<QImage> printOnWorkingPrinter() {
    host::printer().select(working);
    const std::size_t before = working->pages().size();
    EXPECT_TRUE(h.control->LVPrint());
    std::vector<QImage> pages;
    for (std::size_t i = before; i < working->pages().size(); ++i) pages.push_back(host::imageOf(working->pages()[i]));
    host::printer().select(failing);
    return pages;
  }

  [[nodiscard]] bool userWasTold(std::size_t messagesBefore) const {
    const auto& messages = h.env.ui->messages();
    const std::string operationMessage = h.control->props().Err_Mess + host::Str(host::err::PrinterError);
    for (std::size_t i = messagesBefore; i < messages.size(); ++i) {
      if (messages[i].text == h.control->props().PrinterMess || messages[i].text == operationMessage) return true;
    }
    return h.control->job().FailureText.find(std::to_string(host::err::PrinterError)) != std::string::npos;
  }
};

TEST_F(FailingPrinterJob, AFailureAtAnyCallLeavesNothingBehindAndTheNextJobPrintsTheWholeForm) {
  const std::vector<QImage> whole = printOnWorkingPrinter();
  ASSERT_GE(whole.size(), 3U) << "the notes take three pages";
  const velloratest::FormState before = velloratest::formState(*h.form);
  ASSERT_EQ(before.properties.at("Notes.Visible"), "True");

  // The calls a whole job makes when nothing fails.
  host::printer().select(failing);
  ASSERT_TRUE(h.control->LVPrint());
  const long callsOfAWholeJob = failing->counter.calls;
  ASSERT_EQ(failing->delivered().documentsDelivered(), 1);
  ASSERT_GT(callsOfAWholeJob, 20);

  for (long n = 1;; ++n) {
    SCOPED_TRACE("the printer fails at call " + std::to_string(n));
    failing->counter = CallCounter{};
    failing->counter.failAt = n;
    const int deliveredBefore = failing->delivered().documentsDelivered();
    const std::size_t messagesBefore = h.env.ui->messages().size();
    h.events.clear();

    const bool printed = h.control->LVPrint();
    if (!failing->counter.reached()) {
      EXPECT_TRUE(printed) << "the job never reached the failing call";
      EXPECT_EQ(n, callsOfAWholeJob + 1) << "a job makes the same calls each time";
      break;
    }
    EXPECT_FALSE(printed) << "the printer failed first at " << failing->counter.firstFailure << ", then "
                          << failing->counter.calls - n << " more calls";
    EXPECT_TRUE(userWasTold(messagesBefore)) << "nobody was told the job failed";
    EXPECT_FALSE(host::printer().documentOpen());
    EXPECT_EQ(failing->delivered().documentsDelivered(), deliveredBefore) << "part of a failed job was delivered";
    // A printer that cannot even open the document ends the job before its
    // first page, and before there is anything to be after; a job that
    // reached its first page is owed AfterPrint, once.
    const bool reachedFirstPage = std::find(h.events.begin(), h.events.end(), "Page 1") != h.events.end();
    EXPECT_EQ(h.count("AfterPrint"), reachedFirstPage ? 1 : 0);
    EXPECT_FALSE(h.control->JobRunning());
    ASSERT_NE(h.control->job().progress, nullptr);
    EXPECT_FALSE(h.control->job().progress->isOpen()) << "the progress window stayed open";
    EXPECT_EQ(velloratest::changes(before, velloratest::formState(*h.form)), "");

    const std::vector<QImage> next = printOnWorkingPrinter();
    ASSERT_EQ(next.size(), whole.size());
    for (std::size_t page = 0; page < whole.size(); ++page) EXPECT_TRUE(next[page] == whole[page]) << "page " << page + 1;
    if (HasFailure()) break;  // one failing call is enough to read
  }
}

// A printer that fails one call and works again: a job may pass over a
// failing statement where it goes on statement by statement, and a renderer
// abandons the control it failed on, but whatever the job says is what
// happened. False: nothing delivered, the user told; True: one document
// delivered, never one the job started again after killing the first.
TEST_F(FailingPrinterJob, APassingFaultEndsInOneWholeDocumentOrNoneAndTheJobSaysWhich) {
  host::printer().select(failing);
  ASSERT_TRUE(h.control->LVPrint());
  const long callsOfAWholeJob = failing->counter.calls;
  ASSERT_GE(failing->delivered().pages().size(), 3U);

  for (long n = 1; n <= callsOfAWholeJob; ++n) {
    SCOPED_TRACE("the printer fails once, at call " + std::to_string(n));
    failing->counter = CallCounter{};
    failing->counter.failAt = n;
    failing->counter.passing = true;
    const int deliveredBefore = failing->delivered().documentsDelivered();
    const std::size_t pagesBefore = failing->delivered().pages().size();
    const std::size_t messagesBefore = h.env.ui->messages().size();
    h.events.clear();

    const bool printed = h.control->LVPrint();
    EXPECT_FALSE(host::printer().documentOpen());
    EXPECT_LE(h.count("AfterPrint"), 1);
    EXPECT_FALSE(h.control->job().progress->isOpen());
    const int documents = failing->delivered().documentsDelivered() - deliveredBefore;
    if (printed) {
      EXPECT_EQ(documents, 1) << "a print that reached no printer (" << failing->counter.firstFailure << ")";
      EXPECT_EQ(failing->delivered().pages().size() - pagesBefore, h.pagesRaised().size())
          << "the document delivered is not the one the job laid its pages out in";
    } else {
      EXPECT_EQ(documents, 0) << "a failed print was delivered (" << failing->counter.firstFailure << ")";
      EXPECT_TRUE(userWasTold(messagesBefore)) << "nobody was told the job failed";
    }
    if (HasFailure()) break;
  }
}

// The PDF printer writes its file only when the document ends; here the
// folder of the file is gone by then.
TEST_F(FailingPrinterJob, APdfThatCannotBeWrittenAtTheEndLeavesNoFileAndNamesThePath) {
  const std::filesystem::path folder = testsupport::makeTempDir("vellora-failing-pdf");
  const std::filesystem::path file = folder / "statement.pdf";
  host::printer().select(host::makePdfPrinter(file));
  const velloratest::FormState before = velloratest::formState(*h.form);
  h.control->events().AfterPrint = [&] {
    h.events.push_back("AfterPrint");
    std::filesystem::remove_all(folder);
  };

  EXPECT_FALSE(h.control->LVPrint());
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(std::filesystem::exists(folder)) << "nothing made the folder again";
  EXPECT_FALSE(host::printer().documentOpen());
  EXPECT_EQ(h.count("AfterPrint"), 1);
  EXPECT_TRUE(userWasTold(0));
  EXPECT_NE(host::printer().device()->lastFailure().find(file.string()), std::string::npos)
      << host::printer().device()->lastFailure();
  EXPECT_NE(h.control->job().FailureText.find(file.string()), std::string::npos)
      << "the job's failure: " << h.control->job().FailureText;
  EXPECT_FALSE(h.control->job().progress->isOpen());
  EXPECT_EQ(velloratest::changes(before, velloratest::formState(*h.form)), "");

  h.control->events().AfterPrint = [&] { h.events.push_back("AfterPrint"); };
  const std::vector<QImage> whole = printOnWorkingPrinter();
  EXPECT_GE(whole.size(), 3U);
}

TEST_F(FailingPrinterJob, AReadOnlyFolderRefusesTheFileAndLeavesNoTemporaryBehind) {
  const std::filesystem::path folder = testsupport::makeTempDir("vellora-readonly-pdf");
  const std::filesystem::path file = folder / "statement.pdf";
  host::printer().select(host::makePdfPrinter(file));
  h.control->events().AfterPrint = [&] {
    h.events.push_back("AfterPrint");
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  };
  const bool printed = h.control->LVPrint();
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  if (std::filesystem::exists(file) && printed) {
    std::filesystem::remove_all(folder);
    GTEST_SKIP() << "this user may write in a read-only folder";
  }
  EXPECT_FALSE(printed);
  EXPECT_TRUE(std::filesystem::is_empty(folder)) << "a partial or temporary file was left";
  EXPECT_FALSE(host::printer().documentOpen());
  EXPECT_EQ(h.count("AfterPrint"), 1);
  EXPECT_TRUE(userWasTold(0));
  EXPECT_NE(h.control->job().FailureText.find(file.string()), std::string::npos)
      << "the job's failure: " << h.control->job().FailureText;
  std::filesystem::remove_all(folder);
}

}  // namespace
