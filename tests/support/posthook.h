// A window's message queue as the notifier's tests see it: the post hook
// records every message the notification thread posts, and can hold the
// thread inside the post (as a hung window system would).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "panel/notifypost.h"
#include "tests/support/eventually.h"

struct Posted {
  void* window;
  std::uint32_t message, wParam, lParam;
  bool operator==(const Posted&) const = default;
};

struct PostHook {
  PostHook() { SetPostMessageHook(&Post); }
  ~PostHook() {
    SetPostMessageHook(nullptr);
    std::lock_guard<std::mutex> hold(mutex);
    posts.clear();
    blocked = false;
  }
  static bool Post(void* window, std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam) {
    std::unique_lock<std::mutex> hold(mutex);
    posts.push_back({window, message, wParam, lParam});
    changed.notify_all();
    changed.wait(hold, [] { return !blocked; });
    return true;
  }
  static std::vector<Posted> WaitForPosts(std::size_t count) {
    std::unique_lock<std::mutex> hold(mutex);
    changed.wait_for(hold, testsupport::kLivenessLimit, [&] { return posts.size() >= count; });
    return posts;
  }
  static void Block(bool block) {
    std::lock_guard<std::mutex> hold(mutex);
    blocked = block;
    changed.notify_all();
  }
  static inline std::mutex mutex;
  static inline std::condition_variable changed;
  static inline std::vector<Posted> posts;
  static inline bool blocked = false;
};
