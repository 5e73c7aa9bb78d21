// The resizer's scaling pass over a form of 1,000 controls of mixed families,
// against writing the same properties on the same controls directly; and a
// sequence of 100 passes, checked for drift against the records.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "host/HostError.h"
#include "host/Printer.h"
#include "host/model/Control.h"
#include "resizer/Gauxel.h"

namespace {

using host::Value;

struct BigForm {
  std::shared_ptr<host::Form> form = host::Form::create("Big");
  std::shared_ptr<Gauxel> resizer = std::make_shared<Gauxel>();
  BigForm() {
    resizer->load("Name", Value("Gauxel1"));
    form->adopt(resizer);
    static const char* families[] = {"Label", "TextBox", "CheckBox", "Shape", "Line", "ListBox", "Frame"};
    for (int i = 0; i < 1000; ++i) {
      const std::string type = families[i % 7];
      auto control = form->addControl(type, type + std::to_string(i));
      if (type == "Line") {
        control->set("X1", Value(double(i)));
        control->set("X2", Value(double(i + 500)));
        control->set("Y1", Value(double(i * 7)));
        control->set("Y2", Value(double(i * 7)));
      } else {
        control->call("Move", {Value(double(i % 50) * 120), Value(double(i / 50) * 300), Value(1000.0 + i),
                               Value(250.0 + i % 13)});
      }
    }
  }
};

// The properties a pass writes, written straight on each control.
void writeDirectly(const Gauxel& resizer, double ratio) {
  for (const LayoutRecord& record : resizer.records()) {
    const host::ObjectRef control = record.Ctl.lock();
    host::Object& ctl = *control;
    host::resume([&] {
      if (ctl.typeName() == "Line") {
        ctl.set("Y1", Value(record.H * ratio));
        ctl.set("Y2", Value(record.T * ratio));
        ctl.set("X2", Value(record.L * ratio));
        ctl.set("X1", Value(record.W * ratio));
        ctl.set("BorderWidth", Value(record.Extra * ratio));
        return;
      }
      host::resume([&] { host::getObject(ctl, "Font")->set("Size", Value(record.FontSize * ratio)); });
      ctl.set("Top", Value(record.T * ratio));
      ctl.set("Width", Value(record.W * ratio));
      ctl.set("Left", Value(record.L * ratio));
      ctl.set("Height", Value(record.H * ratio));
    });
  }
}

void ScalingPass(benchmark::State& state) {
  BigForm big;
  std::int16_t zoom = 100;
  for (auto _ : state) {
    zoom = zoom == 150 ? 100 : 150;
    big.resizer->set("Zoom", Value(zoom));
  }
  state.SetItemsProcessed(state.iterations() * 1001);
}
BENCHMARK(ScalingPass)->Unit(benchmark::kMillisecond);

void DirectWrites(benchmark::State& state) {
  BigForm big;
  big.resizer->set("Zoom", Value(std::int16_t{101}));  // takes the records to write from
  double ratio = 1;
  for (auto _ : state) {
    ratio = ratio == 1.5 ? 1.0 : 1.5;
    writeDirectly(*big.resizer, ratio);
  }
  state.SetItemsProcessed(state.iterations() * 1001);
}
BENCHMARK(DirectWrites)->Unit(benchmark::kMillisecond);

// A hundred passes at changing zooms; every control's geometry must equal its
// record times the ratio after each one.
void HundredPassesWithoutDrift(benchmark::State& state) {
  BigForm big;
  for (auto _ : state) {
    for (int pass = 1; pass <= 100; ++pass) {
      const int percent = 37 + (pass * 53) % 250;
      big.resizer->set("Zoom", Value(static_cast<std::int16_t>(percent)));
      const double ratio = percent / 100.0;
      for (const LayoutRecord& record : big.resizer->records()) {
        const host::ObjectRef control = record.Ctl.lock();
        const host::Object& ctl = *control;
        if (ctl.typeName() == "Line" || ctl.typeName() == "Gauxel") continue;
        if (ctl.get("Left").toDouble() != static_cast<float>(record.L * ratio) ||
            ctl.get("Height").toDouble() != static_cast<float>(record.H * ratio)) {
          state.SkipWithError("a control drifted from its record times the ratio");
          return;
        }
      }
    }
  }
}
BENCHMARK(HundredPassesWithoutDrift)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  return benchsupport::runWithHeadlessRuntime(argc, argv, [] { return host::MemoryPrinter::create("Memory", 100); });
}
