#pragma once
// The host language's one run-time error, and the helper that passes over a
// failing statement where a procedure runs "statement by statement".
#include <stdexcept>
#include <string>

namespace host {

// Run-time error numbers of the host language that the system raises or tests.
namespace err {
inline constexpr int Overflow = 6;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int InvalidPropertyArrayIndex = 381;
inline constexpr int SetNotSupportedAtDesignTime = 394;
inline constexpr int ObjectRequired = 424;
inline constexpr int MemberNotFound = 438;
inline constexpr int PrinterError = 482;
inline constexpr int FileNotFound = 53;
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int ObjectVariableNotSet = 91;
}  // namespace err

// A run-time error of the host language: a number and a description. It is the
// only exception the system ever catches; anything else is a bug and escapes.
class HostError : public std::runtime_error {
 public:
  HostError(int number, std::string description);
  [[nodiscard]] int number() const noexcept { return number_; }
  [[nodiscard]] const std::string& description() const noexcept { return description_; }

 private:
  int number_;
  std::string description_;
};

// Throws a HostError; the description defaults to the language's text for the number.
[[noreturn]] void raise(int number, std::string description = {});

// The language's standard text for an error number ("Overflow", "Type mismatch", ...).
[[nodiscard]] std::string errorText(int number);

// Runs one statement; a HostError it raises is passed over and the caller goes
// on with the next statement. Returns false when the statement failed.
template <class Statement>
bool resume(Statement&& statement) {
  try {
    statement();
    return true;
  } catch (const HostError&) {
    return false;
  }
}

}  // namespace host
