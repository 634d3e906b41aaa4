#include <windows.h>

#include <atomic>

#include "platform/namedmutex.h"

namespace platform {

namespace {
std::atomic<std::uint64_t> lockCalls{0};
}  // namespace

std::uint64_t NamedMutexLockCalls() { return lockCalls.load(std::memory_order_relaxed); }

NamedMutex::NamedMutex(const char* name) : impl_(CreateMutexA(nullptr, FALSE, name)) {}

NamedMutex::~NamedMutex() {
  if (impl_) CloseHandle(static_cast<HANDLE>(impl_));
}

bool NamedMutex::Lock(std::uint32_t timeoutMs) {
  lockCalls.fetch_add(1, std::memory_order_relaxed);
  if (!impl_) return false;
  // An abandoned mutex (its owner thread ended holding it) is still ours now.
  DWORD result = WaitForSingleObject(static_cast<HANDLE>(impl_), timeoutMs);
  return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

bool NamedMutex::Unlock() { return impl_ && ReleaseMutex(static_cast<HANDLE>(impl_)); }

}  // namespace platform
