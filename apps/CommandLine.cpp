#include "apps/CommandLine.h"

#include <algorithm>
#include <variant>

#include "host/Lang.h"
#include "host/PrintDialog.h"

namespace cli {

namespace {

// The value of an option that takes one; nothing when the arguments end.
std::optional<std::string> valueOf(const std::vector<std::string>& arguments, std::size_t& index) {
  if (index + 1 >= arguments.size()) return std::nullopt;
  return arguments[++index];
}

UsageError missingValue(const std::string& option) { return {option + " needs a value"}; }

// The argument after --dialog is its answer when it reads as one.
bool readsAsDialogAnswer(const std::string& argument) {
  return !argument.starts_with("--") &&
         (argument == "cancel" || argument == "ok" || argument.find('=') != std::string::npos);
}

std::optional<int> wholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return std::stoi(text);
}

// The value of one answer key, as the script holds it.
std::optional<int> keywordValue(const std::string& key, const std::string& value) {
  const std::string word = host::lowerCase(value);
  if (key == "orientation") {
    if (word == "portrait" || word == "1") return 1;
    if (word == "landscape" || word == "2") return 2;
  } else if (key == "color") {
    if (word == "monochrome" || word == "mono" || word == "1") return 1;
    if (word == "color" || word == "colour" || word == "2") return 2;
  } else if (key == "duplex") {
    if (word == "none" || word == "simplex" || word == "1") return 1;
    if (word == "short" || word == "2") return 2;
    if (word == "long" || word == "3") return 3;
  } else if (key == "paper") {
    for (int code : host::knownPaperSizes())
      if (host::equalsNoCase(host::paperName(code), value) || word == std::to_string(code)) return code;
  } else {
    const std::optional<int> number = wholeNumber(value);
    if (number && (*number >= 1 || key == "from" || key == "to")) return number;
  }
  return std::nullopt;
}

}  // namespace

std::variant<host::PrintDialogScript, UsageError> parseDialogAnswer(const std::string& text) {
  host::PrintDialogScript script;
  if (text == "cancel") {
    script.cancel = true;
    return script;
  }
  if (text == "ok") return script;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string pair = text.substr(start, end - start);
    start = end + 1;
    const std::size_t equals = pair.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == pair.size())
      return UsageError{"--dialog takes cancel, ok or KEY=VALUE,..., not \"" + pair + "\""};
    const std::string key = host::lowerCase(pair.substr(0, equals));
    const std::string value = pair.substr(equals + 1);
    if (key == "printer") {
      script.printer = value;
      continue;
    }
    static const std::vector<std::string> keys{"from", "to", "copies", "orientation", "paper", "color", "duplex"};
    if (std::find(keys.begin(), keys.end(), key) == keys.end())
      return UsageError{"--dialog has no answer " + key + " (printer, from, to, copies, orientation, paper, color, duplex)"};
    const std::optional<int> number = keywordValue(key, value);
    if (!number) return UsageError{"--dialog " + key + "=" + value + " cannot be taken"};
    if (key == "from") script.fromPage = number;
    if (key == "to") script.toPage = number;
    if (key == "copies") script.copies = number;
    if (key == "orientation") script.orientation = number;
    if (key == "paper") script.paperSize = number;
    if (key == "color") script.colorMode = number;
    if (key == "duplex") script.duplex = number;
  }
  return script;
}

std::variant<Options, UsageError> parse(const std::vector<std::string>& arguments) {
  Options options;
  if (arguments.empty()) return UsageError{"no command given (print, preview, printers or --help)"};
  const std::string& command = arguments.front();
  if (command == "--help" || command == "-h" || command == "help") {
    options.command = Command::Help;
    return options;
  }
  if (command == "print") {
    options.command = Command::Print;
  } else if (command == "preview") {
    options.command = Command::Preview;
  } else if (command == "printers") {
    options.command = Command::Printers;
  } else {
    return UsageError{"unknown command \"" + command + "\""};
  }

  for (std::size_t index = 1; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (argument == "--help" || argument == "-h") {
      options.command = Command::Help;
      return options;
    }
    if (argument == "--pdf" || argument == "--printer" || argument == "--png" || argument == "--set" ||
        argument == "--report") {
      std::optional<std::string> value = valueOf(arguments, index);
      if (!value) return missingValue(argument);
      if (argument == "--pdf") {
        options.pdf = *value;
      } else if (argument == "--printer") {
        options.printer = *value;
      } else if (argument == "--png") {
        options.png = *value;
      } else if (argument == "--report") {
        options.report = *value;
      } else {
        const std::size_t equals = value->find('=');
        if (equals == std::string::npos || equals == 0) {
          return UsageError{"--set takes PROPERTY=VALUE, not \"" + *value + "\""};
        }
        options.settings.emplace_back(value->substr(0, equals), value->substr(equals + 1));
      }
      continue;
    }
    if (argument == "--window") {
      options.window = true;
      continue;
    }
    if (argument == "--dialog" || argument.starts_with("--dialog=")) {
      options.dialog = true;
      std::optional<std::string> answer;
      if (argument != "--dialog") {
        answer = argument.substr(std::string("--dialog=").size());
      } else if (index + 1 < arguments.size() && readsAsDialogAnswer(arguments[index + 1])) {
        answer = arguments[++index];
      }
      if (answer) {
        auto script = parseDialogAnswer(*answer);
        if (auto* error = std::get_if<UsageError>(&script)) return *error;
        options.dialogAnswer = std::get<host::PrintDialogScript>(script);
      }
      continue;
    }
    if (argument.starts_with("--")) return UsageError{"unknown option " + argument};
    if (!options.form.empty()) return UsageError{"more than one form file given: " + argument};
    options.form = argument;
  }

  if (options.command == Command::Printers) {
    if (!options.form.empty() || options.pdf || options.printer || options.png || options.window ||
        !options.settings.empty() || options.report || options.dialog) {
      return UsageError{"printers takes no form and no options"};
    }
    return options;
  }
  if (options.form.empty()) return UsageError{"no form file given"};
  if (options.command == Command::Print) {
    const int outputs = (options.pdf ? 1 : 0) + (options.printer ? 1 : 0) + (options.png ? 1 : 0);
    if (outputs > 1) return UsageError{"give at most one of --pdf, --printer and --png"};
    if (options.window) return UsageError{"--window belongs to preview"};
  } else if (options.pdf || options.printer) {
    return UsageError{"--pdf and --printer belong to print"};
  } else if (options.dialog) {
    return UsageError{"--dialog belongs to print"};
  }
  return options;
}

std::string helpText() {
  return R"(vellora: prints and previews a form file with its print control.

Usage:
  vellora print FORM [--pdf PATH | --printer NAME | --png DIR] [--dialog [ANSWER]] [--set PROPERTY=VALUE]...
                [--report PATH]
  vellora preview FORM [--png DIR] [--window] [--set PROPERTY=VALUE]... [--report PATH]
  vellora printers
  vellora --help

Commands:
  print      Prints the form as its print control would (LVPrint). Without
             --pdf, --printer or --png the built-in PDF printer writes
             <form base name>.pdf into the current folder.
  preview    Makes the preview pages of the form (Preview). With --window and a
             display the preview window is shown; the program ends when it is
             closed, and its Print button then prints the form. Otherwise the
             preview pages are written as page-001.png, page-002.png, ... into
             the --png folder, or into the current folder.
  printers   Lists the installed printers, the default first, each with the
             paper sizes it takes and whether it prints in colour.

Options:
  --pdf PATH        print to this PDF file.
  --printer NAME    print on this installed printer (see "vellora printers";
                    the name is matched without regard to case).
  --png DIR         print: render the pages at 150 dots per inch and write them
                    as DIR/page-001.png, ...; preview: write the preview pages there.
  --window          preview: show the preview window (needs a display).
  --dialog [ANSWER] print: the print dialog comes before the job (as with
                    ShowPrinterAlways); cancelling it ends the job unprinted.
                    Without ANSWER the dialog is shown (needs a display). The
                    ANSWER answers it without a display: "cancel", "ok" (as
                    it stands), or KEY=VALUE pairs separated by commas:
                      printer=NAME   an installed printer (any letter case)
                      from=N, to=N   the page range
                      copies=N
                      orientation=portrait|landscape
                      paper=A4|Letter|Legal|... (see vellora printers)
                      color=color|monochrome
                      duplex=none|long|short
                    e.g. --dialog "printer=Office,from=2,to=4,copies=2".
  --set P=V         assign V to the print control's property P before the job,
                    through the property's own checks (e.g. --set Zoom=80,
                    --set FromPage=2, --set TopTitle="Orders"). May be repeated;
                    applied in order.
  --report PATH     write a JSON report of the job: its result, the events
                    raised (BeforePrint with Mode, Page with PageNumber,
                    AfterPrint), the message boxes shown, the print dialogs
                    with their outcome, the number of pages and the output
                    written.

The form file is a JSON form. Its print control is used with its saved
settings; a form without one gets a print control with default settings.
Progress ("page N") and message boxes are written to standard error.

Exit status:
  0  the job ran to its end
  1  the job ended without result (cancelled, stopped, no printer, the
     printer refused the document)
  2  bad arguments, or the form file could not be read
)";
}

}  // namespace cli
