// The built-in PDF printer: each document becomes one PDF file. The file is
// written under a temporary name in the same folder and takes its own name
// only when the document ends, so a killed or failed document leaves nothing
// (a device named as the file is written where it is; see host/OutputFile.h).
// Copies are sets of the document's pages one after another, as a printer
// collates them.
#include <QMarginsF>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "host/HostError.h"
#include "host/OutputFile.h"
#include "host/Printer.h"
#include "host/printers/PaperSizes.h"
#include "host/printers/RecordedDocument.h"

namespace host {

namespace {

constexpr double pdfDotsPerInch = 600.0;
// A file holds at most this many sets of a document's pages.
constexpr int MostPdfCopies = 99;

class PdfDocument final : public RecordedDocument {
 public:
  PdfDocument(const std::filesystem::path& file, const PrinterDevice::Settings& settings, const std::string& title,
              std::shared_ptr<std::string> failure)
      : RecordedDocument(sheetPixels(settings, pdfDotsPerInch), pdfDotsPerInch),
        fileName_(file.string()),
        file_(file),
        failure_(std::move(failure)),
        copies_(std::clamp(settings.copies, 1, MostPdfCopies)) {
    failure_->clear();
    if (!file_.open()) fail("cannot write");
    writer_ = std::make_unique<QPdfWriter>(&file_.device());
    writer_->setResolution(static_cast<int>(pdfDotsPerInch));
    writer_->setPageSize(qtPageSize(settings.paperSize));
    writer_->setPageOrientation(qtOrientation(settings.orientation));
    writer_->setPageMargins(QMarginsF(0, 0, 0, 0));
    writer_->setTitle(QString::fromStdString(title));
    writer_->setCreator(QStringLiteral("Vellora"));
    if (!painter_.begin(writer_.get())) fail("cannot start a PDF document in");
  }
  ~PdfDocument() override {
    if (painter_.isActive()) painter_.end();
    // An uncommitted output file removes its temporary file.
  }

 protected:
  void deliver(PageRecording& page) override {
    write(page.operations());
    // The further sets are written when the first is complete.
    if (copies_ > 1) pages_.push_back(page.takeOperations());
  }
  void finish() override {
    for (int copy = 2; copy <= copies_; ++copy)
      for (const std::vector<PageRecording::Operation>& page : pages_) write(page);
    painter_.end();
    if (!file_.commit()) fail("cannot write");
  }
  void discard() override {
    if (painter_.isActive()) painter_.end();
  }

 private:
  void write(const std::vector<PageRecording::Operation>& page) {
    if (pagesWritten_ > 0) writer_->newPage();
    PageRecording::replay(painter_, page);
    ++pagesWritten_;
  }

  // Remembers the file and the system's reason for the printer's caller,
  // then fails the document.
  [[noreturn]] void fail(const std::string& what) {
    const std::string& reason = file_.reason();
    *failure_ = fileName_ + (reason.empty() ? "" : ": " + reason);
    raise(err::PrinterError, "Printer error: " + what + " " + *failure_);
  }

  std::string fileName_;
  OutputFile file_;
  std::shared_ptr<std::string> failure_;  // the printer's record of the last failure
  std::unique_ptr<QPdfWriter> writer_;
  QPainter painter_;
  int pagesWritten_ = 0;
  int copies_;
  std::vector<std::vector<PageRecording::Operation>> pages_;  // the first set, kept for the others
};

class PdfPrinter final : public PrinterDevice {
 public:
  explicit PdfPrinter(std::filesystem::path outputFile) : outputFile_(std::move(outputFile)) {}
  [[nodiscard]] std::string deviceName() const override { return "PDF"; }
  [[nodiscard]] std::string driverName() const override { return "PDF"; }
  [[nodiscard]] std::string port() const override { return outputFile_.string(); }
  [[nodiscard]] double dotsPerInch() const override { return pdfDotsPerInch; }
  // Every sheet and colour; a file has no second side.
  [[nodiscard]] Capabilities capabilities() const override {
    Capabilities capabilities = PrinterDevice::capabilities();
    capabilities.duplex = false;
    capabilities.maxCopies = MostPdfCopies;
    return capabilities;
  }
  [[nodiscard]] std::unique_ptr<Document> startDocument(const Settings& settings, const std::string& title) override {
    return std::make_unique<PdfDocument>(outputFile_, settings, title, failure_);
  }
  [[nodiscard]] std::string lastFailure() const override { return *failure_; }

 private:
  std::filesystem::path outputFile_;
  // Shared with the document being written, which may outlive the printer.
  std::shared_ptr<std::string> failure_ = std::make_shared<std::string>();
};

}  // namespace

std::shared_ptr<PrinterDevice> makePdfPrinter(std::filesystem::path outputFile) {
  return std::make_shared<PdfPrinter>(std::move(outputFile));
}

}  // namespace host
