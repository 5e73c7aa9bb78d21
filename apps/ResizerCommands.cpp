#include "apps/ResizerCommands.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "apps/FormSupport.h"
#include "apps/FormWindow.h"
#include "apps/UiResizerCommands.h"
#include "host/HostError.h"
#include "host/Lang.h"
#include "host/OutputFile.h"
#include "host/Printer.h"
#include "host/QtKit.h"
#include "host/Runtime.h"
#include "host/model/Control.h"
#include "host/model/FormFile.h"
#include "printctl/Vellora.h"
#include "resizer/Gauxel.h"

namespace fs = std::filesystem;

namespace app {

namespace {

using cli::exitBadInput;
using cli::exitCompleted;
using cli::exitEndedFalse;
// How long run waits for the resizer's poll to follow a new window size.
constexpr int followTimeoutMs = 3000;


host::ScreenInfo screenOf(const cli::PixelSize& size) { return {{size.width, size.height}, 15, 15}; }

// The form and its resizer, or nothing after saying why.
struct ResizableForm {
  std::shared_ptr<host::Form> form;
  std::shared_ptr<Gauxel> resizer;
};
std::optional<ResizableForm> loadResizable(const fs::path& file, const fs::path& programDir) {
  registerOwnComponents(programDir);
  std::shared_ptr<host::Form> form = loadFormOrSayWhy(file);
  if (!form) return std::nullopt;
  std::shared_ptr<Gauxel> resizer = resizerOf(*form);
  if (!resizer) {
    std::cerr << "vellora: " << file.string() << " has no resizer (a control of Type \"Gauxel\") that "
              << (programDir / "libGauxelctl.so").string() << " serves" << std::endl;
    return std::nullopt;
  }
  return ResizableForm{form, resizer};
}

}  // namespace

std::string sizeText(const cli::PixelSize& size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

void reportResizerStep(const std::string& step, const host::Object& form, const Gauxel& resizer) {
  const GauxelProperties standing = resizer.props();
  const GauxelRatios& ratios = resizer.ratios();
  std::cout << step << ": ScaleWidth " << host::numberText(form.get("ScaleWidth").toDouble()) << " ScaleHeight "
            << host::numberText(form.get("ScaleHeight").toDouble()) << " Factor " << host::numberText(standing.Factor)
            << " FactorH " << host::numberText(standing.FactorH) << " Zoom " << standing.Zoom << " Resize "
            << (standing.Resize ? "True" : "False") << " RatioW "
            << host::numberText(ratios.RatioW) << " RatioH " << host::numberText(ratios.RatioH) << std::endl;
}

bool savePicture(const QImage& picture, const fs::path& file) {
  QByteArray encoded;
  QBuffer buffer(&encoded);
  std::optional<std::string> failure = "the picture cannot be made";
  if (buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"))
    failure = host::writeWholeFile(file, std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size())));
  if (failure) std::cerr << "vellora: cannot write the picture " << file.string() << ": " << *failure << std::endl;
  return !failure;
}

void tellWhyNothingPrinted(const std::string& jobFailure) {
  const std::shared_ptr<host::PrinterDevice> device = host::printer().device();
  const std::string failure = device ? device->lastFailure() : std::string();
  if (!failure.empty()) {
    std::cerr << "vellora: cannot write " << failure << std::endl;
  } else if (!jobFailure.empty()) {
    std::cerr << "vellora: the print job failed: " << jobFailure << std::endl;
  }
}

namespace {

// A client size as the user would give it, in twips of the screen.
void giveClientSize(host::Form& form, const cli::PixelSize& pixels) {
  const host::ScreenInfo screen = host::ui().screen();
  form.setClientSize(pixels.width * screen.twipsPerPixelX, pixels.height * screen.twipsPerPixelY);
}

bool applyStep(const cli::ResizeStep& step, ResizableForm& target, bool& warned) {
  if (const auto* client = std::get_if<cli::ClientStep>(&step)) {
    if (!target.resizer->props().Resize && !warned) {
      std::cerr << "vellora: the resizer's Resize is False: the controls do not follow the client size" << std::endl;
      warned = true;
    }
    giveClientSize(*target.form, client->client);
    static_cast<host::HeadlessUi&>(host::ui()).stepTimers();
    reportResizerStep("client " + sizeText(client->client), *target.form, *target.resizer);
    return true;
  }
  const int percent = std::get<cli::ZoomStep>(step).percent;
  try {
    target.resizer->set("Zoom", host::Value(static_cast<std::int32_t>(percent)));
  } catch (const host::HostError& error) {
    std::cerr << "vellora: --zoom " << percent << ": " << error.what() << std::endl;
    return false;
  }
  reportResizerStep("zoom " + std::to_string(percent), *target.form, *target.resizer);
  return true;
}

int writeOutputs(const cli::Options& options, host::Form& form, const Gauxel& resizer) {
  if (options.out) {
    try {
      host::saveFormFile(form, *options.out);
    } catch (const host::FormFileError& error) {
      std::cerr << "vellora: " << error.what() << std::endl;
      return exitBadInput;
    }
  }
  if (options.png) {
    try {
      form.snapshot().savePng(*options.png);
    } catch (const host::HostError& error) {
      std::cerr << "vellora: " << options.png->string() << ": " << error.what() << std::endl;
      return exitBadInput;
    }
  }
  if (!options.print) return exitCompleted;
  std::shared_ptr<Vellora> control = printControlOf(form);
  if (!control) {
    std::cerr << "vellora: the form's print control comes from another library than this program's" << std::endl;
    return exitBadInput;
  }
  const bool printed = control->LVPrint();
  if (!printed) tellWhyNothingPrinted(control->job().FailureText);
  reportResizerStep("print " + options.print->string(), form, resizer);
  return printed ? exitCompleted : exitEndedFalse;
}

int resize(const cli::Options& options, const fs::path& programDir) {
  auto ui = std::make_unique<host::HeadlessUi>();
  ui->setScreen(screenOf(*options.screen));
  const fs::path pdf = options.print ? fs::absolute(*options.print) : fs::path("output.pdf");
  host::Runtime runtime(std::move(ui), host::Printers::installed(pdf));
  std::optional<ResizableForm> target = loadResizable(options.form, programDir);
  if (!target) return exitBadInput;
  target->resizer->Show();
  reportResizerStep("screen " + sizeText(*options.screen), *target->form, *target->resizer);
  bool warned = false;
  for (const cli::ResizeStep& step : options.steps) {
    if (!applyStep(step, *target, warned)) return exitBadInput;
  }
  const int result = writeOutputs(options, *target->form, *target->resizer);
  target->form->unload();
  return result;
}

// Runs the event loop until the window has shown a layout after `seen`
// repaints, or the wait is over.
void waitForRepaint(const FormWindow& window, int seen) {
  QElapsedTimer waited;
  waited.start();
  while (window.repaints() <= seen && waited.elapsed() < followTimeoutMs) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
}

std::shared_ptr<Vellora> ownPrintControl(const host::Form& form) {
  for (const host::ObjectRef& control : form.controls()) {
    if (auto vellora = std::dynamic_pointer_cast<Vellora>(control)) return vellora;
  }
  return nullptr;
}

int run(const cli::Options& options, const fs::path& programDir) {
  std::optional<host::ScreenInfo> screen;
  if (options.screen) screen = screenOf(*options.screen);
  host::Runtime runtime(host::makeQtUi(screen), host::Printers::installed(fs::current_path() /
                                                                         (options.form.stem().string() + ".pdf")));
  std::optional<ResizableForm> target = loadResizable(options.form, programDir);
  if (!target) return exitBadInput;
  FormWindow window(target->form, target->resizer, ownPrintControl(*target->form), host::ui().kit());
  window.open();
  for (const cli::ResizeStep& step : options.steps) {
    const int seen = window.repaints();
    window.resizeClientTo({std::get<cli::ClientStep>(step).client.width, std::get<cli::ClientStep>(step).client.height});
    waitForRepaint(window, seen);
  }
  if (options.png) {
    QWidget* shown = host::qtWidgetOf(window.window());
    QCoreApplication::processEvents();
    if (shown == nullptr) {
      std::cerr << "vellora: cannot write the picture " << options.png->string() << ": the window shows nothing"
                << std::endl;
      return exitBadInput;
    }
    if (!savePicture(shown->grab().toImage(), *options.png)) return exitBadInput;
  } else {
    host::ui().runUntil([&] { return !window.isOpen(); });
  }
  target->form->unload();
  return exitCompleted;
}

}  // namespace

bool isResizerCommand(cli::Command command) {
  return command == cli::Command::Resize || command == cli::Command::Run;
}

int runResizerCommand(const cli::Options& options, int argc, char** argv, const fs::path& programDir) {
  std::error_code error;
  if (!fs::is_regular_file(options.form, error)) {
    std::cerr << "vellora: cannot read the form file " << options.form.string() << std::endl;
    return exitBadInput;
  }
  if (options.command == cli::Command::Run && !options.png && !displayAvailable()) {
    std::cerr << "vellora: run shows the form in a window and needs a display; without one give --png FILE"
              << std::endl;
    return exitBadInput;
  }
  if (cli::isUiForm(options.form)) {
    // A .ui form is made of widgets, also without a window.
    QApplication application(argc, argv);
    return options.command == cli::Command::Resize ? resizeUiForm(options, programDir) : runUiForm(options, programDir);
  }
  if (options.command == cli::Command::Resize) {
    // A headless run still draws the form's picture and prints through Qt.
    QGuiApplication application(argc, argv);
    return resize(options, programDir);
  }
  QApplication application(argc, argv);
  return run(options, programDir);
}

}  // namespace app
