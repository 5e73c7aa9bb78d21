#pragma once
// The vellora command line: what was asked for, read from the arguments.
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "host/PrintDialog.h"

namespace cli {

// The program's exit status: the job completed; it ended with False (nothing
// or not all printed, output not written); the input was refused.
inline constexpr int exitCompleted = 0;
inline constexpr int exitEndedFalse = 1;
inline constexpr int exitBadInput = 2;

enum class Command { Print, Preview, Printers, Resize, Run, Help };

// A size in pixels given as WxH (--screen, --client).
struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
// One step of resize, in the order given: a new client size (a poll tick) or
// an assignment of the resizer's Zoom.
struct ClientStep {
  PixelSize client;
};
struct ZoomStep {
  int percent = 100;
};
using ResizeStep = std::variant<ClientStep, ZoomStep>;

struct Options {
  Command command = Command::Help;
  std::filesystem::path form;
  std::optional<std::filesystem::path> pdf;  // print: the PDF file to write
  std::optional<std::string> printer;        // print: the printer to use
  std::optional<std::filesystem::path> png;  // print or preview: the folder for page pictures
  bool window = false;                       // preview: show the preview window
  bool asPrinted = false;                    // preview: the pages as the print job lays them out
  bool dialog = false;                       // print: the print dialog comes first
  std::optional<host::PrintDialogScript> dialogAnswer;  // print: the dialog's answers, given beforehand
  std::vector<std::pair<std::string, std::string>> settings;  // --set PROPERTY=VALUE, in order
  std::optional<std::filesystem::path> report;
  // resize and run: the screen the form opens on, the steps in order, and
  // where the resulting form file (--out) and printout (--print) go; --png
  // names the picture file of the form.
  std::optional<PixelSize> screen;
  std::vector<ResizeStep> steps;
  std::optional<std::filesystem::path> out;
  std::optional<std::filesystem::path> print;
};

// Arguments that cannot be taken; the message says why.
struct UsageError {
  std::string message;
};

// Reads the arguments after the program name. Returns the options or the
// reason they cannot be taken.
[[nodiscard]] std::variant<Options, UsageError> parse(const std::vector<std::string>& arguments);

// The print dialog's answers as --dialog takes them: "cancel", "ok", or
// KEY=VALUE pairs separated by commas (printer, from, to, copies,
// orientation, paper, color, duplex). Returns the script or the reason it
// cannot be taken.
[[nodiscard]] std::variant<host::PrintDialogScript, UsageError> parseDialogAnswer(const std::string& text);

// Whether a form is a Qt Designer form (a .ui file, in any letter case)
// rather than a JSON form file.
[[nodiscard]] bool isUiForm(const std::filesystem::path& form);

// The full help text.
[[nodiscard]] std::string helpText();

}  // namespace cli
