// How the simulated driver's request tables are written: one rule per request
// code with the buffer sizes the driver checks before it looks at contents.
// Shared by the tables of the device interfaces (driver.cpp) and of the
// control device (control.cpp).
#pragma once

#include <cstdint>

#include "simulator/core/driver.h"

namespace simulator::core {

using Serve = IoCompletion (*)(Machine*, const HandleRef&, const IoRequest&);

// Input sizes are exact, output sizes a minimum.
struct RequestRule {
  std::uint32_t code;
  std::uint32_t inSize;  // kAnyInput: the request takes none and ignores what it is given
  std::uint32_t minOutSize;
  Serve serve;
};

constexpr std::uint32_t kAnyInput = 0xFFFFFFFF;

inline IoCompletion AtOnce(const IoRequest& request, std::uint32_t status,
                           std::uint32_t bytes = 0) {
  return IoCompletion{status, bytes, request.nowUs};
}

// The version request, answered alike on every handle.
IoCompletion ServeVersion(Machine* machine, const HandleRef& handle, const IoRequest& request);

// The control device's rule for `code`, or null.
const RequestRule* FindControlRule(std::uint32_t code);

}  // namespace simulator::core
