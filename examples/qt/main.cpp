// order-entry: an order entry form made in Qt Designer, printed through the
// print control from its File menu.
//
//   order-entry                 shows the form
//   order-entry --print PATH    prints the form into the PDF file PATH without
//                               a window (offscreen) and exits
#include <QApplication>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "OrderEntryWindow.h"

namespace {

constexpr int orderLines = 300;

// The PDF file after --print; nothing when the form is to be shown.
std::optional<std::string> printTarget(int argc, char** argv) {
  for (int index = 1; index + 1 < argc; ++index)
    if (std::strcmp(argv[index], "--print") == 0) return std::string(argv[index + 1]);
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<std::string> pdf = printTarget(argc, argv);
  if (!pdf && argc > 1) {
    std::cerr << "usage: order-entry [--print PDF]" << std::endl;
    return 2;
  }
  // Printing needs no window, so it runs without a display too.
  if (pdf) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  OrderEntryWindow window(orderLines);
  if (pdf) {
    if (window.saveAsPdf(QString::fromStdString(*pdf))) return 0;
    std::cerr << "order-entry: the order could not be printed to " << *pdf << std::endl;
    return 1;
  }
  window.show();
  return QApplication::exec();
}
