// Rich-text boxes printed and previewed across pages: each continuation
// starts at the body top, and every character is drawn exactly once. What a
// user reads is checked in the printed PDF: the text of each page and the
// boxes of its words (tables in their columns, rows on one page).
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "RendererTestSupport.h"
#include "apps/ProgramTestSupport.h"
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

// A word pdftotext found on a page, with its box (points from the page's top left).
struct Word {
  std::string text;
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

std::vector<Word> wordsOf(const fs::path& pdf, int page) {
  static const std::regex box(
      R"re(<word xMin="([^"]*)" yMin="([^"]*)" xMax="([^"]*)" yMax="([^"]*)">([^<]*)</word>)re");
  const std::string text = drawingtest::run("pdftotext -bbox -f " + std::to_string(page) + " -l " +
                                            std::to_string(page) + " " + drawingtest::quoted(pdf) + " -");
  std::vector<Word> words;
  for (std::sregex_iterator at(text.begin(), text.end(), box), end; at != end; ++at)
    words.push_back({(*at)[5].str(), std::stod((*at)[1].str()), std::stod((*at)[2].str()),
                     std::stod((*at)[3].str()), std::stod((*at)[4].str())});
  return words;
}

// The words of every page, by text: each word's page and box (words met more
// than once are kept in `repeated`).
struct PrintedWords {
  std::map<std::string, std::pair<int, Word>> at;
  std::vector<std::string> repeated;
  std::vector<std::string> inOrder;
  int pages = 0;
};

PrintedWords printedWords(const fs::path& pdf) {
  PrintedWords printed;
  printed.pages = drawingtest::pdfPages(pdf);
  for (int page = 1; page <= printed.pages; ++page)
    for (const Word& word : wordsOf(pdf, page)) {
      // The foot line's "Page : N" is on every page.
      if (word.text == "Page" || word.text == ":" || std::regex_match(word.text, std::regex(R"(\d+)")))
        continue;
      if (!printed.at.emplace(word.text, std::make_pair(page, word)).second)
        printed.repeated.push_back(word.text);
      printed.inOrder.push_back(word.text);
    }
  return printed;
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

// A picture file of the given size, all black.
fs::path blackPicture(const fs::path& folder, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::black);
  const fs::path file = folder / ("black-" + std::to_string(height) + ".png");
  image.save(QString::fromStdString(file.string()));
  return file;
}

TEST_F(RichTextJob, HtmlEndingInATablePrintsEveryBlockAndTheTableInItsColumns) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  std::string html = "<p>First.</p><p>Second.</p><p>Third.</p><p>Fourth.</p><table border=1>";
  for (int r = 1; r <= 3; ++r) {
    html += "<tr>";
    for (int c = 1; c <= 3; ++c) html += "<td>Cell" + std::to_string(r) + std::to_string(c) + "</td>";
    html += "</tr>";
  }
  dynamic_cast<host::RichTextBox&>(*richText()).setHtml(html + "</table>");
  (void)printToPdf();
  const PrintedWords printed = printedWords(pdf_);
  ASSERT_EQ(printed.pages, 1);
  EXPECT_TRUE(printed.repeated.empty()) << testing::PrintToString(printed.repeated);
  for (const char* paragraph : {"First.", "Second.", "Third.", "Fourth."})
    EXPECT_TRUE(printed.at.contains(paragraph)) << paragraph;
  auto cell = [&](int r, int c) {
    const std::string name = "Cell" + std::to_string(r) + std::to_string(c);
    EXPECT_TRUE(printed.at.contains(name)) << name << " is missing";
    return printed.at.contains(name) ? printed.at.at(name).second : Word{};
  };
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 3; ++c) {
      const Word word = cell(r, c);
      // Cells apart on one line, in columns under each other.
      if (c > 1) {
        EXPECT_NEAR(word.yMin, cell(r, 1).yMin, 0.5) << word.text;
        EXPECT_GT(word.xMin, cell(r, c - 1).xMax + 2) << word.text;
      }
      if (r > 1) {
        EXPECT_NEAR(word.xMin, cell(1, c).xMin, 0.5) << word.text;
        EXPECT_GT(word.yMin, cell(r - 1, c).yMax) << word.text;
      }
    }
  EXPECT_GT(cell(1, 1).yMin, printed.at.at("Fourth.").second.yMax) << "the table follows the paragraphs";
}

TEST_F(RichTextJob, ALongTableRunsOverPagesRowByRowInItsColumns) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  constexpr int rows = 150;
  std::string html = "<p>Opening.</p><table border=1 cellpadding=2>";
  char row[200];
  for (int r = 1; r <= rows; ++r) {
    std::snprintf(row, sizeof row, "<tr><td>R%03dA</td><td>R%03dB</td><td>R%03dC</td></tr>", r, r, r);
    html += row;
  }
  dynamic_cast<host::RichTextBox&>(*richText()).setHtml(html + "</table><p>Closing.</p>");
  (void)printToPdf();
  const PrintedWords printed = printedWords(pdf_);
  ASSERT_GE(printed.pages, 3);
  EXPECT_TRUE(printed.repeated.empty()) << testing::PrintToString(printed.repeated);
  std::vector<int> order;
  for (const std::string& word : printed.inOrder)
    if (std::regex_match(word, std::regex(R"(R\d{3}A)"))) order.push_back(std::stoi(word.substr(1, 3)));
  EXPECT_EQ(order, oneTo(rows));
  std::set<int> pagesWithRows;
  for (int r = 1; r <= rows; ++r) {
    char name[8];
    std::snprintf(name, sizeof name, "R%03d", r);
    const auto& a = printed.at.at(std::string(name) + "A");
    const auto& b = printed.at.at(std::string(name) + "B");
    const auto& c = printed.at.at(std::string(name) + "C");
    // A row is never cut: its cells share a page and a line; the columns stay put on every page.
    EXPECT_EQ(a.first, b.first) << name;
    EXPECT_EQ(a.first, c.first) << name;
    EXPECT_NEAR(a.second.yMin, c.second.yMin, 0.5) << name;
    EXPECT_NEAR(a.second.xMin, printed.at.at("R001A").second.xMin, 0.5) << name;
    EXPECT_NEAR(c.second.xMin, printed.at.at("R001C").second.xMin, 0.5) << name;
    pagesWithRows.insert(a.first);
  }
  EXPECT_EQ(static_cast<int>(pagesWithRows.size()), printed.pages);
  EXPECT_EQ(printed.at.at("Closing.").first, printed.pages);
  EXPECT_GT(printed.at.at("Closing.").second.yMin, printed.at.at("R150A").second.yMax);

  // The preview runs over its pages too, each holding rows of the table.
  ASSERT_TRUE(harness_.control->Preview());
  const std::vector<host::Picture> pages = harness_.previewPages();
  ASSERT_GE(pages.size(), 3u);
  const PrintJob& job = harness_.control->job();
  for (std::size_t i = 0; i < pages.size(); ++i) {
    long ink = 0;
    for (int y = job.BodyTop; y < job.PageHeight - job.BottomReserve; ++y)
      for (int x = 0; x < pages[i].width(); ++x) ink += pages[i].pixel(x, y).brightness() < 100 ? 1 : 0;
    EXPECT_GT(ink, 500) << "page " << i + 1;
  }
}

TEST_F(RichTextJob, ATableRowTallerThanAPageIsCutBetweenLinesAndNothingBesideItRepeats) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  std::string lines;
  for (int i = 1; i <= 140; ++i)
    lines += (i > 1 ? "<br>" : "") + std::string("Long") + std::to_string(1000 + i);
  dynamic_cast<host::RichTextBox&>(*richText())
      .setHtml("<table border=1><tr><td>Short1</td><td>" + lines +
               "</td><td>Tail1</td></tr>"
               "<tr><td>Short2</td><td>Only</td><td>Tail2</td></tr></table><p>End.</p>");
  (void)printToPdf();
  const PrintedWords printed = printedWords(pdf_);
  ASSERT_GE(printed.pages, 2);
  EXPECT_TRUE(printed.repeated.empty()) << testing::PrintToString(printed.repeated);
  std::vector<int> order;
  for (const std::string& word : printed.inOrder)
    if (word.starts_with("Long")) order.push_back(std::stoi(word.substr(4)) - 1000);
  EXPECT_EQ(order, oneTo(140));
  for (const char* word : {"Short1", "Tail1", "Short2", "Only", "Tail2", "End."})
    EXPECT_TRUE(printed.at.contains(word)) << word;
  EXPECT_EQ(printed.at.at("Short1").first, 1) << "the row starts on the first page";
}

TEST_F(RichTextJob, WrappedParagraphsAcrossPagesPrintEveryWordOnce) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  std::string rtf = "{\\rtf1\\ansi ";
  char word[16];
  for (int p = 0, n = 1; p < 12; ++p) {
    for (int w = 0; w < 90; ++w, ++n) {
      std::snprintf(word, sizeof word, "w%04d ", n);
      rtf += word;
    }
    rtf += "\\par\n";
  }
  dynamic_cast<host::RichTextBox&>(*richText(600, 4000)).setRtf(rtf + "}");
  (void)printToPdf();
  const PrintedWords printed = printedWords(pdf_);
  ASSERT_GE(printed.pages, 2);
  EXPECT_TRUE(printed.repeated.empty()) << testing::PrintToString(printed.repeated);
  std::vector<int> order;
  for (const std::string& text : printed.inOrder)
    if (std::regex_match(text, std::regex(R"(w\d{4})"))) order.push_back(std::stoi(text.substr(1)));
  EXPECT_EQ(order, oneTo(12 * 90));
}

TEST_F(RichTextJob, RtfPrintsInTheCodePagesItNamesAndAsTheUtf8ItHolds) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  dynamic_cast<host::RichTextBox&>(*richText())
      .setRtf(
          "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}{\\f1\\fcharset0 Arial;}}"
          "\\f0 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 {\\f1 caf\\'e9}\\par "
          "Grüße \\u1052\\'cc\\'e8\\'f0\\par"
          "{\\pict\\bin4 }}}}}" +
          std::string(400, '{') + "deep" + std::string(400, '}') + " after\\par}");
  const std::string all = joined(printToPdf());
  EXPECT_NE(all.find("Привет café"), std::string::npos) << all;
  EXPECT_NE(all.find("Grüße Мир"), std::string::npos) << all;
  EXPECT_NE(all.find("deep after"), std::string::npos) << all;
}

TEST_F(RichTextJob, RtfTableCellsPrintApartAtTheirCellEdges) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  std::string rtf = "{\\rtf1\\ansi Before\\par ";
  for (int r = 1; r <= 2; ++r) {
    rtf += "\\trowd\\trgaph108\\trleft-108\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl ";
    for (int c = 1; c <= 3; ++c) rtf += "Cell" + std::to_string(r) + std::to_string(c) + "\\cell ";
    rtf += "\\row ";
  }
  dynamic_cast<host::RichTextBox&>(*richText()).setRtf(rtf + "\\pard After\\par}");
  (void)printToPdf();
  const PrintedWords printed = printedWords(pdf_);
  EXPECT_TRUE(printed.repeated.empty());
  for (const char* word : {"Before", "After", "Cell11", "Cell12", "Cell13", "Cell21", "Cell22", "Cell23"})
    ASSERT_TRUE(printed.at.contains(word)) << word;
  auto x = [&](const char* word) { return printed.at.at(word).second.xMin; };
  // Columns 2108 and 2000 twips wide: 105.4 and 100 points between the cells' texts.
  EXPECT_NEAR(x("Cell12") - x("Cell11"), 105.4, 1.0);
  EXPECT_NEAR(x("Cell13") - x("Cell12"), 100.0, 1.0);
  EXPECT_NEAR(x("Cell22"), x("Cell12"), 0.5);
  EXPECT_NEAR(printed.at.at("Cell13").second.yMin, printed.at.at("Cell11").second.yMin, 0.5);
  EXPECT_GT(printed.at.at("Cell21").second.yMin, printed.at.at("Cell11").second.yMax);
  EXPECT_GT(printed.at.at("After").second.yMin, printed.at.at("Cell21").second.yMax);
}

TEST_F(RichTextJob, AnRtfPageBreakStartsANewPageInPrintAndPreview) {
  host::ObjectRef box = richText();
  dynamic_cast<host::RichTextBox&>(*box).setRtf(
      R"({\rtf1 One on the first page\page Two on the second\par})");
  if (drawingtest::havePoppler()) {
    const std::vector<std::string> pages = printToPdf();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_NE(pages[0].find("One on the first page"), std::string::npos);
    EXPECT_EQ(pages[0].find("Two"), std::string::npos);
    EXPECT_NE(pages[1].find("Two on the second"), std::string::npos);
  }
  ASSERT_TRUE(harness_.control->Preview());
  const std::vector<host::Picture> pages = harness_.previewPages();
  ASSERT_EQ(pages.size(), 2u);
  const PrintJob& job = harness_.control->job();
  for (const host::Picture& page : pages) {
    long ink = 0;
    for (int y = job.BodyTop; y < job.PageHeight - job.BottomReserve; ++y)
      for (int x = 0; x < page.width(); ++x) ink += page.pixel(x, y).brightness() < 100 ? 1 : 0;
    EXPECT_GT(ink, 20);
  }
}

TEST_F(RichTextJob, APictureTallerThanAPageIsCutAndTheRestPrintsAfterIt) {
  const fs::path picture = blackPicture(folder_, 60, 3000);
  dynamic_cast<host::RichTextBox&>(*richText())
      .setHtml("<p>Before the picture.</p><p><img src='" + picture.string() +
               "'></p><p>After the picture.</p><p>Last words.</p>");
  if (drawingtest::havePoppler()) {
    const std::vector<std::string> pages = printToPdf();
    // The picture waits for a page of its own, fills it, and the text goes on on the next.
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_NE(pages[0].find("Before the picture."), std::string::npos);
    EXPECT_NE(pages[2].find("After the picture."), std::string::npos);
    EXPECT_NE(pages[2].find("Last words."), std::string::npos);
  }
  ASSERT_TRUE(harness_.control->Preview());
  const std::vector<host::Picture> pages = harness_.previewPages();
  ASSERT_EQ(pages.size(), 3u);
  const PrintJob& job = harness_.control->job();
  const int foot = job.PageHeight - job.BottomReserve;
  // The picture fills the second page's body from its top down to the foot and no further.
  const host::Picture& second = pages[1];
  int column = -1;
  for (int x = 0; x < second.width() && column < 0; ++x)
    if (second.pixel(x, job.BodyTop + 100) == host::Rgb::black) column = x + 10;
  ASSERT_GE(column, 0) << "the picture is on the second page";
  int highest = -1, lowest = -1;
  for (int y = 0; y < second.height(); ++y)
    if (second.pixel(column, y) == host::Rgb::black) {
      if (highest < 0) highest = y;
      lowest = y;
    }
  EXPECT_LT(highest, job.BodyTop + 25);
  EXPECT_GT(lowest, foot - 60);
  EXPECT_LT(lowest, foot);
}

TEST_F(RichTextJob, ATallPictureAtTheBodyTopIsCutOnThatPage) {
  const fs::path picture = blackPicture(folder_, 60, 3000);
  dynamic_cast<host::RichTextBox&>(*richText(0))
      .setHtml("<p><img src='" + picture.string() + "'></p><p>After the picture.</p>");
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  const std::vector<std::string> pages = printToPdf();
  ASSERT_EQ(pages.size(), 2u) << "no empty first page";
  EXPECT_NE(pages[1].find("After the picture."), std::string::npos);
}

// The vellora program printing form files as a user writes them.
class RichTextProgram : public programtest::ProgramTest {
 protected:
  // Prints a form of one rich-text box given by `document` (a JSON member).
  PrintedWords print(const std::string& document) {
    std::ofstream(folder_ / "form.json")
        << R"({"Form": {"Name": "F", "Width": 9000, "Height": 6000, "Controls": [
        {"Type": "RichTextBox", "Name": "Doc", "Left": 600, "Top": 600, "Width": 7000, "Height": 2000, )"
        << document << "}]}}";
    const programtest::Outcome outcome = run({"print", "form.json", "--pdf", "form.pdf"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return printedWords(folder_ / "form.pdf");
  }
};

TEST_F(RichTextProgram, HtmlThatEndsInATablePrintsAllOfIt) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  const PrintedWords printed = print(
      R"("Html": "<p>First.</p><p>Second.</p><p>Third.</p><p>Fourth.</p><table border=1>)"
      R"(<tr><td>Cell11</td><td>Cell12</td><td>Cell13</td></tr><tr><td>Cell21</td><td>Cell22</td><td>Cell23</td></tr></table>")");
  ASSERT_EQ(printed.pages, 1);
  EXPECT_EQ(printed.inOrder, (std::vector<std::string>{"First.", "Second.", "Third.", "Fourth.", "Cell11",
                                                       "Cell12", "Cell13", "Cell21", "Cell22", "Cell23"}));
  EXPECT_NEAR(printed.at.at("Cell21").second.xMin, printed.at.at("Cell11").second.xMin, 0.5);
  EXPECT_GT(printed.at.at("Cell12").second.xMin, printed.at.at("Cell11").second.xMax);
}

TEST_F(RichTextProgram, AnRtfFileInItsCodePageWithATableAndAPageBreakPrintsAsWritten) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  // As WordPad writes a Russian document: Windows-1251 escapes; a table; a page break.
  std::ofstream(folder_ / "letter.rtf", std::ios::binary)
      << "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}\\f0\\fs20 "
         "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\par "
         "\\trowd\\trgaph108\\trleft-108\\cellx2000\\cellx4000\\pard\\intbl \\'c0\\'c1\\cell "
         "\\'c2\\'c3\\cell\\row "
         "\\pard\\page \\'c4\\'e0\\par}";
  const PrintedWords printed = print(R"("FileName": "letter.rtf")");
  ASSERT_EQ(printed.pages, 2);
  EXPECT_EQ(printed.inOrder, (std::vector<std::string>{"Привет", "АБ", "ВГ", "Да"}));
  EXPECT_EQ(printed.at.at("АБ").first, 1);
  EXPECT_NEAR(printed.at.at("ВГ").second.xMin - printed.at.at("АБ").second.xMin, 105.4, 1.0);
  EXPECT_EQ(printed.at.at("Да").first, 2);
}

}  // namespace
