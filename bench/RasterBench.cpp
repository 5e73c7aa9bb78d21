// The raster device: a page of grid cells (fill, frame, clipped caption) on a
// colour and on a one-bit A4 page at 96 dpi, and a printer page recorded and
// rendered at 300 dpi.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <string>

#include "host/Printer.h"
#include "host/RasterDc.h"

namespace {

void drawGrid(host::Dc& dc, int cellWidth, int cellHeight) {
  dc.setFont(host::Font("Arial", 8));
  dc.setBkColor(host::Rgb::white);
  const host::Size page = dc.size();
  int cell = 0;
  for (int top = 0; top + cellHeight <= page.height; top += cellHeight)
    for (int left = 0; left + cellWidth <= page.width; left += cellWidth, ++cell) {
      const auto box = host::Rect::fromXywh(left, top, cellWidth, cellHeight);
      dc.fillRect(box, host::Brush::solid(host::Rgb::fromRgb(192, 192, 192)));
      dc.frameRect(box, host::Brush::solid(host::Rgb::black));
      dc.extTextOut({left + 3, top + 2}, host::eto::Clipped, box, "Cell " + std::to_string(cell));
    }
}

void RasterPageOfCells(benchmark::State& state) {
  const auto format = state.range(0) == 0 ? host::RasterFormat::Color : host::RasterFormat::Monochrome;
  for (auto _ : state) {
    auto page = host::RasterDc::create({794, 1123}, format);
    drawGrid(*page, 100, 20);
    benchmark::DoNotOptimize(page->pixel(5, 5));
  }
}
BENCHMARK(RasterPageOfCells)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void PrinterPageOfCells(benchmark::State& state) {
  auto device = host::MemoryPrinter::create("Memory", 300);
  for (auto _ : state) {
    host::Printer printer(device);
    drawGrid(printer.hDC(), 300, 60);
    printer.endDoc();
  }
}
BENCHMARK(PrinterPageOfCells)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
