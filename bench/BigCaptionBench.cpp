// A label with a 10 MB caption (of which one line shows) and a multi-line text
// box holding 10 MB of text, previewed and printed (to the PDF printer): the
// time of each run and the memory it takes of its own. Measuring and drawing
// a caption must cost what is drawn, not the length of the caption.
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
#include "host/model/Control.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "renderers/Renderers.h"

namespace {

constexpr std::size_t TenMegabytes = 10u * 1024u * 1024u;

// Words of ordinary length on lines of about sixty characters, to 10 MB.
std::string bigText() {
  std::string text;
  text.reserve(TenMegabytes + 64);
  char line[80];
  for (int i = 1; text.size() < TenMegabytes; ++i) {
    std::snprintf(line, sizeof line, "%sLine %07d of the signed order notes, kept whole", i > 1 ? "\r\n" : "", i);
    text += line;
  }
  return text;
}

enum class Family { Label = 0, TextBox = 1 };

struct Form {
  std::shared_ptr<host::Form> form = host::Form::create("Orders");
  host::ObjectRef control;
  std::shared_ptr<Vellora> vellora = std::make_shared<Vellora>();

  explicit Form(Family family) {
    if (family == Family::Label) {
      // Sized to its caption, as a label that must show its text whole is.
      control = form->addControl("Label", "Notes");
      control->set("Caption", bigText());
      control->set("AutoSize", true);
    } else {
      control = form->addControl("TextBox", "Notes");
      control->set("MultiLine", true);
      control->set("Text", bigText());
    }
    control->set("Left", 600);
    control->set("Top", 300);
    if (family == Family::TextBox) {
      control->set("Width", 6000);
      control->set("Height", 600);
    }
    benchsupport::pointJobAt(*vellora, form, control, 600, 6000);
  }
};

// range(0): the family (0 label, 1 multi-line text box).
void previewBigCaption(benchmark::State& state) {
  Form form(static_cast<Family>(state.range(0)));
  int made = 0;
  double ownMegabytes = 0;
  for (auto _ : state) {
    benchsupport::ResidentGrowthMeter meter;
    PrintJob& job = form.vellora->job();
    benchsupport::startPreviewJob(job);
    PrevTextBox(job);
    made = static_cast<int>(job.PageStore.size());
    ownMegabytes = meter.stop();
    state.PauseTiming();
    job.PageStore.clear();
    state.ResumeTiming();
  }
  state.counters["pages"] = made;
  state.counters["own_MB"] = ownMegabytes;
}

void printBigCaption(benchmark::State& state) {
  Form form(static_cast<Family>(state.range(0)));
  host::Printer& printer = host::printer();
  int made = 0;
  double ownMegabytes = 0;
  for (auto _ : state) {
    benchsupport::ResidentGrowthMeter meter;
    PrintJob& job = form.vellora->job();
    benchsupport::startPrintJob(job);
    PrnTextBox(job);
    made = printer.pagesInDocument();
    printer.endDoc();
    ownMegabytes = meter.stop();
  }
  state.counters["pages"] = made;
  state.counters["own_MB"] = ownMegabytes;
}

BENCHMARK(previewBigCaption)->ArgName("textBox")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(printBigCaption)->ArgName("textBox")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path output = std::filesystem::temp_directory_path() / "vellora-bigcaption-bench.pdf";
  const int result =
      benchsupport::runWithHeadlessRuntime(argc, argv, [&] { return host::makePdfPrinter(output); });
  std::filesystem::remove(output);
  return result;
}
