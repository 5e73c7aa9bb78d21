// Choosing the printer in the print dialog: what the control hands the
// dialog, how the answer comes back into the properties and the printer,
// and how LVPrint follows it.
#include <gtest/gtest.h>

#include "host/Runtime.h"
#include "host/Ui.h"
#include "printctl/VelloraHarness.h"

namespace {

using velloratest::Harness;

host::PrintDialogScript answer(int from, int to) {
  host::PrintDialogScript script;
  script.fromPage = from;
  script.toPage = to;
  return script;
}

void addTitle(Harness& h) {
  h.add("Label", "Title", {{"Caption", "Orders"}, {"Left", 360}, {"Top", 300}, {"Width", 3000}, {"Height", 300}});
}

TEST(PrintDialog, TheDialogStartsFromTheRangeThePrinterAndTheControlsCopies) {
  Harness h;
  auto office = host::MemoryPrinter::create("Office", 300);
  host::runtime().setPrinters({h.env.printer, office});
  h.control->setToPage(6);
  h.control->setFromPage(2);
  h.control->setCopies(3);
  h.control->setColor(vellora::v_Monochrome);
  EXPECT_TRUE(h.control->ShowPrinter());

  ASSERT_EQ(h.env.ui->printDialogs().size(), 1u);
  const host::PrintDialogRequest& request = h.env.ui->printDialogs()[0].request;
  EXPECT_EQ(request.fromPage, 2);
  EXPECT_EQ(request.toPage, 6);
  EXPECT_EQ(request.minPage, 1);
  EXPECT_EQ(request.maxPage, 6);
  EXPECT_EQ(request.deviceName, "Memory");
  EXPECT_EQ(request.settings.copies, 3);
  EXPECT_EQ(request.settings.colorMode, 1);
  EXPECT_EQ(request.ownerHandle, h.form->get("hWnd").toLong());
  ASSERT_EQ(request.printers.size(), 2u);
  EXPECT_EQ(request.printers[1].deviceName, "Office");
}

TEST(PrintDialog, ConfirmedPagesReplaceTheRange) {
  Harness h;
  h.env.ui->setPrintDialogScript(answer(2, 4));
  EXPECT_TRUE(h.control->ShowPrinter());
  EXPECT_EQ(h.control->props().FromPage, 2);
  EXPECT_EQ(h.control->props().ToPage, 4);
  EXPECT_TRUE(h.env.ui->messages().empty());
}

TEST(PrintDialog, ToPageIsCheckedAgainstTheFromPageBeforeTheDialog) {
  Harness h;
  h.control->setToPage(6);
  h.control->setFromPage(5);
  h.env.ui->setPrintDialogScript(answer(2, 4));
  EXPECT_TRUE(h.control->ShowPrinter());
  ASSERT_EQ(h.env.ui->messages().size(), 1u);
  EXPECT_EQ(h.env.ui->messages()[0].text, "ToPage must be bigger or equal to FromPage");
  EXPECT_EQ(h.env.ui->messages()[0].style, 16);
  EXPECT_EQ(h.control->props().FromPage, 2);
  EXPECT_EQ(h.control->props().ToPage, 6);
}

TEST(PrintDialog, ACancelledDialogChangesNothingAndStopsThePrint) {
  Harness h;
  addTitle(h);
  h.control->setOrientation(vellora::Landscape);
  h.control->setToPage(9);
  h.control->setFromPage(3);
  h.control->setCopies(2);
  host::PrintDialogScript cancel;
  cancel.cancel = true;
  h.env.ui->setPrintDialogScript(cancel);

  EXPECT_FALSE(h.control->ShowPrinter());
  EXPECT_TRUE(h.control->job().StopRequested);
  const VelloraProperties& p = h.control->props();
  EXPECT_EQ(p.Orientation, vellora::Landscape);
  EXPECT_EQ(p.FromPage, 3);
  EXPECT_EQ(p.ToPage, 9);
  EXPECT_FLOAT_EQ(p.Copies, 2);

  h.control->setShowPrinterAlways(true);
  h.control->setFromPage(1);
  EXPECT_FALSE(h.control->LVPrint());
  EXPECT_EQ(h.env.printer->documentsDelivered(), 0);
  EXPECT_FALSE(host::printer().documentOpen());
  EXPECT_EQ(h.events, (std::vector<std::string>{"BeforePrint 1"}));
}

TEST(PrintDialog, WithoutShowPrinterAlwaysTheJobPrintsWithoutADialog) {
  Harness h;
  addTitle(h);
  host::PrintDialogScript cancel;
  cancel.cancel = true;
  h.env.ui->setPrintDialogScript(cancel);
  EXPECT_TRUE(h.control->LVPrint());
  EXPECT_TRUE(h.env.ui->printDialogs().empty());
  EXPECT_EQ(h.env.printer->documentsDelivered(), 1);
}

TEST(PrintDialog, TheChosenPrinterAndItsSettingsTakeTheJob) {
  Harness h;
  addTitle(h);
  auto office = host::MemoryPrinter::create("Office", 100);
  host::runtime().setPrinters({h.env.printer, office});
  host::PrintDialogScript script;
  script.printer = "OFFICE";
  script.copies = 2;
  script.orientation = 2;
  script.paperSize = 1;
  script.colorMode = 1;
  h.env.ui->setPrintDialogScript(script);
  h.control->setShowPrinterAlways(true);

  EXPECT_TRUE(h.control->LVPrint());
  EXPECT_EQ(host::printer().deviceName(), "Office");
  EXPECT_EQ(h.env.printer->documentsDelivered(), 0);
  ASSERT_EQ(office->documentsDelivered(), 1);
  const host::PrinterDevice::Settings& used = office->lastSettings();
  EXPECT_EQ(used.copies, 2);
  EXPECT_EQ(used.orientation, 2);
  EXPECT_EQ(used.paperSize, 1);
  EXPECT_EQ(used.colorMode, 1);
  // The choice lives on in the control's own properties.
  EXPECT_EQ(h.control->props().Orientation, vellora::Landscape);
  EXPECT_FLOAT_EQ(h.control->props().Copies, 2);
  EXPECT_EQ(h.control->props().Color, vellora::v_Monochrome);
  // A landscape Letter sheet at 100 dots per inch.
  ASSERT_FALSE(office->pages().empty());
  EXPECT_EQ(office->pages()[0].width(), 1100);
  EXPECT_EQ(office->pages()[0].height(), 850);
}

TEST(PrintDialog, SettingsThePrinterRefusesAreSkippedAndTheOthersGoOn) {
  Harness h;
  host::PrinterDevice::Capabilities a4Monochrome{{9}, /*color=*/false, /*duplex=*/false, /*maxCopies=*/5};
  auto plain = host::MemoryPrinter::create("Plain", 100, a4Monochrome);
  host::runtime().setPrinters({h.env.printer, plain});
  host::PrintDialogScript script;
  script.printer = "Plain";
  script.paperSize = 1;  // Letter: refused
  script.colorMode = 2;  // colour: refused
  script.duplex = 3;     // both sides: refused
  script.copies = 4;
  script.orientation = 2;
  h.env.ui->setPrintDialogScript(script);

  EXPECT_TRUE(h.control->ShowPrinter());
  const host::Printer& printer = host::printer();
  EXPECT_EQ(printer.deviceName(), "Plain");
  EXPECT_EQ(printer.paperSize(), 9);
  EXPECT_EQ(printer.duplex(), 1);
  EXPECT_EQ(printer.copies(), 4);
  EXPECT_EQ(printer.orientation(), 2);
  EXPECT_EQ(h.control->props().Orientation, vellora::Landscape);
}

// A dialog that lists printers of its own (as Qt's lists the system's
// queues) and confirms one the host has not installed.
class ForeignPrinterDialog : public host::HeadlessUi {
 public:
  [[nodiscard]] bool hasDisplay() const override { return true; }
  std::optional<host::PrintDialogChoice> showPrintDialog(const host::PrintDialogRequest& request) override {
    host::PrintDialogChoice choice{"Nowhere", request.settings, request.scale, request.fromPage, request.toPage};
    choice.settings.copies = 3;
    choice.settings.orientation = 2;
    return choice;
  }
};

TEST(PrintDialog, APrinterNotInstalledLeavesTheCurrentOneAndTakesTheSettings) {
  Harness h;
  auto ui = std::make_unique<ForeignPrinterDialog>();
  ui->setEchoToStandardError(false);
  host::Runtime runtime(std::move(ui), {h.env.printer, host::MemoryPrinter::create("Plain", 100)});
  h.control->set("PrinterName", host::Value("Plain"));
  ASSERT_EQ(host::printer().deviceName(), "Plain");

  EXPECT_TRUE(h.control->ShowPrinter());
  EXPECT_EQ(host::printer().deviceName(), "Plain") << "the current printer stays";
  EXPECT_EQ(host::printer().orientation(), 2) << "and takes the confirmed settings";
  EXPECT_FLOAT_EQ(h.control->props().Copies, 3);
  EXPECT_EQ(h.control->props().Orientation, vellora::Landscape);
}

}  // namespace
