// How the notification thread reaches a window: the GUI installs a hook that
// posts (PostMessageA), so this portable half never includes <windows.h>;
// tests install one of their own.
#pragma once

#include <cstdint>

// The message the panel's main window receives when the driver reports a
// change (WM_USER + 20).
constexpr std::uint32_t WM_DRIVER_NOTIFY = 0x414;

// Posts, never sends: the caller is a worker thread, and sending to a window
// whose thread is waiting for that worker would deadlock. True when posted.
using PostMessageHook = bool (*)(void* window, std::uint32_t message, std::uint32_t wParam,
                                 std::uint32_t lParam);

// Null: posting does nothing. May be called while a notification thread runs.
void SetPostMessageHook(PostMessageHook hook);

// Posts through the installed hook; false when none is installed or it failed.
bool PostTargetMessage(void* window, std::uint32_t message, std::uint32_t wParam,
                       std::uint32_t lParam);
