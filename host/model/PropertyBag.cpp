#include "host/model/PropertyBag.h"

#include <algorithm>

#include "host/HostError.h"
#include "host/Lang.h"

namespace host {

namespace {

// The language's "=" between a value and its default; values that cannot be
// compared (an object and a number) are simply different.
bool equalsDefault(const Value& value, const Value& defaultValue) {
  try {
    return value.type() == defaultValue.type() || (value.isNumeric() && defaultValue.isNumeric())
               ? value == defaultValue
               : false;
  } catch (const HostError&) {
    return false;
  }
}

}  // namespace

Value PropertyBag::ReadProperty(std::string_view key, const Value& defaultValue) {
  auto entry = std::find_if(entries_.begin(), entries_.end(),
                            [&](const auto& stored) { return equalsNoCase(stored.first, key); });
  if (entry == entries_.end()) return defaultValue;
  // An object (a saved font) comes back as it was saved, whatever the default:
  // the default of such a key is often its text form ("Arial").
  if (defaultValue.isEmpty() || entry->second.isObject()) return entry->second;
  try {
    return entry->second.convertedTo(defaultValue.type());
  } catch (const HostError& error) {
    problems_.push_back(std::string(key) + ": cannot read " + typeNameOf(entry->second.type()) + " value as " +
                        typeNameOf(defaultValue.type()) + " (" + error.description() + "); the default is used");
    return defaultValue;
  }
}

void PropertyBag::WriteProperty(std::string_view key, const Value& value, const Value& defaultValue) {
  auto entry = std::find_if(entries_.begin(), entries_.end(),
                            [&](const auto& stored) { return equalsNoCase(stored.first, key); });
  if (!defaultValue.isEmpty() && equalsDefault(value, defaultValue)) {
    if (entry != entries_.end()) entries_.erase(entry);
    return;
  }
  if (entry != entries_.end()) {
    entry->second = value;
  } else {
    entries_.emplace_back(std::string(key), value);
  }
}

bool PropertyBag::contains(std::string_view key) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const auto& stored) { return equalsNoCase(stored.first, key); });
}

std::vector<std::string> PropertyBag::keys() const {
  std::vector<std::string> result;
  result.reserve(entries_.size());
  for (const auto& [key, value] : entries_) result.push_back(key);
  return result;
}

Value PropertyBag::stored(std::string_view key) const {
  for (const auto& [storedKey, value] : entries_) {
    if (equalsNoCase(storedKey, key)) return value;
  }
  return {};
}

void PropertyBag::setStored(std::string_view key, const Value& value) {
  auto entry = std::find_if(entries_.begin(), entries_.end(),
                            [&](const auto& stored) { return equalsNoCase(stored.first, key); });
  if (entry != entries_.end()) {
    entry->second = value;
  } else {
    entries_.emplace_back(std::string(key), value);
  }
}

void PropertyBag::clear() {
  entries_.clear();
  problems_.clear();
}

}  // namespace host
