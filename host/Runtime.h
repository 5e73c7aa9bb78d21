#pragma once
// host::Runtime: the host environment a form application runs in: its user
// interface, its current Printer and installed Printers. One runtime is active
// at a time; it is installed for its lifetime (an application, or a test).
#include <memory>
#include <vector>

#include "host/Printer.h"
#include "host/Ui.h"

namespace host {

class Runtime {
 public:
  // Installs itself as the active runtime; the previous one comes back when it ends.
  // With no printers given the installed ones are used (the PDF printer first).
  explicit Runtime(std::unique_ptr<Ui> ui);
  Runtime(std::unique_ptr<Ui> ui, std::vector<std::shared_ptr<PrinterDevice>> printers);
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;
  ~Runtime();

  [[nodiscard]] Ui& ui() { return *ui_; }
  [[nodiscard]] Printer& printer() { return printer_; }
  // The installed printers (the Printers collection).
  [[nodiscard]] const std::vector<std::shared_ptr<PrinterDevice>>& printers() const { return printers_; }
  void setPrinters(std::vector<std::shared_ptr<PrinterDevice>> printers);  // selects the first as current

 private:
  std::unique_ptr<Ui> ui_;
  std::vector<std::shared_ptr<PrinterDevice>> printers_;
  Printer printer_;
  Runtime* previous_ = nullptr;
};

// Whether a runtime is installed (an application embedding the controls
// installs one on first use when it has none of its own).
[[nodiscard]] bool hasRuntime();
// The active runtime; raises std::logic_error when none is installed (a bug).
[[nodiscard]] Runtime& runtime();
[[nodiscard]] inline Ui& ui() { return runtime().ui(); }
[[nodiscard]] inline Printer& printer() { return runtime().printer(); }

// Keeps the current printer for a while another is selected (a job sent to a
// PDF file): the kept one is current again however that ends.
class CurrentPrinterKept {
 public:
  CurrentPrinterKept() : device_(printer().device()) {}
  CurrentPrinterKept(const CurrentPrinterKept&) = delete;
  CurrentPrinterKept& operator=(const CurrentPrinterKept&) = delete;
  ~CurrentPrinterKept() { printer().select(device_); }

 private:
  std::shared_ptr<PrinterDevice> device_;
};

}  // namespace host
