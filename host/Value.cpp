#include "host/Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Object.h"

namespace host {

namespace {
// Conversion to text writes a fraction with its leading zero (0.5), unlike Str.
std::string plainNumberText(double value) {
  std::string text = numberText(value);
  if (text.rfind(".", 0) == 0) text.insert(0, "0");
  if (text.rfind("-.", 0) == 0) text.insert(1, "0");
  return text;
}
}  // namespace

Value Value::fromInt64(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
    raise(err::Overflow);
  return Value(static_cast<std::int32_t>(value));
}

bool Value::isNumeric() const noexcept {
  switch (type()) {
    case ValueType::Boolean:
    case ValueType::Integer:
    case ValueType::Long:
    case ValueType::Single:
    case ValueType::Double:
      return true;
    default:
      return false;
  }
}

double Value::toDouble() const {
  switch (type()) {
    case ValueType::Empty: return 0;
    case ValueType::Boolean: return std::get<bool>(data_) ? -1 : 0;
    case ValueType::Integer: return std::get<std::int16_t>(data_);
    case ValueType::Long: return std::get<std::int32_t>(data_);
    case ValueType::Single: return std::get<float>(data_);
    case ValueType::Double: return std::get<double>(data_);
    case ValueType::String: {
      const auto& text = std::get<std::string>(data_);
      if (equalsNoCase(text, "True")) return -1;
      if (equalsNoCase(text, "False")) return 0;
      double number = 0;
      if (!parseNumber(text, number)) raise(err::TypeMismatch);
      // A number past the range of a Double ("1e999") overflows, as the
      // language's conversions do; it is never taken as an infinity.
      if (!std::isfinite(number)) raise(err::Overflow);
      return number;
    }
    case ValueType::Object: raise(err::TypeMismatch);
  }
  raise(err::TypeMismatch);
}

bool Value::toBool() const {
  if (type() == ValueType::Boolean) return std::get<bool>(data_);
  return toDouble() != 0;
}

std::int16_t Value::toInteger() const { return CInt(toDouble()); }
std::int32_t Value::toLong() const { return CLng(toDouble()); }

float Value::toSingle() const {
  const double value = toDouble();
  if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) raise(err::Overflow);
  return static_cast<float>(value);
}

std::string Value::toString() const {
  switch (type()) {
    case ValueType::Empty: return {};
    case ValueType::Boolean: return std::get<bool>(data_) ? "True" : "False";
    case ValueType::String: return std::get<std::string>(data_);
    case ValueType::Object: raise(err::TypeMismatch);
    case ValueType::Single: {
      // A Single shows at most 7 significant digits.
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(std::get<float>(data_)));
      return plainNumberText(std::strtod(buffer, nullptr));
    }
    default:
      return plainNumberText(toDouble());
  }
  return {};
}

ObjectRef Value::toObject() const {
  if (type() != ValueType::Object || !std::get<ObjectRef>(data_)) raise(err::ObjectRequired);
  return std::get<ObjectRef>(data_);
}

Value Value::convertedTo(ValueType target) const {
  switch (target) {
    case ValueType::Empty: return *this;
    case ValueType::Boolean: return Value(toBool());
    case ValueType::Integer: return Value(toInteger());
    case ValueType::Long: return Value(toLong());
    case ValueType::Single: return Value(toSingle());
    case ValueType::Double: return Value(toDouble());
    case ValueType::String: return Value(toString());
    case ValueType::Object: return Value(toObject());
  }
  return *this;
}

bool operator==(const Value& a, const Value& b) {
  if (a.isObject() || b.isObject()) {
    if (!(a.isObject() && b.isObject())) return false;
    return std::get<ObjectRef>(a.data_) == std::get<ObjectRef>(b.data_);
  }
  if (a.isString() && b.isString()) return std::get<std::string>(a.data_) == std::get<std::string>(b.data_);
  if (a.isEmpty() && b.isEmpty()) return true;
  if (a.isEmpty()) return b.isString() ? b.toString().empty() : b.toDouble() == 0;
  if (b.isEmpty()) return a.isString() ? a.toString().empty() : a.toDouble() == 0;
  if (a.isString() || b.isString()) {
    // A number and a text compare as numbers when the text is one, else as texts.
    const Value& text = a.isString() ? a : b;
    const Value& number = a.isString() ? b : a;
    double parsed = 0;
    if (parseNumber(text.toString(), parsed)) return parsed == number.toDouble();
    if (number.type() == ValueType::Boolean) return equalsNoCase(text.toString(), number.toString());
    return false;
  }
  if (a.type() == ValueType::Single || b.type() == ValueType::Single)
    return static_cast<float>(a.toDouble()) == static_cast<float>(b.toDouble());
  return a.toDouble() == b.toDouble();
}

const char* typeNameOf(ValueType type) {
  switch (type) {
    case ValueType::Empty: return "Empty";
    case ValueType::Boolean: return "Boolean";
    case ValueType::Integer: return "Integer";
    case ValueType::Long: return "Long";
    case ValueType::Single: return "Single";
    case ValueType::Double: return "Double";
    case ValueType::String: return "String";
    case ValueType::Object: return "Object";
  }
  return "Variant";
}

}  // namespace host
