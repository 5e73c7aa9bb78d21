// Qt's print dialog. It starts on the current printer with its settings and
// the page range, and gives back what the user confirmed in the host's terms.
// The built-in PDF printer is the dialog's PDF entry; its file is the PDF
// printer's own (shown, not chosen: the dialog offers no printing to a file).
#include "host/QtPrintDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "host/printers/PaperSizes.h"

namespace host {

namespace {

const DialogPrinter* findPrinter(const PrintDialogRequest& request, const std::string& name) {
  for (const DialogPrinter& printer : request.printers)
    if (printer.deviceName == name) return &printer;
  return nullptr;
}

const DialogPrinter* pdfPrinterOf(const PrintDialogRequest& request) {
  for (const DialogPrinter& printer : request.printers)
    if (printer.driverName == "PDF") return &printer;
  return nullptr;
}

int lastPageOf(const PrintDialogRequest& request) {
  return request.maxPage > 0 ? std::max(request.maxPage, request.minPage) : lastPageWithoutEnd;
}

void startOnCurrentPrinter(QPrinter& printer, const PrintDialogRequest& request) {
  const DialogPrinter* current = findPrinter(request, request.deviceName);
  const QString name = QString::fromStdString(request.deviceName);
  if (current != nullptr && current->driverName == "PDF") {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(current->port));
  } else if (QPrinterInfo::availablePrinterNames().contains(name)) {
    printer.setPrinterName(name);
  }
  const PrinterDevice::Settings& settings = request.settings;
  printer.setPageSize(qtPageSize(settings.paperSize));
  printer.setPageOrientation(qtOrientation(settings.orientation));
  printer.setCopyCount(std::max(1, settings.copies));
  printer.setColorMode(settings.colorMode == 1 ? QPrinter::GrayScale : QPrinter::Color);
  printer.setDuplex(qtDuplex(settings.duplex));
  // No upper limit from the first page on is the dialog's "all pages":
  // confirmed as it comes up, it keeps the range open.
  if (request.toPage <= 0 && request.fromPage <= request.minPage) {
    printer.setPrintRange(QPrinter::AllPages);
    return;
  }
  const int last = lastPageOf(request);
  const int from = std::clamp(request.fromPage, request.minPage, last);
  printer.setFromTo(from, std::clamp(request.toPage, from, last));
  printer.setPrintRange(QPrinter::PageRange);
}

void configureDialog(QPrintDialog& dialog, const PrintDialogRequest& request, QWidget* owner) {
  dialog.setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  // The host's printers print each copy whole in turn and pass no collation
  // on: the dialog does not offer a choice it would drop.
  dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
  dialog.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
  // The PDF entry stands for the built-in PDF printer when there is one.
  dialog.setOption(QAbstractPrintDialog::PrintToFile, pdfPrinterOf(request) != nullptr);
  dialog.setMinMax(request.minPage, lastPageOf(request));
}

// The PDF entry's file is the PDF printer's own: shown, not chosen.
void fixOutputFile(QPrintDialog& dialog) {
  if (auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename"))) file->setReadOnly(true);
  if (auto* browse = dialog.findChild<QAbstractButton*>(QStringLiteral("fileBrowser"))) browse->hide();
}

// The dialog's own list opens on the spooler's default queue even for a
// printer set to write a PDF: it is moved to the current printer. The PDF
// entry comes last.
void selectCurrentPrinter(QPrintDialog& dialog, const PrintDialogRequest& request) {
  auto* list = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
  if (list == nullptr || list->count() == 0) return;
  const DialogPrinter* current = findPrinter(request, request.deviceName);
  if (current != nullptr && current->driverName == "PDF") {
    list->setCurrentIndex(list->count() - 1);
  } else if (const int index = list->findText(QString::fromStdString(request.deviceName)); index >= 0) {
    list->setCurrentIndex(index);
  }
}

// The range, copies and the other settings sit behind the Options button:
// the dialog opens with them shown.
void showOptions(QPrintDialog& dialog) {
  for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
    if (button->objectName().isEmpty() && button->text().contains(QStringLiteral("Options >>"))) {
      button->click();
      return;
    }
  }
}

std::optional<int> paperCodeOf(const QPageSize& size) {
  const QSizeF points = size.size(QPageSize::Point);
  return paperOfSheet({static_cast<int>(std::lround(points.width() * 20)), static_cast<int>(std::lround(points.height() * 20))});
}

std::string knownPaperNames() {
  std::string names;
  for (int code : knownPaperSizes()) names += (names.empty() ? "" : ", ") + paperName(code);
  return names;
}

// Qt's dialog offers every paper the printer knows; the host's printers take
// the classic paper codes only. A paper without one is refused where it is
// chosen, and the dialog stays open: confirmed, it would print on another.
class HostPrintDialog : public QPrintDialog {
 public:
  using QPrintDialog::QPrintDialog;

  void done(int result) override {
    if (result == QDialog::Accepted && !paperCodeOf(printer()->pageLayout().pageSize())) {
      const QString text = QStringLiteral("The paper %1 cannot be printed on: choose one of %2.")
                               .arg(printer()->pageLayout().pageSize().name(), QString::fromStdString(knownPaperNames()));
      QMessageBox::warning(this, windowTitle(), text);
      return;
    }
    QPrintDialog::done(result);
  }
};

PrintDialogChoice choiceOf(const QPrinter& printer, const PrintDialogRequest& request) {
  PrintDialogChoice choice{request.deviceName, request.settings, request.scale, request.fromPage, request.toPage};
  const DialogPrinter* pdf = pdfPrinterOf(request);
  if (printer.outputFormat() == QPrinter::PdfFormat && pdf != nullptr) {
    choice.deviceName = pdf->deviceName;
  } else if (!printer.printerName().isEmpty()) {
    choice.deviceName = printer.printerName().toStdString();
  }
  const QPageLayout layout = printer.pageLayout();
  choice.settings.orientation = layout.orientation() == QPageLayout::Landscape ? 2 : 1;
  choice.settings.paperSize = paperCodeOf(layout.pageSize()).value_or(request.settings.paperSize);
  choice.settings.copies = std::max(1, printer.copyCount());
  choice.settings.colorMode = printer.colorMode() == QPrinter::GrayScale ? 1 : 2;
  choice.settings.duplex = duplexOf(printer.duplex());
  // "All" pages is the dialog's whole range; an open end stays open.
  const bool pageRange = printer.printRange() == QPrinter::PageRange;
  choice.fromPage = pageRange ? printer.fromPage() : request.minPage;
  choice.toPage = pageRange ? printer.toPage() : lastPageOf(request);
  if (request.maxPage <= 0 && choice.toPage == lastPageWithoutEnd) choice.toPage = 0;
  return choice;
}

}  // namespace

std::optional<PrintDialogChoice> runQtPrintDialog(const PrintDialogRequest& request, QWidget* owner,
                                                  const std::function<void(QWidget&)>& onShown) {
  QPrinter printer(QPrinter::HighResolution);
  startOnCurrentPrinter(printer, request);
  HostPrintDialog dialog(&printer, owner);
  configureDialog(dialog, request, owner);
  // The dialog fills its printer list when it is shown; it is set up from there.
  QTimer::singleShot(0, &dialog, [&dialog, &request] {
    selectCurrentPrinter(dialog, request);
    fixOutputFile(dialog);
    showOptions(dialog);
  });
  if (onShown) QTimer::singleShot(0, &dialog, [&dialog, &onShown] { onShown(dialog); });
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return choiceOf(printer, request);
}

}  // namespace host
