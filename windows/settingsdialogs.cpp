#include "windows/settingsdialogs.h"

#include <mutex>

#include "platform/widetext.h"

namespace {

std::mutex hookLock;
FileDialogHook& Hook() {
  static FileDialogHook hook;
  return hook;
}

// One filter pair, ended by an empty pair.
constexpr wchar_t kFilter[] = L"Korvane Update (*.kmx)\0*.kmx\0";

bool SystemDialog(FileDialogKind kind, OPENFILENAMEW& request) {
  return kind == FileDialogKind::Open ? GetOpenFileNameW(&request) : GetSaveFileNameW(&request);
}

// Runs one dialog; the chosen path, or empty text when not confirmed.
std::string RunDialog(FileDialogKind kind, HWND owner, const char* title, bool* confirmed) {
  wchar_t path[MAX_PATH] = {};
  const std::wstring wideTitle = title ? platform::WideFromUtf8(title) : std::wstring();
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.hInstance = GetModuleHandleW(nullptr);
  request.lpstrFilter = kFilter;
  request.lpstrFile = path;
  request.nMaxFile = MAX_PATH;
  request.lpstrDefExt = L"kmx";
  request.lpstrTitle = title ? wideTitle.c_str() : nullptr;
  FileDialogHook hook;
  {
    std::lock_guard<std::mutex> hold(hookLock);
    hook = Hook();
  }
  // Modal: never under the lock.
  const bool ok = hook ? hook(kind, request) : SystemDialog(kind, request);
  if (confirmed) *confirmed = ok;
  if (!ok) return std::string();
  path[MAX_PATH - 1] = L'\0';  // a hook's answer that filled the buffer still ends
  return platform::Utf8FromWide(path);
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
