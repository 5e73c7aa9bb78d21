#include "qtforms/LivePrint.h"

#include "host/HostError.h"
#include "host/Runtime.h"
#include "printctl/Vellora.h"
#include "qtforms/LiveForm.h"

namespace qtforms {

namespace {

// The control measures with the screen when it is made: the runtime comes first.
std::shared_ptr<Vellora> newPrintControl() {
  ensureRuntime();
  return std::make_shared<Vellora>();
}

}  // namespace

LivePrint::LivePrint(QWidget& form) : LivePrint(form, newPrintControl()) {
  host::resume([&] { control_->set("Name", host::Value("Vellora1")); });
  control_->InitProperties();
}

LivePrint::LivePrint(QWidget& form, std::shared_ptr<Vellora> control) : form_(&form), control_(std::move(control)) {
  ensureRuntime();
  adaptForm();
}

LivePrint::~LivePrint() = default;

void LivePrint::adaptForm() {
  if (!form_) host::raise(host::err::ObjectVariableNotSet, "Object variable not set: the form is gone");
  live_ = LiveForm::adapt(*form_, Writes::KeptByAdapter);
  control_->siteOn(live_);
}

template <class Job>
bool LivePrint::runJob(Job job) {
  // A job asked for while one runs is refused by the control itself; the
  // running job keeps the adapters it started with.
  if (!control_->JobRunning()) adaptForm();
  return job();
}

bool LivePrint::print() {
  return runJob([&] { return control_->LVPrint(); });
}

bool LivePrint::preview() {
  return runJob([&] { return control_->Preview(); });
}

bool LivePrint::printToPdf(const std::filesystem::path& file) {
  if (control_->JobRunning()) return false;
  const host::CurrentPrinterKept kept;
  host::printer().select(host::makePdfPrinter(file));
  return print();
}

void LivePrint::stopPrint() { control_->StopPrint(); }

}  // namespace qtforms
