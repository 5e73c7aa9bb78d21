#pragma once
// The order entry window: the Designer form OrderEntry.ui as its central
// widget, and a File menu that prints, previews or saves the form as a PDF
// through the print control.
#include <QMainWindow>

#include "ui_OrderEntry.h"

namespace vellora {
class PrintControl;
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
  bool saveAsPdf(const QString& file);

 private:
  void fillOrderLines(int count);
  void addFileMenu();
  void prepareJob();

  Ui::OrderEntryForm form_;
  vellora::PrintControl* printControl_ = nullptr;  // owned by the form
};
