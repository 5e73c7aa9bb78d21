// A long list view (4 columns, a header on every page, grid lines) printed to
// the built-in PDF printer, 20,000 items against 10,000 for linearity, and
// its preview per page.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "JobBenchSupport.h"
#include "host/Printer.h"
#include "host/Runtime.h"
#include "host/model/Control.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "renderers/Renderers.h"

namespace {

constexpr int Columns = 4;
constexpr double ColumnTwips = 1800;

// A form holding the list, with its print control's job pointed at it.
struct ListForm {
  std::shared_ptr<host::Form> form = host::Form::create("People");
  host::ObjectRef list;
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();

  explicit ListForm(int items) {
    list = form->addControl("ListView", "People");
    list->set("View", host::Value(std::int16_t{3}));
    host::ObjectRef headers = host::getObject(*list, "ColumnHeaders");
    for (int j = 1; j <= Columns; ++j)
      headers->call("Add", {host::Value(), host::Value(), host::Value("Head " + std::to_string(j)),
                            host::Value(ColumnTwips)});
    host::ObjectRef listItems = host::getObject(*list, "ListItems");
    for (int i = 1; i <= items; ++i) {
      char text[24];
      std::snprintf(text, sizeof text, "Item %d", i);
      host::ObjectRef item = listItems->call("Add", {host::Value(), host::Value(), host::Value(text)}).toObject();
      for (int j = 1; j < Columns; ++j) item->set("SubItems", host::Value(std::to_string(i * j)), {host::Value(j)});
    }
    benchsupport::pointJobAt(*control, form, list, 0, Columns * static_cast<int>(ColumnTwips));
  }
};

// range(0): items.
void ListViewToPdfPrinter(benchmark::State& state) {
  ListForm form(static_cast<int>(state.range(0)));
  benchsupport::reportJob(state, benchsupport::runPrintJobs(state, form.control->job(), PrnListView));
}

// The preview of the list: time and memory per page kept in the page store.
void ListViewPreview(benchmark::State& state) {
  ListForm form(static_cast<int>(state.range(0)));
  const benchsupport::JobFigures figures = benchsupport::runPreviewJobs(state, form.control->job(), PrevListView);
  benchsupport::reportJob(state, figures);
  state.counters["ms_per_page"] = benchmark::Counter(figures.pages, benchmark::Counter::kIsIterationInvariantRate |
                                                                        benchmark::Counter::kInvert);
}

BENCHMARK(ListViewToPdfPrinter)->ArgName("items")->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ListViewPreview)->ArgName("items")->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) { return benchsupport::runOnPdfPrinter(argc, argv, "vellora-listview-bench.pdf"); }
