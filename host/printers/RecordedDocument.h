#pragma once
// Host-side only: a printer document whose pages are recorded and handed to
// the device one by one when they end.
#include "host/Printer.h"
#include "host/printers/PageRecording.h"

namespace host {

class RecordedDocument : public PrinterDevice::Document {
 public:
  RecordedDocument(Size pageSize, double dotsPerInch) : page_(pageSize, dotsPerInch) {}

  [[nodiscard]] Dc& page() override { return page_; }
  void newPage() override {
    if (closed_) return;
    page_.tidy();
    deliver(page_);
    page_.clear();
  }
  void discardPage() override { page_.clear(); }
  void end() override {
    if (closed_) return;
    closed_ = true;
    page_.tidy();
    deliver(page_);
    finish();
  }
  void abort() override {
    if (closed_) return;
    closed_ = true;
    discard();
  }

 protected:
  // Puts one finished page on the device.
  virtual void deliver(PageRecording& page) = 0;
  // Completes the document after its last page.
  virtual void finish() = 0;
  // Throws the document away; nothing of it may remain.
  virtual void discard() = 0;

 private:
  PageRecording page_;
  bool closed_ = false;
};

}  // namespace host
