#include <algorithm>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/Components.h"
#include "host/model/Families.h"
#include "host/model/ModelErrors.h"
#include "host/model/UserControl.h"

namespace host {

double ScaleSpace::twipsPerUnit(int scaleMode, bool vertical) {
  switch (scaleMode) {
    case 2: return 20;                     // points
    case 3: return 15;                     // pixels of the 96-dpi screen
    case 4: return vertical ? 240 : 120;   // characters
    case 5: return 1440;                   // inches
    case 6: return 1440 / 25.4;            // millimetres
    case 7: return 1440 / 2.54;            // centimetres
    default: return 1;                     // twips
  }
}

bool ScaleSpace::isExtent(std::string_view name) {
  return equalsNoCase(name, "ScaleWidth") || equalsNoCase(name, "ScaleHeight");
}

Value ScaleSpace::extent(std::string_view name, int scaleMode, double clientWidthTwips,
                         double clientHeightTwips) const {
  bool vertical = equalsNoCase(name, "ScaleHeight");
  if (scaleMode == 0) return Value(static_cast<float>(vertical ? userHeight_ : userWidth_));
  double client = vertical ? clientHeightTwips : clientWidthTwips;
  return Value(static_cast<float>(client / twipsPerUnit(scaleMode, vertical)));
}

void ScaleSpace::keepExtents(const Object& area) {
  userWidth_ = area.get("ScaleWidth").toDouble();
  userHeight_ = area.get("ScaleHeight").toDouble();
}

void ScaleSpace::setExtent(const Object& area, std::string_view name, const Value& value) {
  float extent = value.toSingle();
  if (extent == 0) raise(err::InvalidPropertyValue, "Invalid property value: " + std::string(name));
  keepExtents(area);
  (equalsNoCase(name, "ScaleHeight") ? userHeight_ : userWidth_) = extent;
}

namespace {

// The form's Controls collection: Count and Item(i) with i from 0, or Item(name).
class ControlCollection final : public Object {
 public:
  explicit ControlCollection(std::shared_ptr<const Form> form) : form_(std::move(form)) {}
  [[nodiscard]] std::string typeName() const override { return "Object"; }

  [[nodiscard]] Value get(std::string_view name, Args index) const override {
    if (equalsNoCase(name, "Count")) return Value(static_cast<std::int32_t>(form_->controls().size()));
    if (equalsNoCase(name, "Item")) return Value(item(index));
    missingMember(name);
  }
  Value call(std::string_view name, Args args) override { return get(name, args); }
  using Object::call;
  using Object::get;

 private:
  [[nodiscard]] ObjectRef item(Args index) const {
    if (index.size() != 1) raise(model_err::WrongArguments, "Wrong number of arguments: Item");
    if (index[0].isString()) {
      if (ObjectRef found = form_->control(index[0].toString())) return found;
      raise(err::SubscriptOutOfRange, "Subscript out of range: " + index[0].toString());
    }
    std::int32_t i = index[0].toLong();
    const auto& controls = form_->controls();
    if (i < 0 || i >= static_cast<std::int32_t>(controls.size())) {
      raise(err::SubscriptOutOfRange, "Subscript out of range");
    }
    return controls[static_cast<std::size_t>(i)];
  }
  std::shared_ptr<const Form> form_;
};

}  // namespace

Form::Form() : font_(FontObject::create()), hWnd_(newHandle()), hDC_(newHandle()) {
  declare({"Name", ValueType::String, "Form1"});
  declare({"Caption", ValueType::String, ""});
  declare({"Tag", ValueType::String, ""});
  declare({"Left", ValueType::Single, 0});
  declare({"Top", ValueType::Single, 0});
  declare({"Width", ValueType::Single, 4800});
  declare({"Height", ValueType::Single, 3600});
  declare(PropertyDef{"ScaleMode", ValueType::Integer, 1}.between(0, 7));
  declare({"ScaleWidth", ValueType::Single, 0});
  declare({"ScaleHeight", ValueType::Single, 0});
  declare({"ScaleLeft", ValueType::Single, 0});
  declare({"ScaleTop", ValueType::Single, 0});
  declare(PropertyDef{"WindowState", ValueType::Integer, 0}.between(0, 2));
  declare({"RightToLeft", ValueType::Boolean, false});
  declare({"BackColor", ValueType::Long, ButtonFace});
  declare({"ForeColor", ValueType::Long, ButtonText});
  declare({"MDIChild", ValueType::Boolean, false});
  declare(PropertyDef{"hWnd", ValueType::Long, hWnd_}.readOnlyAtRunTime());
  declare(PropertyDef{"hDC", ValueType::Long, hDC_}.readOnlyAtRunTime());
  declare({"AutoRedraw", ValueType::Boolean, false});
  declare({"Visible", ValueType::Boolean, true});
  declare({"Enabled", ValueType::Boolean, true});
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 2}.between(0, 5));
  declare({"KeyPreview", ValueType::Boolean, false});
  declare(PropertyDef{"Count", ValueType::Integer, 0}.readOnlyAtRunTime());
}

Form::~Form() {
  // Controls someone still holds no longer reach a form that is gone.
  for (const ObjectRef& control : controls_) {
    if (auto* member = dynamic_cast<Control*>(control.get())) {
      member->form_ = nullptr;
      member->container_.reset();
    }
  }
}

std::shared_ptr<Form> Form::create(std::string name, bool mdiParent) {
  auto form = std::make_shared<Form>();
  form->store("Name", Value(std::move(name)));
  form->mdiParent_ = mdiParent;
  if (mdiParent) form->declare({"AutoShowChildren", ValueType::Boolean, true});
  return form;
}

std::string Form::typeName() const { return mdiParent_ ? "MDIForm" : "Form"; }

double Form::clientWidthTwips() const {
  double allowance = PropertyObject::get("BorderStyle").toInteger() == 0 ? 0 : FrameAllowanceX;
  return std::max(0.0, PropertyObject::get("Width").toDouble() - allowance);
}

double Form::clientHeightTwips() const {
  double allowance = PropertyObject::get("BorderStyle").toInteger() == 0 ? 0 : FrameAllowanceY;
  return std::max(0.0, PropertyObject::get("Height").toDouble() - allowance);
}

void Form::setClientSize(double widthTwips, double heightTwips) {
  const bool bordered = PropertyObject::get("BorderStyle").toInteger() != 0;
  set("Width", Value(widthTwips + (bordered ? FrameAllowanceX : 0)));
  set("Height", Value(heightTwips + (bordered ? FrameAllowanceY : 0)));
}

Value Form::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "Controls")) {
    return Value(ObjectRef(std::make_shared<ControlCollection>(std::static_pointer_cast<const Form>(shared_from_this()))));
  }
  if (equalsNoCase(name, "Count")) return Value(static_cast<std::int16_t>(controls_.size()));
  if (equalsNoCase(name, "Font")) return Value(ObjectRef(font_));
  if (equalsNoCase(name, "ActiveForm")) {
    if (!mdiParent_) missingMember(name);
    return Value(ObjectRef(activeChild_.lock()));
  }
  if (ScaleSpace::isExtent(name)) {
    return scale_.extent(name, PropertyObject::get("ScaleMode").toInteger(), clientWidthTwips(),
                         clientHeightTwips());
  }
  return PropertyObject::get(name, index);
}

void Form::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "Font")) {
    auto* font = dynamic_cast<FontObject*>(value.toObject().get());
    if (font == nullptr) raise(err::TypeMismatch, "Type mismatch: Font");
    font_->setFont(font->font());
    return;
  }
  if (ScaleSpace::isExtent(name)) {
    scale_.setExtent(*this, name, value);
    store("ScaleMode", Value(0));
    return;
  }
  if (equalsNoCase(name, "ScaleMode") && value.toLong() == 0) scale_.keepExtents(*this);
  PropertyObject::set(name, value, index);
  if (equalsNoCase(name, "ScaleMode") && value.toLong() != 0) {
    store("ScaleLeft", Value(0));
    store("ScaleTop", Value(0));
  }
}

Value Form::call(std::string_view name, Args args) {
  if (equalsNoCase(name, "Move")) {
    static constexpr const char* order[] = {"Left", "Top", "Width", "Height"};
    if (args.empty() || args.size() > 4) raise(model_err::WrongArguments, "Wrong number of arguments: Move");
    for (std::size_t i = 0; i < args.size(); ++i) set(order[i], args[i]);
    return {};
  }
  if (equalsNoCase(name, "Show")) {
    set("Visible", Value(true));
    return {};
  }
  if (equalsNoCase(name, "Hide")) {
    set("Visible", Value(false));
    return {};
  }
  if (equalsNoCase(name, "Refresh")) return {};  // the snapshot is drawn from the properties when taken
  return PropertyObject::call(name, args);
}

ObjectRef Form::addControl(std::string_view typeName, std::string_view name, const ObjectRef& container) {
  if (control(name)) {
    raise(model_err::NameInUse, "There is already a control with the name '" + std::string(name) + "'");
  }
  ObjectRef made = createBuiltInControl(typeName);
  if (!made) made = createComponent(typeName);
  if (!made) raise(model_err::InvalidClassString, "Invalid class string: " + std::string(typeName));
  auto* control = dynamic_cast<Control*>(made.get());
  if (control == nullptr) raise(err::TypeMismatch, "Not a control: " + std::string(typeName));
  control->load("Name", Value(name));
  adopt(made, container);
  return made;
}

void Form::adopt(const ObjectRef& made, const ObjectRef& container) {
  auto control = std::dynamic_pointer_cast<Control>(made);
  if (!control) raise(err::TypeMismatch, "Type mismatch: only controls go on a form");
  if (control->form_ != nullptr) raise(err::InvalidProcedureCall, "The control is already on a form: " + control->name());
  auto* holder = dynamic_cast<Control*>(container.get());
  bool onForm = !container || container.get() == this;
  if (!onForm && (holder == nullptr || holder->form_ != this || !holder->holdsControls_)) {
    raise(err::InvalidProcedureCall, "Cannot place " + control->name() + " in that container");
  }
  control->form_ = this;
  control->container_ = onForm ? std::weak_ptr<Object>() : std::weak_ptr<Object>(container);
  controls_.push_back(made);
}

ObjectRef Form::control(std::string_view name) const {
  for (const ObjectRef& candidate : controls_) {
    auto* member = static_cast<Control*>(candidate.get());
    if (equalsNoCase(member->name(), name)) return candidate;
  }
  return nullptr;
}

void Form::addChild(const std::shared_ptr<Form>& child) {
  if (!mdiParent_) raise(err::InvalidProcedureCall, "Only a multiple-document form has child forms");
  if (!child || child.get() == this) raise(err::InvalidProcedureCall, "Invalid child form");
  child->store("MDIChild", Value(true));
  if (std::find(children_.begin(), children_.end(), child) == children_.end()) children_.push_back(child);
  activeChild_ = child;
}

void Form::activate(const std::shared_ptr<Form>& child) {
  if (std::find(children_.begin(), children_.end(), child) == children_.end()) {
    raise(err::InvalidProcedureCall, "Not a child form of " + PropertyObject::get("Name").toString());
  }
  activeChild_ = child;
}

void Form::unload() {
  if (unloaded_) return;
  unloaded_ = true;
  for (const auto& child : children_) child->unload();
  activeChild_.reset();
  for (const ObjectRef& control : controls_) {
    if (auto* component = dynamic_cast<UserControl*>(control.get())) component->Terminate();
  }
}

}  // namespace host
