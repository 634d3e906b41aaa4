#include "panel/drivernotifier.h"

#include <atomic>
#include <chrono>
#include <system_error>

#include "panel/notifypost.h"
#include "platform/event.h"
#include "platform/log.h"

using namespace qdl;

namespace {

std::atomic<std::uint32_t> stopWaitMs{10000};
std::atomic<int> liveWaitThreads{0};

}  // namespace

// Everything the wait thread touches. The thread holds its own reference, so
// a thread that Stop gave up on can still finish with it after the notifier
// is gone; a later Start then works on a fresh one.
struct CDriverNotifier::Shared {
  platform::Event notify;       // signalled by the driver
  platform::Event stop;         // signalled by Stop
  platform::Event ended{true};  // the thread's last act; stays set
  std::mutex targetLock;        // taken after the notifier's lock, never before
  Target target;                // guarded by `targetLock`
};

CDriverNotifier::CDriverNotifier() : shared(std::make_shared<Shared>()) {}

CDriverNotifier::~CDriverNotifier() {
  Stop();
  std::lock_guard<std::recursive_mutex> hold(lock);
  shared.reset();
}

void CDriverNotifier::SetStopWaitMs(std::uint32_t ms) { stopWaitMs.store(ms); }

int CDriverNotifier::LiveWaitThreads() { return liveWaitThreads.load(); }

void CDriverNotifier::SetTarget(void* window, std::uint32_t message, std::uint32_t wParam,
                                std::uint32_t lParam) {
  std::lock_guard<std::recursive_mutex> hold(lock);
  target = Target{window, message, wParam, lParam};
  // Waits for a post in progress: once this returns, the old target gets nothing more.
  std::lock_guard<std::mutex> holdTarget(shared->targetLock);
  shared->target = target;
}

DriverStatus CDriverNotifier::Start() {
  std::lock_guard<std::recursive_mutex> hold(lock);
  if (thread.joinable()) return 0;
  if (!shared->notify.IsValid() || !shared->stop.IsValid() || !shared->ended.IsValid())
    return kDriverFailed;
  // A signal left over from before this start means nothing now.
  shared->notify.Reset();
  shared->stop.Reset();
  shared->ended.Reset();

  DriverStatus status = Open();
  if (status) return status;
  status = RegisterNotifyEvent(shared->notify.Word());
  if (status) {
    Close();
    return status;
  }
  liveWaitThreads.fetch_add(1);
  try {
    thread = std::thread(&CDriverNotifier::WaitForNotifications, shared);
  } catch (const std::system_error&) {
    liveWaitThreads.fetch_sub(1);
    Close();
    return kDriverFailed;
  }
  return 0;
}

bool CDriverNotifier::IsRunning() const {
  std::lock_guard<std::recursive_mutex> hold(lock);
  return thread.joinable();
}

DriverStatus CDriverNotifier::Stop() {
  std::thread running;
  std::shared_ptr<Shared> state;
  {
    // Not held while waiting: SetTarget and requests on this instance stay
    // possible, and nothing the thread waits for needs it.
    std::lock_guard<std::recursive_mutex> hold(lock);
    running = std::move(thread);
    state = shared;
  }
  DriverStatus status = 0;
  if (running.joinable()) {
    state->stop.Set();
    platform::Event* ended[] = {&state->ended};
    if (platform::WaitForEvents(ended, 1, stopWaitMs.load()) == 0) {
      running.join();
    } else {
      running.detach();
      platform::Log("Notification thread did not end; left detached.\n");
      status = kDriverFailed;
      // The abandoned thread keeps the old state; a later Start must not reset
      // events that thread still waits on.
      auto fresh = std::make_shared<Shared>();
      std::lock_guard<std::recursive_mutex> hold(lock);
      fresh->target = target;
      if (shared == state) shared = std::move(fresh);
    }
  }
  Close();
  return status;
}

void CDriverNotifier::WaitForNotifications(std::shared_ptr<Shared> state) {
  // The driver's event comes first: a notification that arrived before the
  // stop request is still delivered, in the order the two happened.
  platform::Event* events[] = {&state->notify, &state->stop};
  for (;;) {
    const int which = platform::WaitForEvents(events, 2, platform::kInfinite);
    if (which == 1) break;
    if (which == 0) {
      // Posted under the target lock, so SetTarget(none) ends posting at once.
      // Posting does not block; should it ever, Stop leaves this thread behind.
      std::lock_guard<std::mutex> hold(state->targetLock);
      const Target& target = state->target;
      if (target.window)
        PostTargetMessage(target.window, target.message, target.wParam, target.lParam);
      continue;
    }
    // A failed wait would otherwise spin at full speed.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  state->ended.Set();
  state.reset();
  liveWaitThreads.fetch_sub(1);
}
