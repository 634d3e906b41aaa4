#include "platform/assert.h"

#include <atomic>
#include <cstdlib>

#include "platform/log.h"

namespace platform {
namespace {
std::atomic<bool> abortOnFailure{true};
}

void AssertionFailed(const char* text) {
  Log("Assertion failed: %s\n", text);
  if (abortOnFailure) std::abort();
}

void SetAssertionsAbort(bool abort) { abortOnFailure = abort; }

}  // namespace platform
