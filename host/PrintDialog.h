#pragma once
// The print dialog of the host: the user picks a printer, its settings, the
// page range and the number of copies. With a display it is Qt's print
// dialog; without one (or when the program was told the answers) a scripted
// dialog with the same contract answers at once. No dialog ever blocks a run
// without a display.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/Printer.h"

namespace host {

// One installed printer as the dialog offers it.
struct DialogPrinter {
  std::string deviceName;
  std::string driverName;
  std::string port;
};

// What the dialog starts from: the current printer and its settings, the
// installed printers and the page range.
struct PrintDialogRequest {
  std::int32_t ownerHandle = 0;  // hWnd of the form the dialog is modal on (0: none)
  std::vector<DialogPrinter> printers;
  std::string deviceName;  // the current printer
  PrinterDevice::Settings settings;
  double scale = 100;  // percent
  int fromPage = 1;
  int toPage = 100;
  int minPage = 1;
  int maxPage = 100;  // 0: the range has no end
};

// What the user confirmed. The device name is one of the request's printers.
struct PrintDialogChoice {
  std::string deviceName;
  PrinterDevice::Settings settings;  // settings.copies is the copies chosen
  double scale = 100;
  int fromPage = 1;
  int toPage = 100;
};

// Answers given in advance: confirm (changing only what is given) or cancel.
struct PrintDialogScript {
  bool cancel = false;
  std::optional<std::string> printer;  // matched without regard to case
  std::optional<int> fromPage;
  std::optional<int> toPage;
  std::optional<int> copies;
  std::optional<int> orientation;  // 1 portrait, 2 landscape
  std::optional<int> paperSize;    // classic paper code
  std::optional<int> colorMode;    // 1 monochrome, 2 colour
  std::optional<int> duplex;       // 1 none, 2 short edge, 3 long edge
};

// The scripted dialog's answer to a request: the request's own values with
// the script's changes, the page range kept inside minPage..maxPage as the
// dialog's range fields keep it. Nothing when the script cancels.
[[nodiscard]] std::optional<PrintDialogChoice> answerByScript(const PrintDialogRequest& request,
                                                              const PrintDialogScript& script);

// One dialog shown during the run, for reports.
struct PrintDialogRecord {
  PrintDialogRequest request;
  std::optional<PrintDialogChoice> choice;  // nothing: cancelled
  bool scripted = false;                    // answered without being shown
};

// The highest page the dialog's range fields take when the range has no end.
inline constexpr int lastPageWithoutEnd = 32767;

// Every paper code the host knows, in the order of their codes.
[[nodiscard]] std::vector<int> knownPaperSizes();
// A paper code's name as dialogs and listings show it ("A4", "Letter").
[[nodiscard]] std::string paperName(int paperSize);

}  // namespace host
