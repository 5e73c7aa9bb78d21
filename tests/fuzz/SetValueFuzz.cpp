// --set PROPERTY=VALUE: the command line splits the setting, and the print
// control takes the value text through its property's Let, converting it by
// the host language's rules (numbers, True/False, &H hexadecimal). The
// input's first NUL-separated part is the setting; the parts after it are
// further arguments of the same command line.
//
// A setting is refused with a UsageError (no PROPERTY=), as no property of
// the control, or with a HostError of the Let; one taken must keep a value
// the control can hold: a number converted from text is finite, a whole
// number is the text's number rounded half to even, and the control's
// settings, saved in its property bag, load into a new control and save
// the same again (a form saved after --set must load as it was).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "FuzzSupport.h"
#include "apps/CommandLine.h"
#include "host/HostError.h"
#include "host/model/Control.h"
#include "host/model/PropertyBag.h"
#include "printctl/Vellora.h"

namespace {

using host::Value;

// The conversions of a text agree with each other and never give a number
// the language has not: an infinity is an overflow.
void checkConversions(const std::string& text) {
  const Value value(text);
  std::optional<double> number;
  try {
    number = value.toDouble();
  } catch (const host::HostError&) {
  }
  if (number && !std::isfinite(*number)) fuzz::finding("text converted to a number that is not finite", text);
  auto whole = [&](auto convert, double low, double high, const char* what) {
    std::optional<double> converted;
    try {
      converted = static_cast<double>(convert());
    } catch (const host::HostError&) {
    }
    const bool fits = number && std::nearbyint(*number) >= low && std::nearbyint(*number) <= high;
    if (converted.has_value() != fits || (converted && *converted != std::nearbyint(*number)))
      fuzz::finding(what, text);
  };
  whole([&] { return value.toLong(); }, std::numeric_limits<std::int32_t>::min(),
        std::numeric_limits<std::int32_t>::max(), "a Long converted otherwise than its number rounded");
  whole([&] { return value.toInteger(); }, std::numeric_limits<std::int16_t>::min(),
        std::numeric_limits<std::int16_t>::max(), "an Integer converted otherwise than its number rounded");
  try {
    const float single = value.toSingle();
    if (!std::isfinite(single)) fuzz::finding("text converted to a Single that is not finite", text);
  } catch (const host::HostError&) {
  }
}

std::shared_ptr<Vellora> newControl(const std::shared_ptr<host::Form>& form, const char* name) {
  auto control = std::make_shared<Vellora>();
  form->adopt(control);
  control->set("Name", Value(name));
  control->InitProperties();
  return control;
}

// The bag's stored values as text, objects (the title font) left out.
std::string bagText(const host::PropertyBag& bag) {
  std::string text;
  for (const std::string& key : bag.keys()) {
    const Value stored = bag.stored(key);
    text += key + "=" + (stored.isObject() ? std::string("(object)") : stored.toString()) + "; ";
  }
  return text;
}

void applySetting(const std::string& property, const std::string& value) {
  if (!Vellora::isOwnProperty(property)) return;  // refused by name, as the program refuses it
  const auto form = host::Form::create("Form1");
  const auto control = newControl(form, "Vellora1");
  try {
    control->set(property, Value(value));
  } catch (const host::HostError&) {
    form->unload();
    return;  // the Let refuses the value
  }
  (void)control->get(property);
  host::PropertyBag saved;
  control->WriteProperties(saved);
  const auto loaded = newControl(form, "Vellora2");
  loaded->ReadProperties(saved);
  if (!saved.conversionProblems().empty())
    fuzz::finding("a setting taken by --set cannot be loaded back", property + "=" + value + ": " +
                                                                        saved.conversionProblems().front());
  host::PropertyBag savedAgain;
  loaded->WriteProperties(savedAgain);
  if (bagText(saved) != bagText(savedAgain))
    fuzz::finding("a setting taken by --set loads back otherwise",
                  property + "=" + value + "\n" + bagText(saved) + "\n---- then ----\n" + bagText(savedAgain));
  form->unload();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::startHost();
  const std::vector<std::string> parts = fuzz::argumentsOf(fuzz::textOf(data, size));
  fuzz::guarded([&] {
    std::vector<std::string> arguments{"print", "form.json", "--set", parts.front()};
    arguments.insert(arguments.end(), parts.begin() + 1, parts.end());
    const auto parsed = cli::parse(arguments);
    if (const auto* refused = std::get_if<cli::UsageError>(&parsed)) {
      if (refused->message.empty()) fuzz::finding("a command line refused without a reason", parts.front());
      return;
    }
    const cli::Options& options = std::get<cli::Options>(parsed);
    if (options.settings.empty()) fuzz::finding("--set taken without its setting", parts.front());
    const auto& [property, value] = options.settings.front();
    if (property.empty() || property + "=" + value != parts.front())
      fuzz::finding("--set split otherwise than at its first '='", parts.front());
    for (const auto& [name, text] : options.settings) {
      checkConversions(text);
      applySetting(name, text);
    }
  });
  return 0;
}
