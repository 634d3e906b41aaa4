// The host's events: one lock and one condition for all of them, so that a
// wait on several events is simple; events are few and rarely signalled.
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "platform/event.h"

namespace platform {

struct Event::Impl {
  bool manualReset;
  bool signalled = false;
  std::uint32_t word;
};

namespace {

std::mutex lock;
std::condition_variable changed;
std::uint32_t nextWord = 0x100;  // never 0: a word of 0 means "no event"
std::map<std::uint32_t, Event::Impl*>& Words() {
  static std::map<std::uint32_t, Event::Impl*> words;
  return words;
}

}  // namespace

Event::Event(bool manualReset) : impl_(new Impl{manualReset, false, 0}) {
  std::lock_guard<std::mutex> hold(lock);
  impl_->word = nextWord;
  nextWord += 4;
  Words()[impl_->word] = impl_;
}

Event::~Event() {
  std::lock_guard<std::mutex> hold(lock);
  Words().erase(impl_->word);
  delete impl_;
}

void Event::Set() {
  {
    std::lock_guard<std::mutex> hold(lock);
    impl_->signalled = true;
  }
  changed.notify_all();
}

void Event::Reset() {
  std::lock_guard<std::mutex> hold(lock);
  impl_->signalled = false;
}

std::uint32_t Event::Word() const { return impl_->word; }

int WaitForEvents(Event* const* events, int count, std::uint32_t timeoutMs) {
  if (events == nullptr || count <= 0) return kWaitFailed;
  std::unique_lock<std::mutex> hold(lock);
  int found = kWaitTimeout;
  auto ready = [&] {
    for (int i = 0; i < count; ++i) {
      if (events[i]->impl_->signalled) {
        found = i;
        return true;
      }
    }
    return false;
  };
  if (timeoutMs == kInfinite)
    changed.wait(hold, ready);
  else
    changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), ready);
  if (found >= 0 && !events[found]->impl_->manualReset) events[found]->impl_->signalled = false;
  return found;
}

bool SignalEventWord(std::uint32_t word) {
  {
    std::lock_guard<std::mutex> hold(lock);
    auto event = Words().find(word);
    if (event == Words().end()) return false;
    event->second->signalled = true;
  }
  changed.notify_all();
  return true;
}

}  // namespace platform
