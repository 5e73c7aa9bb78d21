#include "host/HostError.h"

namespace host {

HostError::HostError(int number, std::string description)
    : std::runtime_error(description.empty() ? errorText(number) : description),
      number_(number),
      description_(description.empty() ? errorText(number) : std::move(description)) {}

void raise(int number, std::string description) { throw HostError(number, std::move(description)); }

std::string errorText(int number) {
  switch (number) {
    case err::InvalidProcedureCall: return "Invalid procedure call or argument";
    case err::Overflow: return "Overflow";
    case err::SubscriptOutOfRange: return "Subscript out of range";
    case err::TypeMismatch: return "Type mismatch";
    case err::FileNotFound: return "File not found";
    case err::InvalidPropertyValue: return "Invalid property value";
    case err::InvalidPropertyArrayIndex: return "Invalid property array index";
    case err::SetNotSupportedAtDesignTime: return "Set not supported at design time";
    case err::ObjectRequired: return "Object required";
    case err::ObjectVariableNotSet: return "Object variable or With block variable not set";
    case err::MemberNotFound: return "Object doesn't support this property or method";
    case err::PrinterError: return "Printer error";
    default: return "Application-defined or object-defined error";
  }
}

}  // namespace host
