#pragma once
// What the renderers of the text, check box, line, shape and frame families
// share: the renderer contract's unit conversion and entry advance, the
// "newpage" tag, colours and fonts read from a host control, and the two ways
// a renderer meets a failing statement.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "host/Dc.h"
#include "host/Font.h"
#include "host/HostError.h"
#include "host/Object.h"
#include "layout/Pagination.h"
#include "layout/PrintJob.h"

namespace renderers {

// Host twips as page units: twips / TwipsPerUnit x LayoutFactor.
[[nodiscard]] double scaled(const PrintJob& job, double twips);

// The font a control prints in at the job's LayoutFactor: its size scaled by
// the factor (and by a further 1 / 1.1 on the preview page); unchanged at 1.
[[nodiscard]] host::Font layoutFont(const PrintJob& job, host::Font font);

// Applies the current record's Advance to CurY.
void applyAdvance(PrintJob& job);

// True when the control's Tag is exactly "newpage" and it is not the first
// control of the list: such a control starts a new page.
[[nodiscard]] bool wantsNewPage(const PrintJob& job, const host::Object& control);

// The print control's TextHeight of "A" in its current font, in pixels.
[[nodiscard]] double controlLineHeight(PrintJob& job);

// Lifts CurY to one line of the print control's font below the body top.
void keepBelowBodyTop(PrintJob& job);

// A colour property of a control as the RGB value drawn (system colours translated).
[[nodiscard]] std::int32_t colorProperty(const host::Object& control, std::string_view name);

// The form being printed; error 424 (Object required) when the job has none.
[[nodiscard]] host::Object& hostForm(const PrintJob& job);

// Yields to the host's message loop once.
void yieldToHost();

// The printer's page, and the printer's font set on it as well as on the Printer object.
[[nodiscard]] host::Dc& printerDc();
void setPrinterFont(const host::Font& font);

// Runs a renderer; a run-time error ends it through the common error exit.
template <class Body>
void reportingErrors(PrintJob& job, Body&& body) {
  try {
    body();
  } catch (const host::HostError& error) {
    ReportJobError(job, error);
  }
}

// How a renderer treats a statement that raises a host run-time error.
enum class FailureStyle {
  StatementByStatement,  // the statement is passed over and the next one runs
  AbandonControl,        // the error leaves the renderer; its boundary returns
};

// Runs the statements of one renderer in its failure style.
class Statements {
 public:
  explicit Statements(FailureStyle style) : style_(style) {}

  template <class Statement>
  void operator()(Statement&& statement) const {
    if (style_ == FailureStyle::StatementByStatement) {
      host::resume(std::forward<Statement>(statement));
    } else {
      statement();
    }
  }

  // A condition whose evaluation fails counts as False.
  template <class Condition>
  [[nodiscard]] bool test(Condition&& condition) const {
    bool result = false;
    (*this)([&] { result = condition(); });
    return result;
  }

 private:
  FailureStyle style_;
};

// The font of a host control (its Font, or another font property such as a
// grid's HeadFont), copied property by property (Name, Bold, Italic,
// Underline, Charset, Weight, Strikethrough, Size) through `run`, so a
// statement-by-statement renderer keeps what it could read.
template <class Runner>
[[nodiscard]] host::Font readFont(const host::Object& control, const Runner& run, std::string_view property = "Font") {
  host::Font font;
  host::ObjectRef source;
  run([&] { source = host::getObject(control, property); });
  if (!source) return font;
  run([&] { font.setName(source->get("Name").toString()); });
  run([&] { font.setBold(source->get("Bold").toBool()); });
  run([&] { font.setItalic(source->get("Italic").toBool()); });
  run([&] { font.setUnderline(source->get("Underline").toBool()); });
  run([&] { font.setCharset(source->get("Charset").toInteger()); });
  run([&] { font.setWeight(source->get("Weight").toInteger()); });
  run([&] { font.setStrikethrough(source->get("Strikethrough").toBool()); });
  run([&] { font.setSize(source->get("Size").toDouble()); });
  return font;
}

[[nodiscard]] inline host::Font fontOf(const host::Object& control, std::string_view property = "Font") {
  return readFont(control, Statements(FailureStyle::AbandonControl), property);
}

}  // namespace renderers
