// The in-memory printer: every page becomes a raster picture at the printer's
// resolution (one bit per pixel in monochrome mode), kept once the document
// ends. A killed document leaves no pages.
#include <QImage>

#include "host/HostError.h"
#include "host/PictureImpl.h"
#include "host/Printer.h"
#include "host/printers/PaperSizes.h"
#include "host/printers/RecordedDocument.h"

namespace host {

namespace {

class MemoryPrinterDevice;

class MemoryDocument final : public RecordedDocument {
 public:
  MemoryDocument(std::shared_ptr<MemoryPrinterDevice> device, const PrinterDevice::Settings& settings, double dpi)
      : RecordedDocument(sheetPixels(settings, dpi), dpi),
        device_(std::move(device)),
        monochrome_(settings.colorMode == 1) {}

 protected:
  void deliver(PageRecording& page) override {
    const QImage colour = page.render(QImage::Format_RGB32);
    pages_.push_back(pictureOf(monochrome_ ? monochromeOf(colour) : colour));
  }
  void finish() override;
  void discard() override { pages_.clear(); }

 private:
  std::shared_ptr<MemoryPrinterDevice> device_;
  bool monochrome_;
  std::vector<Picture> pages_;
};

class MemoryPrinterDevice final : public MemoryPrinter, public std::enable_shared_from_this<MemoryPrinterDevice> {
 public:
  MemoryPrinterDevice(std::string name, double dotsPerInch, bool failToStart, Capabilities capabilities)
      : name_(std::move(name)),
        dotsPerInch_(dotsPerInch),
        failToStart_(failToStart),
        capabilities_(std::move(capabilities)) {}

  [[nodiscard]] std::string deviceName() const override { return name_; }
  [[nodiscard]] std::string driverName() const override { return "Memory"; }
  [[nodiscard]] std::string port() const override { return "MEMORY:"; }
  [[nodiscard]] double dotsPerInch() const override { return dotsPerInch_; }
  [[nodiscard]] Capabilities capabilities() const override { return capabilities_; }
  [[nodiscard]] std::unique_ptr<Document> startDocument(const Settings& settings, const std::string&) override {
    lastSettings_ = settings;
    if (failToStart_) raise(err::PrinterError, "Printer error: " + name_ + " cannot start a document");
    return std::make_unique<MemoryDocument>(shared_from_this(), settings, dotsPerInch_);
  }

  [[nodiscard]] const std::vector<Picture>& pages() const override { return pages_; }
  [[nodiscard]] int documentsDelivered() const override { return documentsDelivered_; }
  [[nodiscard]] const Settings& lastSettings() const override { return lastSettings_; }

  void receive(std::vector<Picture> pages) {
    for (Picture& page : pages) pages_.push_back(std::move(page));
    ++documentsDelivered_;
  }

 private:
  std::string name_;
  double dotsPerInch_;
  bool failToStart_;
  Capabilities capabilities_;
  std::vector<Picture> pages_;
  int documentsDelivered_ = 0;
  Settings lastSettings_;
};

void MemoryDocument::finish() { device_->receive(std::move(pages_)); }

}  // namespace

std::shared_ptr<MemoryPrinter> MemoryPrinter::create(std::string name, double dotsPerInch, bool failToStart) {
  return std::make_shared<MemoryPrinterDevice>(std::move(name), dotsPerInch, failToStart,
                                               Capabilities{knownPaperSizes()});
}

std::shared_ptr<MemoryPrinter> MemoryPrinter::create(std::string name, double dotsPerInch,
                                                     Capabilities capabilities) {
  return std::make_shared<MemoryPrinterDevice>(std::move(name), dotsPerInch, false, std::move(capabilities));
}

}  // namespace host
