// The print dialog: the scripted answers, the interface's choice between the
// script, the real dialog and an answer as it stands, and Qt's dialog itself
// on the offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QTimer>
#include <filesystem>

#include "TestSupport.h"
#include "host/QtPrintDialog.h"
#include "host/Ui.h"

namespace {

host::PrintDialogRequest officeRequest() {
  host::PrintDialogRequest request;
  request.printers = {{"PDF", "PDF", "/tmp/out.pdf"}, {"Office Laser", "CUPS", "CUPS:Office Laser"}};
  request.deviceName = "PDF";
  request.fromPage = 1;
  request.toPage = 100;
  request.maxPage = 100;
  return request;
}

TEST(PrintDialogScript, AnEmptyScriptConfirmsTheRequestAsItStands) {
  host::PrintDialogRequest request = officeRequest();
  request.settings.copies = 3;
  request.fromPage = 0;  // outside the range fields, yet untouched when nobody typed a page
  const auto choice = host::answerByScript(request, {});
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->deviceName, "PDF");
  EXPECT_EQ(choice->settings.copies, 3);
  EXPECT_EQ(choice->fromPage, 0);
  EXPECT_EQ(choice->toPage, 100);

  host::PrintDialogScript cancel;
  cancel.cancel = true;
  EXPECT_FALSE(host::answerByScript(request, cancel));
}

TEST(PrintDialogScript, PrintersAreOfferedInTheirInstalledSpellingOnly) {
  host::PrintDialogScript script;
  script.printer = "office LASER";
  EXPECT_EQ(host::answerByScript(officeRequest(), script)->deviceName, "Office Laser");
  script.printer = "Basement";
  EXPECT_EQ(host::answerByScript(officeRequest(), script)->deviceName, "PDF");
}

TEST(PrintDialogScript, PagesStayInsideTheDialogsRange) {
  host::PrintDialogRequest request = officeRequest();
  request.fromPage = 5;
  request.toPage = 6;
  request.maxPage = 6;
  host::PrintDialogScript script;
  script.fromPage = 2;
  script.toPage = 4;
  auto choice = host::answerByScript(request, script);
  EXPECT_EQ(choice->fromPage, 2);
  EXPECT_EQ(choice->toPage, 4);

  script.fromPage = 0;
  script.toPage = 40;
  choice = host::answerByScript(request, script);
  EXPECT_EQ(choice->fromPage, 1);
  EXPECT_EQ(choice->toPage, 6);

  // The end never comes before the start.
  script.fromPage = 5;
  script.toPage = 3;
  choice = host::answerByScript(request, script);
  EXPECT_EQ(choice->fromPage, 5);
  EXPECT_EQ(choice->toPage, 5);

  // A range without end takes any page.
  request.maxPage = 0;
  script.fromPage = 200;
  script.toPage = std::nullopt;
  request.toPage = 0;
  choice = host::answerByScript(request, script);
  EXPECT_EQ(choice->fromPage, 200);
  EXPECT_EQ(choice->toPage, 200);
}

TEST(PrintDialogScript, TheInterfaceKeepsEveryDialogAndNeverWaitsWithoutADisplay) {
  host::HeadlessUi ui;
  ui.setEchoToStandardError(false);
  const host::PrintDialogRequest request = officeRequest();
  EXPECT_TRUE(ui.printDialog(request));  // nobody could answer: confirmed as it stands

  host::PrintDialogScript script;
  script.copies = 2;
  ui.setPrintDialogScript(script);
  EXPECT_EQ(ui.printDialog(request)->settings.copies, 2);
  script.cancel = true;
  ui.setPrintDialogScript(script);
  EXPECT_FALSE(ui.printDialog(request));

  ASSERT_EQ(ui.printDialogs().size(), 3u);
  EXPECT_TRUE(ui.printDialogs()[0].scripted);
  EXPECT_TRUE(ui.printDialogs()[1].choice);
  EXPECT_FALSE(ui.printDialogs()[2].choice);
}

TEST(PrintDialogScript, PaperNamesAndSheets) {
  EXPECT_EQ(host::paperName(9), "A4");
  EXPECT_EQ(host::paperName(1), "Letter");
  const std::vector<int> known = host::knownPaperSizes();
  EXPECT_NE(std::find(known.begin(), known.end(), 11), known.end());
  EXPECT_EQ(std::find(known.begin(), known.end(), 6), known.end()) << "no code 6 is known";
}

// Qt's dialog, opened and cancelled by the test; its picture is kept in the
// build folder for a look.
TEST(QtPrintDialog, OffersThePrintersAndTheRangeAndCancelsToNothing) {
  host::PrintDialogRequest request = officeRequest();
  request.fromPage = 2;
  request.toPage = 4;
  request.maxPage = 9;
  bool shown = false;
  QImage picture;
  QStringList printers;
  QString current;
  int fromField = -1, toField = -1, lastPage = -1;
  const auto choice = host::runQtPrintDialog(request, nullptr, [&](QWidget& dialog) {
    shown = dialog.isVisible();
    picture = dialog.grab().toImage();
    if (auto* list = dialog.findChild<QComboBox*>(QStringLiteral("printers"))) {
      for (int index = 0; index < list->count(); ++index) printers << list->itemText(index);
      current = list->currentText();
    }
    if (auto* from = dialog.findChild<QSpinBox*>(QStringLiteral("from"))) {
      fromField = from->value();
      lastPage = from->maximum();
    }
    if (auto* to = dialog.findChild<QSpinBox*>(QStringLiteral("to"))) toField = to->value();
    static_cast<QDialog&>(dialog).reject();
  });
  EXPECT_TRUE(shown);
  EXPECT_FALSE(choice) << "a cancelled dialog gives nothing back";
  ASSERT_FALSE(picture.isNull());
  EXPECT_GT(picture.width(), 300);
  EXPECT_GT(picture.height(), 200);
  const QString file = QStringLiteral(VELLORA_BINARY_DIR "/test-data/print-dialog.png");
  QDir().mkpath(QStringLiteral(VELLORA_BINARY_DIR "/test-data"));
  EXPECT_TRUE(picture.save(file));
  // The built-in PDF printer, the current one, is the dialog's PDF entry.
  ASSERT_FALSE(printers.isEmpty());
  EXPECT_TRUE(printers.last().contains(QStringLiteral("(PDF)"))) << printers.join(", ").toStdString();
  EXPECT_EQ(current, printers.last());
  EXPECT_EQ(fromField, 2);
  EXPECT_EQ(toField, 4);
  EXPECT_EQ(lastPage, 9);
  if (const char* queue = std::getenv("VELLORA_TEST_CUPS_QUEUE2")) {
    EXPECT_TRUE(printers.contains(QString::fromUtf8(queue))) << printers.join(", ").toStdString();
  }
}

TEST(QtPrintDialog, NoUpperLimitComesUpAsAllPagesAndStaysOpenWhenConfirmed) {
  host::PrintDialogRequest request = officeRequest();
  request.fromPage = 1;
  request.toPage = 0;  // ToPage 0: no limit
  request.maxPage = 0;
  bool allPagesTicked = false;
  const auto choice = host::runQtPrintDialog(request, nullptr, [&](QWidget& dialog) {
    if (auto* all = dialog.findChild<QAbstractButton*>(QStringLiteral("printAll"))) allPagesTicked = all->isChecked();
    static_cast<QDialog&>(dialog).accept();
  });
  ASSERT_TRUE(choice);
  EXPECT_TRUE(allPagesTicked) << "the dialog offers all pages, not pages 1 to 1";
  EXPECT_EQ(choice->fromPage, 1);
  EXPECT_EQ(choice->toPage, 0) << "confirmed unchanged, the range keeps no upper limit";
}

TEST(QtPrintDialog, ConfirmedChoicesComeBackInTheHostsTerms) {
  const std::filesystem::path folder = testsupport::makeTempDir("vellora-dialog");
  host::PrintDialogRequest request = officeRequest();
  request.printers[0].port = (folder / "out.pdf").string();
  request.fromPage = 2;
  request.toPage = 4;
  request.maxPage = 9;
  request.settings.orientation = 2;
  const char* queue = std::getenv("VELLORA_TEST_CUPS_QUEUE2");
  if (queue != nullptr) request.printers.push_back({queue, "CUPS", std::string("CUPS:") + queue});
  const auto choice = host::runQtPrintDialog(request, nullptr, [&](QWidget& dialog) {
    if (auto* list = dialog.findChild<QComboBox*>(QStringLiteral("printers")); list != nullptr && queue != nullptr)
      list->setCurrentIndex(list->findText(QString::fromUtf8(queue)));
    if (auto* copies = dialog.findChild<QSpinBox*>(QStringLiteral("copies"))) copies->setValue(2);
    if (auto* to = dialog.findChild<QSpinBox*>(QStringLiteral("to"))) to->setValue(3);
    static_cast<QDialog&>(dialog).accept();
  });
  std::filesystem::remove_all(folder);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->deviceName, queue != nullptr ? std::string(queue) : std::string("PDF"));
  EXPECT_EQ(choice->settings.copies, 2);
  EXPECT_EQ(choice->fromPage, 2);
  EXPECT_EQ(choice->toPage, 3);
  EXPECT_EQ(choice->settings.orientation, 2);
  EXPECT_EQ(choice->settings.paperSize, 9);
}

TEST(QtPrintDialog, PaperColourAndSidesComeBackAsThePrinterTakesThemAndCollateIsNotOffered) {
  host::PrintDialogRequest request = officeRequest();
  request.settings.paperSize = 9;
  request.settings.colorMode = 1;  // the dialog comes up with it and hands it back
  request.settings.duplex = 3;     // long edge, which the PDF printer cannot do
  bool collateOffered = true;
  const auto choice = host::runQtPrintDialog(request, nullptr, [&](QWidget& dialog) {
    auto* collate = dialog.findChild<QCheckBox*>(QStringLiteral("collate"));
    collateOffered = collate != nullptr && collate->isVisible() && collate->isEnabled();
    static_cast<QPrintDialog&>(dialog).printer()->setPageSize(QPageSize(QPageSize::Letter));
    static_cast<QDialog&>(dialog).accept();
  });
  EXPECT_FALSE(collateOffered) << "the printers would drop it";
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->settings.paperSize, 1) << "Letter";
  EXPECT_EQ(choice->settings.colorMode, 1) << "monochrome";
  EXPECT_EQ(choice->settings.duplex, 1) << "the PDF printer prints on one side, and the dialog says so";
}

TEST(QtPrintDialog, APaperTheHostCannotPrintOnIsRefusedAndTheDialogStaysOpen) {
  host::PrintDialogRequest request = officeRequest();
  request.settings.paperSize = 9;
  QString said;
  bool stayedOpen = false;
  const auto choice = host::runQtPrintDialog(request, nullptr, [&](QWidget& widget) {
    auto& dialog = static_cast<QPrintDialog&>(widget);
    dialog.printer()->setPageSize(QPageSize(QPageSize::A6));
    // The refusal is a message box over the dialog; it is read and closed.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
      for (QMessageBox* box : dialog.findChildren<QMessageBox*>()) {
        if (!box->isVisible()) continue;
        said = box->text();
        box->accept();
      }
    });
    closer.start(10);
    dialog.accept();
    closer.stop();
    stayedOpen = dialog.isVisible() && dialog.result() != QDialog::Accepted;
    dialog.reject();
  });
  EXPECT_TRUE(stayedOpen) << "the user can choose another paper";
  EXPECT_TRUE(said.contains(QStringLiteral("A6"))) << said.toStdString();
  EXPECT_TRUE(said.contains(QStringLiteral("A4, A4 Small"))) << "it names the papers it takes: " << said.toStdString();
  EXPECT_FALSE(choice);
}

}  // namespace
