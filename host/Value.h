#pragma once
// host::Value: the dynamic value of the host language (a Variant).
#include <cstdint>
#include <memory>
#include <string>
#include <variant>

namespace host {

class Object;
using ObjectRef = std::shared_ptr<Object>;

enum class ValueType { Empty, Boolean, Integer, Long, Single, Double, String, Object };

// A value of the host language. Conversions follow the language: to Long or
// Integer rounds halves to even and raises Overflow (6) when out of range; a
// string that is not a number raises Type mismatch (13); Boolean text is
// "True"/"False" and True converts to -1.
class Value {
 public:
  Value() = default;  // Empty
  Value(bool value) : data_(value) {}
  Value(std::int16_t value) : data_(value) {}
  Value(std::int32_t value) : data_(value) {}
  Value(float value) : data_(value) {}
  Value(double value) : data_(value) {}
  Value(const char* value) : data_(std::string(value)) {}
  Value(std::string value) : data_(std::move(value)) {}
  Value(std::string_view value) : data_(std::string(value)) {}
  Value(ObjectRef value) : data_(std::move(value)) {}
  // Other integer types become Long (raising Overflow when they do not fit).
  static Value fromInt64(std::int64_t value);

  [[nodiscard]] ValueType type() const noexcept { return static_cast<ValueType>(data_.index()); }
  [[nodiscard]] bool isEmpty() const noexcept { return type() == ValueType::Empty; }
  [[nodiscard]] bool isNumeric() const noexcept;  // Boolean, Integer, Long, Single, Double
  [[nodiscard]] bool isString() const noexcept { return type() == ValueType::String; }
  [[nodiscard]] bool isObject() const noexcept { return type() == ValueType::Object; }

  [[nodiscard]] bool toBool() const;
  [[nodiscard]] std::int16_t toInteger() const;
  [[nodiscard]] std::int32_t toLong() const;
  [[nodiscard]] float toSingle() const;
  [[nodiscard]] double toDouble() const;
  [[nodiscard]] std::string toString() const;
  [[nodiscard]] ObjectRef toObject() const;  // raises 424 (Object required) when not an object

  // This value converted to the given type (Empty stays Empty only for Empty).
  [[nodiscard]] Value convertedTo(ValueType type) const;

  // The language's "=": numbers compare by value, strings exactly, objects by identity;
  // Empty equals 0 and "".
  friend bool operator==(const Value& a, const Value& b);

 private:
  std::variant<std::monostate, bool, std::int16_t, std::int32_t, float, double, std::string, ObjectRef> data_;
};

[[nodiscard]] const char* typeNameOf(ValueType type);

}  // namespace host
