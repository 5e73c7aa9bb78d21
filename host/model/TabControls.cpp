// The tabbed container: its pages, the parking of the children of the pages
// not selected, and its form-file data (the page each child sits on).
#include <QJsonValue>
#include <algorithm>
#include <cmath>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/FormData.h"
#include "host/model/Families.h"

namespace host {

namespace {

std::string defaultCaption(int tab) { return "Tab " + std::to_string(tab); }

// Moves a child by `offset` twips along x: a line by its end points.
void shiftAcross(Control& child, double offset) {
  if (child.kind() == Kind::Line) {
    child.set("X1", Value(child.get("X1").toDouble() + offset));
    child.set("X2", Value(child.get("X2").toDouble() + offset));
    return;
  }
  child.set("Left", Value(child.get("Left").toDouble() + offset));
}

// A child already parked (as a form file saved while its page was hidden
// keeps it) is not parked a second time.
bool isParked(const Control& child) {
  const char* across = child.kind() == Kind::Line ? "X1" : "Left";
  return child.get(across).toDouble() < -SSTab::HiddenOffset / 2;
}

class TabCodec final : public FormDataCodec {
 public:
  [[nodiscard]] std::vector<std::string_view> keys() const override { return {}; }
  void load(Control&, const FormDataReader&) const override {}
  void save(const Control&, FormDataWriter&) const override {}

  [[nodiscard]] std::vector<std::string_view> childKeys() const override { return {"OnTab"}; }
  void loadChild(Control& container, Control& child, const FormDataReader& data) const override {
    auto& tabs = static_cast<SSTab&>(container);
    int tab = 0;
    if (auto given = data.value("OnTab")) {
      const std::string key = data.spelling("OnTab");
      const double number = data.number(*given, key);
      const int count = tabs.get("Tabs").toInteger();
      if (number != std::floor(number) || number < 0 || number >= count)
        data.fail(key, "must be a page of the tab control, 0 to " + std::to_string(count - 1));
      tab = static_cast<int>(number);
    }
    tabs.placeOnTab(child, tab);
  }
  void saveChild(const Control& container, const Control& child, FormDataWriter& out) const override {
    const int tab = static_cast<const SSTab&>(container).tabOf(child);
    if (tab != 0) out.add("OnTab", Json::number(tab));
  }
};

}  // namespace

SSTab::SSTab() {
  declareExtender();
  giveFont();
  giveWindow();
  holdsControls_ = true;
  declare({"Width", ValueType::Single, 4815});
  declare({"Height", ValueType::Single, 2775});
  declare(PropertyDef{"Tabs", ValueType::Integer, 3}.between(1, 32767));
  declare({"Tab", ValueType::Integer, 0});
  declare(PropertyDef{"TabHeight", ValueType::Single, 300}.between(0, 1e9));
  declare(PropertyDef{"TabCaption", ValueType::String, ""}.indexed(1));
  declare({"BackColor", ValueType::Long, ButtonFace});
  declare({"ForeColor", ValueType::Long, ButtonText});
  declare({"Enabled", ValueType::Boolean, true});
  setTabs(3);
}

const FormDataCodec* SSTab::formData() const {
  static const TabCodec codec;
  return &codec;
}

void SSTab::set(std::string_view name, const Value& value, Args index) {
  if (index.empty() && equalsNoCase(name, "Tab")) {
    const int tab = value.toInteger();
    if (tab < 0 || tab >= get("Tabs").toInteger()) raise(err::InvalidPropertyValue, "Invalid property value: Tab");
    select(tab);
    return;
  }
  if (index.empty() && equalsNoCase(name, "Tabs")) {
    Control::set(name, value);
    setTabs(get("Tabs").toInteger());
    return;
  }
  Control::set(name, value, index);
}

void SSTab::setTabs(int count) {
  const int before = indexedCount("TabCaption");
  resizeIndexed("TabCaption", count);
  for (int tab = before; tab < count; ++tab) store("TabCaption", Value(defaultCaption(tab)), {Value(tab)});
  if (get("Tab").toInteger() >= count) select(count - 1);
}

std::vector<Control*> SSTab::children() const {
  std::vector<Control*> inside;
  if (form_ == nullptr) return inside;
  for (const ObjectRef& member : form_->controls()) {
    auto* control = static_cast<Control*>(member.get());
    if (control->container().get() == this) inside.push_back(control);
  }
  return inside;
}

SSTab::Placement* SSTab::placementOf(const Control& child) {
  std::erase_if(placements_, [](const Placement& placement) { return placement.child.expired(); });
  for (Placement& placement : placements_)
    if (placement.child.lock().get() == &child) return &placement;
  return nullptr;
}

int SSTab::tabOf(const Control& child) const {
  for (const Placement& placement : placements_)
    if (placement.child.lock().get() == &child) return placement.tab;
  return get("Tab").toInteger();
}

void SSTab::placeOnTab(Control& child, int tab) {
  if (tab < 0 || tab >= get("Tabs").toInteger()) raise(err::InvalidPropertyValue, "Invalid property value: OnTab");
  const bool wasHidden = placementOf(child) != nullptr && tabOf(child) != get("Tab").toInteger();
  if (Placement* placement = placementOf(child)) {
    placement->tab = tab;
  } else {
    placements_.push_back({child.self(), tab});
  }
  const bool hidden = tab != get("Tab").toInteger();
  if (hidden && !wasHidden && !isParked(child)) shiftAcross(child, -HiddenOffset);
  if (!hidden && wasHidden) shiftAcross(child, HiddenOffset);
}

void SSTab::select(int tab) {
  const int selected = get("Tab").toInteger();
  if (tab == selected) return;
  for (Control* child : children()) {
    if (placementOf(*child) == nullptr) placements_.push_back({child->self(), selected});
    const int on = tabOf(*child);
    // A child that lacks a place of its own is passed over, as the host's tab control does.
    if (on == selected) resume([&] { shiftAcross(*child, -HiddenOffset); });
    if (on == tab) resume([&] { shiftAcross(*child, HiddenOffset); });
  }
  store("Tab", Value(static_cast<std::int16_t>(tab)));
}

}  // namespace host
