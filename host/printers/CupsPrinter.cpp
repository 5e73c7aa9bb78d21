// A CUPS queue through Qt's printer support. The settings of the Printer
// object (paper, orientation, copies, colour mode, duplex) are handed to the
// spooler with the job; the page is the printable area the queue reports.
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QString>
#include <algorithm>
#include <map>
#include <optional>

#include "host/HostError.h"
#include "host/Printer.h"
#include "host/printers/PaperSizes.h"
#include "host/printers/RecordedDocument.h"

namespace host {

namespace {

QPrinter::DuplexMode qtDuplex(int duplex) {
  switch (duplex) {
    case 2: return QPrinter::DuplexShortSide;  // horizontal page turn
    case 3: return QPrinter::DuplexLongSide;   // vertical page turn
    default: return QPrinter::DuplexNone;
  }
}

void configure(QPrinter& printer, const std::string& queue, const PrinterDevice::Settings& settings) {
  printer.setPrinterName(QString::fromStdString(queue));
  printer.setFullPage(false);
  printer.setPageSize(qtPageSize(settings.paperSize));
  printer.setPageOrientation(qtOrientation(settings.orientation));
  printer.setCopyCount(std::max(1, settings.copies));
  printer.setColorMode(settings.colorMode == 1 ? QPrinter::GrayScale : QPrinter::Color);
  printer.setDuplex(qtDuplex(settings.duplex));
}

Size printableArea(const QPrinter& printer) {
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  return {area.width(), area.height()};
}

// The pages are kept until the document ends and only then handed to the
// spooler in one piece: a document that is killed has never reached the
// queue, so nothing of it is printed.
class CupsDocument final : public RecordedDocument {
 public:
  CupsDocument(std::unique_ptr<QPrinter> printer, std::string queue)
      : RecordedDocument(printableArea(*printer), printer->resolution()),
        printer_(std::move(printer)),
        queue_(std::move(queue)) {}

 protected:
  void deliver(PageRecording& page) override {
    pages_.push_back(page.takeOperations());
  }
  void finish() override {
    QPainter painter;
    if (!painter.begin(printer_.get())) raise(err::PrinterError, "Printer error: cannot start a job on " + queue_);
    for (std::size_t index = 0; index < pages_.size(); ++index) {
      if (index > 0) printer_->newPage();
      PageRecording::replay(painter, pages_[index]);
    }
    if (!painter.end()) raise(err::PrinterError, "Printer error: the job for " + queue_ + " failed");
  }
  void discard() override { pages_.clear(); }

 private:
  std::unique_ptr<QPrinter> printer_;
  std::string queue_;
  std::vector<std::vector<PageRecording::PaintOperation>> pages_;
};

class CupsPrinter final : public PrinterDevice {
 public:
  explicit CupsPrinter(std::string queue) : queue_(std::move(queue)) {}

  [[nodiscard]] std::string deviceName() const override { return queue_; }
  [[nodiscard]] std::string driverName() const override { return "CUPS"; }
  [[nodiscard]] std::string port() const override { return "CUPS:" + queue_; }
  [[nodiscard]] double dotsPerInch() const override {
    if (!dotsPerInch_) {
      QPrinter printer(QPrinter::HighResolution);
      printer.setPrinterName(QString::fromStdString(queue_));
      dotsPerInch_ = printer.resolution();
    }
    return *dotsPerInch_;
  }
  // Asking the queue means a round trip to the spooler: the answer is kept per paper and orientation.
  [[nodiscard]] Size pageSize(const Settings& settings) const override {
    const auto key = std::make_pair(settings.paperSize, settings.orientation);
    if (const auto known = pageSizes_.find(key); known != pageSizes_.end()) return known->second;
    QPrinter printer(QPrinter::HighResolution);
    configure(printer, queue_, settings);
    return pageSizes_[key] = printableArea(printer);
  }
  [[nodiscard]] std::unique_ptr<Document> startDocument(const Settings& settings, const std::string& title) override {
    if (!QPrinterInfo::availablePrinterNames().contains(QString::fromStdString(queue_)))
      raise(err::PrinterError, "Printer error: no print queue " + queue_);
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    configure(*printer, queue_, settings);
    printer->setDocName(QString::fromStdString(title));
    return std::make_unique<CupsDocument>(std::move(printer), queue_);
  }

 private:
  std::string queue_;
  mutable std::optional<double> dotsPerInch_;
  mutable std::map<std::pair<int, int>, Size> pageSizes_;
};

}  // namespace

std::shared_ptr<PrinterDevice> makeCupsPrinter(const std::string& queueName) {
  return std::make_shared<CupsPrinter>(queueName);
}

}  // namespace host
