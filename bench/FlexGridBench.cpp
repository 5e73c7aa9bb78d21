// A long flex grid (6 columns of short texts, one fixed row, grid lines)
// printed to the built-in PDF printer, side by side with what the same table
// costs drawn straight with QPainter on a QPdfWriter (the practical limit) and
// as a QTextDocument table with a repeated header row (what a Qt developer
// writes instead); 20,000 rows against 10,000 for linearity; the preview of
// the same grid, per page; and the late-bound cell reads a renderer makes.
#include <benchmark/benchmark.h>

#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "JobBenchSupport.h"
#include "host/Lang.h"
#include "host/Printer.h"
#include "host/QtFont.h"
#include "host/Runtime.h"
#include "host/model/Control.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "renderers/Renderers.h"
#include "surface/OffScreenDC.h"

namespace {

constexpr int Columns = 6;
constexpr int ColumnTwips = 1500;
constexpr double PdfDotsPerInch = 600;

std::filesystem::path outputFolder() { return std::filesystem::temp_directory_path(); }

std::string cellText(int row, int col) {
  if (row == 0) return "Head " + std::to_string(col);
  char text[24];
  std::snprintf(text, sizeof text, "%c%d", 'a' + col, row);
  return text;
}

// A form holding the grid, with its print control's job pointed at it.
struct GridForm {
  std::shared_ptr<host::Form> form = host::Form::create("Stock");
  host::ObjectRef grid;
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();

  explicit GridForm(int dataRows) {
    grid = form->addControl("MSFlexGrid", "Items");
    grid->set("Cols", host::Value(Columns));
    grid->set("Rows", host::Value(dataRows + 1));
    grid->set("FixedCols", host::Value(0));
    grid->set("ColWidth", host::Value(ColumnTwips), {host::Value(-1)});
    for (int r = 0; r <= dataRows; ++r)
      for (int c = 0; c < Columns; ++c) grid->set("TextMatrix", host::Value(cellText(r, c)), {host::Value(r), host::Value(c)});
    benchsupport::pointJobAt(*control, form, grid, 0, 9000);
  }
};

// range(0): data rows.
void FlexGridToPdfPrinter(benchmark::State& state) {
  GridForm form(static_cast<int>(state.range(0)));
  benchsupport::reportJob(state, benchsupport::runPrintJobs(state, form.control->job(), PrnFlexGrid));
}

// The same cells drawn straight: a framed rectangle and a clipped caption
// each, rows of the grid's height, the header row again on every page.
void QPainterOnQPdfWriter(benchmark::State& state) {
  const int dataRows = static_cast<int>(state.range(0));
  const std::string file = (outputFolder() / "vellora-grid-qpainter.pdf").string();
  const int columnPixels = static_cast<int>(ColumnTwips / 1440.0 * PdfDotsPerInch);
  // Rows as high as the grid's own (its font's height and padding).
  const double rowTwips = GridForm(1).grid->get("RowHeight", {host::Value(1)}).toDouble();
  const int rowPixels = static_cast<int>(rowTwips / 1440.0 * PdfDotsPerInch);
  int pages = 0;
  double ownMegabytes = 0;
  for (auto _ : state) {
    benchsupport::ResidentGrowthMeter meter;
    QPdfWriter writer(QString::fromStdString(file));
    writer.setResolution(static_cast<int>(PdfDotsPerInch));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    painter.setFont(host::toQFont(host::Font("Arial", 8.25), PdfDotsPerInch));
    const int bottom = painter.viewport().height() - 400;
    pages = 1;
    int y = 400;
    auto drawRow = [&](int row) {
      for (int c = 0; c < Columns; ++c) {
        const QRect cell(200 + c * columnPixels, y, columnPixels, rowPixels);
        painter.fillRect(cell, row == 0 ? QColor(192, 192, 192) : Qt::white);
        painter.drawRect(cell);
        painter.drawText(cell.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                         QString::fromStdString(cellText(row, c)));
      }
      y += rowPixels;
    };
    drawRow(0);
    for (int row = 1; row <= dataRows; ++row) {
      if (y + rowPixels > bottom) {
        writer.newPage();
        ++pages;
        y = 400;
        drawRow(0);
      }
      drawRow(row);
    }
    painter.end();
    ownMegabytes = meter.stop();
  }
  std::filesystem::remove(file);
  state.counters["pages"] = pages;
  state.counters["own_MB"] = ownMegabytes;
}

// A QTextDocument table whose first row repeats on every page, printed to a QPdfWriter.
void QTextDocumentTableOnQPdfWriter(benchmark::State& state) {
  const int dataRows = static_cast<int>(state.range(0));
  const std::string file = (outputFolder() / "vellora-grid-textdocument.pdf").string();
  int pages = 0;
  double ownMegabytes = 0;
  for (auto _ : state) {
    benchsupport::ResidentGrowthMeter meter;
    QTextDocument document;
    document.setDefaultFont(host::toQFont(host::Font("Arial", 8.25), 96));
    QTextCursor cursor(&document);
    QTextTableFormat format;
    format.setHeaderRowCount(1);
    format.setBorder(1);
    format.setCellPadding(2);
    format.setCellSpacing(0);
    QTextTable* table = cursor.insertTable(dataRows + 1, Columns, format);
    for (int r = 0; r <= dataRows; ++r)
      for (int c = 0; c < Columns; ++c) table->cellAt(r, c).firstCursorPosition().insertText(QString::fromStdString(cellText(r, c)));
    QPdfWriter writer(QString::fromStdString(file));
    writer.setResolution(static_cast<int>(PdfDotsPerInch));
    writer.setPageSize(QPageSize(QPageSize::A4));
    // Laid out on the sheet's printable area at the screen's 96 dots per inch, as print() lays it out.
    document.setPageSize(QSizeF(writer.pageLayout().paintRectPixels(96).size()));
    document.print(&writer);
    pages = document.pageCount();
    ownMegabytes = meter.stop();
  }
  std::filesystem::remove(file);
  state.counters["pages"] = pages;
  state.counters["own_MB"] = ownMegabytes;
}

// The preview of the grid: time and memory per page kept in the page store.
// A case's own memory holds what one page takes while it is drawn as well as
// the pages kept; the memory a page keeps is the growth per page over the
// smaller grid run before (`kept_kB_per_page`), measured as the grid grows.
void FlexGridPreview(benchmark::State& state) {
  static double lastMegabytes = 0;
  static int lastPages = 0;
  GridForm form(static_cast<int>(state.range(0)));
  const benchsupport::JobFigures figures = benchsupport::runPreviewJobs(state, form.control->job(), PrevFlexGrid);
  benchsupport::reportJob(state, figures);
  state.counters["ms_per_page"] = benchmark::Counter(figures.pages, benchmark::Counter::kIsIterationInvariantRate |
                                                                        benchmark::Counter::kInvert);
  state.counters["own_kB_per_page"] = figures.ownMegabytes * 1024 / std::max(figures.pages, 1);
  if (lastPages > 0 && figures.pages > lastPages)
    state.counters["kept_kB_per_page"] = (figures.ownMegabytes - lastMegabytes) * 1024 / (figures.pages - lastPages);
  lastMegabytes = figures.ownMegabytes;
  lastPages = figures.pages;
}

// A kept page of the grid's preview shown again, as the window does when
// the user goes to it: its pixels unpacked at the page's size, and drawn at
// 150 %.
void KeptPageShown(benchmark::State& state) {
  GridForm form(10000);
  PrintJob& job = form.control->job();
  benchsupport::startPreviewJob(job, 2);
  PrevFlexGrid(job);
  const std::size_t pages = job.PageStore.size();
  std::size_t page = 0;
  const double scale = state.range(0) / 100.0;
  for (auto _ : state) {
    OffScreenDC& kept = *job.PageStore[page % (pages - 1)];
    benchmark::DoNotOptimize(kept.dc()->pictureAt(scale));
    ++page;
  }
  job.PageStore.clear();
}

// The reads the renderer makes of one cell through the late-bound interface.
void LateBoundCellReads(benchmark::State& state) {
  GridForm form(1000);
  host::Object& grid = *form.grid;
  int row = 1;
  for (auto _ : state) {
    grid.set("Row", host::Value(row));
    for (int c = 0; c < Columns; ++c) {
      grid.set("Col", host::Value(c));
      benchmark::DoNotOptimize(grid.get("TextMatrix", {host::Value(row), host::Value(c)}));
      benchmark::DoNotOptimize(grid.get("ColWidth", {host::Value(c)}));
      benchmark::DoNotOptimize(grid.get("CellAlignment"));
      benchmark::DoNotOptimize(grid.get("CellFontName"));
      benchmark::DoNotOptimize(grid.get("CellFontBold"));
      benchmark::DoNotOptimize(grid.get("CellFontSize"));
      benchmark::DoNotOptimize(grid.get("CellBackColor"));
      benchmark::DoNotOptimize(grid.get("BackColor"));
      benchmark::DoNotOptimize(grid.get("CellPicture"));
    }
    row = row % 1000 + 1;
  }
  state.SetItemsProcessed(state.iterations() * Columns);
}

BENCHMARK(FlexGridToPdfPrinter)->ArgName("rows")->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(QPainterOnQPdfWriter)->ArgName("rows")->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(QTextDocumentTableOnQPdfWriter)->ArgName("rows")->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
// 100,000 rows: about 2,100 pages, every one kept until the preview closes.
BENCHMARK(FlexGridPreview)->ArgName("rows")->Arg(10000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(KeptPageShown)->ArgName("zoom")->Arg(100)->Arg(150)->Unit(benchmark::kMillisecond);
BENCHMARK(LateBoundCellReads);

}  // namespace

int main(int argc, char** argv) { return benchsupport::runOnPdfPrinter(argc, argv, "vellora-grid-bench.pdf"); }
