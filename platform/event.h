// Events: auto- or manual-reset, waited on alone or several at once. A driver
// is handed an event as a 4-byte word (on Windows the handle's value) and
// signals it through SignalEventWord.
#pragma once

#include <cstdint>

#include "platform/errors.h"

namespace platform {

class Event {
 public:
  explicit Event(bool manualReset = false);  // created unsignalled
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  bool IsValid() const { return impl_ != nullptr; }
  void Set();
  void Reset();
  // The word a driver is handed to signal this event.
  std::uint32_t Word() const;

  struct Impl;

 private:
  friend int WaitForEvents(Event* const* events, int count, std::uint32_t timeoutMs);
  Impl* impl_;
};

constexpr int kWaitTimeout = -1;
constexpr int kWaitFailed = -2;

// Waits until one of `events` is signalled: its index (an auto-reset event is
// reset by the wait), kWaitTimeout, or kWaitFailed.
int WaitForEvents(Event* const* events, int count, std::uint32_t timeoutMs = kInfinite);

// The driver's side: signals the event a program handed over as `word`; false
// when no such event exists.
bool SignalEventWord(std::uint32_t word);

}  // namespace platform
