#pragma once
// The order entry window: the Designer form OrderEntry.ui as its central
// widget, and a File menu that prints, previews or saves the form as a PDF
// through the print control.
#include <QMainWindow>
#include <filesystem>
#include <memory>

#include "ui_OrderEntry.h"

namespace qtforms {
class LivePrint;
}

class OrderEntryWindow : public QMainWindow {
 public:
  // The form with `orderLines` order lines in its table.
  explicit OrderEntryWindow(int orderLines);
  ~OrderEntryWindow() override;
  OrderEntryWindow(const OrderEntryWindow&) = delete;
  OrderEntryWindow& operator=(const OrderEntryWindow&) = delete;

  // Each job prints the form as it stands at that moment. True when the
  // job ran to its end.
  bool print();        // through the print dialog
  bool preview();      // in the preview window
  bool saveAsPdf(const std::filesystem::path& file);

 private:
  void fillOrderLines(int count);
  void addFileMenu();
  void prepareJob(bool askForPrinter);

  Ui::OrderEntryForm form_;
  std::unique_ptr<qtforms::LivePrint> printing_;
};
