#pragma once
// host::Object: an object of the host reached by name (late binding).
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/Value.h"

namespace host {

// The built-in control kinds that the host language's type tests recognise
// (TypeOf ctl Is Label, ...). Controls of other makers have Kind::Other and are
// told apart by their type name.
enum class Kind {
  Other,
  Form,
  Label,
  TextBox,
  Frame,
  CheckBox,
  OptionButton,
  ComboBox,
  ListBox,
  FileListBox,
  PictureBox,
  Image,
  Shape,
  Line,
  CommandButton,
  UserControl,  // a control of a component library (the print control, the resizer)
};

using Args = std::span<const Value>;

// An object reached by name. Names are matched without regard to case
// ("factor" is "Factor"). A member the object lacks raises error 438 naming it;
// an index out of range raises 9 or 381; a value of the wrong type raises 13.
class Object : public std::enable_shared_from_this<Object> {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() = default;

  [[nodiscard]] virtual std::string typeName() const = 0;
  [[nodiscard]] virtual Kind kind() const { return Kind::Other; }

  // Property read and write; indexed properties take their indexes
  // (TextMatrix(r, c), ColWidth(c), List(i)).
  [[nodiscard]] virtual Value get(std::string_view name, Args index = {}) const;
  virtual void set(std::string_view name, const Value& value, Args index = {});
  // Method call.
  virtual Value call(std::string_view name, Args args = {});

  // Convenience forms: obj.get("TextMatrix", {r, c}), obj.call("Scroll", {0, -1}).
  [[nodiscard]] Value get(std::string_view name, std::initializer_list<Value> index) const {
    return get(name, Args(index.begin(), index.size()));
  }
  void set(std::string_view name, const Value& value, std::initializer_list<Value> index) {
    set(name, value, Args(index.begin(), index.size()));
  }
  Value call(std::string_view name, std::initializer_list<Value> args) {
    return call(name, Args(args.begin(), args.size()));
  }

  [[nodiscard]] ObjectRef self() { return shared_from_this(); }

 protected:
  // Raises error 438 "Object doesn't support this property or method: <name>".
  [[noreturn]] static void missingMember(std::string_view name);
};

// A reference that does not keep its object alive, for back references that
// would otherwise close a cycle of ownership (a control's job pointing at the
// form that owns the control). Reaching through it after the object has gone
// raises error 91.
class ObjectLink {
 public:
  ObjectLink() = default;
  ObjectLink(const ObjectRef& object) : object_(object) {}
  ObjectLink& operator=(const ObjectRef& object) {
    object_ = object;
    return *this;
  }
  [[nodiscard]] ObjectRef lock() const { return object_.lock(); }
  [[nodiscard]] ObjectRef operator->() const;
  [[nodiscard]] Object* get() const { return object_.lock().get(); }
  explicit operator bool() const { return !object_.expired(); }
  void reset() { object_.reset(); }

 private:
  std::weak_ptr<Object> object_;
};

// A property read that yields an object (ctl.Font, ctl.Container, form.Controls).
[[nodiscard]] inline ObjectRef getObject(const Object& obj, std::string_view name) {
  return obj.get(name).toObject();
}

}  // namespace host
