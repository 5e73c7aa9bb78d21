#pragma once
// A live Qt Widgets form as a host form: the top-level widget and every
// widget on it reached through the host object interface, so the print
// control's walker and renderers and the resizer work on it as they do on an
// emulated form. One small adapter per widget family (qtforms/Families.h)
// answers the family's properties from the live widget.
//
// The form is adapted when a job (or the resizer) starts: the adapters then
// stand for the widgets the form held at that moment; each reads its widget
// afresh on every read. A form that was never shown is laid out at its own
// size first, without a window appearing.
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "host/FormView.h"
#include "host/Object.h"
#include "qtforms/WidgetControl.h"

namespace qtforms {

class LiveForm final : public host::Object, public host::FormView {
 public:
  // Adapts the form whose top-level widget is `form`.
  [[nodiscard]] static std::shared_ptr<LiveForm> adapt(QWidget& form, Writes writes);
  LiveForm(QWidget& form, Writes writes, bool mdiChild);
  ~LiveForm() override;

  // "Form", or "MDIForm" when the form holds a multiple-document area.
  [[nodiscard]] std::string typeName() const override;
  [[nodiscard]] host::Kind kind() const override { return host::Kind::Form; }
  [[nodiscard]] host::Value get(std::string_view name, host::Args index = {}) const override;
  void set(std::string_view name, const host::Value& value, host::Args index = {}) override;
  host::Value call(std::string_view name, host::Args args = {}) override;
  using host::Object::call;
  using host::Object::get;
  using host::Object::set;

  [[nodiscard]] const std::vector<host::ObjectRef>& controls() const override { return controls_; }
  [[nodiscard]] host::Picture snapshot() const override;

  // The top-level widget; error 91 once it has been destroyed.
  [[nodiscard]] QWidget& widget() const;
  [[nodiscard]] Writes writes() const { return writes_; }
  // The adapter of a widget on this form; nullptr for a widget that has none
  // (a layout holder, a widget inside a table).
  [[nodiscard]] host::ObjectRef adapterOf(const QWidget& widget) const;
  // While deferred, geometry and font size writes to the widgets are
  // gathered on their adapters and read back from there; applyGeometry sets
  // each widget's font and geometry once. Qt lays out and repaints a widget
  // on every move, resize and font change, and a scaling pass writes five
  // values a widget.
  void deferGeometry(bool defer) { defersGeometry_ = defer; }
  [[nodiscard]] bool defersGeometry() const { return defersGeometry_; }
  void applyGeometry();
  // The active child of a multiple-document form; nullptr when it has none.
  [[nodiscard]] std::shared_ptr<LiveForm> activeChild() const;

 private:
  void collect(QWidget& parent, const host::ObjectRef& container);
  void add(const std::shared_ptr<WidgetControl>& control, const host::ObjectRef& container);
  [[nodiscard]] double clientWidthTwips() const;
  [[nodiscard]] double clientHeightTwips() const;

  QPointer<QWidget> form_;
  Writes writes_;
  bool mdiChild_ = false;
  QPointer<QWidget> mdiArea_;
  mutable std::shared_ptr<LiveForm> activeChild_;
  std::vector<host::ObjectRef> controls_;
  std::vector<std::pair<QPointer<QWidget>, host::ObjectRef>> adapters_;
  std::int16_t scaleMode_ = 1;
  bool defersGeometry_ = false;
  std::int32_t hWnd_;
  std::int32_t hDC_;
  host::ObjectRef font_;
  host::ObjectRef controlsCollection_;
};

// Lays out a form that has never been shown at its own size (its layouts
// activated, its size the one it would open at), without showing it.
void layOutUnshownForm(QWidget& form);

// Engine controls that sit on a live form as widgets of their own (the
// public PrintControl and Resizer widgets): the adapter lists the engine
// object in the form's Controls where the widget is, so the print control
// finds the form's resizer by its type name as it does on emulated forms.
void registerEngineControl(QWidget& widget, const host::ObjectRef& control);
[[nodiscard]] host::ObjectRef engineControlOf(const QWidget& widget);

}  // namespace qtforms
