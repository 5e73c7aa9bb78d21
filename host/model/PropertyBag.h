#pragma once
// The property bag in which the form designer keeps a component's settings.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/Value.h"

namespace host {

// Keys are matched without regard to case and kept in the order first written.
class PropertyBag {
 public:
  // The stored value converted to the type of `defaultValue`, or the default
  // when the key is absent. A value that cannot be converted keeps the default
  // and is reported in conversionProblems(); it never raises. A stored object
  // (a font) is returned as it is.
  [[nodiscard]] Value ReadProperty(std::string_view key, const Value& defaultValue = {});
  // Stores the value; a value equal to its default is not stored (and an
  // earlier stored value for the key is removed).
  void WriteProperty(std::string_view key, const Value& value, const Value& defaultValue = {});

  [[nodiscard]] bool contains(std::string_view key) const;
  [[nodiscard]] std::vector<std::string> keys() const;
  // The raw stored value (Empty when absent).
  [[nodiscard]] Value stored(std::string_view key) const;
  // Stores a raw value as loaded from a form file.
  void setStored(std::string_view key, const Value& value);
  [[nodiscard]] const std::vector<std::string>& conversionProblems() const { return problems_; }
  // A stored value its component cannot take (out of its range), reported
  // with the conversion problems: "KEY: what was wrong; what is used".
  void noteProblem(std::string problem) { problems_.push_back(std::move(problem)); }
  void clear();

 private:
  std::vector<std::pair<std::string, Value>> entries_;
  std::vector<std::string> problems_;
};

}  // namespace host
