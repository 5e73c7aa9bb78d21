// A CUPS queue. The pages of a document are recorded and, when it ends,
// written into one PDF that goes to the spooler with the settings of the
// Printer object (paper, orientation, copies, colour mode, duplex) as job
// options. The spooler's answer is checked: a queue that does not take jobs
// refuses the document when it starts, and a job refused at submission fails
// the document's end, so no output is ever lost while the job says it printed.
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <QTemporaryFile>
#include <optional>

#include "host/CupsSpooler.h"
#include "host/HostError.h"
#include "host/Printer.h"
#include "host/printers/PaperSizes.h"
#include "host/printers/RecordedDocument.h"

namespace host {

namespace {

// The sheet of a paper size with the queue's margins around its printable area.
struct SheetLayout {
  QPageSize pageSize;
  QMarginsF marginsPoints;  // portrait margins, in points
};

SheetLayout sheetLayout(const cups::QueueInfo& info, int paperSize) {
  SheetLayout layout{qtPageSize(paperSize), QMarginsF()};
  for (const cups::QueueInfo::Sheet& sheet : info.sheets) {
    if (sheet.paperSize != paperSize) continue;
    // Twenty twips make a point.
    layout.marginsPoints = QMarginsF(sheet.left / 20.0, sheet.top / 20.0, sheet.right / 20.0, sheet.bottom / 20.0);
  }
  return layout;
}

QPageLayout pageLayoutOf(const cups::QueueInfo& info, const PrinterDevice::Settings& settings) {
  const SheetLayout sheet = sheetLayout(info, settings.paperSize);
  QPageLayout layout(sheet.pageSize, QPageLayout::Portrait, sheet.marginsPoints, QPageLayout::Point);
  layout.setOrientation(qtOrientation(settings.orientation));  // turns the margins with the sheet
  return layout;
}

Size printableArea(const QPageLayout& layout, double dotsPerInch) {
  const QRect area = layout.paintRectPixels(static_cast<int>(dotsPerInch));
  return {area.width(), area.height()};
}

class CupsDocument final : public RecordedDocument {
 public:
  CupsDocument(std::string queue, const cups::QueueInfo& info, const PrinterDevice::Settings& settings,
               std::string title)
      : RecordedDocument(printableArea(pageLayoutOf(info, settings), info.dotsPerInch), info.dotsPerInch),
        queue_(std::move(queue)),
        layout_(pageLayoutOf(info, settings)),
        dotsPerInch_(info.dotsPerInch),
        settings_(settings),
        title_(std::move(title)) {}

 protected:
  // Pages stay here until the document ends: a killed document never reaches the queue.
  void deliver(PageRecording& page) override { pages_.push_back(page.takeOperations()); }
  void finish() override {
    QTemporaryFile pdf;
    if (!pdf.open()) raise(err::PrinterError, "Printer error: cannot write the job for " + queue_);
    writePdf(pdf);
    pdf.close();
    (void)cups::submitPdf(queue_, pdf.fileName().toStdString(), title_, settings_);
    pages_.clear();
  }
  void discard() override { pages_.clear(); }

 private:
  void writePdf(QTemporaryFile& file) {
    QPdfWriter writer(&file);
    writer.setResolution(static_cast<int>(dotsPerInch_));
    writer.setPageLayout(layout_);
    writer.setTitle(QString::fromStdString(title_));
    writer.setCreator(QStringLiteral("Vellora"));
    QPainter painter;
    if (!painter.begin(&writer)) raise(err::PrinterError, "Printer error: cannot start a job on " + queue_);
    for (std::size_t index = 0; index < pages_.size(); ++index) {
      if (index > 0) writer.newPage();
      PageRecording::replay(painter, pages_[index]);
    }
    if (!painter.end()) raise(err::PrinterError, "Printer error: cannot write the job for " + queue_);
  }

  std::string queue_;
  QPageLayout layout_;
  double dotsPerInch_;
  PrinterDevice::Settings settings_;
  std::string title_;
  std::vector<std::vector<PageRecording::Operation>> pages_;
};

class CupsPrinter final : public PrinterDevice {
 public:
  explicit CupsPrinter(std::string queue) : queue_(std::move(queue)) {}

  [[nodiscard]] std::string deviceName() const override { return queue_; }
  [[nodiscard]] std::string driverName() const override { return "CUPS"; }
  [[nodiscard]] std::string port() const override { return "CUPS:" + queue_; }
  [[nodiscard]] double dotsPerInch() const override { return info().dotsPerInch; }
  [[nodiscard]] Capabilities capabilities() const override { return info().capabilities; }
  [[nodiscard]] Size pageSize(const Settings& settings) const override {
    return printableArea(pageLayoutOf(info(), settings), info().dotsPerInch);
  }
  [[nodiscard]] std::unique_ptr<Document> startDocument(const Settings& settings, const std::string& title) override {
    const std::optional<cups::Queue> queue = cups::findQueue(queue_);
    if (!queue) raise(err::PrinterError, "Printer error: no print queue " + queue_);
    if (!queue->acceptingJobs) raise(err::PrinterError, "Printer error: " + queue_ + " is not accepting jobs");
    return std::make_unique<CupsDocument>(queue_, info(), settings, title);
  }

 private:
  // Asking the queue is a round trip to the spooler: its answer is kept. A
  // queue that does not answer is taken to print on A4 alone.
  const cups::QueueInfo& info() const {
    if (!info_) {
      info_ = cups::queueInfo(queue_).value_or(cups::QueueInfo{});
      if (info_->capabilities.paperSizes.empty()) info_->capabilities.paperSizes = {9};
    }
    return *info_;
  }

  std::string queue_;
  mutable std::optional<cups::QueueInfo> info_;
};

}  // namespace

std::shared_ptr<PrinterDevice> makeCupsPrinter(const std::string& queueName) {
  return std::make_shared<CupsPrinter>(queueName);
}

}  // namespace host
