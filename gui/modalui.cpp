#include "gui/modalui.h"

#include <commdlg.h>

namespace {

SettingsPathHook& PathHook() {
  static SettingsPathHook hook;
  return hook;
}

DialogHook& ModalHook() {
  static DialogHook hook;
  return hook;
}

std::string SystemFileDialog(HWND owner, const char* saveTitle) {
  char path[MAX_PATH] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.hInstance = GetModuleHandleA(nullptr);
  ofn.lpstrFilter = "Korvane Update (*.kmx)\0*.kmx\0";
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.lpstrDefExt = "kmx";
  ofn.lpstrTitle = saveTitle;
  const BOOL confirmed = saveTitle ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  return confirmed ? std::string(path) : std::string();
}

}  // namespace

void SetSettingsPathHook(SettingsPathHook hook) { PathHook() = std::move(hook); }

std::string AskSettingsPath(HWND owner, const char* saveTitle) {
  if (PathHook()) return PathHook()(owner, saveTitle);
  return SystemFileDialog(owner, saveTitle);
}

void SetDialogHook(DialogHook hook) { ModalHook() = std::move(hook); }

INT_PTR RunModalDialog(HWND owner, int dialogId, DLGPROC proc) {
  if (ModalHook()) return ModalHook()(owner, dialogId, proc);
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogId), owner, proc, 0);
}
