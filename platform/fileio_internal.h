// What the two implementations of fileio.h share.
#pragma once

#include <cstdint>

#include "platform/fileio.h"

namespace platform::internal {

// The error code planned for `step` by FailNextReplaceAt, taken so that it
// fails only once; 0 when that step is to run normally.
std::uint32_t TakePlannedFailure(ReplaceStep step);

// Fills `*error` (when not null) for `code`; always false.
bool Fail(FileError* error, std::uint32_t code, bool atOpen);

}  // namespace platform::internal
