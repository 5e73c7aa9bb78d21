// The --dialog answer: "cancel", "ok" or KEY=VALUE pairs, given as the word
// after --dialog (taken as the answer only when it reads as one, else as a
// file) or as --dialog=ANSWER. The input's first NUL-separated part is the
// answer; the parts after it are further arguments of the same command line.
//
// A refusal is a UsageError; an answer taken holds only values the dialog
// can show (pages from 0, copies from 1, the known codes of orientation,
// paper, colour and duplex, a range that does not end before it starts), is
// the same however it was given, and confirms a dialog inside its page range.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "FuzzSupport.h"
#include "apps/CommandLine.h"
#include "host/PrintDialog.h"

namespace {

using Script = host::PrintDialogScript;

std::string describe(const Script& script) {
  auto number = [](const std::optional<int>& value) { return value ? std::to_string(*value) : std::string("-"); };
  return std::string(script.cancel ? "cancel" : "confirm") + " printer=" + script.printer.value_or("-") +
         " from=" + number(script.fromPage) + " to=" + number(script.toPage) + " copies=" + number(script.copies) +
         " orientation=" + number(script.orientation) + " paper=" + number(script.paperSize) +
         " color=" + number(script.colorMode) + " duplex=" + number(script.duplex);
}

bool within(const std::optional<int>& value, int low, int high) { return !value || (*value >= low && *value <= high); }

void checkScript(const Script& script, const std::string& answer) {
  const std::string shown = answer + " -> " + describe(script);
  if (!within(script.fromPage, 0, 999999) || !within(script.toPage, 0, 999999))
    fuzz::finding("a dialog answer with a page the range fields cannot show", shown);
  if (!within(script.copies, 1, 999999)) fuzz::finding("a dialog answer with copies below 1", shown);
  if (!within(script.orientation, 1, 2) || !within(script.colorMode, 1, 2) || !within(script.duplex, 1, 3))
    fuzz::finding("a dialog answer with an unknown code", shown);
  if (script.paperSize) {
    bool known = false;
    for (int code : host::knownPaperSizes()) known = known || code == *script.paperSize;
    if (!known) fuzz::finding("a dialog answer with an unknown paper size", shown);
  }
  if (script.fromPage && script.toPage && *script.toPage > 0 && *script.fromPage > *script.toPage)
    fuzz::finding("a dialog answer whose range ends before it starts", shown);

  // The dialog confirmed by the answer keeps its page range in its fields.
  host::PrintDialogRequest request;
  request.printers = {{"Memory", "", ""}, {"Office Laser", "", ""}};
  request.deviceName = "Memory";
  request.fromPage = 1;
  request.toPage = 40;
  request.minPage = 1;
  request.maxPage = 40;
  const std::optional<host::PrintDialogChoice> choice = host::answerByScript(request, script);
  if (script.cancel != !choice) fuzz::finding("a scripted dialog that does not do as the answer says", shown);
  if (!choice) return;
  if (choice->fromPage < 1 || choice->toPage > 40 || choice->fromPage > choice->toPage)
    fuzz::finding("a scripted dialog confirmed outside its page range",
                  shown + ": " + std::to_string(choice->fromPage) + " to " + std::to_string(choice->toPage));
  if (choice->settings.copies < 1) fuzz::finding("a scripted dialog confirmed without a copy", shown);
  if (choice->deviceName != "Memory" && choice->deviceName != "Office Laser")
    fuzz::finding("a scripted dialog confirmed a printer it does not list", choice->deviceName);
}

bool same(const Script& a, const Script& b) { return describe(a) == describe(b); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> parts = fuzz::argumentsOf(fuzz::textOf(data, size));
  const std::string& answer = parts.front();
  const std::vector<std::string> more(parts.begin() + 1, parts.end());
  fuzz::guarded([&] {
    const auto direct = cli::parseDialogAnswer(answer);
    if (const auto* script = std::get_if<Script>(&direct)) {
      checkScript(*script, answer);
    } else if (std::get<cli::UsageError>(direct).message.empty()) {
      fuzz::finding("a dialog answer refused without a reason", answer);
    }

    // --dialog=ANSWER is taken exactly as the answer alone is.
    std::vector<std::string> joined{"print", "form.json", "--dialog=" + answer};
    const auto withEquals = cli::parse(joined);
    if (const auto* options = std::get_if<cli::Options>(&withEquals)) {
      if (!options->dialogAnswer || !std::holds_alternative<Script>(direct) ||
          !same(*options->dialogAnswer, std::get<Script>(direct)))
        fuzz::finding("--dialog=ANSWER taken otherwise than the answer alone", answer);
    } else if (std::holds_alternative<Script>(direct)) {
      fuzz::finding("--dialog=ANSWER refused though the answer alone is taken",
                    std::get<cli::UsageError>(withEquals).message);
    }

    // --dialog ANSWER, among further arguments: an answer taken is the
    // answer alone, unless a later --dialog gives another.
    std::vector<std::string> separate{"print", "form.json", "--dialog", answer};
    separate.insert(separate.end(), more.begin(), more.end());
    const auto withWord = cli::parse(separate);
    if (const auto* options = std::get_if<cli::Options>(&withWord)) {
      if (!options->dialog) fuzz::finding("--dialog forgotten", answer);
      bool answeredLater = answer.starts_with("--");
      for (const std::string& argument : more) answeredLater = answeredLater || argument.starts_with("--dialog");
      if (options->dialogAnswer && !answeredLater &&
          (!std::holds_alternative<Script>(direct) || !same(*options->dialogAnswer, std::get<Script>(direct))))
        fuzz::finding("--dialog ANSWER taken otherwise than the answer alone", answer);
      if (options->dialogAnswer) checkScript(*options->dialogAnswer, answer);
      if (options->form != "form.json") fuzz::finding("the answer taken for the form", options->form.string());
    } else if (std::get<cli::UsageError>(withWord).message.empty()) {
      fuzz::finding("a command line refused without a reason", answer);
    }
  });
  return 0;
}
