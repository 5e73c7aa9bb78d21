#include <cmath>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/Control.h"
#include "host/model/ModelErrors.h"

namespace host {

// The stored value of one property: a single value, or the elements of an
// indexed property laid out row by row.
struct PropertyObject::Slot {
  Value value;
  std::vector<Value> elements;
  int count0 = 0;
  int count1 = 0;
  std::uint64_t writes = 0;
};

namespace {

Value initialValue(ValueType type, const Value& given) {
  if (!given.isEmpty() || type == ValueType::Empty || type == ValueType::Object) {
    return type == ValueType::Empty || given.isEmpty() ? given : given.convertedTo(type);
  }
  if (type == ValueType::String) return Value(std::string());
  return Value(0).convertedTo(type);
}

Value convertForType(const PropertyDef& def, const Value& value) {
  if (def.type == ValueType::Empty) return value;
  return value.convertedTo(def.type);
}

void checkRange(const PropertyDef& def, const Value& converted) {
  if (!converted.isNumeric()) return;
  double number = converted.toDouble();
  if (number < def.minimum || number > def.maximum) {
    raise(err::InvalidPropertyValue, "Invalid property value: " + def.name);
  }
}

}  // namespace

PropertyObject::PropertyObject() = default;
PropertyObject::~PropertyObject() = default;

void PropertyObject::declare(PropertyDef def) {
  def.defaultValue = initialValue(def.type, def.defaultValue);
  auto slot = std::make_shared<Slot>();
  slot->value = def.rank == 0 ? def.defaultValue : Value();
  if (auto found = byName_.find(std::string_view(def.name)); found != byName_.end()) {
    defs_[found->second] = std::move(def);
    slots_[found->second] = std::move(slot);
    return;
  }
  byName_.emplace(def.name, defs_.size());
  defs_.push_back(std::move(def));
  slots_.push_back(std::move(slot));
}

const PropertyDef* PropertyObject::find(std::string_view name) const {
  auto found = byName_.find(name);
  return found == byName_.end() ? nullptr : &defs_[found->second];
}

std::size_t PropertyObject::slotOf(std::string_view name) const {
  auto found = byName_.find(name);
  if (found == byName_.end()) missingMember(name);
  return found->second;
}

bool PropertyObject::hasProperty(std::string_view name) const { return find(name) != nullptr; }

std::size_t PropertyObject::elementOf(const PropertyDef& def, const Slot& slot, Args index) const {
  if (static_cast<int>(index.size()) != def.rank) {
    raise(model_err::WrongArguments, "Wrong number of arguments or invalid property assignment: " + def.name);
  }
  auto position = [&](std::size_t which, int count) {
    std::int32_t i = index[which].toLong();
    if (i < 0 || i >= count) raise(def.indexError, errorText(def.indexError) + ": " + def.name);
    return static_cast<std::size_t>(i);
  };
  if (def.rank == 1) return position(0, slot.count0);
  return position(0, slot.count0) * static_cast<std::size_t>(slot.count1) + position(1, slot.count1);
}

Value PropertyObject::get(std::string_view name, Args index) const {
  std::size_t at = slotOf(name);
  const PropertyDef& def = defs_[at];
  const Slot& slot = *slots_[at];
  if (def.rank == 0) {
    if (!index.empty()) (void)elementOf(def, slot, index);  // raises: not an indexed property
    return slot.value;
  }
  return slot.elements[elementOf(def, slot, index)];
}

void PropertyObject::set(std::string_view name, const Value& value, Args index) {
  std::size_t at = slotOf(name);
  const PropertyDef& def = defs_[at];
  if (def.readOnly) raise(model_err::ReadOnly, "'" + def.name + "' property is read-only");
  Value converted = convertForType(def, value);
  checkRange(def, converted);
  Slot& slot = *slots_[at];
  if (def.rank == 0) {
    if (!index.empty()) (void)elementOf(def, slot, index);
    slot.value = std::move(converted);
  } else {
    slot.elements[elementOf(def, slot, index)] = std::move(converted);
  }
  ++slot.writes;
  onChanged(def.name);
}

void PropertyObject::store(std::string_view name, const Value& value, Args index) {
  std::size_t at = slotOf(name);
  const PropertyDef& def = defs_[at];
  Slot& slot = *slots_[at];
  Value converted = convertForType(def, value);
  if (def.rank == 0) {
    slot.value = std::move(converted);
  } else {
    slot.elements[elementOf(def, slot, index)] = std::move(converted);
  }
  ++slot.writes;
}

std::uint64_t PropertyObject::writeCount(std::string_view name) const { return slots_[slotOf(name)]->writes; }

Value PropertyObject::stored(std::string_view name, Args index) const { return PropertyObject::get(name, index); }

int PropertyObject::indexedCount(std::string_view name, int dimension) const {
  const Slot& slot = *slots_[slotOf(name)];
  return dimension == 0 ? slot.count0 : slot.count1;
}

void PropertyObject::resizeIndexed(std::string_view name, int count0, int count1) {
  std::size_t at = slotOf(name);
  const PropertyDef& def = defs_[at];
  Slot& slot = *slots_[at];
  count0 = std::max(count0, 0);
  count1 = def.rank == 2 ? std::max(count1, 0) : 0;
  std::size_t columns = def.rank == 2 ? static_cast<std::size_t>(count1) : 1;
  std::vector<Value> elements(static_cast<std::size_t>(count0) * columns, def.defaultValue);
  std::size_t oldColumns = def.rank == 2 ? static_cast<std::size_t>(slot.count1) : 1;
  int keptRows = std::min(count0, slot.count0);
  std::size_t keptColumns = std::min(columns, oldColumns);
  for (int row = 0; row < keptRows; ++row) {
    for (std::size_t column = 0; column < keptColumns; ++column) {
      elements[static_cast<std::size_t>(row) * columns + column] =
          std::move(slot.elements[static_cast<std::size_t>(row) * oldColumns + column]);
    }
  }
  slot.elements = std::move(elements);
  slot.count0 = count0;
  slot.count1 = count1;
  ++slot.writes;
}

// --- FontObject -------------------------------------------------------------

Value FontObject::get(std::string_view name, Args) const {
  if (equalsNoCase(name, "Name")) return Value(font_.name());
  if (equalsNoCase(name, "Size")) return Value(font_.size());
  if (equalsNoCase(name, "Bold")) return Value(font_.bold());
  if (equalsNoCase(name, "Italic")) return Value(font_.italic());
  if (equalsNoCase(name, "Underline")) return Value(font_.underline());
  if (equalsNoCase(name, "Strikethrough")) return Value(font_.strikethrough());
  if (equalsNoCase(name, "Weight")) return Value(static_cast<std::int16_t>(font_.weight()));
  if (equalsNoCase(name, "Charset")) return Value(static_cast<std::int16_t>(font_.charset()));
  missingMember(name);
}

void FontObject::set(std::string_view name, const Value& value, Args) {
  if (equalsNoCase(name, "Name")) {
    std::string family = value.toString();
    if (family.empty()) raise(err::InvalidPropertyValue, "Invalid property value: Name");
    font_.setName(std::move(family));
  } else if (equalsNoCase(name, "Size")) {
    double points = value.toDouble();
    if (!(points > 0) || points > 2160) raise(err::InvalidPropertyValue, "Invalid property value: Size");
    font_.setSize(points);
  } else if (equalsNoCase(name, "Bold")) {
    font_.setBold(value.toBool());
  } else if (equalsNoCase(name, "Italic")) {
    font_.setItalic(value.toBool());
  } else if (equalsNoCase(name, "Underline")) {
    font_.setUnderline(value.toBool());
  } else if (equalsNoCase(name, "Strikethrough")) {
    font_.setStrikethrough(value.toBool());
  } else if (equalsNoCase(name, "Weight")) {
    std::int16_t weight = value.toInteger();
    if (weight < 0 || weight > 1000) raise(err::InvalidPropertyValue, "Invalid property value: Weight");
    font_.setWeight(weight);
  } else if (equalsNoCase(name, "Charset")) {
    std::int16_t charset = value.toInteger();
    if (charset < 0 || charset > 255) raise(err::InvalidPropertyValue, "Invalid property value: Charset");
    font_.setCharset(charset);
  } else {
    missingMember(name);
  }
}

}  // namespace host
