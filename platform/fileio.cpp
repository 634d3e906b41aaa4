#include "platform/fileio.h"

#include <array>
#include <atomic>

#include "platform/fileio_internal.h"

namespace platform {
namespace {

constexpr std::size_t kSteps = static_cast<std::size_t>(ReplaceStep::kWriteInPlace) + 1;
// The error code planned for each step; 0 lets it run.
std::array<std::atomic<std::uint32_t>, kSteps> planned{};

}  // namespace

void FailNextReplaceAt(ReplaceStep step, std::uint32_t code) {
  if (step != ReplaceStep::kNone) {
    planned[static_cast<std::size_t>(step)].store(code);
    return;
  }
  for (std::atomic<std::uint32_t>& slot : planned) slot.store(0);
}

namespace internal {

std::uint32_t TakePlannedFailure(ReplaceStep step) {
  // Taken in one exchange: only one save fails, even when two threads save at once.
  return planned[static_cast<std::size_t>(step)].exchange(0);
}

bool Fail(FileError* error, std::uint32_t code, bool atOpen) {
  if (error != nullptr) *error = {code, SystemErrorText(code), atOpen, {}};
  return false;
}

}  // namespace internal
}  // namespace platform
