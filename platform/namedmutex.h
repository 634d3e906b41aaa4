// A named mutex: one lock for every object of the process that opens the same
// name (and, on Windows, for every process). Recursive and owned by a thread,
// as the system's named mutex is: only the owning thread can release it.
#pragma once

#include <cstdint>

#include "platform/errors.h"

namespace platform {

class NamedMutex {
 public:
  // Creates the mutex or opens the existing one of that name.
  explicit NamedMutex(const char* name);
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Waits at most `timeoutMs` (kInfinite: without limit); true once held.
  bool Lock(std::uint32_t timeoutMs = kInfinite);
  // False when the calling thread does not hold the mutex.
  bool Unlock();

 private:
  void* impl_;
};

// How many times any named mutex of the process was asked for (Lock calls,
// granted or not). On Windows each is a round trip to the system, so code
// that should be idle can be checked for taking none.
std::uint64_t NamedMutexLockCalls();

}  // namespace platform
