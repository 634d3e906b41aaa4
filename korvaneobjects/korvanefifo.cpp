#include "korvaneobjects/korvanefifo.h"

#include <chrono>
#include <thread>

#include "platform/log.h"

// Named, so every queue of every process shares them.
const char* const kFifoAccessLockName = "KORVANEFIFO_ACCESLOCK_MUTEX_NAME";
const char* const kFifoStartGateName = "KORVANEFIFO_FIFOLOCK_MUTEX_NAME";

namespace {

constexpr auto kNoEventPoll = std::chrono::milliseconds(1);

class Hold {
 public:
  explicit Hold(platform::NamedMutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
  ~Hold() { mutex_.Unlock(); }

 private:
  platform::NamedMutex& mutex_;
};

}  // namespace

KorvaneFIFO::KorvaneFIFO() : accessLock(kFifoAccessLockName), startGate(kFifoStartGateName) {
  startGate.Lock();
}

KorvaneFIFO::~KorvaneFIFO() {
  Hold hold(accessLock);
  while (head) {
    EngineMessage* message = head;
    head = head->next;
    delete message;
  }
  tail = nullptr;
  size = 0;
  // A queue that never saw a push still holds its gate on the creating thread.
  if (gateHeld) startGate.Unlock();
}

void KorvaneFIFO::Push(EngineMessage* message) {
  Append(message);
  // After the lock: the woken loop finds the message and does not block on it.
  work.Set();
}

void KorvaneFIFO::Append(EngineMessage* message) {
  Hold hold(accessLock);
  message->next = nullptr;
  message->prev = tail;
  if (tail)
    tail->next = message;
  else
    head = message;
  tail = message;
  if (++keyCounts[message->SupersedeKey()] == 2) ++sharedKeys;
  ++size;
  if (size > maxSize) {
    maxSize = size;
    platform::Log("Max stacksize: %i", static_cast<int>(maxSize));
  }
  // Only the thread that made the queue holds the gate; for any other thread
  // the release fails and the gate stays shut.
  if (gateHeld) gateHeld = !startGate.Unlock();
}

void KorvaneFIFO::Unlink(EngineMessage* message) {
  (message->prev ? message->prev->next : head) = message->next;
  (message->next ? message->next->prev : tail) = message->prev;
  message->next = message->prev = nullptr;
  auto count = keyCounts.find(message->SupersedeKey());
  if (--count->second == 1) --sharedKeys;
  if (count->second == 0) keyCounts.erase(count);
  --size;
}

bool KorvaneFIFO::Coalesce() {
  Hold hold(accessLock);
  if (size <= 1 || sharedKeys == 0) return false;
  // The first message whose key is shared has a later message with that key:
  // had it an earlier one, that one would have been found first.
  for (EngineMessage* message = head; message; message = message->next) {
    if (keyCounts[message->SupersedeKey()] > 1) {
      Unlink(message);
      delete message;
      return true;
    }
  }
  return false;
}

EngineMessage* KorvaneFIFO::Pop() {
  Hold hold(accessLock);
  EngineMessage* message = head;
  if (message) Unlink(message);
  return message;
}

bool KorvaneFIFO::WaitForFirstPush(std::uint32_t timeoutMs) {
  // Waiting on the gate means taking it; hand it straight back so that it is
  // never left with a thread that ends.
  if (!startGate.Lock(timeoutMs)) return false;
  startGate.Unlock();
  return true;
}

void KorvaneFIFO::WaitForWork() {
  platform::Event* events[] = {&work};
  if (work.IsValid() && platform::WaitForEvents(events, 1) == 0) return;
  // Without a working event the consumer polls as it would between passes.
  std::this_thread::sleep_for(kNoEventPoll);
}

void KorvaneFIFO::Wake() { work.Set(); }

std::uint32_t KorvaneFIFO::Size() {
  Hold hold(accessLock);
  return size;
}

std::uint32_t KorvaneFIFO::MaxSize() {
  Hold hold(accessLock);
  return maxSize;
}
