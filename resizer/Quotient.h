#pragma once
// Implementation header of the resizer: division as the host language does it.
#include "host/HostError.h"

namespace gauxel {

// A quotient of the host language: division by zero is run-time error 11, so
// a statement dividing by a size that was never recorded is passed over.
[[nodiscard]] inline double quotient(double dividend, double divisor) {
  if (divisor == 0) host::raise(11, "Division by zero");
  return dividend / divisor;
}

}  // namespace gauxel
