// A form whose multi-line text box runs over about a hundred and about a
// thousand pages, previewed and printed (to the PDF printer): pages per second
// and the memory each run takes of its own. The cost of a page must not grow with the
// length of the box.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "JobBenchSupport.h"
#include "host/Lang.h"
#include "host/Printer.h"
#include "host/Runtime.h"
#include "host/Ui.h"
#include "host/model/Control.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "renderers/Renderers.h"

namespace {

// Lines a preview page of the box holds (a little more on paper at the PDF
// printer's resolution, where the box's text is a little smaller).
constexpr int LinesPerPreviewPage = 66;

std::string boxText(int lines) {
  std::string text;
  text.reserve(static_cast<std::size_t>(lines) * 40);
  char line[64];
  for (int i = 1; i <= lines; ++i) {
    std::snprintf(line, sizeof line, "%sLine %06d of the order notes", i > 1 ? "\r\n" : "", i);
    text += line;
  }
  return text;
}

struct Form {
  std::shared_ptr<host::Form> form = host::Form::create("Orders");
  host::ObjectRef box;
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();

  explicit Form(int lines) {
    box = form->addControl("TextBox", "Notes");
    box->set("MultiLine", true);
    box->set("Left", 600);
    box->set("Top", 300);
    box->set("Width", 6000);
    box->set("Height", 3000);
    box->set("Text", boxText(lines));
    benchsupport::pointJobAt(*control, form, box, 600, 6000);
  }
};

// range(0): pages; range(1): the preview's colour mode (2 colour, 0 black and white).
void previewBox(benchmark::State& state) {
  const int pages = static_cast<int>(state.range(0));
  const auto colorMode = static_cast<std::int16_t>(state.range(1));
  Form form(pages * LinesPerPreviewPage);
  const benchsupport::JobFigures figures =
      benchsupport::runPreviewJobs(state, form.control->job(), PrevTextBox, colorMode);
  benchsupport::reportJob(state, figures);
  state.counters["pages_per_second"] = benchmark::Counter(figures.pages, benchmark::Counter::kIsRate);
}

void printBox(benchmark::State& state) {
  const int pages = static_cast<int>(state.range(0));
  Form form(pages * LinesPerPreviewPage);
  const benchsupport::JobFigures figures = benchsupport::runPrintJobs(state, form.control->job(), PrnTextBox);
  benchsupport::reportJob(state, figures);
  state.counters["pages_per_second"] = benchmark::Counter(figures.pages, benchmark::Counter::kIsRate);
}

BENCHMARK(previewBox)
    ->ArgsProduct({{100, 1000}, {2, 0}})
    ->ArgNames({"pages", "colorMode"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(printBox)->ArgName("pages")->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) { return benchsupport::runOnPdfPrinter(argc, argv, "vellora-textbox-bench.pdf"); }
