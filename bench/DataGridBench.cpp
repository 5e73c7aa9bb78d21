// A data grid on a long SQLite table (5 columns) printed to the built-in PDF
// printer, against the same rows as a flex grid; 200,000 records against
// 100,000 for linearity, with each case's own memory: the grid holds only its
// window, so its memory must not grow with the records.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "BenchSupport.h"
#include "JobBenchSupport.h"
#include "host/Printer.h"
#include "host/model/Control.h"
#include "host/model/DataGridControls.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "renderers/Renderers.h"

namespace {

namespace fs = std::filesystem;

constexpr int Columns = 5;
constexpr int ColumnTwips = 1500;

fs::path outputFolder() { return fs::temp_directory_path(); }

// The texts of record r (from 1), column c, as the database and the flex grid hold them.
std::string cellText(int record, int col) {
  char text[24];
  std::snprintf(text, sizeof text, "%c%d", 'a' + col, record);
  return text;
}

// A table items(a, b, c, d, e) of `records` rows, made once per size by the sqlite3 program.
fs::path database(int records) {
  static std::map<int, fs::path> made;
  if (auto found = made.find(records); found != made.end()) return found->second;
  const fs::path file = outputFolder() / ("vellora-datagrid-bench-" + std::to_string(records) + ".sqlite");
  fs::remove(file);
  std::string columns, values;
  for (int c = 0; c < Columns; ++c) {
    const std::string name(1, static_cast<char>('a' + c));
    columns += (c > 0 ? ", " : "") + name + " TEXT";
    values += (c > 0 ? ", " : "") + std::string("'") + name + "' || i";
  }
  const std::string sql = "CREATE TABLE items(" + columns + "); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                          std::to_string(records) + ") INSERT INTO items SELECT " + values + " FROM n;";
  const std::string command = "sqlite3 '" + file.string() + "' \"" + sql + "\"";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot make the benchmark database");
  made[records] = file;
  return file;
}

void removeDatabases() {
  for (const auto& entry : fs::directory_iterator(outputFolder()))
    if (entry.path().filename().string().rfind("vellora-datagrid-bench-", 0) == 0) fs::remove(entry.path());
}

// A form holding the grid, with its print control's job pointed at it.
struct TableForm {
  std::shared_ptr<host::Form> form = host::Form::create("Items");
  host::ObjectRef grid;
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();
};

std::unique_ptr<TableForm> dataGridForm(int records) {
  auto table = std::make_unique<TableForm>();
  table->grid = table->form->addControl("DataGrid", "Items");
  dynamic_cast<host::DataGrid&>(*table->grid).bind(database(records), "items");
  for (int c = 0; c < Columns; ++c)
    table->grid->get("Columns", {host::Value(c)}).toObject()->set("Width", host::Value(ColumnTwips));
  benchsupport::pointJobAt(*table->control, table->form, table->grid, 0, 9000);
  return table;
}

std::unique_ptr<TableForm> flexGridForm(int records) {
  auto table = std::make_unique<TableForm>();
  table->grid = table->form->addControl("MSFlexGrid", "Items");
  host::Object& grid = *table->grid;
  grid.set("Cols", host::Value(Columns));
  grid.set("Rows", host::Value(records + 1));
  grid.set("FixedCols", host::Value(0));
  grid.set("ColWidth", host::Value(ColumnTwips), {host::Value(-1)});
  for (int c = 0; c < Columns; ++c) grid.set("TextMatrix", host::Value(std::string(1, 'a' + c)), {host::Value(0), host::Value(c)});
  for (int r = 1; r <= records; ++r)
    for (int c = 0; c < Columns; ++c) grid.set("TextMatrix", host::Value(cellText(r, c)), {host::Value(r), host::Value(c)});
  benchsupport::pointJobAt(*table->control, table->form, table->grid, 0, 9000);
  return table;
}

// Prints the table once per iteration; the memory counted is the job's own
// growth, the table's making excluded.
void printTable(benchmark::State& state, const TableForm& table, void (*renderer)(PrintJob&)) {
  benchsupport::reportJob(state, benchsupport::runPrintJobs(state, table.control->job(), renderer));
}

// range(0): records.
void DataGridToPdfPrinter(benchmark::State& state) {
  const auto table = dataGridForm(static_cast<int>(state.range(0)));
  printTable(state, *table, PrnDataGrid);
}

void SameRowsAsFlexGridToPdfPrinter(benchmark::State& state) {
  const auto table = flexGridForm(static_cast<int>(state.range(0)));
  printTable(state, *table, PrnFlexGrid);
}

BENCHMARK(DataGridToPdfPrinter)->ArgName("records")->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(SameRowsAsFlexGridToPdfPrinter)->ArgName("records")->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  const int result = benchsupport::runOnPdfPrinter(argc, argv, "vellora-datagrid-bench.pdf");
  removeDatabases();
  return result;
}
