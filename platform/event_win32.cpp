#include <windows.h>

#include "platform/event.h"

namespace platform {

Event::Event(bool manualReset)
    : impl_(reinterpret_cast<Impl*>(CreateEventA(nullptr, manualReset, FALSE, nullptr))) {}

Event::~Event() {
  if (impl_) CloseHandle(reinterpret_cast<HANDLE>(impl_));
}

void Event::Set() { SetEvent(reinterpret_cast<HANDLE>(impl_)); }

void Event::Reset() { ResetEvent(reinterpret_cast<HANDLE>(impl_)); }

// Kernel handles are 32-bit values even in a 64-bit process, so the word a
// driver gets is the handle itself.
std::uint32_t Event::Word() const {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(impl_));
}

int WaitForEvents(Event* const* events, int count, std::uint32_t timeoutMs) {
  if (events == nullptr || count <= 0 || count > MAXIMUM_WAIT_OBJECTS) return kWaitFailed;
  HANDLE handles[MAXIMUM_WAIT_OBJECTS];
  for (int i = 0; i < count; ++i) handles[i] = reinterpret_cast<HANDLE>(events[i]->impl_);
  const DWORD result = WaitForMultipleObjects(static_cast<DWORD>(count), handles, FALSE, timeoutMs);
  if (result < WAIT_OBJECT_0 + static_cast<DWORD>(count))
    return static_cast<int>(result - WAIT_OBJECT_0);
  return result == WAIT_TIMEOUT ? kWaitTimeout : kWaitFailed;
}

bool SignalEventWord(std::uint32_t word) {
  return word != 0 && SetEvent(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(word)));
}

}  // namespace platform
