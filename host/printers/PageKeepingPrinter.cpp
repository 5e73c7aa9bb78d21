// The stand-in printer of a preview made by printing: documents are laid out
// at the real printer's resolution and page size, and their pages are kept
// as drawing instead of reaching any device.
#include <utility>

#include "host/Printer.h"
#include "host/printers/PageRecording.h"
#include "host/printers/RecordedDocument.h"

namespace host {

namespace {

class KeepingPrinter;

class KeptDocument final : public RecordedDocument {
 public:
  KeptDocument(std::shared_ptr<KeepingPrinter> printer, Size pageSize, double dotsPerInch)
      : RecordedDocument(pageSize, dotsPerInch), printer_(std::move(printer)) {}

 protected:
  void deliver(PageRecording& page) override {
    pages_.push_back(std::make_shared<const PrintedPage>(page.size(), page.takeOperations()));
  }
  void finish() override;
  void discard() override { pages_.clear(); }

 private:
  std::shared_ptr<KeepingPrinter> printer_;
  std::vector<std::shared_ptr<const PrintedPage>> pages_;
};

class KeepingPrinter final : public PageKeepingPrinter, public std::enable_shared_from_this<KeepingPrinter> {
 public:
  explicit KeepingPrinter(std::shared_ptr<PrinterDevice> printer) : printer_(std::move(printer)) {}

  [[nodiscard]] std::string deviceName() const override { return printer_->deviceName(); }
  [[nodiscard]] std::string driverName() const override { return printer_->driverName(); }
  [[nodiscard]] std::string port() const override { return printer_->port(); }
  [[nodiscard]] double dotsPerInch() const override { return printer_->dotsPerInch(); }
  [[nodiscard]] Capabilities capabilities() const override { return printer_->capabilities(); }
  [[nodiscard]] Size pageSize(const Settings& settings) const override { return printer_->pageSize(settings); }

  [[nodiscard]] std::unique_ptr<Document> startDocument(const Settings& settings, const std::string&) override {
    pageSize_ = pageSize(settings);
    return std::make_unique<KeptDocument>(shared_from_this(), pageSize_, dotsPerInch());
  }

  [[nodiscard]] const std::vector<std::shared_ptr<const PrintedPage>>& pages() const override { return pages_; }
  [[nodiscard]] Size keptPageSize() const override { return pageSize_; }

  void receive(std::vector<std::shared_ptr<const PrintedPage>> pages) { pages_ = std::move(pages); }

 private:
  std::shared_ptr<PrinterDevice> printer_;
  std::vector<std::shared_ptr<const PrintedPage>> pages_;
  Size pageSize_;
};

void KeptDocument::finish() { printer_->receive(std::move(pages_)); }

}  // namespace

std::shared_ptr<PageKeepingPrinter> PageKeepingPrinter::standingFor(std::shared_ptr<PrinterDevice> printer) {
  return std::make_shared<KeepingPrinter>(std::move(printer));
}

}  // namespace host
