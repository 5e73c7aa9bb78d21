// Live Qt Widgets forms: a QTableWidget of 10,000 rows x 6 columns printed
// to the built-in PDF printer through the print control, against the same
// cells drawn straight with QPainter on a QPdfWriter (run side by side: the
// ratio is the figure); a QSqlQueryModel of 25,000 and 100,000 SQLite rows
// printed, with the memory each takes of its own (flat: it does not grow with
// the rows); and one resizer pass over a form of 1,000 widgets against
// setting the same geometries and fonts on them directly.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTableWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "host/Printer.h"
#include "host/Runtime.h"
#include "printctl/Vellora.h"
#include "qtforms/LivePrint.h"
#include "vellora/Resizer.h"

namespace {

constexpr int Columns = 6;
constexpr double PdfDotsPerInch = 600;

std::filesystem::path outputFile(const std::string& name) { return std::filesystem::temp_directory_path() / name; }

QString cellText(int row, int col) { return QStringLiteral("R%1 C%2").arg(row + 1).arg(col + 1); }

struct TableForm {
  explicit TableForm(int rows) : table(new QTableWidget(rows, Columns, &form)) {
    form.resize(800, 600);
    table->setGeometry(10, 10, 700, 500);
    QStringList headers;
    for (int col = 0; col < Columns; ++col) headers << QStringLiteral("Head %1").arg(col + 1);
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    for (int row = 0; row < rows; ++row)
      for (int col = 0; col < Columns; ++col) table->setItem(row, col, new QTableWidgetItem(cellText(row, col)));
  }
  QWidget form;
  QTableWidget* table;
};

void PrintControlOnTableWidget(benchmark::State& state) {
  TableForm sheet(static_cast<int>(state.range(0)));
  qtforms::LivePrint job(sheet.form);
  job.control().setToPage(0);
  const std::filesystem::path file = outputFile("vellora-live-table.pdf");
  int pages = 0;
  for (auto _ : state) {
    if (!job.printToPdf(file)) state.SkipWithError("the print job failed");
    pages = job.control().job().PageCounter;
  }
  state.counters["pages"] = pages;
}
BENCHMARK(PrintControlOnTableWidget)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same cells drawn straight: a header row on every page, a frame and a
// text per cell, at the table's own column widths and row heights.
void QPainterOnQPdfWriter(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  TableForm sheet(1);
  const double scale = PdfDotsPerInch / 96;
  const int columnPixels = static_cast<int>(sheet.table->columnWidth(0) * scale);
  const int rowPixels = static_cast<int>(sheet.table->rowHeight(0) * scale);
  const std::string file = outputFile("vellora-live-table-qpainter.pdf").string();
  int pages = 0;
  double ownMegabytes = 0;
  for (auto _ : state) {
    benchsupport::ResidentGrowthMeter meter;
    QPdfWriter writer(QString::fromStdString(file));
    writer.setResolution(static_cast<int>(PdfDotsPerInch));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    QFont font = sheet.table->font();
    font.setPixelSize(static_cast<int>(QFontInfo(font).pixelSize() * scale));
    painter.setFont(font);
    const int bottom = painter.viewport().height() - 900;
    pages = 1;
    int y = 900;
    auto drawRow = [&](const std::function<QString(int)>& text) {
      for (int col = 0; col < Columns; ++col) {
        const QRect cell(300 + col * columnPixels, y, columnPixels, rowPixels);
        painter.drawRect(cell);
        painter.drawText(cell.adjusted(12, 0, -12, 0), Qt::AlignLeft | Qt::AlignVCenter, text(col));
      }
      y += rowPixels;
    };
    drawRow([](int col) { return QStringLiteral("Head %1").arg(col + 1); });
    for (int row = 0; row < rows; ++row) {
      if (y + rowPixels > bottom) {
        writer.newPage();
        ++pages;
        y = 900;
        drawRow([](int col) { return QStringLiteral("Head %1").arg(col + 1); });
      }
      drawRow([row](int col) { return cellText(row, col); });
    }
    painter.end();
    ownMegabytes = meter.stop();
  }
  state.counters["pages"] = pages;
  // What the PDF writer itself keeps grows with the pages: the measure of
  // how flat a long job's memory can be.
  state.counters["own_MB"] = ownMegabytes;
}
BENCHMARK(QPainterOnQPdfWriter)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond)->Iterations(1);

// An SQLite table of `rows` orders, shown by a QTableView on a QSqlQueryModel.
struct SqlForm {
  explicit SqlForm(int rows) {
    const QString connection = QStringLiteral("bench-%1").arg(rows);
    {
      QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
      database.setDatabaseName(QString::fromStdString(outputFile("vellora-live-orders.sqlite").string()));
      database.open();
      QSqlQuery query(database);
      query.exec(QStringLiteral("DROP TABLE IF EXISTS orders"));
      query.exec(QStringLiteral("CREATE TABLE orders(id INTEGER PRIMARY KEY, customer TEXT, total REAL)"));
      query.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                "INSERT INTO orders SELECT i, 'Customer ' || i, i * 1.5 FROM n")
                     .arg(rows));
      model = std::make_unique<QSqlQueryModel>();
      model->setQuery(QStringLiteral("SELECT id, customer, total FROM orders"), database);
    }
    form.resize(600, 400);
    view = new QTableView(&form);
    view->setGeometry(10, 10, 500, 300);
    view->setModel(model.get());
  }
  std::unique_ptr<QSqlQueryModel> model;
  QWidget form;
  QTableView* view = nullptr;
};

void PrintControlOnSqlQueryModel(benchmark::State& state) {
  SqlForm sheet(static_cast<int>(state.range(0)));
  qtforms::LivePrint job(sheet.form);
  job.control().setToPage(0);
  const std::filesystem::path file = outputFile("vellora-live-orders.pdf");
  double ownMegabytes = 0;
  int pages = 0;
  for (auto _ : state) {
    benchsupport::ResidentGrowthMeter meter;
    if (!job.printToPdf(file)) state.SkipWithError("the print job failed");
    ownMegabytes = meter.stop();
    pages = job.control().job().PageCounter;
  }
  state.counters["pages"] = pages;
  state.counters["own_MB"] = ownMegabytes;
}
BENCHMARK(PrintControlOnSqlQueryModel)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// A form of 1,000 widgets placed by hand, with a resizer.
struct WideForm {
  WideForm() {
    form.resize(1200, 900);
    for (int i = 0; i < 1000; ++i) {
      QWidget* widget = nullptr;
      switch (i % 3) {
        case 0:
          widget = new QLabel(QStringLiteral("Label %1").arg(i), &form);
          break;
        case 1:
          widget = new QLineEdit(QStringLiteral("Field %1").arg(i), &form);
          break;
        default:
          widget = new QCheckBox(QStringLiteral("Check %1").arg(i), &form);
          break;
      }
      widget->setGeometry((i % 25) * 46, (i / 25) * 22, 44, 20);
      widgets.push_back(widget);
    }
    resizer = new vellora::Resizer(&form);
    form.show();
  }
  QWidget form;
  std::vector<QWidget*> widgets;
  vellora::Resizer* resizer;
};

// The events a pass posts (moves, resizes, repaints) are delivered outside
// the measured time, as the application's event loop would between passes:
// left to pile up, each pass would pay for searching the queue of all before.
void settleUntimed(benchmark::State& state) {
  state.PauseTiming();
  QCoreApplication::processEvents();
  state.ResumeTiming();
}

void ResizerPassOnLiveForm(benchmark::State& state) {
  WideForm wide;
  int zoom = 100;
  for (auto _ : state) {
    zoom = zoom == 100 ? 150 : 100;
    wide.resizer->setZoom(zoom);
    settleUntimed(state);
  }
}
BENCHMARK(ResizerPassOnLiveForm)->Unit(benchmark::kMillisecond);

// The geometries and fonts of the same pass, set directly.
void DirectGeometryAndFonts(benchmark::State& state) {
  WideForm wide;
  std::vector<QRect> design;
  std::vector<double> points;
  for (QWidget* widget : wide.widgets) {
    design.push_back(widget->geometry());
    points.push_back(widget->font().pointSizeF());
  }
  double ratio = 1;
  for (auto _ : state) {
    ratio = ratio == 1 ? 1.5 : 1;
    for (std::size_t i = 0; i < wide.widgets.size(); ++i) {
      QWidget& widget = *wide.widgets[i];
      QFont font = widget.font();
      font.setPointSizeF(points[i] * ratio);
      widget.setFont(font);
      const QRect& at = design[i];
      widget.setGeometry(static_cast<int>(at.x() * ratio), static_cast<int>(at.y() * ratio),
                         static_cast<int>(at.width() * ratio), static_cast<int>(at.height() * ratio));
    }
    settleUntimed(state);
  }
}
BENCHMARK(DirectGeometryAndFonts)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  auto ui = std::make_unique<host::HeadlessUi>();
  ui->setEchoToStandardError(false);
  host::Runtime runtime(std::move(ui), {host::makePdfPrinter(outputFile("vellora-live.pdf"))});
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
