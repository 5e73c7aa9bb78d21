#pragma once
// A form with a resizer on a headless screen, and stand-ins for the grid and
// list-view families, which the resizer reaches by property name only.
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/Control.h"
#include "host/model/UserControl.h"
#include "resizer/Gauxel.h"

namespace resizertest {

using host::ObjectRef;
using host::Value;

// A form whose client area is 9000 x 6000 twips at (600, 900), designed on a
// 1024 x 768 screen, with a resizer placed on it.
struct ResizerRig {
  testsupport::HeadlessRuntime runtime = testsupport::makeHeadless();
  std::shared_ptr<host::Form> form = host::Form::create("Orders");
  std::shared_ptr<Gauxel> resizer = std::make_shared<Gauxel>();

  ResizerRig() {
    runtime.ui->setScreen({{1024, 768}, 15, 15});
    form->set("Left", Value(600.0));
    form->set("Top", Value(900.0));
    form->setClientSize(9000, 6000);
    resizer->load("Name", Value("Gauxel1"));
    form->adopt(resizer);
    resizer->InitProperties();
  }

  ObjectRef add(const char* type, const char* name, double left, double top, double width, double height,
                const ObjectRef& container = nullptr) {
    ObjectRef control = form->addControl(type, name, container);
    control->call("Move", {Value(left), Value(top), Value(width), Value(height)});
    return control;
  }
  // The form opens on a screen of this size, with the poll on or off.
  void show(host::Size screen, bool resize) {
    runtime.ui->setScreen({screen, 15, 15});
    resizer->set("Resize", Value(resize));
    resizer->Show();
  }
  // The user drags the form to a new client size and the poll ticks.
  void dragTo(double width, double height) {
    form->setClientSize(width, height);
    runtime.ui->stepTimers();
  }
};

// What a grid column or a list-view column header offers: its Width.
class ColumnStandIn final : public host::Object {
 public:
  [[nodiscard]] std::string typeName() const override { return "Column"; }
  [[nodiscard]] Value get(std::string_view name, host::Args index = {}) const override {
    if (host::equalsNoCase(name, "Width") && index.empty()) return Value(width);
    missingMember(name);
  }
  void set(std::string_view name, const Value& value, host::Args index = {}) override {
    if (!host::equalsNoCase(name, "Width") || !index.empty()) missingMember(name);
    width = value.toSingle();
  }
  using host::Object::get;
  using host::Object::set;
  float width = 0;
};

// Columns or ColumnHeaders: Count and Item(i), counted from `first`.
class ColumnsStandIn final : public host::Object {
 public:
  explicit ColumnsStandIn(int first) : first_(first) {}
  [[nodiscard]] std::string typeName() const override { return "Columns"; }
  [[nodiscard]] Value get(std::string_view name, host::Args index = {}) const override {
    if (host::equalsNoCase(name, "Count")) return Value(static_cast<std::int32_t>(columns.size()));
    if (host::equalsNoCase(name, "Item") && index.size() == 1) {
      const int at = index[0].toLong() - first_;
      if (at < 0 || at >= static_cast<int>(columns.size())) host::raise(host::err::SubscriptOutOfRange);
      return Value(ObjectRef(columns[static_cast<std::size_t>(at)]));
    }
    missingMember(name);
  }
  using host::Object::get;
  void add(float width) {
    columns.push_back(std::make_shared<ColumnStandIn>());
    columns.back()->width = width;
  }
  std::vector<std::shared_ptr<ColumnStandIn>> columns;

 private:
  int first_;
};

// A control of another maker's grid or list-view family, by type name.
class GridStandIn final : public host::Control {
 public:
  explicit GridStandIn(std::string type) : type_(std::move(type)) {
    declareExtender();
    giveFont();
    declare({"Cols", host::ValueType::Long, 0});
    declare(host::PropertyDef{"ColWidth", host::ValueType::Long, 0}.indexed(1));
    declare(host::PropertyDef{"RowHeight", host::ValueType::Long, 240}.indexed(1));
    declare({"Redraw", host::ValueType::Boolean, true});
    resizeIndexed("RowHeight", 1);
  }
  [[nodiscard]] std::string typeName() const override { return type_; }
  [[nodiscard]] Value get(std::string_view name, host::Args index = {}) const override {
    if (host::equalsNoCase(name, "Columns") && dataColumns) return Value(ObjectRef(dataColumns));
    if (host::equalsNoCase(name, "ColumnHeaders") && headers) return Value(ObjectRef(headers));
    if (host::equalsNoCase(name, "HeadFont") && headFont) return Value(ObjectRef(headFont));
    return host::Control::get(name, index);
  }
  void set(std::string_view name, const Value& value, host::Args index = {}) override {
    if (host::equalsNoCase(name, "Redraw")) redrawLog.push_back(value.toBool());
    if (host::equalsNoCase(name, "Cols")) resizeIndexed("ColWidth", value.toLong());
    host::Control::set(name, value, index);
  }
  using host::Object::get;
  using host::Object::set;
  [[nodiscard]] int width(int c) const { return get("ColWidth", {Value(c)}).toLong(); }

  std::shared_ptr<ColumnsStandIn> dataColumns;
  std::shared_ptr<ColumnsStandIn> headers;
  std::shared_ptr<host::FontObject> headFont;
  std::vector<bool> redrawLog;

 private:
  std::string type_;
};

}  // namespace resizertest
