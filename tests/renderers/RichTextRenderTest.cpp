// Rich-text boxes printed and previewed across pages: each continuation
// starts at the body top, and every character is drawn exactly once.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "RendererTestSupport.h"
#include "host/drawing/PdfTools.h"
#include "host/model/RichText.h"
#include "printctl/VelloraHarness.h"

namespace {

namespace fs = std::filesystem;
using host::Value;

std::string fixture(const std::string& name) {
  std::ifstream in(std::string(VELLORA_SOURCE_DIR) + "/tests/forms/richtext/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The numbers of every match of `pattern` (its first group) in order.
std::vector<int> numbersOf(const std::string& text, const std::string& pattern) {
  std::vector<int> numbers;
  const std::regex expression(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), expression); it != std::sregex_iterator(); ++it)
    numbers.push_back(std::stoi((*it)[1].str()));
  return numbers;
}

std::vector<int> oneTo(int last) {
  std::vector<int> numbers;
  for (int i = 1; i <= last; ++i) numbers.push_back(i);
  return numbers;
}

class RichTextJob : public testing::Test {
 protected:
  void SetUp() override {
    harness_.control->set("PrevPrintVisible", Value(false));
    // One runtime for the whole test: the job's windows belong to the first
    // job's window kit and live as long as the control.
    pdfRuntime_ = std::make_unique<host::Runtime>(
        std::make_unique<host::HeadlessUi>(),
        std::vector<std::shared_ptr<host::PrinterDevice>>{host::makePdfPrinter(pdf_)});
  }
  void TearDown() override {
    harness_.control->Terminate();
    harness_.control->job().progress.reset();
    harness_.control->job().preview.reset();
    pdfRuntime_.reset();
    fs::remove_all(folder_);
  }

  host::ObjectRef richText(std::int32_t top = 600, std::int32_t width = 6000) {
    return harness_.add("RichTextBox", "Document", {{"Left", 600}, {"Top", top}, {"Width", width}, {"Height", 2000}});
  }

  // Prints the form to a PDF file and returns the text of each page.
  std::vector<std::string> printToPdf() {
    const fs::path& pdf = pdf_;
    EXPECT_TRUE(harness_.control->LVPrint());
    std::vector<std::string> pages;
    const int count = drawingtest::pdfPages(pdf);
    for (int page = 1; page <= count; ++page)
      pages.push_back(drawingtest::run("pdftotext -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
                                       drawingtest::quoted(pdf) + " -"));
    return pages;
  }

  static std::string joined(const std::vector<std::string>& pages) {
    std::string all;
    for (const std::string& page : pages) all += page;
    return all;
  }

  velloratest::Harness harness_;
  fs::path folder_ = testsupport::makeTempDir("richtext-job");
  fs::path pdf_ = folder_ / "job.pdf";
  std::unique_ptr<host::Runtime> pdfRuntime_;
};

TEST_F(RichTextJob, LongDocumentPrintsEveryParagraphOnceInOrder) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  dynamic_cast<host::RichTextBox&>(*richText(600, 4000)).setRtf(fixture("long.rtf"));
  const std::vector<std::string> pages = printToPdf();
  ASSERT_GE(pages.size(), 5u);
  const std::string all = joined(pages);
  EXPECT_EQ(numbersOf(all, R"(Paragraph (\d\d) begins)"), oneTo(60));
  EXPECT_EQ(numbersOf(all, R"(end of paragraph (\d\d)\.)"), oneTo(60));
  // Every page carries text of the document and its page number.
  for (std::size_t i = 0; i < pages.size(); ++i) {
    EXPECT_NE(pages[i].find("warehouse"), std::string::npos) << "page " << i + 1;
    EXPECT_NE(pages[i].find("Page : " + std::to_string(i + 1) + "\n"), std::string::npos) << pages[i];
  }
}

TEST_F(RichTextJob, TextEndingWithinFourCharactersOfAPageEndPrintsItsLastCharacters) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  host::ObjectRef box = richText();
  box->set("Text", Value(testsupport::numberedLines(300)));
  const std::vector<std::string> probe = printToPdf();
  ASSERT_GE(probe.size(), 2u);
  const int firstPageLines = static_cast<int>(numbersOf(probe[0], R"(Line (\d{3}))").size());
  ASSERT_GT(firstPageLines, 5);

  // Exactly one page full: one page, nothing lost, no empty page after it.
  box->set("Text", Value(testsupport::numberedLines(firstPageLines)));
  std::vector<std::string> pages = printToPdf();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(numbersOf(pages[0], R"(Line (\d{3}))"), oneTo(firstPageLines)) << pages[0];

  // A page full and three more characters: they go to the next page.
  box->set("Text", Value(testsupport::numberedLines(firstPageLines) + "\r\nEnd"));
  pages = printToPdf();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(numbersOf(pages[0], R"(Line (\d{3}))"), oneTo(firstPageLines));
  EXPECT_NE(pages[1].find("End"), std::string::npos);

  // A text shorter than four characters prints too.
  box->set("Text", Value(std::string("Ok")));
  pages = printToPdf();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NE(pages[0].find("Ok"), std::string::npos);
}

TEST_F(RichTextJob, PreviewContinuesAtTheBodyTopOfEveryPage) {
  dynamic_cast<host::RichTextBox&>(*richText(3000, 4000)).setRtf(fixture("long.rtf"));
  ASSERT_TRUE(harness_.control->Preview());
  const std::vector<host::Picture> pages = harness_.previewPages();
  ASSERT_GE(pages.size(), 5u);
  const PrintJob& job = harness_.control->job();
  auto firstInkRow = [](const host::Picture& page, int from, int to) {
    for (int y = from; y < to; ++y)
      for (int x = 0; x < page.width(); ++x)
        if (page.pixel(x, y).brightness() < 100) return y;
    return -1;
  };
  const int bodyTop = job.BodyTop;
  const int foot = job.PageHeight - job.BottomReserve;
  // The first page starts at the control's place, well below the body top.
  EXPECT_GT(firstInkRow(pages[0], bodyTop, foot), bodyTop + 150);
  for (std::size_t i = 1; i < pages.size(); ++i) {
    const int row = firstInkRow(pages[i], bodyTop, foot);
    EXPECT_GE(row, bodyTop) << "page " << i + 1;
    EXPECT_LT(row, bodyTop + 25) << "page " << i + 1;
  }
  // Nothing of the text reaches into the foot line's band.
  for (std::size_t i = 0; i < pages.size(); ++i)
    EXPECT_EQ(firstInkRow(pages[i], foot, foot + 5), -1) << "page " << i + 1;
}

}  // namespace
