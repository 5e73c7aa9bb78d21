#pragma once
// Prints and previews a live Qt Widgets form with a print control's
// settings: the one entry point that the public PrintControl widget and
// `vellora print/preview FORM.ui` share.
//
// The print control here is the engine's own (Vellora), sited on the form:
// every property, method and event of the control is reached through it, by
// name or typed. Each job adapts the form afresh (the widgets it holds at
// that moment), so the job prints what the form shows when it starts. A job
// never changes what the user sees: whatever the renderers move is kept on
// the adapters' side; a resizer on the form is set back to its design scale
// for the job and put back afterwards, as on any form.
#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "qtforms/AppRuntime.h"

class Vellora;

namespace qtforms {

class LiveForm;

class LivePrint {
 public:
  // A print control of default settings on `form` (the top-level widget to
  // print; a multiple-document parent prints its active child).
  explicit LivePrint(QWidget& form);
  // The control given (one loaded with its settings, or the engine object
  // behind a PrintControl widget) sited on `form`.
  LivePrint(QWidget& form, std::shared_ptr<Vellora> control);
  ~LivePrint();
  LivePrint(const LivePrint&) = delete;
  LivePrint& operator=(const LivePrint&) = delete;

  [[nodiscard]] Vellora& control() { return *control_; }
  [[nodiscard]] const std::shared_ptr<Vellora>& controlObject() const { return control_; }
  [[nodiscard]] QWidget* form() const { return form_; }

  // LVPrint on the current printer; True when the job ran to its end.
  bool print();
  // Preview; True when the preview window was shown (or, without a kit,
  // the pages were made).
  bool preview();
  // LVPrint through the built-in PDF printer into `file`; the current
  // printer is the one it was before afterwards.
  bool printToPdf(const std::filesystem::path& file);
  void stopPrint();

 private:
  // Sites the control on a fresh adapter of the form for one job.
  void adaptForm();
  template <class Job>
  bool runJob(Job job);

  QPointer<QWidget> form_;
  std::shared_ptr<Vellora> control_;
  std::shared_ptr<LiveForm> live_;
};

}  // namespace qtforms
