#include "gui/modalui.h"

namespace {

DialogHook& Hook() {
  static DialogHook hook;
  return hook;
}

}  // namespace

void SetDialogHook(DialogHook hook) { Hook() = std::move(hook); }

INT_PTR RunModalDialog(HWND owner, int dialogId, DLGPROC proc) {
  return RunModalDialog(owner, dialogId, proc, 0);
}

INT_PTR RunModalDialog(HWND owner, int dialogId, DLGPROC proc, LPARAM param) {
  if (Hook()) return Hook()(owner, dialogId, proc);
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogId), owner, proc, param);
}
