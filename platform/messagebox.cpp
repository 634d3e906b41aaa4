#include "platform/messagebox.h"

#include <mutex>

#ifdef _WIN32
#include <windows.h>

#include "platform/widetext.h"
#else
#include "platform/log.h"
#endif

namespace platform {
namespace {

std::mutex hookLock;
MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

int SystemMessageBox(void* owner, const char* text, const char* caption, unsigned type) {
#ifdef _WIN32
  // The texts are UTF-8: a box may quote a file name in any script.
  return MessageBoxW(static_cast<HWND>(owner), WideFromUtf8(text ? text : "").c_str(),
                     caption ? WideFromUtf8(caption).c_str() : nullptr, type);
#else
  (void)owner;
  (void)type;
  Log("[message box] %s: %s\n", caption ? caption : "", text ? text : "");
  return kIdOk;
#endif
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
  std::lock_guard<std::mutex> hold(hookLock);
  Hook() = std::move(hook);
}

int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned type) {
  MessageBoxHook hook;
  {
    std::lock_guard<std::mutex> hold(hookLock);
    hook = Hook();
  }
  // The box is modal: it must not run under the lock, or a second box would wait on the first.
  return hook ? hook(owner, text, caption, type) : SystemMessageBox(owner, text, caption, type);
}

}  // namespace platform
