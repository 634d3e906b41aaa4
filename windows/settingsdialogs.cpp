#include "windows/settingsdialogs.h"

#include <mutex>

namespace {

std::mutex hookLock;
FileDialogHook& Hook() {
  static FileDialogHook hook;
  return hook;
}

// One filter pair, ended by an empty pair.
constexpr char kFilter[] = "Korvane Update (*.kmx)\0*.kmx\0";

bool SystemDialog(FileDialogKind kind, OPENFILENAMEA& request) {
  return kind == FileDialogKind::Open ? GetOpenFileNameA(&request) : GetSaveFileNameA(&request);
}

// Runs one dialog; the chosen path, or empty text when not confirmed.
std::string RunDialog(FileDialogKind kind, HWND owner, const char* title, bool* confirmed) {
  char path[MAX_PATH] = {};
  OPENFILENAMEA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.hInstance = GetModuleHandleA(nullptr);
  request.lpstrFilter = kFilter;
  request.lpstrFile = path;
  request.nMaxFile = sizeof path;
  request.lpstrDefExt = "kmx";
  request.lpstrTitle = title;
  FileDialogHook hook;
  {
    std::lock_guard<std::mutex> hold(hookLock);
    hook = Hook();
  }
  // Modal: never under the lock.
  const bool ok = hook ? hook(kind, request) : SystemDialog(kind, request);
  if (confirmed) *confirmed = ok;
  if (!ok) return std::string();
  path[sizeof path - 1] = '\0';  // a hook's answer that filled the buffer still ends
  return path;
}

}  // namespace

void SetFileDialogHook(FileDialogHook hook) {
  std::lock_guard<std::mutex> hold(hookLock);
  Hook() = std::move(hook);
}

std::string OpenSettingsDialog(HWND owner) {
  return RunDialog(FileDialogKind::Open, owner, nullptr, nullptr);
}

std::string SaveSettingsDialog(HWND owner, const char* title, bool* confirmed) {
  return RunDialog(FileDialogKind::Save, owner, title, confirmed);
}
