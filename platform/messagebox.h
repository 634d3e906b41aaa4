// Message boxes go through a hook so that tests answer them instead of a person.
#pragma once

#include <functional>

namespace platform {

constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbYesNoCancel = 0x3;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// owner: the owner window's handle, or null.
using MessageBoxHook =
    std::function<int(void* owner, const char* text, const char* caption, unsigned type)>;

// The texts are UTF-8. An empty hook restores the default: MessageBoxW on Windows; on the host a
// log line and kIdOk.
void SetMessageBoxHook(MessageBoxHook hook);
int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned type);

}  // namespace platform
