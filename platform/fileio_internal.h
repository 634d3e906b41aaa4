// What the two implementations of fileio.h share.
#pragma once

#include <cstdint>

#include "platform/fileio.h"

namespace platform::internal {

// The error code planned for `step` by FailNextReplaceAt, taken so that it
// fails only once; 0 when that step is to run normally.
std::uint32_t TakePlannedFailure(ReplaceStep step);

// Makes `code` the calling thread's last system error (GetLastError, errno).
void SetSystemError(std::uint32_t code);

// Runs one step of a replacement, or instead fails it as a test planned,
// with the planned code as the system's error.
template <typename Operation>
bool Step(ReplaceStep step, Operation&& operation) {
  if (const std::uint32_t code = TakePlannedFailure(step)) {
    SetSystemError(code);
    return false;
  }
  return operation();
}

// Fills `*error` (when not null) for `code`; always false.
bool Fail(FileError* error, std::uint32_t code, bool atOpen);

}  // namespace platform::internal
