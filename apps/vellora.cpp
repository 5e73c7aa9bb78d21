// vellora: prints or previews a form (a JSON form file or a Qt Designer
// .ui form) through its print control.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "apps/CommandLine.h"
#include "apps/FormSupport.h"
#include "apps/ResizerCommands.h"
#include "apps/UiForms.h"
#include "host/HostError.h"
#include "host/Lang.h"
#include "host/OutputFile.h"
#include "host/Runtime.h"
#include "host/model/Components.h"
#include "host/model/FormFile.h"
#include "printctl/Vellora.h"

namespace fs = std::filesystem;
using app::printControlOf;
using app::registerOwnComponents;

namespace {

using cli::exitBadInput;
using cli::exitCompleted;
using cli::exitEndedFalse;
// Printing to page pictures uses the in-memory printer at this resolution.
constexpr double pngPrintDotsPerInch = 150;

fs::path programFolder(const char* argv0) {
  std::error_code error;
  fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (error) program = fs::absolute(argv0);
  return program.parent_path();
}

// What the job did, for the report.
struct JobRecord {
  QJsonArray events;
  bool result = false;
  int pages = 0;
  std::string output;
  QJsonArray outputs;  // every output the job wrote, with its pages
  QJsonArray notes;    // what standard error said of how the job ended
};

void addOutput(JobRecord& record, const std::string& output, int pages) {
  record.outputs.append(QJsonObject{{"output", QString::fromStdString(output)}, {"pages", pages}});
}

std::shared_ptr<host::PrinterDevice> findPrinter(const std::string& name) {
  for (const auto& device : host::runtime().printers())
    if (host::equalsNoCase(device->deviceName(), name)) return device;
  return nullptr;
}

bool installedPrinter(const std::string& name) { return findPrinter(name) != nullptr; }

void subscribe(Vellora& control, JobRecord& record) {
  control.events().BeforePrint = [&record](bool&, std::int16_t& Mode) {
    record.events.append(QJsonObject{{"event", "BeforePrint"}, {"Mode", Mode}});
  };
  control.events().Page = [&record](std::int32_t& PageNumber) {
    record.events.append(QJsonObject{{"event", "Page"}, {"PageNumber", PageNumber}});
    std::cerr << "vellora: page " << PageNumber << std::endl;
  };
  control.events().AfterPrint = [&record] { record.events.append(QJsonObject{{"event", "AfterPrint"}}); };
}

// Writes page-001.png, page-002.png, ... into `folder`, all of them or none:
// a page that cannot be written takes the pages written before it away
// again, and the folder when this made it. A failure gives the path that
// could not be written and why.
std::optional<std::string> writePages(const std::vector<host::Picture>& pages, const fs::path& folder) {
  std::error_code error;
  const bool made = fs::create_directories(folder, error);
  if (error) return folder.string() + ": " + error.message();
  std::vector<fs::path> written;
  for (std::size_t index = 0; index < pages.size(); ++index) {
    char name[32];
    std::snprintf(name, sizeof name, "page-%03zu.png", index + 1);
    const fs::path file = folder / name;
    try {
      pages[index].savePng(file);
      written.push_back(file);
    } catch (const host::HostError& failure) {
      for (const fs::path& page : written) fs::remove(page, error);
      if (made) fs::remove(folder, error);
      const std::string text = failure.description();
      const std::size_t at = text.find(file.string());
      return at == std::string::npos ? file.string() + ": " + text : text.substr(at);
    }
  }
  return std::nullopt;
}

// What the user would otherwise not learn: why nothing was printed, or that
// the page range ended the job. Each note goes to standard error and into
// the report.
std::vector<std::string> howTheJobEnded(const Vellora& control, bool result) {
  const PrintJob& job = control.job();
  const VelloraProperties& properties = control.props();
  const int lastPage = job.Printing == 1 ? job.PageCounter : job.PageCounter + 1;
  std::vector<std::string> notes;
  if (!result && !job.StopRequested) {
    const std::string failure = host::printer().device() ? host::printer().device()->lastFailure() : std::string();
    if (!failure.empty()) {
      notes.push_back("cannot write " + failure);
    } else if (!job.FailureText.empty()) {
      notes.push_back("the print job failed: " + job.FailureText);
    } else if (lastPage < properties.FromPage) {
      notes.push_back("the page range starts at page " + std::to_string(properties.FromPage) + " but the form has " +
                      std::to_string(lastPage) + (lastPage == 1 ? " page" : " pages") + ": nothing was printed");
    }
  }
  if (result && job.JobEnded && properties.ToPage > 0 && lastPage >= properties.ToPage) {
    notes.push_back("the page range ended the job at page " + std::to_string(properties.ToPage) + " (ToPage " +
                    std::to_string(properties.ToPage) + "); the form goes on beyond it");
  }
  return notes;
}

void tellHowTheJobEnded(const Vellora& control, bool result, JobRecord& record) {
  for (const std::string& note : howTheJobEnded(control, result)) {
    std::cerr << "vellora: " << note << std::endl;
    record.notes.append(QString::fromStdString(note));
  }
}

// A file the program wrote as the user names it: relative to the current
// folder when it lies inside it.
std::string shownPath(const fs::path& file) {
  std::error_code error;
  const fs::path relative = fs::proximate(file, fs::current_path(), error);
  if (error || relative.empty() || *relative.begin() == "..") return file.string();
  return relative.string();
}

// Says what the job wrote, so that no file is written or overwritten without a word.
void tellWhatWasWritten(const host::PrinterDevice& device, int pages) {
  if (device.driverName() != "PDF") return;
  std::cerr << "vellora: wrote " << shownPath(device.port()) << ", " << pages << (pages == 1 ? " page" : " pages")
            << std::endl;
}

// Copies what goes to standard error into a string as well while it lives,
// so that a form refused before any job can say in the report what the
// user was told.
class StandardErrorCopy {
 public:
  StandardErrorCopy() : tee_(*std::cerr.rdbuf(), copy_), original_(std::cerr.rdbuf(&tee_)) {}
  StandardErrorCopy(const StandardErrorCopy&) = delete;
  StandardErrorCopy& operator=(const StandardErrorCopy&) = delete;
  ~StandardErrorCopy() { std::cerr.rdbuf(original_); }

  // The lines written, each without the program's "vellora: ".
  [[nodiscard]] QJsonArray lines() const {
    QJsonArray lines;
    std::istringstream text(copy_.str());
    for (std::string line; std::getline(text, line);) {
      if (line.rfind("vellora: ", 0) == 0) line.erase(0, 9);
      lines.append(QString::fromStdString(line));
    }
    return lines;
  }

 private:
  class Tee final : public std::streambuf {
   public:
    Tee(std::streambuf& shown, std::stringbuf& kept) : shown_(shown), kept_(kept) {}

   protected:
    int overflow(int c) override {
      if (c == traits_type::eof()) return traits_type::not_eof(c);
      kept_.sputc(static_cast<char>(c));
      return shown_.sputc(static_cast<char>(c));
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
      kept_.sputn(text, count);
      return shown_.sputn(text, count);
    }
    int sync() override { return shown_.pubsync(); }

   private:
    std::streambuf& shown_;
    std::stringbuf& kept_;
  };

  std::stringbuf copy_;
  Tee tee_;
  std::streambuf* original_;
};

// One print dialog of the job and what came of it.
QJsonObject dialogReport(const host::PrintDialogRecord& dialog) {
  QJsonObject report{{"outcome", dialog.choice ? "confirmed" : "cancelled"}, {"shown", !dialog.scripted}};
  if (!dialog.choice) return report;
  const host::PrintDialogChoice& choice = *dialog.choice;
  report["printer"] = QString::fromStdString(choice.deviceName);
  report["fromPage"] = choice.fromPage;
  report["toPage"] = choice.toPage;
  report["copies"] = choice.settings.copies;
  report["orientation"] = choice.settings.orientation == 2 ? "landscape" : "portrait";
  report["paper"] = QString::fromStdString(host::paperName(choice.settings.paperSize));
  report["color"] = choice.settings.colorMode == 1 ? "monochrome" : "color";
  return report;
}

// The dialog's outcome in a line for the user.
std::string dialogSummary(const host::PrintDialogRecord& dialog) {
  if (!dialog.choice) return "the print dialog was cancelled";
  const host::PrintDialogChoice& choice = *dialog.choice;
  const std::string range =
      choice.toPage == 0 ? "from page " + std::to_string(choice.fromPage)
                         : "pages " + std::to_string(choice.fromPage) + " to " + std::to_string(choice.toPage);
  return "the print dialog was confirmed: " + choice.deviceName + ", " + range + ", " +
         std::to_string(choice.settings.copies) + (choice.settings.copies == 1 ? " copy, " : " copies, ") +
         (choice.settings.orientation == 2 ? "landscape" : "portrait");
}

// Where a printer's output goes: the PDF printer's file, or the queue.
std::string outputOf(const host::PrinterDevice& device) {
  return device.driverName() == "PDF" ? device.port() : device.deviceName();
}

// Writes the report; false after saying why it could not.
bool writeReport(const fs::path& file, const JobRecord& record) {
  QJsonArray messages;
  for (const host::MessageRecord& message : host::ui().messages()) {
    messages.append(QJsonObject{{"text", QString::fromStdString(message.text)}, {"style", message.style}});
  }
  QJsonArray dialogs;
  for (const host::PrintDialogRecord& dialog : host::ui().printDialogs()) dialogs.append(dialogReport(dialog));
  const QJsonObject report{{"result", record.result},
                           {"events", record.events},
                           {"messages", messages},
                           {"dialogs", dialogs},
                           {"pages", record.pages},
                           {"output", QString::fromStdString(record.output)},
                           {"outputs", record.outputs},
                           {"notes", record.notes}};
  const QByteArray text = QJsonDocument(report).toJson(QJsonDocument::Indented);
  const std::optional<std::string> failure =
      host::writeWholeFile(file, std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  if (failure) std::cerr << "vellora: cannot write the report " << file.string() << ": " << *failure << std::endl;
  return !failure;
}

// The pages a finished print job delivered: the last page's number less
// the pages before the range.
int printedPages(const Vellora& control) {
  const int first = std::max<int>(control.props().FromPage, 1);
  return std::max(0, control.job().PageCounter - first + 1);
}

std::vector<host::Picture> previewPages(const Vellora& control) {
  std::vector<host::Picture> pages;
  for (const auto& surface : control.job().PageStore) {
    if (surface && surface->isReady()) pages.push_back(surface->dc()->picture());
  }
  return pages;
}

// Runs the preview window until it is closed; its Print button then prints
// on the control's next repaint, and that print is one more output.
void runPreviewWindow(Vellora& control, JobRecord& record) {
  while (control.job().preview && control.job().preview->isOpen()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
  }
  const bool printing = control.job().PrintRequested;
  // Save as PDF prints into the file chosen, not on the current printer.
  const std::shared_ptr<host::PrinterDevice> output = control.job().PrintToPdfFile
                                                          ? host::makePdfPrinter(*control.job().PrintToPdfFile)
                                                          : host::printer().device();
  control.Paint();
  if (!printing || !control.LastPrintResult()) return;
  const bool printed = *control.LastPrintResult();
  tellHowTheJobEnded(control, printed, record);
  if (printed) {
    addOutput(record, outputOf(*output), printedPages(control));
    tellWhatWasWritten(*output, printedPages(control));
  }
}

// A form file's emulated form with its print control.
class FileJobForm final : public app::JobForm {
 public:
  FileJobForm(std::shared_ptr<host::Form> form, std::shared_ptr<Vellora> control)
      : form_(std::move(form)), control_(std::move(control)) {}
  ~FileJobForm() override { form_->unload(); }

  Vellora& control() override { return *control_; }
  bool print() override { return control_->LVPrint(); }
  bool preview() override { return control_->Preview(); }

 private:
  std::shared_ptr<host::Form> form_;
  std::shared_ptr<Vellora> control_;
};

// The form file's form; nullptr after saying why.
std::unique_ptr<app::JobForm> openFormFile(const fs::path& file, const fs::path& programDir) {
  registerOwnComponents(programDir);
  std::shared_ptr<host::Form> form = app::loadFormOrSayWhy(file);
  if (!form) return nullptr;
  for (const std::string& note : form->loadNotes())
    std::cerr << "vellora: " << file.string() << ": " << note << std::endl;
  std::shared_ptr<Vellora> control = printControlOf(*form);
  if (!control) {
    std::cerr << "vellora: " << file.string() << ": its print control comes from another library than "
              << (programDir / "libVelloractl.so").string() << std::endl;
    form->unload();
    return nullptr;
  }
  return std::make_unique<FileJobForm>(std::move(form), std::move(control));
}

// Sets the print control up as the options ask; false after saying why not.
bool applyOptions(const cli::Options& options, Vellora& control) {
  for (const auto& [property, value] : options.settings) {
    if (!Vellora::isOwnProperty(property)) {
      std::cerr << "vellora: the print control has no property " << property << std::endl;
      return false;
    }
    try {
      control.set(property, host::Value(value));
    } catch (const host::HostError& error) {
      std::cerr << "vellora: --set " << property << "=" << value << ": " << error.what() << std::endl;
      return false;
    }
  }
  if (options.printer) {
    control.setPrinterName(*options.printer);
    if (!host::equalsNoCase(control.props().PrinterName, *options.printer)) {
      std::cerr << "vellora: no printer named " << *options.printer << " (see vellora printers)" << std::endl;
      return false;
    }
  }
  if (options.dialog) {
    if (options.dialogAnswer) {
      if (options.dialogAnswer->printer && !installedPrinter(*options.dialogAnswer->printer)) {
        std::cerr << "vellora: --dialog: no printer named " << *options.dialogAnswer->printer
                  << " (see vellora printers)" << std::endl;
        return false;
      }
      // More copies than the printer makes would print one set, silently.
      const std::shared_ptr<host::PrinterDevice> answered =
          options.dialogAnswer->printer ? findPrinter(*options.dialogAnswer->printer) : host::printer().device();
      if (options.dialogAnswer->copies && answered &&
          *options.dialogAnswer->copies > answered->capabilities().maxCopies) {
        std::cerr << "vellora: --dialog: copies=" << *options.dialogAnswer->copies << ": " << answered->deviceName()
                  << " makes 1 to " << answered->capabilities().maxCopies << " copies" << std::endl;
        return false;
      }
      host::ui().setPrintDialogScript(*options.dialogAnswer);
    }
    control.setShowPrinterAlways(true);
  }
  return true;
}

// Runs the print or preview job on either kind of form and writes its
// outputs and report.
int runJob(const cli::Options& options, app::JobForm& form) {
  Vellora& control = form.control();
  JobRecord record;
  subscribe(control, record);
  if (!applyOptions(options, control)) return exitBadInput;
  std::optional<std::string> writeFailure;
  if (options.command == cli::Command::Print) {
    record.result = form.print();
    for (const host::PrintDialogRecord& dialog : host::ui().printDialogs())
      std::cerr << "vellora: " << dialogSummary(dialog) << std::endl;
    tellHowTheJobEnded(control, record.result, record);
    if (options.png) {
      auto memory = std::dynamic_pointer_cast<host::MemoryPrinter>(host::printer().device());
      if (memory) {
        writeFailure = writePages(memory->pages(), *options.png);
        record.pages = static_cast<int>(memory->pages().size());
      }
      record.output = options.png->string();
    } else {
      record.pages = record.result ? printedPages(control) : 0;
      // The printer may have changed in the print dialog.
      record.output = outputOf(*host::printer().device());
      if (record.result) tellWhatWasWritten(*host::printer().device(), record.pages);
    }
  } else {
    record.result = form.preview();
    tellHowTheJobEnded(control, record.result, record);
    const std::vector<host::Picture> pages = previewPages(control);
    record.pages = static_cast<int>(pages.size());
    if (options.window && host::ui().hasDisplay()) {
      record.output = "window";
      if (options.png) writeFailure = writePages(pages, *options.png);
    } else {
      const fs::path folder = options.png ? *options.png : fs::current_path();
      writeFailure = writePages(pages, folder);
      record.output = folder.string();
    }
  }
  if (writeFailure) {
    std::cerr << "vellora: cannot write " << *writeFailure << std::endl;
    record.result = false;
  }
  if (record.result || record.output == "window") addOutput(record, record.output, record.pages);
  if (options.command == cli::Command::Preview && record.output == "window" && record.result) {
    runPreviewWindow(control, record);
  }

  // A report that cannot be written fails the run: whoever reads it would read nothing, or an old one.
  if (options.report && !writeReport(*options.report, record)) return exitEndedFalse;
  return record.result ? exitCompleted : exitEndedFalse;
}

// Each printer with what it takes: the default first.
int listPrinters() {
  const auto printers = host::Printers::installed();
  for (std::size_t index = 0; index < printers.size(); ++index) {
    const host::PrinterDevice& printer = *printers[index];
    const host::PrinterDevice::Capabilities capabilities = printer.capabilities();
    std::string papers;
    for (int code : capabilities.paperSizes) papers += (papers.empty() ? "" : ", ") + host::paperName(code);
    std::cout << printer.deviceName() << (index == 0 ? "  (default)" : "") << "\n"
              << "  paper: " << papers << "\n"
              << "  colour: " << (capabilities.color ? "yes" : "no (monochrome only)") << "\n";
  }
  return exitCompleted;
}

// The printers a job runs with: the in-memory printer for page pictures;
// otherwise the installed ones, with the PDF printer writing where asked.
std::vector<std::shared_ptr<host::PrinterDevice>> jobPrinters(cli::Options& options) {
  if (options.command == cli::Command::Print && options.png) {
    return {host::MemoryPrinter::create("PNG pages", pngPrintDotsPerInch)};
  }
  // The PDF printer writes <form base name>.pdf in the current folder; a
  // preview's Print button prints there too.
  const fs::path pdf = options.pdf ? fs::absolute(*options.pdf)
                                   : fs::current_path() / (options.form.stem().string() + ".pdf");
  if (options.command == cli::Command::Print && !options.printer) options.pdf = pdf;
  return host::Printers::installed(pdf);
}

// Qt wants a private runtime folder; outside a desktop session (a terminal
// over ssh, a build job) there is none, and Qt would warn on every run.
void providePrivateRuntimeFolder() {
  if (getenv("XDG_RUNTIME_DIR") != nullptr) return;
  const fs::path folder = fs::temp_directory_path() / ("runtime-" + std::to_string(getuid()));
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return;
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0 && info.st_uid == getuid() && (info.st_mode & 0077) == 0)
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  auto parsed = cli::parse(arguments);
  if (auto* error = std::get_if<cli::UsageError>(&parsed)) {
    std::cerr << "vellora: " << error->message << "\nTry vellora --help." << std::endl;
    return exitBadInput;
  }
  cli::Options options = std::get<cli::Options>(parsed);
  if (options.command == cli::Command::Help) {
    std::cout << cli::helpText();
    return exitCompleted;
  }

  const bool window = options.command == cli::Command::Preview && options.window && app::displayAvailable();
  // The print dialog is shown only when it is not answered beforehand.
  const bool dialogShown = options.command == cli::Command::Print && options.dialog && !options.dialogAnswer;
  if (dialogShown && !app::displayAvailable()) {
    std::cerr << "vellora: --dialog shows the print dialog, which needs a display; without one give its answer "
                 "(--dialog cancel, --dialog ok, --dialog \"printer=NAME,from=2,to=4\")"
              << std::endl;
    return exitBadInput;
  }
  const bool qtInterface = window || dialogShown;
  if (!app::displayAvailable()) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  providePrivateRuntimeFolder();
  if (app::isResizerCommand(options.command))
    return app::runResizerCommand(options, argc, argv, programFolder(argv[0]));
  // A widget application also without a window: charts are drawn with the widget styles.
  QApplication application(argc, argv);

  if (options.command == cli::Command::Printers) return listPrinters();

  std::error_code error;
  if (!fs::is_regular_file(options.form, error)) {
    std::cerr << "vellora: cannot read the form file " << options.form.string() << std::endl;
    return exitBadInput;
  }
  std::unique_ptr<host::Ui> ui;
  if (qtInterface) {
    ui = host::makeQtUi();
  } else {
    ui = std::make_unique<host::HeadlessUi>();
  }
  host::Runtime runtime(std::move(ui), jobPrinters(options));
  const StandardErrorCopy refusal;
  const std::unique_ptr<app::JobForm> form = cli::isUiForm(options.form)
                                                 ? app::openUiForm(options.form, programFolder(argv[0]))
                                                 : openFormFile(options.form, programFolder(argv[0]));
  if (!form) {
    // A refused form reports as a job that ended False does, with what was said.
    JobRecord record;
    record.notes = refusal.lines();
    if (options.report) (void)writeReport(*options.report, record);
    return exitBadInput;
  }
  return runJob(options, *form);
}
