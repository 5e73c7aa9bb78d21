#include "apps/UiResizerCommands.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <iostream>
#include <memory>
#include <string>

#include "apps/ResizerCommands.h"
#include "apps/UiForms.h"
#include "host/HostError.h"
#include "host/Runtime.h"
#include "host/Ui.h"
#include "qtforms/LiveForm.h"
#include "qtforms/LivePrint.h"
#include "resizer/Gauxel.h"
#include "vellora/Resizer.h"

namespace fs = std::filesystem;

namespace app {

namespace {

using cli::exitBadInput;
using cli::exitCompleted;
using cli::exitEndedFalse;

// The .ui form with its resizer. A form without one gets one that follows
// the form's size: a resizer that did not would show nothing at work.
struct ResizableUiForm {
  std::unique_ptr<QWidget> form;
  vellora::Resizer* resizer = nullptr;
};

std::optional<ResizableUiForm> loadResizableUi(const fs::path& file, const fs::path& programDir) {
  std::unique_ptr<QWidget> form = loadUiForm(file, programDir);
  if (!form) return std::nullopt;
  auto* resizer = form->findChild<vellora::Resizer*>();
  if (resizer == nullptr) {
    resizer = new vellora::Resizer(form.get());
    resizer->setResizing(true);
  }
  return ResizableUiForm{std::move(form), resizer};
}

const Gauxel& engineOf(const vellora::Resizer& resizer) {
  return dynamic_cast<const Gauxel&>(*qtforms::engineControlOf(resizer));
}

void report(const std::string& step, const ResizableUiForm& target) {
  const Gauxel& resizer = engineOf(*target.resizer);
  reportResizerStep(step, *resizer.parentForm(), resizer);
}

void giveClientSize(QWidget& form, const cli::PixelSize& size) {
  form.resize(size.width, size.height);
  QCoreApplication::processEvents();
}

bool applyStep(const cli::ResizeStep& step, ResizableUiForm& target, bool& warned) {
  if (const auto* client = std::get_if<cli::ClientStep>(&step)) {
    if (!target.resizer->isResizing() && !warned) {
      std::cerr << "vellora: the resizer's resize is false: the widgets do not follow the client size" << std::endl;
      warned = true;
    }
    giveClientSize(*target.form, client->client);
    report("client " + sizeText(client->client), target);
    return true;
  }
  const int percent = std::get<cli::ZoomStep>(step).percent;
  target.resizer->setZoom(percent);
  QCoreApplication::processEvents();
  report("zoom " + std::to_string(percent), target);
  return true;
}

bool savePicture(QWidget& form, const fs::path& file) {
  QCoreApplication::processEvents();
  return app::savePicture(form.grab().toImage(), file);
}

}  // namespace

int resizeUiForm(const cli::Options& options, const fs::path& programDir) {
  if (options.out) {
    std::cerr << "vellora: resize --out writes form files; a .ui form is saved by Qt Designer" << std::endl;
    return exitBadInput;
  }
  auto ui = std::make_unique<host::HeadlessUi>();
  ui->setScreen({{options.screen->width, options.screen->height}, 15, 15});
  const fs::path pdf = options.print ? fs::absolute(*options.print) : fs::path("output.pdf");
  host::Runtime runtime(std::move(ui), host::Printers::installed(pdf));
  std::optional<ResizableUiForm> target = loadResizableUi(options.form, programDir);
  if (!target) return exitBadInput;
  target->form->show();
  QCoreApplication::processEvents();
  report("screen " + sizeText(*options.screen), *target);
  bool warned = false;
  for (const cli::ResizeStep& step : options.steps) {
    if (!applyStep(step, *target, warned)) return exitBadInput;
  }
  if (options.png && !savePicture(*target->form, *options.png)) return exitBadInput;
  if (!options.print) return exitCompleted;
  const bool printed = livePrintOf(*target->form)->print();
  if (!printed) tellWhyNothingPrinted();
  report("print " + options.print->string(), *target);
  return printed ? exitCompleted : exitEndedFalse;
}

int runUiForm(const cli::Options& options, const fs::path& programDir) {
  std::optional<host::ScreenInfo> screen;
  if (options.screen) screen = host::ScreenInfo{{options.screen->width, options.screen->height}, 15, 15};
  host::Runtime runtime(host::makeQtUi(screen),
                        host::Printers::installed(fs::current_path() / (options.form.stem().string() + ".pdf")));
  std::optional<ResizableUiForm> target = loadResizableUi(options.form, programDir);
  if (!target) return exitBadInput;
  target->form->show();
  QCoreApplication::processEvents();
  for (const cli::ResizeStep& step : options.steps)
    giveClientSize(*target->form, std::get<cli::ClientStep>(step).client);
  if (options.png) return savePicture(*target->form, *options.png) ? exitCompleted : exitBadInput;
  QApplication::exec();
  return exitCompleted;
}

}  // namespace app
