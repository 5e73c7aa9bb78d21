#include "host/Object.h"

#include "host/HostError.h"

namespace host {

Value Object::get(std::string_view name, Args) const { missingMember(name); }

void Object::set(std::string_view name, const Value&, Args) { missingMember(name); }

Value Object::call(std::string_view name, Args) { missingMember(name); }

void Object::missingMember(std::string_view name) {
  raise(err::MemberNotFound, "Object doesn't support this property or method: " + std::string(name));
}

ObjectRef ObjectLink::operator->() const {
  ObjectRef object = object_.lock();
  if (!object) raise(err::ObjectVariableNotSet);
  return object;
}

}  // namespace host
