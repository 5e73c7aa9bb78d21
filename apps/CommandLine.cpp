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

// The argument after --dialog is its answer unless it is another option or
// reads as a file (a name with an extension or a folder): an empty or
// half-written answer ("", ",,", "from") is refused as an answer, not taken
// for a second form file.
bool readsAsDialogAnswer(const std::string& argument) {
  if (argument.starts_with("--")) return false;
  if (argument.find_first_of("=,") != std::string::npos) return true;
  return argument.find_first_of("./") == std::string::npos;
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

// WxH with two whole numbers from 1 to 100000.
std::optional<PixelSize> pixelSize(const std::string& text) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return std::nullopt;
  auto whole = [](const std::string& part) -> std::optional<int> {
    if (part.empty() || part.size() > 6 || part.find_first_not_of("0123456789") != std::string::npos)
      return std::nullopt;
    const int value = std::stoi(part);
    if (value < 1 || value > 100000) return std::nullopt;
    return value;
  };
  const auto width = whole(text.substr(0, x));
  const auto height = whole(text.substr(x + 1));
  if (!width || !height) return std::nullopt;
  return PixelSize{*width, *height};
}

bool isResizeOption(const std::string& argument) {
  return argument == "--screen" || argument == "--client" || argument == "--zoom" || argument == "--out" ||
         argument == "--print";
}

// Takes one of the options of resize and run; a refusal says why.
std::optional<UsageError> takeResizeOption(const std::string& option, const std::string& value, Options& options) {
  if (option == "--screen" || option == "--client") {
    const auto size = pixelSize(value);
    if (!size) return UsageError{option + " takes WIDTHxHEIGHT in pixels (e.g. 1280x1024), not \"" + value + "\""};
    if (option == "--screen") {
      options.screen = *size;
    } else {
      options.steps.emplace_back(ClientStep{*size});
    }
  } else if (option == "--zoom") {
    if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789-") != std::string::npos ||
        value.find('-', 1) != std::string::npos || value == "-")
      return UsageError{"--zoom takes a whole number of percent, not \"" + value + "\""};
    if (std::stoi(value) <= 0) return UsageError{"--zoom takes a percent above 0, not " + value};
    options.steps.emplace_back(ZoomStep{std::stoi(value)});
  } else if (option == "--out") {
    options.out = value;
  } else {
    options.print = value;
  }
  return std::nullopt;
}

// What resize and run accept, and that the other commands take none of it.
std::optional<UsageError> checkResizeCommands(const Options& options) {
  const bool resizing = options.command == Command::Resize || options.command == Command::Run;
  if (!resizing) {
    if (options.screen || !options.steps.empty() || options.out || options.print)
      return UsageError{"--screen, --client, --zoom, --out and --print belong to resize and run"};
    return std::nullopt;
  }
  if (options.pdf || options.printer || options.window || !options.settings.empty() || options.report)
    return UsageError{"resize and run take --screen, --client, --zoom, --out, --png and --print only"};
  if (options.command == Command::Resize && !options.screen) return UsageError{"resize needs --screen WIDTHxHEIGHT"};
  if (options.command == Command::Run) {
    bool zooms = false;
    for (const ResizeStep& step : options.steps) zooms = zooms || std::holds_alternative<ZoomStep>(step);
    if (zooms || options.out || options.print) return UsageError{"--zoom, --out and --print belong to resize"};
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
  // An inverted range is refused as the page range properties refuse it.
  if (script.fromPage && script.toPage && *script.toPage > 0 && *script.fromPage > *script.toPage)
    return UsageError{"--dialog from=" + std::to_string(*script.fromPage) + ",to=" + std::to_string(*script.toPage) +
                      ": FromPage must be smaller or equal to ToPage"};
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
  } else if (command == "resize") {
    options.command = Command::Resize;
  } else if (command == "run") {
    options.command = Command::Run;
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
    if (isResizeOption(argument)) {
      std::optional<std::string> value = valueOf(arguments, index);
      if (!value) return missingValue(argument);
      if (auto refused = takeResizeOption(argument, *value, options)) return *refused;
      continue;
    }
    if (argument == "--window") {
      options.window = true;
      continue;
    }
    if (argument == "--as-printed") {
      options.asPrinted = true;
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
    if (!options.form.empty() || options.pdf || options.printer || options.png || options.window || options.asPrinted ||
        !options.settings.empty() || options.report || options.dialog || options.screen || !options.steps.empty() ||
        options.out || options.print) {
      return UsageError{"printers takes no form and no options"};
    }
    return options;
  }
  if (options.form.empty()) return UsageError{"no form file given"};
  if (auto refused = checkResizeCommands(options)) return *refused;
  if (options.command == Command::Resize || options.command == Command::Run) {
    // The resizer keeps its recorded layout in the form file it resizes.
    return options;
  }
  // The preview as printed is the control's property, set before the job.
  if (options.asPrinted && options.command == Command::Preview) {
    options.settings.emplace_back("PreviewAsPrinted", "True");
  }
  if (options.command == Command::Print) {
    const int outputs = (options.pdf ? 1 : 0) + (options.printer ? 1 : 0) + (options.png ? 1 : 0);
    if (outputs > 1) return UsageError{"give at most one of --pdf, --printer and --png"};
    if (options.window) return UsageError{"--window belongs to preview"};
    if (options.asPrinted) return UsageError{"--as-printed belongs to preview"};
  } else if (options.pdf || (options.printer && !options.asPrinted)) {
    return UsageError{options.printer ? "--printer belongs to print and to preview --as-printed"
                                      : "--pdf and --printer belong to print"};
  } else if (options.dialog) {
    return UsageError{"--dialog belongs to print"};
  }
  return options;
}

bool isUiForm(const std::filesystem::path& form) { return host::equalsNoCase(form.extension().string(), ".ui"); }

std::string helpText() {
  return R"(vellora: prints and previews a form with its print control.

Usage:
  vellora print FORM [--pdf PATH | --printer NAME | --png DIR] [--dialog [ANSWER]] [--set PROPERTY=VALUE]...
                [--report PATH]
  vellora preview FORM [--png DIR] [--window] [--as-printed [--printer NAME]] [--set PROPERTY=VALUE]...
                [--report PATH]
  vellora printers
  vellora resize FORM --screen WxH [--client WxH | --zoom N]... [--out FILE] [--png FILE] [--print PDF]
  vellora run FORM [--screen WxH] [--client WxH]... [--png FILE]
  vellora --help

Commands:
  print      Prints the form as its print control would (LVPrint). Without
             --pdf, --printer or --png the built-in PDF printer writes
             <form base name>.pdf into the current folder.
  preview    Makes the preview pages of the form (Preview). With --window and a
             display the preview window is shown; the program ends when it is
             closed, and its Print button then prints the form (Save as PDF
             into a PDF file chosen in a dialog). In the window PgUp/PgDn,
             Home/End, the arrows and the wheel page and scroll, a page number
             typed into the page list goes there, Ctrl+P prints and Esc
             closes; the zoom list, - and + (Ctrl+wheel, Ctrl+minus,
             Ctrl+plus, Ctrl+0 for 100 %) zoom from 25 % to 400 % or fit the
             page or its width, and the window remembers its zoom and a place
             you gave it. Otherwise the
             preview pages are written as page-001.png, page-002.png, ... into
             the --png folder, or into the current folder.
  printers   Lists the installed printers, the default first, each with the
             paper sizes it takes and whether it prints in colour.
  resize     Shows the form's resizer (Gauxel) on a screen of --screen pixels,
             as the form does when it opens: on the screen the form was
             designed on, the form goes back to its recorded place and size;
             on another, the form is adapted to it. Then each --client and
             --zoom is applied in the order given: --client WxH gives the form
             a client area of W by H pixels and lets the resizer's poll tick
             once (the controls follow only when the resizer's Resize is
             True, as saved in the form); --zoom N assigns N to the resizer's
             Zoom (any new value scales every control to N percent of its
             recorded layout). After each step one line goes to standard
             output: the step, the form's client size in twips, Factor,
             FactorH, Zoom, Resize and the ratios in force (and one more
             after --print). Finally --out writes the
             resulting form file, --png a picture of the form, and --print
             prints the form through its print control into a PDF file (the
             print control sets the resizer back to the design scale for the
             job and restores it afterwards).
  run        Opens the form as a live window with its resizer at work: resizing
             the window resizes the form, the resizer's poll scales every
             control and the window shows the new layout. The print control's
             Preview and Print buttons on the form start their jobs (a form
             without a print control gets none). The program ends when the
             window is closed. With --client the window is resized to each
             size in turn as a user would; with --png the window's picture is
             written to FILE once the last size has been followed, and the
             program ends (a scripted run, also without a display).

Options:
  --pdf PATH        print to this PDF file.
  --printer NAME    print on this installed printer (see "vellora printers";
                    the name is matched without regard to case).
  --png DIR         print: render the pages at 150 dots per inch and write them
                    as DIR/page-001.png, ...; preview: write the preview pages there.
  --window          preview: show the preview window (needs a display).
  --as-printed      preview: the pages are laid out by the print job for the
                    printer (the built-in PDF printer, or --printer NAME),
                    which prints nothing: page for page what print produces
                    (the control's PreviewAsPrinted).
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
  --screen WxH      resize, run: the screen size in pixels the form opens on
                    (run: in place of the real screen's).
  --client WxH      resize, run: a new client size of the form in pixels (a
                    pixel is 15 twips); may be repeated.
  --zoom N          resize: assign N to the resizer's Zoom; may be repeated.
  --out FILE        resize: write the resulting form file.
  --png FILE        resize, run: write a picture of the form (PNG).
  --print PDF       resize: print the resulting form into this PDF file.
  --report PATH     write a JSON report of the job: its result, the events
                    raised (BeforePrint with Mode, Page with PageNumber,
                    AfterPrint), the message boxes shown, the print dialogs
                    with their outcome, the number of pages and the output
                    written.

FORM is a JSON form file, or a Qt Designer form (a .ui file, loaded as live
Qt widgets and printed as they show). A form's
print control (in a .ui form a vellora::PrintControl widget, made by the
project's Designer plugin) is used with its saved settings; a form without
one gets a print control with default settings. --set applies on top. A .ui
file that is not well-formed, or names a widget or layout class that neither
Qt's UI loader nor a Designer plugin on its path makes, is refused with the
file, line and class, and nothing is printed.
resize and run need a JSON form with a resizer (a control of Type "Gauxel"),
or a .ui form: its vellora::Resizer widget is at work on its live widgets (a
.ui form without one gets one that follows the form's size); widgets placed
by hand move and size with the form, those in a Qt layout keep to their
layout and scale their font. resize --out takes JSON forms only (Qt Designer
saves .ui forms).
Progress ("page N") and message boxes are written to standard error.

Exit status:
  0  the job ran to its end
  1  the job ended without result (cancelled, stopped, no printer, the
     printer refused the document)
  2  bad arguments, or the form could not be read (a .ui form: or it is not
     well-formed or names an unknown widget class; resize, run: or a JSON
     form has no resizer, or an output could not be written)
)";
}

}  // namespace cli
