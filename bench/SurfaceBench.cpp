// Page drawing speed and memory: a preview page of 2,000 framed cells with
// captions through the page surface, the same cells painted straight with
// QPainter on a QImage for comparison, the same page through the printer cell
// painter into a PDF, and the memory one monochrome A4 preview page holds.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "host/QtFont.h"
#include "host/RasterDc.h"
#include "host/Runtime.h"
#include "host/Ui.h"
#include "printctl/Vellora.h"
#include "surface/OffScreenDC.h"
#include "surface/PrnFillRect.h"

namespace {

// 25 columns x 80 rows of 30 x 14 pixels fill an A4 preview page (794 x 1123 at 96 dpi).
constexpr int Columns = 25;
constexpr int Rows = 80;
constexpr int CellWidth = 30;
constexpr int CellHeight = 14;
constexpr int PageWidth = 794;
constexpr int PageHeight = 1123;
const host::Font CellFont("Arial", 8);

const std::vector<std::string>& captions() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> result;
    for (int row = 0; row < Rows; ++row)
      for (int column = 0; column < Columns; ++column)
        result.push_back(std::to_string(row * 7 + column));
    return result;
  }();
  return texts;
}

std::int32_t cellColor(int row) { return row % 2 == 0 ? 0xFFFFFF : 0xC0C0C0; }

void drawPreviewPage(OffScreenDC& page) {
  page.setFont(CellFont);
  for (int row = 0; row < Rows; ++row) {
    page.setBackColor(cellColor(row));
    for (int column = 0; column < Columns; ++column)
      page.FillRect(2 + column * CellWidth, 2 + row * CellHeight, CellWidth, CellHeight,
                    captions()[row * Columns + column], 1, 1);
  }
}

void BM_PreviewPageThroughOffScreenDC(benchmark::State& state) {
  SharedDrawing drawing;
  for (auto _ : state) {
    OffScreenDC page(drawing);
    page.Initialize(nullptr, PageWidth, PageHeight, 2);
    drawPreviewPage(page);
    benchmark::DoNotOptimize(page.dc()->pixel(10, 10));
  }
  state.counters["cells"] = Columns * Rows;
}
BENCHMARK(BM_PreviewPageThroughOffScreenDC)->Unit(benchmark::kMillisecond);

// The same cells as a careful direct QPainter program paints them: fill,
// right-aligned clipped caption, one-pixel frame; no antialiasing.
void BM_PreviewPageStraightQPainter(benchmark::State& state) {
  std::vector<QString> texts;
  for (const std::string& caption : captions()) texts.push_back(QString::fromStdString(caption));
  const QFont font = host::toQFont(CellFont, 96);
  for (auto _ : state) {
    QImage image(PageWidth, PageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (int row = 0; row < Rows; ++row) {
      const QColor fill = row % 2 == 0 ? QColor(255, 255, 255) : QColor(192, 192, 192);
      for (int column = 0; column < Columns; ++column) {
        const QRect box(2 + column * CellWidth, 2 + row * CellHeight, CellWidth, CellHeight);
        const QString& text = texts[row * Columns + column];
        painter.fillRect(box, fill);
        painter.setClipRect(box);
        painter.setPen(Qt::black);
        const int x = box.right() - metrics.horizontalAdvance(text) - 3;
        painter.drawText(x, box.top() + (CellHeight - metrics.height()) / 2 - 1 + metrics.ascent(), text);
        painter.setClipping(false);
        painter.drawRect(box.adjusted(-1, 0, -1, 0));
      }
    }
    painter.end();
    benchmark::DoNotOptimize(image.pixel(10, 10));
  }
  state.counters["cells"] = Columns * Rows;
}
BENCHMARK(BM_PreviewPageStraightQPainter)->Unit(benchmark::kMillisecond);

// The page printed: the same cells at 600 dots per inch, a document per page.
void BM_PrintPageThroughPrnFillRectToPdf(benchmark::State& state) {
  const auto file = std::filesystem::temp_directory_path() / "vellora-surface-bench.pdf";
  auto ui = std::make_unique<host::HeadlessUi>();
  ui->setEchoToStandardError(false);
  host::Runtime runtime(std::move(ui), {host::makePdfPrinter(file)});
  auto control = std::make_shared<Vellora>();
  PrintJob job(*control);
  const int scale = 6;  // preview pixels to printer pixels, near 600 / 96
  for (auto _ : state) {
    host::Dc& dc = host::printer().hDC();
    dc.setFont(CellFont);
    for (int row = 0; row < Rows; ++row) {
      job.CellFillColor = cellColor(row);
      for (int column = 0; column < Columns; ++column)
        PrnFillRect(job, scale * (2 + column * CellWidth), scale * (2 + row * CellHeight), scale * CellWidth,
                    scale * CellHeight, captions()[row * Columns + column], 1, 1, false, false, false, 0);
    }
    host::printer().endDoc();
  }
  std::filesystem::remove(file);
  state.counters["cells"] = Columns * Rows;
}
BENCHMARK(BM_PrintPageThroughPrnFillRectToPdf)->Unit(benchmark::kMillisecond);

// What a monochrome A4 preview page holds once drawn (the page store keeps one per page).
void BM_MonochromeA4PreviewPageMemory(benchmark::State& state) {
  SharedDrawing drawing;
  std::size_t bytes = 0;
  for (auto _ : state) {
    OffScreenDC page(drawing);
    page.Initialize(nullptr, PageWidth, PageHeight, 0);
    drawPreviewPage(page);
    bytes = page.dc()->picture().byteCount();
  }
  state.counters["page_KiB"] = static_cast<double>(bytes) / 1024.0;
}
BENCHMARK(BM_MonochromeA4PreviewPageMemory)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return benchsupport::runWithHeadlessRuntime(argc, argv,
                                              [] { return host::MemoryPrinter::create("Memory", 600); });
}
