#include "host/Runtime.h"

#include <stdexcept>

namespace host {

namespace {
Runtime* active = nullptr;
}

Runtime::Runtime(std::unique_ptr<Ui> ui) : Runtime(std::move(ui), Printers::installed()) {}

Runtime::Runtime(std::unique_ptr<Ui> ui, std::vector<std::shared_ptr<PrinterDevice>> printers)
    : ui_(std::move(ui)), previous_(active) {
  setPrinters(std::move(printers));
  active = this;
}

Runtime::~Runtime() { active = previous_; }

void Runtime::setPrinters(std::vector<std::shared_ptr<PrinterDevice>> printers) {
  printers_ = std::move(printers);
  printer_.select(printers_.empty() ? nullptr : printers_.front());
}

bool hasRuntime() { return active != nullptr; }

Runtime& runtime() {
  if (active == nullptr) throw std::logic_error("no host runtime is installed");
  return *active;
}

}  // namespace host
