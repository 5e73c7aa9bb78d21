// Texts at the extremes, each printed (to the PDF printer) and previewed (in
// black and white, one bit a pixel, so that thousands of kept pages fit in
// memory) at a size N, 2N and 4N: a single word of millions of characters in
// a multi-line text box and in word-wrapped and auto-sized labels, a
// rich-text box of up to a million paragraphs, and a rich-text HTML table of
// up to 100,000 cells. Each reports its pages and the milliseconds a page
// takes: a cost that grows faster than the pages shows as a time per page
// that grows with N. A label is one page whatever its caption holds, so its
// time should stay about the same.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "JobBenchSupport.h"
#include "host/Printer.h"
#include "host/Runtime.h"
#include "host/model/Control.h"
#include "host/model/RichText.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "renderers/Renderers.h"

namespace {

constexpr std::int16_t BlackAndWhite = 0;

// One word of `characters` letters, no blank in it: every line it takes is
// broken between two characters. Each case spells its word from a `seed` of
// its own: widths measured by one case must not make the next look fast.
std::string oneWord(long characters, long seed) {
  std::string word(static_cast<std::size_t>(characters), 'x');
  for (std::size_t i = 0; i < word.size(); i += 7)
    word[i] = static_cast<char>('a' + (i / 7 + static_cast<std::size_t>(seed)) % 26);
  word[0] = static_cast<char>('A' + seed % 26);
  return word;
}

std::string paragraphs(long count) {
  std::string text;
  text.reserve(static_cast<std::size_t>(count) * 24);
  char paragraph[48];
  for (long i = 1; i <= count; ++i) {
    std::snprintf(paragraph, sizeof paragraph, "%sItem %07ld is on hand.", i > 1 ? "\n" : "", i);
    text += paragraph;
  }
  return text;
}

// A table of `cells` cells, four to a row.
std::string htmlTable(long cells) {
  std::string html = "<table border=\"1\" cellpadding=\"2\">";
  html.reserve(static_cast<std::size_t>(cells) * 24 + 64);
  char cell[48];
  for (long i = 0; i < cells; ++i) {
    if (i % 4 == 0) html += i > 0 ? "</tr><tr>" : "<tr>";
    std::snprintf(cell, sizeof cell, "<td>Cell %07ld</td>", i + 1);
    html += cell;
  }
  return html + "</tr></table>";
}

enum class Case { WordInTextBox = 0, WordInWrappedLabel = 1, WordInAutoSizedLabel = 2, Paragraphs = 3, TableCells = 4 };

struct Form {
  std::shared_ptr<host::Form> form = host::Form::create("Extremes");
  host::ObjectRef control;
  std::shared_ptr<Vellora> vellora = std::make_shared<Vellora>();

  // `seed` tells the cases of one size apart (preview and print).
  Form(Case kind, long size, long seed) {
    switch (kind) {
      case Case::WordInTextBox:
        control = form->addControl("TextBox", "Notes");
        control->set("MultiLine", true);
        control->set("Height", 3000);
        control->set("Text", oneWord(size, seed));
        break;
      case Case::WordInWrappedLabel:
      case Case::WordInAutoSizedLabel:
        control = form->addControl("Label", "Notes");
        control->set("Height", 3000);
        control->set(kind == Case::WordInWrappedLabel ? "WordWrap" : "AutoSize", true);
        control->set("Caption", oneWord(size, seed));
        break;
      case Case::Paragraphs:
        control = form->addControl("RichTextBox", "Terms");
        control->set("Text", paragraphs(size));
        break;
      case Case::TableCells:
        control = form->addControl("RichTextBox", "Terms");
        dynamic_cast<host::RichTextBox&>(*control).setHtml(htmlTable(size));
        break;
    }
    control->set("Left", 600);
    control->set("Top", 300);
    if (kind != Case::WordInAutoSizedLabel) control->set("Width", 6000);
    benchsupport::pointJobAt(*vellora, form, control, 600, 6000);
  }

  [[nodiscard]] bool richText() const { return control->typeName() == "RichTextBox"; }
};

// The wall time of each run per page it made.
void reportPerPage(benchmark::State& state, double milliseconds, int pages) {
  state.counters["pages"] = pages;
  state.counters["ms_per_page"] = pages > 0 ? milliseconds / pages : 0;
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// range(0): the case; range(1): its size (characters, paragraphs or cells).
void printHuge(benchmark::State& state) {
  const auto start = std::chrono::steady_clock::now();
  Form form(static_cast<Case>(state.range(0)), state.range(1), state.range(1) / 100'000 + 1);
  state.counters["setup_ms"] = millisecondsSince(start);
  auto render = form.richText() ? PrnRichText : PrnTextBox;
  double milliseconds = 0;
  const benchsupport::JobFigures figures = benchsupport::runPrintJobs(state, form.vellora->job(), [&](PrintJob& job) {
    const auto began = std::chrono::steady_clock::now();
    render(job);
    milliseconds = millisecondsSince(began);
  });
  reportPerPage(state, milliseconds, figures.pages);
  state.counters["own_MB"] = figures.ownMegabytes;
}

void previewHuge(benchmark::State& state) {
  const auto start = std::chrono::steady_clock::now();
  Form form(static_cast<Case>(state.range(0)), state.range(1), state.range(1) / 100'000 + 14);
  state.counters["setup_ms"] = millisecondsSince(start);
  auto render = form.richText() ? PrevRichText : PrevTextBox;
  double milliseconds = 0;
  const benchsupport::JobFigures figures = benchsupport::runPreviewJobs(
      state, form.vellora->job(),
      [&](PrintJob& job) {
        const auto began = std::chrono::steady_clock::now();
        render(job);
        milliseconds = millisecondsSince(began);
      },
      BlackAndWhite);
  reportPerPage(state, milliseconds, figures.pages);
  state.counters["own_MB"] = figures.ownMegabytes;
}

// Each case at N, 2N and 4N. A box of a word of 10 million characters runs
// to thousands of pages; its preview keeps them all, so it is measured to
// 4 million there.
void sizes(benchmark::internal::Benchmark* bench, Case kind, long n, int steps = 3) {
  for (int step = 0; step < steps; ++step) bench->Args({static_cast<long>(kind), n << step});
}

void printSizes(benchmark::internal::Benchmark* bench) {
  bench->ArgNames({"case", "size"});
  sizes(bench, Case::WordInTextBox, 2'500'000);
  sizes(bench, Case::WordInWrappedLabel, 2'500'000);
  sizes(bench, Case::WordInAutoSizedLabel, 2'500'000);
  sizes(bench, Case::Paragraphs, 250'000);
  sizes(bench, Case::TableCells, 25'000);
}

void previewSizes(benchmark::internal::Benchmark* bench) {
  bench->ArgNames({"case", "size"});
  sizes(bench, Case::WordInTextBox, 1'000'000);
  sizes(bench, Case::WordInWrappedLabel, 2'500'000);
  sizes(bench, Case::WordInAutoSizedLabel, 2'500'000);
  sizes(bench, Case::Paragraphs, 100'000);
  sizes(bench, Case::TableCells, 25'000);
}

BENCHMARK(printHuge)->Apply(printSizes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(previewHuge)->Apply(previewSizes)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) { return benchsupport::runOnPdfPrinter(argc, argv, "vellora-hugetext-bench.pdf"); }
