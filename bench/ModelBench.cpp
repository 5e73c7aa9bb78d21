// Laying out a long multi-line text box: the line count and the line starts
// that the text renderer asks for when it prints the box in chunks.
#include <QGuiApplication>
#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>

#include "host/model/Control.h"
#include "host/model/Messages.h"

namespace {

std::string notes(int paragraphs) {
  std::string text;
  for (int i = 0; i < paragraphs; ++i) {
    text += "Delivery note " + std::to_string(i) +
            ": the parcel left the warehouse in the morning and reached the customer after two stops on the way.";
    text += "\r\n";
  }
  return text;
}

// Every paragraph wraps onto a few lines of a 3000-twip box.
void TextBoxLineLayout(benchmark::State& state) {
  auto form = host::Form::create();
  auto box = form->addControl("TextBox", "Notes");
  box->set("MultiLine", host::Value(true));
  box->set("Width", host::Value(3000));
  std::string text = notes(static_cast<int>(state.range(0)));
  bool toggle = false;
  for (auto _ : state) {
    // A changed text forces a fresh layout on every round.
    box->set("Text", host::Value(toggle ? text + " " : text));
    toggle = !toggle;
    benchmark::DoNotOptimize(host::SendMessageA(box, host::msg::EM_GETLINECOUNT, 0, 0));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(TextBoxLineLayout)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// Asking for line starts of an unchanged text reuses the layout.
void TextBoxLineIndex(benchmark::State& state) {
  auto form = host::Form::create();
  auto box = form->addControl("TextBox", "Notes");
  box->set("MultiLine", host::Value(true));
  box->set("Width", host::Value(3000));
  box->set("Text", host::Value(notes(1000)));
  const int lines = host::SendMessageA(box, host::msg::EM_GETLINECOUNT, 0, 0);
  int line = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(host::SendMessageA(box, host::msg::EM_LINEINDEX, line, 0));
    line = (line + 37) % lines;
  }
}
BENCHMARK(TextBoxLineIndex);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
