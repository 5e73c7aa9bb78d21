#pragma once
// The base of a component library's control (the print control, the resizer):
// a control on the host form with the life cycle and the property bag of the
// component host.
#include <string_view>

#include "host/Geometry.h"
#include "host/model/Control.h"
#include "host/model/PropertyBag.h"

namespace host {

class Dc;

// Declares the extender properties the host gives every placed control (Name,
// Tag, Visible, Index, Left, Top, Width, Height, Enabled) and a Font; a
// component declares its own public properties on top.
class UserControl : public Control {
 public:
  UserControl();
  [[nodiscard]] Kind kind() const override { return Kind::UserControl; }

  // Life cycle, called by the host: a newly placed control gets InitProperties,
  // a loaded one ReadProperties; saving calls WriteProperties.
  virtual void InitProperties() {}
  virtual void ReadProperties(PropertyBag& /*bag*/) {}
  virtual void WriteProperties(PropertyBag& /*bag*/) {}
  virtual void Show() {}
  virtual void Paint() {}
  virtual void Resize() {}
  virtual void Terminate() {}

  // The control's own face in the picture of its form (the form's hDC),
  // drawn into `box` (device pixels of `dc`). False when the component has no
  // face of its own: the form then draws it as a plain box.
  [[nodiscard]] virtual bool drawFace(Dc& /*dc*/, const Rect& /*box*/) const { return false; }
  // The user clicks the control at `where` (twips from its top-left corner).
  virtual void click(Point /*where*/) {}

  // The form the control sits on: the emulated form that holds it, or the
  // form another host sited it on (a live Qt Widgets form); null when none.
  // Reach its controls through host::formViewOf.
  [[nodiscard]] ObjectRef parentForm() const;
  // Sites the control on a form of another host. The control does not keep
  // the form alive: the form owns its controls.
  void siteOn(const ObjectRef& form) { site_ = form; }

  // Tells the container a property changed so the designer saves it.
  void PropertyChanged(std::string_view name);
  [[nodiscard]] int changesReported() const { return changes_; }
  // The ambient UserMode: True at run time, False in the designer.
  [[nodiscard]] bool userMode() const { return userMode_; }
  void setUserMode(bool running) { userMode_ = running; }

 private:
  std::weak_ptr<Object> site_;
  int changes_ = 0;
  bool userMode_ = true;
};

}  // namespace host
