// The host's named mutex: one recursive, thread-owned, timed lock per name for
// the whole process, alive while any object holds its name, as the system's
// named mutex is.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/namedmutex.h"

namespace platform {

namespace {
std::atomic<std::uint64_t> lockCalls{0};
}  // namespace

std::uint64_t NamedMutexLockCalls() { return lockCalls.load(std::memory_order_relaxed); }
namespace {

struct SharedMutex {
  std::mutex lock;
  std::condition_variable released;
  std::thread::id owner;
  unsigned depth = 0;
};

std::mutex tableLock;
std::map<std::string, std::weak_ptr<SharedMutex>>& Table() {
  static std::map<std::string, std::weak_ptr<SharedMutex>> table;
  return table;
}

std::shared_ptr<SharedMutex> CreateOrOpen(const char* name) {
  std::lock_guard<std::mutex> hold(tableLock);
  auto& table = Table();
  std::weak_ptr<SharedMutex>& slot = table[name ? name : ""];
  std::shared_ptr<SharedMutex> mutex = slot.lock();
  if (!mutex) {
    mutex = std::make_shared<SharedMutex>();
    slot = mutex;
  }
  return mutex;
}

SharedMutex& Of(void* impl) { return **static_cast<std::shared_ptr<SharedMutex>*>(impl); }

}  // namespace

NamedMutex::NamedMutex(const char* name)
    : impl_(new std::shared_ptr<SharedMutex>(CreateOrOpen(name))) {}

NamedMutex::~NamedMutex() { delete static_cast<std::shared_ptr<SharedMutex>*>(impl_); }

bool NamedMutex::Lock(std::uint32_t timeoutMs) {
  lockCalls.fetch_add(1, std::memory_order_relaxed);
  SharedMutex& mutex = Of(impl_);
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock<std::mutex> hold(mutex.lock);
  if (mutex.depth > 0 && mutex.owner == self) {
    ++mutex.depth;
    return true;
  }
  auto isFree = [&] { return mutex.depth == 0; };
  if (timeoutMs == kInfinite) {
    mutex.released.wait(hold, isFree);
  } else if (!mutex.released.wait_for(hold, std::chrono::milliseconds(timeoutMs), isFree)) {
    return false;
  }
  mutex.owner = self;
  mutex.depth = 1;
  return true;
}

bool NamedMutex::Unlock() {
  SharedMutex& mutex = Of(impl_);
  std::unique_lock<std::mutex> hold(mutex.lock);
  if (mutex.depth == 0 || mutex.owner != std::this_thread::get_id()) return false;
  if (--mutex.depth == 0) {
    mutex.owner = std::thread::id();
    hold.unlock();
    mutex.released.notify_one();
  }
  return true;
}

}  // namespace platform
