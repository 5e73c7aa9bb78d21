// One set of printer cells drawn on the raster printer and into a PDF: the
// PDF holds the captions as text and its frames lie where the raster's do.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "SurfaceTestSupport.h"
#include "TestSupport.h"
#include "printctl/Vellora.h"
#include "surface/PrnFillRect.h"

namespace {

void drawScenario(const std::shared_ptr<host::PrinterDevice>& device) {
  auto ui = std::make_unique<host::HeadlessUi>();
  ui->setEchoToStandardError(false);
  host::Runtime runtime(std::move(ui), {device});
  auto control = std::make_shared<Vellora>();
  PrintJob job(*control);
  PrnFillRect(job, 300, 300, 600, 150, "Alpha", 0, 1, false, false, false, 0);
  PrnFillRect(job, 900, 300, 600, 150, "Bravo", 1, 1, false, false, false, 0);
  PrnFillRect(job, 1500, 300, 600, 150, "Charlie", 2, 1, false, false, false, 0);
  PrnFillRect(job, 300, 450, 1800, 300, "Delta echo foxtrot golf hotel india", 0, 1, true, false, false, 0);
  host::printer().endDoc();
}

// Where dark runs begin along a line of pixels.
template <class IsDark>
std::vector<int> darkRunStarts(IsDark isDark, int from, int to) {
  std::vector<int> starts;
  for (int i = from; i < to; ++i)
    if (isDark(i) && (i == from || !isDark(i - 1))) starts.push_back(i);
  return starts;
}

struct GreyImage {
  int width = 0, height = 0;
  std::string pixels;
  bool dark(int x, int y) const { return static_cast<unsigned char>(pixels[y * width + x]) < 128; }
};

GreyImage readPgm(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  GreyImage image;
  in >> magic >> image.width >> image.height >> maxValue;
  in.get();
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  in.read(image.pixels.data(), static_cast<std::streamsize>(image.pixels.size()));
  return image;
}

std::string run(const std::string& command, const std::string& output) {
  EXPECT_EQ(std::system((command + " > " + output).c_str()), 0) << command;
  std::ifstream in(output);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PrinterCellsInPdf, AgreeWithTheRasterPrinter) {
  const auto folder = testsupport::makeTempDir("surface-pdf");
  const auto pdf = (folder / "cells.pdf").string();
  drawScenario(host::makePdfPrinter(pdf));
  auto memory = host::MemoryPrinter::create("Memory", 600);
  drawScenario(memory);
  ASSERT_EQ(memory->pages().size(), 1u);

  const std::string text = run("pdftotext -layout '" + pdf + "' -", (folder / "cells.txt").string());
  for (const char* caption : {"Alpha", "Bravo", "Charlie", "Delta echo"}) EXPECT_NE(text.find(caption), std::string::npos) << caption;

  run("pdftoppm -r 600 -gray -aa no -aaVector no -x 0 -y 0 -W 2400 -H 900 '" + pdf + "'", (folder / "cells.pgm").string());
  const GreyImage rendered = readPgm((folder / "cells.pgm").string());
  ASSERT_EQ(rendered.width, 2400);
  const host::Picture& page = memory->pages().front();
  auto rasterDark = [&](int x, int y) { return page.pixel(x, y).brightness() < 128; };
  // Across the first row below its captions, and down the left column beside them.
  const auto pdfColumns = darkRunStarts([&](int x) { return rendered.dark(x, 440); }, 0, 2400);
  const auto rasterColumns = darkRunStarts([&](int x) { return rasterDark(x, 440); }, 0, 2400);
  const auto pdfRows = darkRunStarts([&](int y) { return rendered.dark(305, y); }, 0, 900);
  const auto rasterRows = darkRunStarts([&](int y) { return rasterDark(305, y); }, 0, 900);
  // Each next cell paints over the frame line its neighbour drew on the right.
  EXPECT_EQ(rasterColumns, (std::vector<int>{300, 900, 1500, 2105}));
  EXPECT_EQ(rasterRows, (std::vector<int>{300, 450, 752}));
  ASSERT_EQ(pdfColumns.size(), rasterColumns.size());
  for (std::size_t i = 0; i < pdfColumns.size(); ++i) EXPECT_NEAR(pdfColumns[i], rasterColumns[i], 1) << i;
  ASSERT_EQ(pdfRows.size(), rasterRows.size());
  for (std::size_t i = 0; i < pdfRows.size(); ++i) EXPECT_NEAR(pdfRows[i], rasterRows[i], 1) << i;
}

}  // namespace
