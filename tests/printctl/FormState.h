#pragma once
// What a job may change on a form, its controls and a resizer on it, taken
// before a job and after it: everything the form's file keeps (each property
// that differs from its default, and each control's data: cells, list items,
// documents, a resizer's property bag), and the run-time state a form file
// does not keep or keeps only in part (the form's scale, current cells, top
// rows and scroll positions, the selected tab and list item, fonts, a
// resizer's zoom). Reading a property a control does not have records
// "<none>".
#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/HostError.h"
#include "host/model/Control.h"
#include "host/model/FormFile.h"

namespace velloratest {

struct FormState {
  std::string formFile;
  std::map<std::string, std::string> properties;  // "Owner.Property" -> value
  bool operator==(const FormState&) const = default;
};

namespace formstate {

// The members a family lacks, as "Type.Member": asked for once, they are not
// asked for again (a raised error costs more than the rest of the reading).
inline std::set<std::string>& missingMembers() {
  static std::set<std::string> missing;
  return missing;
}

inline std::string read(const host::Object& object, const char* property) {
  const std::string member = object.typeName() + "." + property;
  if (missingMembers().contains(member)) return "<none>";
  std::string value = "<none>";
  try {
    value = object.get(property).toString();
  } catch (const host::HostError& error) {
    if (error.number() == host::err::MemberNotFound) missingMembers().insert(member);
  }
  return value;
}

inline void readFont(const host::Object& owner, const std::string& name,
                     std::map<std::string, std::string>& into) {
  static const char* const fontProperties[] = {"Name",      "Size",          "Bold",  "Italic",
                                               "Underline", "Strikethrough", "Weight"};
  host::ObjectRef font;
  host::resume([&] { font = owner.get("Font").toObject(); });
  if (!font) return;
  for (const char* property : fontProperties) into[name + ".Font." + property] = read(*font, property);
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

}  // namespace formstate

[[nodiscard]] inline FormState formState(const host::Form& form) {
  static const char* const formProperties[] = {
      "Left",      "Top",      "Width",      "Height",      "Visible",     "Caption",  "ScaleMode",
      "ScaleLeft", "ScaleTop", "ScaleWidth", "ScaleHeight", "WindowState", "BackColor"};
  static const char* const controlProperties[] = {
      "Left",      "Top",        "Width",       "Height",   "Visible",   "Caption",  "Text",
      "Value",     "Row",        "Col",         "TopRow",   "LeftCol",   "FirstRow", "Rows",
      "Cols",      "ListIndex",  "TopIndex",    "SelStart", "SelLength", "Tab",      "BackColor",
      "ForeColor", "Enabled",    "Redraw",      "X1",       "Y1",        "X2",       "Y2",
      "ScaleMode", "ScaleWidth", "ScaleHeight", "Resize",   "Zoom",      "factor",   "DesignZoom"};
  FormState state;
  host::resume([&] { state.formFile = host::saveFormText(form); });
  for (const char* property : formProperties)
    state.properties[std::string("Form.") + property] = formstate::read(form, property);
  formstate::readFont(form, "Form", state.properties);
  for (const host::ObjectRef& control : form.controls()) {
    const std::string name = formstate::read(*control, "Name");
    for (const char* property : controlProperties)
      state.properties[name + "." + property] = formstate::read(*control, property);
    formstate::readFont(*control, name, state.properties);
  }
  return state;
}

// What differs between two states: each property as "Owner.Property: before
// -> after", and the first lines of the form file that differ; empty when
// nothing does.
[[nodiscard]] inline std::string changes(const FormState& before, const FormState& after) {
  std::ostringstream out;
  for (const auto& [key, was] : before.properties) {
    const auto found = after.properties.find(key);
    const std::string is = found == after.properties.end() ? "<gone>" : found->second;
    if (is != was) out << key << ": " << was << " -> " << is << '\n';
  }
  for (const auto& [key, is] : after.properties) {
    if (!before.properties.contains(key)) out << key << ": <new> -> " << is << '\n';
  }
  const std::vector<std::string> was = formstate::lines(before.formFile);
  const std::vector<std::string> is = formstate::lines(after.formFile);
  int shown = 0;
  for (std::size_t line = 0; line < std::max(was.size(), is.size()) && shown < 4; ++line) {
    const std::string a = line < was.size() ? was[line] : "<none>";
    const std::string b = line < is.size() ? is[line] : "<none>";
    if (a == b) continue;
    out << "form file line " << line + 1 << ": " << a << " -> " << b << '\n';
    ++shown;
  }
  return out.str();
}

}  // namespace velloratest
