#pragma once
// What a control on a form reaches of the form beyond its late-bound
// properties, whichever host made the form: the emulated forms of host/model
// and the live Qt Widgets forms both implement FormView beside host::Object.
#include <vector>

#include "host/HostError.h"
#include "host/Object.h"
#include "host/Picture.h"

namespace host {

class FormView {
 public:
  virtual ~FormView() = default;
  // The form's controls in creation order (the order its Controls collection
  // enumerates them); controls inside containers are listed too.
  [[nodiscard]] virtual const std::vector<ObjectRef>& controls() const = 0;
  // The picture of the client area as the user sees it now (its hDC).
  [[nodiscard]] virtual Picture snapshot() const = 0;
};

// The form view of a form object; error 438 for an object that is no form.
[[nodiscard]] inline const FormView& formViewOf(const Object& form) {
  const auto* view = dynamic_cast<const FormView*>(&form);
  if (view == nullptr) raise(err::MemberNotFound, "Object doesn't support this property or method: Controls");
  return *view;
}

}  // namespace host
