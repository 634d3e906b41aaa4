// The engine's message queue between the GUI thread, which pushes, and the
// interface loop, which coalesces and pops.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "korvaneobjects/enginemessage.h"
#include "platform/event.h"
#include "platform/namedmutex.h"

extern const char* const kFifoAccessLockName;
extern const char* const kFifoStartGateName;

class KorvaneFIFO {
 public:
  // Takes the start gate on the creating thread; the first push releases it.
  KorvaneFIFO();
  ~KorvaneFIFO();
  KorvaneFIFO(const KorvaneFIFO&) = delete;
  KorvaneFIFO& operator=(const KorvaneFIFO&) = delete;

  void Push(EngineMessage* message);  // takes ownership
  // Removes the first message that a later one supersedes; true when one was
  // removed. The others keep their order.
  bool Coalesce();
  EngineMessage* Pop();  // the oldest message, now the caller's; null when empty

  // Waits at most `timeoutMs` for the first push; true once it happened.
  bool WaitForFirstPush(std::uint32_t timeoutMs);
  // Waits, with no lock taken, until a push or a Wake since the last wait;
  // one that came before the wait ends it at once. A wake may find the queue
  // empty (its message was already popped): the caller looks again.
  void WaitForWork();
  // Ends the current or next WaitForWork without a message.
  void Wake();

  std::uint32_t Size();
  std::uint32_t MaxSize();

 private:
  void Append(EngineMessage* message);
  void Unlink(EngineMessage* message);

  EngineMessage* head = nullptr;
  EngineMessage* tail = nullptr;
  std::uint32_t size = 0;
  std::uint32_t maxSize = 0;
  // How many queued messages share each supersede key, and how many keys are
  // shared: lets Coalesce answer "nothing to remove" at once and find the
  // message to remove in one walk.
  std::unordered_map<std::uint64_t, std::uint32_t> keyCounts;
  std::uint32_t sharedKeys = 0;
  platform::NamedMutex accessLock;
  platform::NamedMutex startGate;
  // Until the creating thread's first push hands the gate over. Asking the
  // system to release a mutex the thread does not hold is a round trip that
  // fails; every push after the first would make one.
  bool gateHeld = true;
  // Auto-reset: set by every push, so a waiting consumer costs nothing until
  // there is something to do.
  platform::Event work;
};
