// A rich-text box of about a hundred and about two hundred pages, previewed
// and printed (to the PDF printer): milliseconds per page. A page is laid out
// from where the last one stopped, never from the document's start, so two
// hundred pages take about twice as long as one hundred.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "JobBenchSupport.h"
#include "host/Lang.h"
#include "host/Printer.h"
#include "host/Runtime.h"
#include "host/model/Control.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "renderers/Renderers.h"

namespace {

// Paragraphs a preview page of the box holds, about.
constexpr int ParagraphsPerPage = 25;

std::string document(int paragraphs) {
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}{\\f1 Arial;}}\\fs20 ";
  char paragraph[400];
  for (int i = 1; i <= paragraphs; ++i) {
    std::snprintf(paragraph, sizeof paragraph,
                  "\\pard\\sa60 {\\b Clause %d.} The goods are {\\i packed, weighed} and labelled before they leave "
                  "the warehouse; {\\f1 freight} is charged separately and paid on delivery.\\par\n",
                  i);
    rtf += paragraph;
  }
  return rtf + "}";
}

struct Form {
  std::shared_ptr<host::Form> form = host::Form::create("Terms");
  host::ObjectRef box;
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();

  explicit Form(int pages) {
    box = form->addControl("RichTextBox", "Terms");
    box->set("Left", 600);
    box->set("Top", 300);
    box->set("Width", 6000);
    box->set("TextRTF", document(pages * ParagraphsPerPage));
    benchsupport::pointJobAt(*control, form, box, 600, 6000);
  }
};

// Pages made and the wall time of one job per page.
class PageClock {
 public:
  void start() { started_ = std::chrono::steady_clock::now(); }
  void stop(int pages) {
    elapsed_ += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started_).count();
    pages_ += pages;
  }
  void report(benchmark::State& state) const {
    state.counters["pages"] = static_cast<double>(pages_) / static_cast<double>(state.iterations());
    state.counters["ms_per_page"] = pages_ > 0 ? elapsed_ / pages_ : 0;
  }

 private:
  std::chrono::steady_clock::time_point started_;
  double elapsed_ = 0;
  long pages_ = 0;
};

void previewRichText(benchmark::State& state) {
  Form form(static_cast<int>(state.range(0)));
  PageClock clock;
  for (auto _ : state) {
    clock.start();
    PrintJob& job = form.control->job();
    benchsupport::startPreviewJob(job);
    PrevRichText(job);
    clock.stop(static_cast<int>(job.PageStore.size()));
    state.PauseTiming();
    job.PageStore.clear();
    state.ResumeTiming();
  }
  clock.report(state);
}

void printRichText(benchmark::State& state) {
  Form form(static_cast<int>(state.range(0)));
  host::Printer& printer = host::printer();
  PageClock clock;
  for (auto _ : state) {
    clock.start();
    PrintJob& job = form.control->job();
    benchsupport::startPrintJob(job);
    PrnRichText(job);
    const int pages = printer.pagesInDocument();
    printer.endDoc();
    clock.stop(pages);
  }
  clock.report(state);
}

BENCHMARK(previewRichText)->ArgName("pages")->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(printRichText)->ArgName("pages")->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return benchsupport::runOnPdfPrinter(argc, argv, "vellora-richtext-bench.pdf"); }
