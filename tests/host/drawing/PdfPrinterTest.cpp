// The built-in PDF printer, read back with the poppler tools: documents appear
// whole or not at all, wiped pages keep no hidden text, and the PDF agrees
// with the in-memory raster printer on where things land.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "DrawingTestSupport.h"
#include "PdfTools.h"
#include "TestSupport.h"
#include "host/Printer.h"

using namespace drawingtest;
using host::Brush;
using host::Printer;
using host::Rect;
using host::Rgb;
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> filesIn(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path());
  return files;
}

// The dark pixels (brightness below the middle) of a picture region, as bounds.
Rect darkBounds(const host::Picture& picture, const Rect& area) {
  Rect bounds{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (picture.pixel(x, y).brightness() < 128) {
        bounds.left = std::min(bounds.left, x);
        bounds.top = std::min(bounds.top, y);
        bounds.right = std::max(bounds.right, x + 1);
        bounds.bottom = std::max(bounds.bottom, y + 1);
      }
  return bounds.isEmpty() ? Rect{} : bounds;
}

void expectNear(const Rect& actual, const Rect& expected, int tolerance) {
  EXPECT_NEAR(actual.left, expected.left, tolerance);
  EXPECT_NEAR(actual.top, expected.top, tolerance);
  EXPECT_NEAR(actual.right, expected.right, tolerance);
  EXPECT_NEAR(actual.bottom, expected.bottom, tolerance);
}

class PdfPrinterTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo, pdftoppm) are not installed";
    dir_ = testsupport::makeTempDir("vellora-pdf");
    pdf_ = dir_ / "document.pdf";
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  fs::path dir_;
  fs::path pdf_;
};

}  // namespace

TEST_F(PdfPrinterTest, TheFileAppearsWholeWhenTheDocumentEnds) {
  Printer printer(host::makePdfPrinter(pdf_));
  EXPECT_EQ(printer.deviceName(), "PDF");
  EXPECT_EQ(printer.port(), pdf_.string());
  printer.setFont(host::Font("Arial", 12));
  printer.print("Hello from the first page");
  printer.newPage();
  printer.print("Second page text");
  EXPECT_FALSE(fs::exists(pdf_));  // still being written under another name
  printer.endDoc();
  ASSERT_TRUE(fs::exists(pdf_));
  EXPECT_EQ(filesIn(dir_).size(), 1u);
  EXPECT_EQ(pdfPages(pdf_), 2);
  const std::string text = pdfText(pdf_);
  EXPECT_NE(text.find("Hello from the first page"), std::string::npos) << text;
  EXPECT_NE(text.find("Second page text"), std::string::npos) << text;
  EXPECT_NE(run("pdfinfo " + quoted(pdf_)).find("595"), std::string::npos);  // A4 is 595 points wide
}

TEST_F(PdfPrinterTest, CopiesAreWholeSetsOfTheDocumentOneAfterAnother) {
  Printer printer(host::makePdfPrinter(pdf_));
  EXPECT_EQ(testsupport::errorNumberOf([&] { printer.setCopies(100); }), 380) << "a file holds 99 sets at most";
  printer.setCopies(3);
  printer.setFont(host::Font("Arial", 12));
  printer.print("First page");
  printer.newPage();
  printer.print("Second page");
  printer.endDoc();
  ASSERT_EQ(pdfPages(pdf_), 6);
  for (int page = 1; page <= 6; ++page) {
    const std::string text = run("pdftotext -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
                                 quoted(pdf_) + " -");
    EXPECT_NE(text.find(page % 2 == 1 ? "First page" : "Second page"), std::string::npos) << "page " << page;
  }
}

TEST_F(PdfPrinterTest, KillDocLeavesNoFileBehind) {
  {
    Printer printer(host::makePdfPrinter(pdf_));
    printer.print("discarded");
    printer.newPage();
    printer.print("discarded too");
    printer.killDoc();
    EXPECT_TRUE(filesIn(dir_).empty());
    printer.print("left open when the printer goes away");
  }
  EXPECT_TRUE(filesIn(dir_).empty());
}

TEST_F(PdfPrinterTest, AnUnwritableFolderIsAPrinterErrorNamingTheFile) {
  Printer printer(host::makePdfPrinter(dir_ / "no-such-folder" / "out.pdf"));
  try {
    (void)printer.hDC();
    FAIL() << "a document started in a missing folder";
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), host::err::PrinterError);
    EXPECT_NE(error.description().find("out.pdf"), std::string::npos) << error.description();
  }
  EXPECT_FALSE(printer.documentOpen());
}

TEST_F(PdfPrinterTest, AWipedPageKeepsNoHiddenText) {
  Printer printer(host::makePdfPrinter(pdf_));
  printer.setFont(host::Font("Arial", 12));
  host::Dc& dc = printer.hDC();
  printer.print("Secret words of a page before the range");
  dc.fillRect(Rect::fromXywh(300, 300, 600, 600), Brush::solid(Rgb::black));
  // A page before the range is discarded as the job wipes the sheet.
  printer.discardPage();
  printer.print("Visible words of the wanted page");
  printer.endDoc();
  const std::string text = pdfText(pdf_);
  EXPECT_EQ(text.find("Secret"), std::string::npos) << text;
  EXPECT_NE(text.find("Visible words of the wanted page"), std::string::npos) << text;
  EXPECT_EQ(pdfPages(pdf_), 1);
}

TEST_F(PdfPrinterTest, PdfAndRasterPrinterPutThingsInTheSamePlaces) {
  // A box, a frame and a line of text at 600 dots per inch on both printers.
  const auto scenario = [](Printer& printer) {
    printer.setFont(host::Font("Arial", 24));
    host::Dc& dc = printer.hDC();
    dc.fillRect(Rect::fromLtrb(600, 600, 1200, 900), Brush::solid(Rgb::black));
    dc.frameRect(Rect::fromLtrb(300, 1000, 1500, 1400), Brush::solid(Rgb::black));
    dc.setBkMode(host::BkMode::Transparent);
    dc.extTextOut({400, 1100}, 0, Rect{}, "Agreement");
    dc.fillRect(Rect::fromLtrb(1300, 600, 1340, 640), Brush::hatched(host::HatchStyle::Horizontal, Rgb::black));
    printer.endDoc();
  };
  auto memory = host::MemoryPrinter::create("Memory", 600);
  Printer rasterPrinter(memory);
  scenario(rasterPrinter);
  Printer pdfPrinter(host::makePdfPrinter(pdf_));
  scenario(pdfPrinter);

  EXPECT_NE(pdfText(pdf_).find("Agreement"), std::string::npos);
  (void)run("pdftoppm -r 600 -gray -png -x 0 -y 0 -W 1600 -H 1600 -f 1 -l 1 -singlefile " + quoted(pdf_) + " " +
      quoted(dir_ / "page"));
  const host::Picture pdfPage = host::Picture::load(dir_ / "page.png");
  const host::Picture& rasterPage = memory->pages().at(0);

  expectNear(darkBounds(pdfPage, Rect::fromLtrb(500, 500, 1300, 1000)), Rect::fromLtrb(600, 600, 1200, 900), 2);
  expectNear(darkBounds(rasterPage, Rect::fromLtrb(500, 500, 1300, 1000)), Rect::fromLtrb(600, 600, 1200, 900), 0);
  // The top of the frame with the start of its sides.
  const Rect frameTop = Rect::fromLtrb(250, 950, 1550, 1050);
  expectNear(darkBounds(pdfPage, frameTop), Rect::fromLtrb(300, 1000, 1500, 1050), 2);
  expectNear(darkBounds(rasterPage, frameTop), Rect::fromLtrb(300, 1000, 1500, 1050), 0);
  EXPECT_EQ(rasterPage.pixel(301, 1001), Rgb::white);  // one pixel wide
  // The hatch lines fall on the same device rows (every eighth, from row 3).
  for (int y = 600; y < 640; ++y) {
    const bool line = y % 8 == 3;
    EXPECT_EQ(rasterPage.pixel(1320, y) == Rgb::black, line) << y;
    EXPECT_EQ(pdfPage.pixel(1320, y).brightness() < 128, line) << y;
  }
  const Rect textArea = Rect::fromLtrb(310, 1010, 1490, 1390);
  const Rect rasterText = darkBounds(rasterPage, textArea);
  ASSERT_FALSE(rasterText.isEmpty());
  expectNear(darkBounds(pdfPage, textArea), rasterText, 8);
}

TEST(InstalledPrinters, ThePdfPrinterComesFirst) {
  const auto printers = host::Printers::installed();
  ASSERT_FALSE(printers.empty());
  EXPECT_EQ(printers.front()->deviceName(), "PDF");
  EXPECT_EQ(printers.front()->port(), "output.pdf");
  const auto elsewhere = host::Printers::installed("/tmp/elsewhere.pdf");
  EXPECT_EQ(elsewhere.front()->port(), "/tmp/elsewhere.pdf");
  EXPECT_EQ(elsewhere.size(), printers.size());
}
