#include "platform/fileio.h"

#include <atomic>

#include "platform/fileio_internal.h"

namespace platform {
namespace {

struct PlannedFailure {
  ReplaceStep step;
  std::uint32_t code;
};
std::atomic<PlannedFailure> planned{PlannedFailure{ReplaceStep::kNone, 0}};

}  // namespace

void FailNextReplaceAt(ReplaceStep step, std::uint32_t code) { planned.store({step, code}); }

namespace internal {

std::uint32_t TakePlannedFailure(ReplaceStep step) {
  PlannedFailure expected = planned.load();
  if (expected.step != step) return 0;
  // Only one save fails, even when two threads save at once.
  if (!planned.compare_exchange_strong(expected, {ReplaceStep::kNone, 0})) return 0;
  return expected.code;
}

bool Fail(FileError* error, std::uint32_t code, bool atOpen) {
  if (error != nullptr) *error = {code, SystemErrorText(code), atOpen};
  return false;
}

}  // namespace internal
}  // namespace platform
