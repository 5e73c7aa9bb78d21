// Combo boxes, list boxes and file list boxes.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/Families.h"
#include "host/model/ModelErrors.h"

namespace host {

namespace {

constexpr int PathNotFound = 76;

// The list-parallel indexed properties a family keeps (moved together when items come and go).
std::vector<std::string_view> parallelLists(const PropertyObject& control) {
  std::vector<std::string_view> names{"List", "ItemData"};
  if (control.hasProperty("Selected")) names.push_back("Selected");
  return names;
}

Value at(int i) { return Value(static_cast<std::int32_t>(i)); }

// Case-insensitive text order, as the host sorts list items.
bool sortsBefore(const std::string& a, const std::string& b) { return lowerCase(a) < lowerCase(b); }

}  // namespace

// --- ListControl ------------------------------------------------------------

void ListControl::declareList() {
  declare(PropertyDef{"List", ValueType::String, ""}.indexed(1));
  declare(PropertyDef{"ItemData", ValueType::Long, 0}.indexed(1));
  declare(PropertyDef{"ListCount", ValueType::Integer, 0}.readOnlyAtRunTime());
  declare({"ListIndex", ValueType::Integer, -1});
  declare(PropertyDef{"NewIndex", ValueType::Integer, -1}.readOnlyAtRunTime());
  declare({"Sorted", ValueType::Boolean, false});
}

Value ListControl::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "ListCount")) return Value(static_cast<std::int16_t>(listCount()));
  if (equalsNoCase(name, "List") && index.size() == 1) {
    // Reading past the last item gives an empty text, as the host's lists do.
    std::int32_t i = index[0].toLong();
    if (i >= listCount() || i == -1) return Value(std::string());
  }
  return Control::get(name, index);
}

void ListControl::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "ListIndex")) {
    std::int16_t i = value.toInteger();
    if (i < -1 || i >= listCount()) raise(err::InvalidPropertyValue, "Invalid property value: ListIndex");
    store("ListIndex", Value(i));
    onListIndexChanged();
    return;
  }
  Control::set(name, value, index);
  if (equalsNoCase(name, "Sorted") && value.toBool()) {
    // Sort the items already there, keeping each item's data with it.
    std::vector<int> order(static_cast<std::size_t>(listCount()));
    for (int i = 0; i < listCount(); ++i) order[static_cast<std::size_t>(i)] = i;
    std::vector<std::string> texts;
    for (int i = 0; i < listCount(); ++i) texts.push_back(stored("List", {at(i)}).toString());
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return sortsBefore(texts[static_cast<std::size_t>(a)], texts[static_cast<std::size_t>(b)]);
    });
    for (std::string_view list : parallelLists(*this)) {
      std::vector<Value> values;
      for (int i : order) values.push_back(stored(list, {at(i)}));
      for (int i = 0; i < listCount(); ++i) store(list, values[static_cast<std::size_t>(i)], {at(i)});
    }
    store("ListIndex", Value(-1));
  }
}

void ListControl::addItem(const std::string& item, int position) {
  int count = listCount();
  if (position < -1 || position > count) raise(err::InvalidProcedureCall, "Invalid procedure call: AddItem");
  if (position == -1) {
    position = count;
    if (stored("Sorted").toBool()) {
      position = 0;
      while (position < count && !sortsBefore(item, stored("List", {at(position)}).toString())) ++position;
    }
  }
  for (std::string_view list : parallelLists(*this)) {
    resizeIndexed(list, count + 1);
    for (int i = count; i > position; --i) store(list, stored(list, {at(i - 1)}), {at(i)});
    store(list, list == "List" ? Value(item) : Value(0), {at(position)});
  }
  store("NewIndex", Value(position));
  int selected = stored("ListIndex").toInteger();
  if (selected >= position) store("ListIndex", Value(selected + 1));
}

void ListControl::removeItem(int position) {
  int count = listCount();
  if (position < 0 || position >= count) raise(err::InvalidProcedureCall, "Invalid procedure call: RemoveItem");
  for (std::string_view list : parallelLists(*this)) {
    for (int i = position; i + 1 < count; ++i) store(list, stored(list, {at(i + 1)}), {at(i)});
    resizeIndexed(list, count - 1);
  }
  int selected = stored("ListIndex").toInteger();
  if (selected == position) {
    store("ListIndex", Value(-1));
  } else if (selected > position) {
    store("ListIndex", Value(selected - 1));
  }
  store("NewIndex", Value(-1));
}

void ListControl::clearList() {
  for (std::string_view list : parallelLists(*this)) resizeIndexed(list, 0);
  store("ListIndex", Value(-1));
  store("NewIndex", Value(-1));
}

Value ListControl::call(std::string_view name, Args args) {
  if (equalsNoCase(name, "AddItem")) {
    if (args.empty() || args.size() > 2) raise(model_err::WrongArguments, "Wrong number of arguments: AddItem");
    addItem(args[0].toString(), args.size() == 2 ? args[1].toInteger() : -1);
    return {};
  }
  if (equalsNoCase(name, "RemoveItem")) {
    if (args.size() != 1) raise(model_err::WrongArguments, "Wrong number of arguments: RemoveItem");
    removeItem(args[0].toInteger());
    return {};
  }
  if (equalsNoCase(name, "Clear")) {
    clearList();
    return {};
  }
  return Control::call(name, args);
}

// --- ComboBox ---------------------------------------------------------------

ComboBox::ComboBox() {
  declareExtender();
  declareList();
  declare({"Text", ValueType::String, ""});
  declare(PropertyDef{"Style", ValueType::Integer, 0}.between(0, 2));
  declare({"Locked", ValueType::Boolean, false});
  declare({"IntegralHeight", ValueType::Boolean, true});
  declare(PropertyDef{"Appearance", ValueType::Integer, 1}.between(0, 1));
  declare({"BackColor", ValueType::Long, WindowBackground});
  declare({"ForeColor", ValueType::Long, WindowForeground});
  declare({"Enabled", ValueType::Boolean, true});
  declare({"RightToLeft", ValueType::Boolean, false});
  declare(PropertyDef{"SelStart", ValueType::Long, 0}.between(0, 2147483647));
  declare(PropertyDef{"SelLength", ValueType::Long, 0}.between(0, 2147483647));
  declare({"ToolTipText", ValueType::String, ""});
  store("Height", Value(315));
  giveWindow();
  giveFont();
}

void ComboBox::set(std::string_view name, const Value& value, Args index) {
  if (!equalsNoCase(name, "Text")) {
    ListControl::set(name, value, index);
    return;
  }
  std::string text = value.toString();
  int match = -1;
  for (int i = 0; i < listCount() && match < 0; ++i) {
    if (stored("List", {at(i)}).toString() == text) match = i;
  }
  bool dropDownList = stored("Style").toInteger() == 2;
  if (dropDownList && match < 0) {
    // A drop-down list shows only its items; find one without regard to case.
    for (int i = 0; i < listCount() && match < 0; ++i) {
      if (equalsNoCase(stored("List", {at(i)}).toString(), text)) match = i;
    }
    if (match < 0) raise(model_err::ReadOnly, "'Text' property is read-only");
  }
  store("ListIndex", Value(match));
  store("Text", Value(match >= 0 && dropDownList ? stored("List", {at(match)}) : Value(text)));
  onChanged("Text");
}

void ComboBox::onListIndexChanged() {
  int selected = stored("ListIndex").toInteger();
  if (selected >= 0) {
    store("Text", stored("List", {at(selected)}));
  } else if (stored("Style").toInteger() == 2) {
    store("Text", Value(std::string()));
  }
}

// --- ListBox ----------------------------------------------------------------

namespace {

// A list of one selection: neither MultiSelect nor the check-box style, whose
// items each keep their own tick.
bool keepsOneSelection(const ListBox& list) {
  return list.get("MultiSelect").toInteger() == 0 && list.get("Style").toInteger() != 1;
}

}  // namespace

ListBox::ListBox() {
  declareExtender();
  declareList();
  declare(PropertyDef{"Selected", ValueType::Boolean, false}.indexed(1));
  declare(PropertyDef{"MultiSelect", ValueType::Integer, 0}.between(0, 2));
  declare(PropertyDef{"Style", ValueType::Integer, 0}.between(0, 1));
  declare(PropertyDef{"Columns", ValueType::Integer, 0}.between(0, 32767));
  declare(PropertyDef{"TopIndex", ValueType::Integer, 0}.between(0, 32767));
  declare({"IntegralHeight", ValueType::Boolean, true});
  declare(PropertyDef{"Appearance", ValueType::Integer, 1}.between(0, 1));
  declare({"BackColor", ValueType::Long, WindowBackground});
  declare({"ForeColor", ValueType::Long, WindowForeground});
  declare({"Enabled", ValueType::Boolean, true});
  declare({"RightToLeft", ValueType::Boolean, false});
  declare({"ToolTipText", ValueType::String, ""});
  declare(PropertyDef{"Text", ValueType::String, ""}.readOnlyAtRunTime());
  declare(PropertyDef{"SelCount", ValueType::Integer, 0}.readOnlyAtRunTime());
  giveWindow();
  giveFont();
}

Value ListBox::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "Text")) {
    int selected = stored("ListIndex").toInteger();
    return selected >= 0 ? stored("List", {at(selected)}) : Value(std::string());
  }
  if (equalsNoCase(name, "SelCount")) {
    int count = 0;
    for (int i = 0; i < listCount(); ++i) count += stored("Selected", {at(i)}).toBool() ? 1 : 0;
    return Value(static_cast<std::int16_t>(count));
  }
  return ListControl::get(name, index);
}

void ListBox::set(std::string_view name, const Value& value, Args index) {
  ListControl::set(name, value, index);
  if (equalsNoCase(name, "Selected") && keepsOneSelection(*this)) {
    // A single-selection list: selecting an item makes it the current one.
    std::int32_t item = index[0].toLong();
    bool selected = value.toBool();
    for (int i = 0; i < listCount(); ++i) store("Selected", Value(i == item && selected), {at(i)});
    store("ListIndex", Value(selected ? item : -1));
  }
}

void ListBox::onListIndexChanged() {
  if (!keepsOneSelection(*this)) return;
  int selected = stored("ListIndex").toInteger();
  for (int i = 0; i < listCount(); ++i) store("Selected", Value(i == selected), {at(i)});
}

// --- FileListBox ------------------------------------------------------------

namespace {

// A file-name pattern with * and ?, compared without regard to case;
// "*.*" matches every name, with or without an extension.
bool matchesPattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*") return true;
  std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  auto same = [](char a, char b) { return lowerCase(std::string(1, a)) == lowerCase(std::string(1, b)); };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool matchesAny(std::string_view name, std::string_view patterns) {
  std::size_t start = 0;
  for (;;) {
    std::size_t end = patterns.find(';', start);
    std::string_view one = patterns.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    while (!one.empty() && one.front() == ' ') one.remove_prefix(1);
    while (!one.empty() && one.back() == ' ') one.remove_suffix(1);
    if (!one.empty() && matchesPattern(name, one)) return true;
    if (end == std::string_view::npos) return false;
    start = end + 1;
  }
}

}  // namespace

FileListBox::FileListBox() {
  declare({"Path", ValueType::String, ""});
  declare({"Pattern", ValueType::String, "*.*"});
  declare({"FileName", ValueType::String, ""});
  declare({"Archive", ValueType::Boolean, true});
  declare({"Hidden", ValueType::Boolean, false});
  declare({"Normal", ValueType::Boolean, true});
  declare({"ReadOnly", ValueType::Boolean, true});
  declare({"System", ValueType::Boolean, false});
  std::error_code error;
  store("Path", Value(std::filesystem::current_path(error).string()));
  refill();
}

void FileListBox::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "Path")) {
    std::error_code error;
    std::filesystem::path folder = value.toString();
    if (!std::filesystem::is_directory(folder, error)) raise(PathNotFound, "Path not found: " + value.toString());
  }
  if (equalsNoCase(name, "FileName")) {
    std::string file = value.toString();
    if (file.find_first_of("*?") != std::string::npos) {
      set("Pattern", Value(file));
      return;
    }
    ListBox::set(name, value, index);
    for (int i = 0; i < listCount(); ++i) {
      if (stored("List", {at(i)}).toString() == file) ListBox::set("ListIndex", Value(i));
    }
    return;
  }
  ListBox::set(name, value, index);
  if (equalsNoCase(name, "Path") || equalsNoCase(name, "Pattern") || equalsNoCase(name, "Hidden")) refill();
  if (equalsNoCase(name, "ListIndex")) {
    int selected = stored("ListIndex").toInteger();
    store("FileName", selected >= 0 ? stored("List", {at(selected)}) : Value(std::string()));
  }
}

Value FileListBox::call(std::string_view name, Args args) {
  if (equalsNoCase(name, "Refresh")) {
    refill();
    return {};
  }
  return ListBox::call(name, args);
}

void FileListBox::refill() {
  std::vector<std::string> names;
  std::string pattern = stored("Pattern").toString();
  bool showHidden = stored("Hidden").toBool();
  std::error_code error;
  for (std::filesystem::directory_iterator entry(stored("Path").toString(), error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code typeError;
    if (!entry->is_regular_file(typeError)) continue;
    std::string name = entry->path().filename().string();
    if (!showHidden && name.front() == '.') continue;
    if (matchesAny(name, pattern)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), sortsBefore);
  clearList();
  for (std::string_view list : parallelLists(*this)) resizeIndexed(list, static_cast<int>(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i) store("List", Value(names[i]), {at(static_cast<int>(i))});
  store("FileName", Value(std::string()));
}

}  // namespace host
