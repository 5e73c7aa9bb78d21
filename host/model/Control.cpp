#include "host/model/Control.h"

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/Messages.h"
#include "host/model/ModelErrors.h"
#include "host/model/UserControl.h"

namespace host {

std::int32_t newHandle() {
  // Handles look like the host's: nonzero, word-aligned, never reused.
  static std::int32_t next = 0x10000;
  next += 4;
  return next;
}

void Control::declareExtender(bool withGeometry) {
  declare({"Name", ValueType::String, ""});
  declare({"Tag", ValueType::String, ""});
  declare({"Visible", ValueType::Boolean, true});
  declare({"Index", ValueType::Integer, 0});
  if (!withGeometry) return;
  declare({"Left", ValueType::Single, 0});
  declare({"Top", ValueType::Single, 0});
  declare({"Width", ValueType::Single, 1215});
  declare({"Height", ValueType::Single, 495});
}

void Control::giveFont() { font_ = FontObject::create(); }

void Control::giveWindow() {
  declare(PropertyDef{"hWnd", ValueType::Long, newHandle()}.readOnlyAtRunTime());
  declare({"TabIndex", ValueType::Integer, 0});
  declare({"TabStop", ValueType::Boolean, true});
}

std::string Control::name() const { return PropertyObject::get("Name").toString(); }

ObjectRef Control::container() const {
  if (auto holder = container_.lock()) return holder;
  return form_ != nullptr ? form_->self() : nullptr;
}

Value Control::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "Font")) {
    if (!font_) missingMember(name);
    return Value(ObjectRef(font_));
  }
  if (equalsNoCase(name, "Container")) return Value(container());
  if (equalsNoCase(name, "Parent")) return Value(form_ != nullptr ? form_->self() : ObjectRef());
  return PropertyObject::get(name, index);
}

namespace {

// True when `candidate` is `control` or lies inside it.
bool isInside(const ObjectRef& candidate, const Control& control) {
  for (ObjectRef at = candidate; at;) {
    if (at.get() == &control) return true;
    auto* inner = dynamic_cast<Control*>(at.get());
    if (inner == nullptr) return false;
    at = inner->container();
  }
  return false;
}

}  // namespace

void Control::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "Font")) {
    if (!font_) missingMember(name);
    auto* font = dynamic_cast<FontObject*>(value.toObject().get());
    if (font == nullptr) raise(err::TypeMismatch, "Type mismatch: Font");
    font_->setFont(font->font());
    onChanged("Font");
    return;
  }
  if (equalsNoCase(name, "Parent")) raise(model_err::ReadOnly, "'Parent' property is read-only");
  if (equalsNoCase(name, "Container")) {
    ObjectRef target = value.toObject();
    auto* holder = dynamic_cast<Control*>(target.get());
    bool isOwnForm = form_ != nullptr && target.get() == form_;
    bool isContainerHere = holder != nullptr && holder->form_ == form_ && holder->holdsControls_;
    if (form_ == nullptr || !(isOwnForm || isContainerHere) || isInside(target, *this)) {
      raise(err::InvalidPropertyValue, "Invalid property value: Container");
    }
    container_ = isOwnForm ? std::weak_ptr<Object>() : std::weak_ptr<Object>(target);
    return;
  }
  PropertyObject::set(name, value, index);
}

Value Control::call(std::string_view name, Args args) {
  if (equalsNoCase(name, "Move")) {
    static constexpr const char* order[] = {"Left", "Top", "Width", "Height"};
    if (args.empty() || args.size() > 4) raise(model_err::WrongArguments, "Wrong number of arguments: Move");
    for (std::size_t i = 0; i < args.size(); ++i) set(order[i], args[i]);
    return {};
  }
  if (equalsNoCase(name, "Refresh")) return {};  // drawn from its properties whenever a picture is taken
  if (equalsNoCase(name, "ZOrder")) {
    int position = args.empty() ? 0 : args[0].toInteger();
    if (position != 0 && position != 1) raise(err::InvalidProcedureCall, "Invalid procedure call: ZOrder");
    if (form_ != nullptr) zOrder_ = position == 0 ? form_->frontZ() : form_->backZ();
    return {};
  }
  return PropertyObject::call(name, args);
}

std::int32_t SendMessageA(const ObjectRef& control, int message, long wParam, long lParam) {
  if (!control) raise(err::ObjectRequired, "Object required");
  return control->call("SendMessage", {Value(static_cast<std::int32_t>(message)),
                                       Value(static_cast<std::int32_t>(wParam)),
                                       Value(static_cast<std::int32_t>(lParam))})
      .toLong();
}

// --- UserControl ------------------------------------------------------------

UserControl::UserControl() {
  declareExtender();
  declare({"Enabled", ValueType::Boolean, true});
  giveFont();
}

ObjectRef UserControl::parentForm() const { return form_ != nullptr ? form_->self() : site_.lock(); }

void UserControl::PropertyChanged(std::string_view) { ++changes_; }

}  // namespace host
