#include "panel/notifypost.h"

#include <atomic>

namespace {
std::atomic<PostMessageHook> installedHook{nullptr};
}

void SetPostMessageHook(PostMessageHook hook) {
  installedHook.store(hook, std::memory_order_release);
}

bool PostTargetMessage(void* window, std::uint32_t message, std::uint32_t wParam,
                       std::uint32_t lParam) {
  PostMessageHook hook = installedHook.load(std::memory_order_acquire);
  return hook != nullptr && hook(window, message, wParam, lParam);
}
