#include "resizer/Gauxel.h"

#include <array>
#include <cstdint>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Runtime.h"
#include "host/SysColors.h"
#include "host/Ui.h"
#include "resizer/Quotient.h"

using host::Value;
using host::ValueType;
using gauxel::quotient;

namespace {

// The public properties in the order the property bag reads them, with the
// defaults of a newly loaded control.
std::array<host::PropertyDef, 7> publicProperties() {
  const GauxelProperties defaults;
  return {{
      {"Enabled", ValueType::Boolean, Value(defaults.Enabled)},
      {"Resize", ValueType::Boolean, Value(defaults.Resize)},
      {"Factor", ValueType::Double, Value(defaults.Factor)},
      {"Zoom", ValueType::Integer, Value(defaults.Zoom)},
      {"SetScale", ValueType::Long, Value(defaults.SetScale)},
      {"HScale", ValueType::Long, Value(defaults.HScale)},
      {"FactorH", ValueType::Double, Value(defaults.FactorH)},
  }};
}

// Factor and Zoom are read from the bag but never written, so every load
// starts them at 1 and 100.
constexpr std::array<std::string_view, 5> writtenPublicKeys = {"Resize", "Enabled", "SetScale", "HScale",
                                                               "FactorH"};

struct DesignKey {
  std::string_view key;
  std::int32_t GauxelDesign::*member;
};
constexpr std::array<DesignKey, 6> designKeys = {{
    {"WidthForm", &GauxelDesign::WidthForm},
    {"HeightForm", &GauxelDesign::HeightForm},
    {"LeftForm", &GauxelDesign::LeftForm},
    {"TopForm", &GauxelDesign::TopForm},
    {"ScaleW", &GauxelDesign::ScaleW},
    {"ScaleH", &GauxelDesign::ScaleH},
}};

const host::PropertyDef* publicProperty(std::string_view name) {
  static const auto properties = publicProperties();
  for (const auto& property : properties)
    if (host::equalsNoCase(property.name, name)) return &property;
  return nullptr;
}

}  // namespace

Gauxel::Gauxel() {
  for (auto& property : publicProperties())
    if (!hasProperty(property.name)) declare(std::move(property));
  declare({"BackColor", ValueType::Long, Value(host::systemColorValue(host::syscolor::ButtonFace))});
}

Gauxel::~Gauxel() = default;

void Gauxel::set(std::string_view name, const Value& value, host::Args index) {
  const host::PropertyDef* property = publicProperty(name);
  if (property == nullptr) {
    Control::set(name, value, index);
    return;
  }
  if (host::equalsNoCase(property->name, "Zoom")) {
    setZoom(value);
    return;
  }
  if (host::equalsNoCase(property->name, "Resize")) {
    setResize(value);
    return;
  }
  const bool factor = host::equalsNoCase(name, "Factor");
  if (factor && !userMode()) host::raise(host::err::SetNotSupportedAtDesignTime);
  Control::set(property->name, value, index);
  if (factor && records_.empty()) layoutFactor_ = stored("Factor").toDouble();
  PropertyChanged(property->name);
}

Value Gauxel::get(std::string_view name, host::Args index) const {
  if (host::equalsNoCase(name, "DesignZoom")) {
    if (!index.empty()) host::raise(host::err::InvalidProcedureCall, "Invalid procedure call: DesignZoom");
    if (layoutFactor_ == 0) host::raise(host::err::DivisionByZero, "Division by zero");
    return Value(100 / layoutFactor_);
  }
  return Control::get(name, index);
}

void Gauxel::setZoom(const Value& value) {
  // A zoom of 0 or less would scale every control to nothing (or through
  // itself): refused, and the layout stays.
  if (value.toDouble() <= 0) host::raise(host::err::InvalidPropertyValue, "Invalid property value: Zoom must be above 0");
  const std::int16_t previous = stored("Zoom").toInteger();
  Control::set("Zoom", value);
  PropertyChanged("Zoom");
  if (stored("Zoom").toInteger() != previous) ScalePass();
}

void Gauxel::setResize(const Value& value) {
  Control::set("Resize", value);
  PropertyChanged("Resize");
  if (ready_) timer1().setEnabled(stored("Resize").toBool());
}

host::Timer& Gauxel::timer1() {
  if (!timer1_) {
    timer1_ = host::ui().createTimer([this] { Timer1_Timer(); });
    timer1_->setInterval(PollInterval);
  }
  return *timer1_;
}

bool Gauxel::pollRunning() const { return timer1_ && timer1_->enabled(); }

void Gauxel::raiseEvent(const std::function<void()>& handler) const {
  if (handler) handler();
}

Value Gauxel::call(std::string_view name, host::Args args) {
  if (host::equalsNoCase(name, "About") && args.empty()) {
    About();
    return {};
  }
  return Control::call(name, args);
}

void Gauxel::About() {
  host::ui().msgBox("Gauxel keeps the layout of its form proportional to the form's size.",
                    host::mb::Information, "About Gauxel");
}

void Gauxel::InitProperties() {
  const host::ObjectRef parent = parentForm();
  if (parent != nullptr) {
    int resizers = 0;
    for (const auto& control : host::formViewOf(*parent).controls())
      if (control->typeName() == "Gauxel") ++resizers;
    if (resizers >= 2) {
      host::ui().msgBox(std::string(AlreadyOnFormMessage), host::mb::OkOnly);
      host::raise(host::err::InvalidProcedureCall, std::string(AlreadyOnFormMessage));
    }
  }
  store("Resize", Value(false));
  store("Factor", Value(1.0));
  layoutFactor_ = 1;
  store("FactorH", Value(1.0));
  if (parent != nullptr) host::resume([&] { Control::set("BackColor", parent->get("BackColor")); });
  const host::Size screen = host::ui().screen().pixels;
  store("HScale", Value(static_cast<std::int32_t>(screen.height)));
  store("SetScale", Value(static_cast<std::int32_t>(screen.width)));
  recordFormGeometry();
}

void Gauxel::recordFormGeometry() { design_ = standingFormGeometry(); }

GauxelDesign Gauxel::standingFormGeometry() const {
  GauxelDesign geometry = design_;
  const host::ObjectRef parent = parentForm();
  if (parent == nullptr) return geometry;
  auto record = [&](std::int32_t& target, std::string_view property) {
    host::resume([&] { target = parent->get(property).toLong(); });
  };
  record(geometry.WidthForm, "Width");
  record(geometry.HeightForm, "Height");
  record(geometry.LeftForm, "Left");
  record(geometry.TopForm, "Top");
  record(geometry.ScaleH, "ScaleHeight");
  record(geometry.ScaleW, "ScaleWidth");
  return geometry;
}

void Gauxel::ReadProperties(host::PropertyBag& bag) {
  for (const auto& property : publicProperties())
    store(property.name, bag.ReadProperty(property.name, property.defaultValue));
  const GauxelDesign defaults;
  for (const auto& [key, member] : designKeys)
    design_.*member = bag.ReadProperty(key, Value(defaults.*member)).toLong();
  layoutFactor_ = stored("Factor").toDouble();
}

void Gauxel::WriteProperties(host::PropertyBag& bag) {
  // A form saved while it runs is saved as it stands: its controls are
  // written at the layout in force, so that layout, the form's place and size
  // and the screen it is on become its design. Written with the design and
  // ratios it was opened with, the next open would scale the controls by
  // them again. The running control keeps its own.
  const bool running = userMode() && ready_;
  for (std::string_view key : writtenPublicKeys)
    bag.WriteProperty(key, running ? savedWhileRunning(key) : stored(key), publicProperty(key)->defaultValue);
  const GauxelDesign defaults;
  const GauxelDesign written = running ? standingFormGeometry() : design_;
  for (const auto& [key, member] : designKeys)
    bag.WriteProperty(key, Value(written.*member), Value(defaults.*member));
}

// A running form is saved on the screen it is on, as its design screen, at
// ratio 1.
Value Gauxel::savedWhileRunning(std::string_view key) const {
  const host::Size screen = host::ui().screen().pixels;
  if (host::equalsNoCase(key, "SetScale")) return Value(static_cast<std::int32_t>(screen.width));
  if (host::equalsNoCase(key, "HScale")) return Value(static_cast<std::int32_t>(screen.height));
  if (host::equalsNoCase(key, "FactorH")) return Value(1.0);
  return stored(key);
}

void Gauxel::Resize() {
  if (userMode() || sizing_) return;
  sizing_ = true;
  host::resume([&] {
    Control::set("Width", Value(std::int32_t{DesignWidth}));
    Control::set("Height", Value(std::int32_t{DesignHeight}));
  });
  sizing_ = false;
}

void Gauxel::Show() {
  ready_ = false;
  if (!userMode() || !stored("Enabled").toBool()) return;
  const host::ObjectRef parent = parentForm();
  if (parent == nullptr) return;
  const host::Size screen = host::ui().screen().pixels;
  const GauxelProperties standing = props();
  if (screen.width == standing.SetScale && screen.height == standing.HScale) {
    host::resume([&] { parent->set("Top", Value(design_.TopForm)); });
    host::resume([&] { parent->set("Left", Value(design_.LeftForm)); });
    host::resume([&] { parent->set("Width", Value(design_.WidthForm)); });
    host::resume([&] { parent->set("Height", Value(design_.HeightForm)); });
  } else {
    host::resume([&] { store("Factor", Value(quotient(screen.width, standing.SetScale))); });
    host::resume([&] { ratios_.RatioH = quotient(screen.height, standing.HScale); });
    store("FactorH", Value(ratios_.RatioH));
    ratios_.RatioW = stored("Factor").toDouble();
    AdaptToScreen();
  }
  host::resume([&] { set("Visible", Value(false)); });
  raiseEvent(events_.Adapt);

  StartFactor = stored("Factor").toDouble();
  host::resume([&] { BaseW = parent->get("ScaleWidth").toLong(); });
  host::resume([&] { BaseH = parent->get("ScaleHeight").toLong(); });
  ready_ = true;

  if (!stored("Resize").toBool()) return;
  host::resume([&] { LastW = parent->get("ScaleWidth").toLong(); });
  host::resume([&] { LastH = parent->get("ScaleHeight").toLong(); });
  timer1().setEnabled(true);
}

void Gauxel::Timer1_Timer() {
  if (!userMode() || !ready_) return;
  const host::ObjectRef parent = parentForm();
  if (parent == nullptr) return;
  std::int32_t height = LastH;
  std::int32_t width = LastW;
  host::resume([&] { height = parent->get("ScaleHeight").toLong(); });
  host::resume([&] { width = parent->get("ScaleWidth").toLong(); });
  if (height == LastH && width == LastW) return;

  // A ratio that cannot be worked out keeps the one standing.
  double ratioH = ratios_.RatioH;
  double ratioW = ratios_.RatioW;
  host::resume([&] { ratioH = quotient(height, BaseH) * stored("FactorH").toDouble(); });
  host::resume([&] { ratioW = quotient(width, BaseW) * stored("Factor").toDouble(); });
  passAtRatios(ratioW, ratioH);

  host::ui().doEvents();
  host::resume([&] { LastW = parent->get("ScaleWidth").toLong(); });
  host::resume([&] { LastH = parent->get("ScaleHeight").toLong(); });
  raiseEvent(events_.Resize);
}

void Gauxel::passAtRatios(double ratioW, double ratioH) {
  ratios_.PrevRatio = ratios_.RatioW != 0 ? ratios_.RatioW : 1;
  ratios_.RatioW = ratioW;
  ratios_.RatioH = ratioH;
  busy_ = true;
  ratios_.MinRatio = ratios_.RatioH >= ratios_.RatioW ? ratios_.RatioW : ratios_.RatioH;
  // Any change of Zoom runs the pass; it is stepped by 2, and back instead at
  // the top of the Integer range so that the pass always runs.
  const std::int16_t zoom = stored("Zoom").toInteger();
  const int step = zoom <= INT16_MAX - 2 ? 2 : -2;
  if (host::resume([&] { setZoom(Value(static_cast<std::int16_t>(zoom + step))); }))
    pollLayout_ = PollLayout{stored("Zoom").toInteger(), ratios_};
  busy_ = false;
}

void Gauxel::Terminate() {
  ready_ = false;
  // The poll must not outlive the form it reads.
  if (timer1_) timer1_->setEnabled(false);
}

GauxelProperties Gauxel::props() const {
  GauxelProperties result;
  result.Enabled = stored("Enabled").toBool();
  result.Resize = stored("Resize").toBool();
  result.Factor = stored("Factor").toDouble();
  result.FactorH = stored("FactorH").toDouble();
  result.Zoom = stored("Zoom").toInteger();
  result.SetScale = stored("SetScale").toLong();
  result.HScale = stored("HScale").toLong();
  return result;
}
