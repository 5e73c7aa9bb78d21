#include "qtforms/LiveForm.h"

#include <QHash>
#include <QFrame>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWindow>
#include <typeinfo>
#include <unordered_map>
#include <unordered_set>

#include "host/HostError.h"
#include "host/QtFont.h"
#include "host/Lang.h"
#include "host/PictureImpl.h"
#include "host/model/Control.h"
#include "qtforms/Families.h"

using host::Args;
using host::ObjectRef;
using host::Value;

namespace qtforms {

namespace {

QHash<const QWidget*, std::weak_ptr<host::Object>>& engineControls() {
  static QHash<const QWidget*, std::weak_ptr<host::Object>> controls;
  return controls;
}

// The form's Controls collection: Count and Item(i), i from 0, or Item(name).
class ControlCollection final : public host::Object {
 public:
  explicit ControlCollection(const LiveForm& form) : form_(form) {}
  [[nodiscard]] std::string typeName() const override { return "Object"; }
  [[nodiscard]] Value get(std::string_view name, Args index) const override {
    const auto& controls = form_.controls();
    if (host::equalsNoCase(name, "Count")) return Value(static_cast<std::int32_t>(controls.size()));
    if (!host::equalsNoCase(name, "Item")) missingMember(name);
    if (index.size() != 1) host::raise(host::err::InvalidProcedureCall, "Wrong number of arguments: Item");
    if (index[0].isString()) {
      for (const ObjectRef& control : controls)
        if (host::equalsNoCase(control->get("Name").toString(), index[0].toString())) return Value(control);
      host::raise(host::err::SubscriptOutOfRange, "Subscript out of range: " + index[0].toString());
    }
    const std::int32_t i = index[0].toLong();
    if (i < 0 || i >= static_cast<std::int32_t>(controls.size()))
      host::raise(host::err::SubscriptOutOfRange, "Subscript out of range");
    return Value(controls[static_cast<std::size_t>(i)]);
  }
  Value call(std::string_view name, Args args) override { return get(name, args); }
  using host::Object::call;
  using host::Object::get;

 private:
  const LiveForm& form_;
};

// The form's font by name: read from the top-level widget.
class FormFont final : public host::Object {
 public:
  explicit FormFont(const LiveForm& form) : form_(form) {}
  [[nodiscard]] std::string typeName() const override { return "Font"; }
  [[nodiscard]] Value get(std::string_view name, Args index) const override {
    return host::FontObject(host::fromQFont(form_.widget().font())).get(name, index);
  }

 private:
  const LiveForm& form_;
};

bool isCreatedBefore(const QWidget& widget) { return widget.testAttribute(Qt::WA_WState_Created); }

void activateLayouts(QWidget& widget) {
  for (QWidget* child : widget.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!child->isWindow()) activateLayouts(*child);
  }
  if (QLayout* layout = widget.layout()) layout->activate();
}

// The names given on a form, compared without regard to case, and the
// lowest-numbered name "<stem><n>" not yet given (each stem counts on from
// where it stopped: a form of a thousand unnamed widgets is named in one pass).
class FormNames {
 public:
  void take(const std::string& name) { taken_.insert(host::lowerCase(name)); }
  [[nodiscard]] std::string fresh(const std::string& stem) {
    int& next = next_[stem];
    for (;;) {
      std::string name = stem + std::to_string(++next);
      if (taken_.insert(host::lowerCase(name)).second) return name;
    }
  }

 private:
  std::unordered_set<std::string> taken_;
  std::unordered_map<std::string, int> next_;
};

std::string classStem(const QWidget& widget) {
  std::string stem = widget.metaObject()->className();
  if (stem.size() > 1 && stem[0] == 'Q') stem.erase(0, 1);
  return stem;
}

}  // namespace

void registerEngineControl(QWidget& widget, const ObjectRef& control) {
  engineControls().insert(&widget, control);
  QObject::connect(&widget, &QObject::destroyed, [key = &widget] { engineControls().remove(key); });
}

ObjectRef engineControlOf(const QWidget& widget) { return engineControls().value(&widget).lock(); }

void layOutUnshownForm(QWidget& form) {
  if (form.isVisible() || isCreatedBefore(form)) return;
  form.ensurePolished();
  if (!form.testAttribute(Qt::WA_Resized)) form.resize(form.sizeHint().expandedTo(form.minimumSizeHint()));
  activateLayouts(form);
}

std::shared_ptr<LiveForm> LiveForm::adapt(QWidget& form, Writes writes) {
  layOutUnshownForm(form);
  auto live = std::make_shared<LiveForm>(form, writes, qobject_cast<QMdiSubWindow*>(form.parentWidget()) != nullptr);
  live->collect(form, live);
  // Names the designer left empty are given as the host would, unique on the form.
  FormNames names;
  names.take(live->get("Name").toString());
  for (const ObjectRef& control : live->controls_) {
    auto* adapter = dynamic_cast<WidgetControl*>(control.get());
    if (adapter != nullptr && !adapter->name().empty()) names.take(adapter->name());
  }
  for (auto& [widget, control] : live->adapters_) {
    auto* adapter = dynamic_cast<WidgetControl*>(control.get());
    if (adapter != nullptr && adapter->name().empty()) adapter->setName(names.fresh(classStem(*widget)));
  }
  return live;
}

LiveForm::LiveForm(QWidget& form, Writes writes, bool mdiChild)
    : form_(&form), writes_(writes), mdiChild_(mdiChild), hWnd_(host::newHandle()), hDC_(host::newHandle()) {
  font_ = std::make_shared<FormFont>(*this);
  controlsCollection_ = std::make_shared<ControlCollection>(*this);
  if (!mdiChild_) mdiArea_ = form.findChild<QMdiArea*>();
}

LiveForm::~LiveForm() = default;

QWidget& LiveForm::widget() const {
  if (!form_) host::raise(host::err::ObjectVariableNotSet, "Object variable not set: the form is gone");
  return *form_;
}

std::string LiveForm::typeName() const { return mdiArea_ ? "MDIForm" : "Form"; }

void LiveForm::add(const std::shared_ptr<WidgetControl>& control, const ObjectRef& container) {
  if (container.get() != this) control->setContainer(container);
  control->setName(control->widget().objectName().toStdString());
  controls_.push_back(control);
  adapters_.emplace_back(&control->widget(), control);
}

void LiveForm::collect(QWidget& parent, const ObjectRef& container) {
  for (QObject* child : parent.children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr || widget->isWindow()) continue;
    if (ObjectRef engine = engineControlOf(*widget)) {
      controls_.push_back(engine);
      continue;
    }
    if (qobject_cast<QMdiArea*>(widget) != nullptr) continue;  // its children are forms of their own

    Adapted adapted = adaptContainerFamily(*this, *widget);
    if (!adapted.control) adapted = adaptGraphicFamily(*this, *widget);
    if (!adapted.control) {
      std::shared_ptr<WidgetControl> control = adaptRichText(*this, *widget);
      if (!control) control = adaptTextFamily(*this, *widget);
      if (!control) control = adaptButtonFamily(*this, *widget);
      if (!control) control = adaptTableFamily(*this, *widget);
      if (!control) control = adaptListFamily(*this, *widget);
      if (!control) control = adaptPictureFamily(*this, *widget);
      adapted.control = control;
    }
    if (!adapted.control) {
      // A widget of no known family: a holder of other widgets is walked
      // through; one that only paints itself prints as its picture.
      const bool holdsWidgets = !widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty();
      // A subclass without Q_OBJECT shares its base's meta-object: only the
      // dynamic type tells a plain holder from a widget that paints itself.
      const bool plainHolder = typeid(*widget) == typeid(QWidget) || typeid(*widget) == typeid(QFrame);
      if (holdsWidgets || plainHolder) {
        collect(*widget, container);
        continue;
      }
      adapted.control = adaptAsPicture(*this, *widget);
      if (!adapted.control) continue;
    }
    add(adapted.control, container);
    if (adapted.children != Children::Adapted) continue;
    if (adapted.holders.empty()) adapted.holders.push_back(widget);
    for (QWidget* holder : adapted.holders) collect(*holder, adapted.control);
  }
}

void LiveForm::applyGeometry() {
  // Containers first: their children's places count from them.
  for (const auto& [widget, control] : adapters_) {
    if (auto* adapter = dynamic_cast<WidgetControl*>(control.get())) adapter->applyGeometry();
  }
}

ObjectRef LiveForm::adapterOf(const QWidget& widget) const {
  for (const auto& [key, control] : adapters_)
    if (key == &widget) return control;
  return nullptr;
}

std::shared_ptr<LiveForm> LiveForm::activeChild() const {
  auto* area = qobject_cast<QMdiArea*>(mdiArea_.data());
  if (area == nullptr) return nullptr;
  QMdiSubWindow* active = area->activeSubWindow();
  if (active == nullptr && !area->subWindowList().isEmpty()) active = area->subWindowList().first();
  if (active == nullptr || active->widget() == nullptr) return nullptr;
  // The form keeps its child's adapter: those who reach the child through
  // ActiveForm (a print job) hold no reference of their own.
  if (!activeChild_ || activeChild_->form_ != active->widget()) activeChild_ = adapt(*active->widget(), writes_);
  return activeChild_;
}

double LiveForm::clientWidthTwips() const { return widget().width() * TwipsPerPixel; }
double LiveForm::clientHeightTwips() const { return widget().height() * TwipsPerPixel; }

host::Picture LiveForm::snapshot() const { return host::pictureOf(widget().grab().toImage()); }

Value LiveForm::get(std::string_view name, Args index) const {
  using host::equalsNoCase;
  QWidget& form = widget();
  // The outer window: a child of a multiple-document form lies inside the area.
  QWidget& window = mdiChild_ ? *form.parentWidget() : form;
  const QRect outer = mdiChild_ ? window.geometry() : window.frameGeometry();
  if (equalsNoCase(name, "Name")) {
    const QString name = form.objectName();
    return Value(name.isEmpty() ? std::string("Form1") : name.toStdString());
  }
  if (equalsNoCase(name, "Caption")) return Value(window.windowTitle().toStdString());
  if (equalsNoCase(name, "Tag")) return Value(form.property("tag").toString().toStdString());
  if (equalsNoCase(name, "Left")) return Value(toTwips(outer.x()));
  if (equalsNoCase(name, "Top")) return Value(toTwips(outer.y()));
  if (equalsNoCase(name, "Width")) return Value(toTwips(outer.width()));
  if (equalsNoCase(name, "Height")) return Value(toTwips(outer.height()));
  if (equalsNoCase(name, "ScaleMode")) return Value(scaleMode_);
  if (equalsNoCase(name, "ScaleWidth") || equalsNoCase(name, "ScaleHeight")) {
    host::ScaleSpace scale;
    return scale.extent(name, scaleMode_, clientWidthTwips(), clientHeightTwips());
  }
  if (equalsNoCase(name, "ScaleLeft") || equalsNoCase(name, "ScaleTop")) return Value(0.0f);
  if (equalsNoCase(name, "WindowState")) {
    const Qt::WindowStates state = window.windowState();
    return Value(static_cast<std::int16_t>(state & Qt::WindowMinimized ? 1 : state & Qt::WindowMaximized ? 2 : 0));
  }
  if (equalsNoCase(name, "RightToLeft")) return Value(form.layoutDirection() == Qt::RightToLeft);
  if (equalsNoCase(name, "BackColor")) return Value(hostColor(form.palette().color(form.backgroundRole())));
  if (equalsNoCase(name, "ForeColor")) return Value(hostColor(form.palette().color(form.foregroundRole())));
  if (equalsNoCase(name, "MDIChild")) return Value(mdiChild_);
  if (equalsNoCase(name, "hWnd")) return Value(hWnd_);
  if (equalsNoCase(name, "hDC")) return Value(hDC_);
  if (equalsNoCase(name, "AutoRedraw")) return Value(false);
  if (equalsNoCase(name, "Visible")) return Value(form.isVisible());
  if (equalsNoCase(name, "Enabled")) return Value(form.isEnabled());
  if (equalsNoCase(name, "BorderStyle")) return Value(std::int16_t{2});
  if (equalsNoCase(name, "Font")) return Value(font_);
  if (equalsNoCase(name, "Controls")) return Value(controlsCollection_);
  if (equalsNoCase(name, "Count")) return Value(static_cast<std::int16_t>(std::min<std::size_t>(controls_.size(), INT16_MAX)));
  if (mdiArea_ && equalsNoCase(name, "AutoShowChildren")) return Value(true);
  if (mdiArea_ && equalsNoCase(name, "ActiveForm")) {
    std::shared_ptr<LiveForm> child = activeChild();
    if (!child) host::raise(host::err::ObjectVariableNotSet, "Object variable not set: the form has no child form");
    return Value(ObjectRef(child));
  }
  (void)index;
  missingMember(name);
}

void LiveForm::set(std::string_view name, const Value& value, Args index) {
  using host::equalsNoCase;
  if (equalsNoCase(name, "ScaleMode")) {
    const std::int16_t mode = value.toInteger();
    if (mode < 0 || mode > 7) host::raise(host::err::InvalidPropertyValue, "Invalid property value: ScaleMode");
    scaleMode_ = mode;
    return;
  }
  const bool geometry = equalsNoCase(name, "Left") || equalsNoCase(name, "Top") || equalsNoCase(name, "Width") ||
                        equalsNoCase(name, "Height");
  if (geometry && writes_ == Writes::ToWidgets && !mdiChild_) {
    QWidget& form = widget();
    const QRect outer = form.frameGeometry();
    const QSize frame = outer.size() - form.size();
    const int pixels = toPixels(value.toDouble());
    if (equalsNoCase(name, "Left")) form.move(pixels, outer.y());
    if (equalsNoCase(name, "Top")) form.move(outer.x(), pixels);
    if (equalsNoCase(name, "Width")) form.resize(std::max(1, pixels - frame.width()), form.height());
    if (equalsNoCase(name, "Height")) form.resize(form.width(), std::max(1, pixels - frame.height()));
    return;
  }
  (void)get(name, index);  // a name the form lacks raises 438
  if (geometry) return;    // a print job never moves the form
  host::raise(host::err::InvalidPropertyValue, "Property is read-only: " + std::string(name));
}

Value LiveForm::call(std::string_view name, Args args) {
  using host::equalsNoCase;
  if (equalsNoCase(name, "Refresh") || equalsNoCase(name, "Show") || equalsNoCase(name, "ZOrder")) return {};
  (void)args;
  missingMember(name);
}

}  // namespace qtforms
