// The print dialog's contract: the scripted answer, and how the interface
// chooses between the script, the real dialog and an answer as it stands.
#include "host/PrintDialog.h"

#include <algorithm>

#include "host/Lang.h"
#include "host/Ui.h"

namespace host {

namespace {

// The range fields take pages from minPage to maxPage, and the end of the
// range is never before its start.
void keepRangeInFields(PrintDialogChoice& choice, const PrintDialogRequest& request) {
  const int last = request.maxPage > 0 ? std::max(request.maxPage, request.minPage) : lastPageWithoutEnd;
  choice.fromPage = std::clamp(choice.fromPage, request.minPage, last);
  choice.toPage = std::clamp(choice.toPage, request.minPage, last);
  choice.toPage = std::max(choice.toPage, choice.fromPage);
}

}  // namespace

std::optional<PrintDialogChoice> answerByScript(const PrintDialogRequest& request, const PrintDialogScript& script) {
  if (script.cancel) return std::nullopt;
  PrintDialogChoice choice{request.deviceName, request.settings, request.scale, request.fromPage, request.toPage};
  if (script.printer) {
    // The dialog lists only installed printers; it shows their own spelling.
    for (const DialogPrinter& printer : request.printers) {
      if (!equalsNoCase(printer.deviceName, *script.printer)) continue;
      choice.deviceName = printer.deviceName;
      break;
    }
  }
  if (script.copies) choice.settings.copies = std::max(1, *script.copies);
  if (script.orientation) choice.settings.orientation = *script.orientation;
  if (script.paperSize) choice.settings.paperSize = *script.paperSize;
  if (script.colorMode) choice.settings.colorMode = *script.colorMode;
  if (script.duplex) choice.settings.duplex = *script.duplex;
  if (script.fromPage || script.toPage) {
    if (script.fromPage) choice.fromPage = *script.fromPage;
    if (script.toPage) choice.toPage = *script.toPage;
    keepRangeInFields(choice, request);
  }
  return choice;
}

std::optional<PrintDialogChoice> Ui::printDialog(const PrintDialogRequest& request) {
  PrintDialogRecord record{request, std::nullopt, true};
  if (printDialogScript_) {
    record.choice = answerByScript(request, *printDialogScript_);
  } else if (hasDisplay()) {
    record.scripted = false;
    record.choice = showPrintDialog(request);
  } else {
    // Nobody could answer a dialog: it is confirmed as it stands.
    record.choice = answerByScript(request, PrintDialogScript{});
  }
  printDialogs_.push_back(record);
  return record.choice;
}

std::optional<PrintDialogChoice> Ui::showPrintDialog(const PrintDialogRequest& request) {
  return answerByScript(request, PrintDialogScript{});
}

std::optional<std::filesystem::path> Ui::saveFileDialog(const std::string& title,
                                                        const std::filesystem::path& suggested) {
  if (saveFileScript_) {
    if (saveFileScript_->empty()) return std::nullopt;
    return *saveFileScript_;
  }
  if (!hasDisplay()) return std::nullopt;
  return showSaveFileDialog(title, suggested);
}

std::optional<std::filesystem::path> Ui::showSaveFileDialog(const std::string& /*title*/,
                                                            const std::filesystem::path& /*suggested*/) {
  return std::nullopt;
}

std::optional<std::string> Ui::setting(const std::string& key) const {
  const auto found = settings_.find(key);
  if (found == settings_.end() || found->second.empty()) return std::nullopt;
  return found->second;
}

void Ui::setSetting(const std::string& key, const std::string& value) { settings_[key] = value; }

}  // namespace host
