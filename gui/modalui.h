// The program's dialogs are modal: they go through a hook that tests replace
// with a scripted answer; an empty hook restores the real dialog.
#pragma once

#include <windows.h>

#include <functional>

// Runs dialog resource `dialogId` modally with `proc`; the dialog's result.
using DialogHook = std::function<INT_PTR(HWND owner, int dialogId, DLGPROC proc)>;
void SetDialogHook(DialogHook hook);
INT_PTR RunModalDialog(HWND owner, int dialogId, DLGPROC proc);
// The same with `param` as WM_INITDIALOG's lParam. A hook answers for the
// dialog without it.
INT_PTR RunModalDialog(HWND owner, int dialogId, DLGPROC proc, LPARAM param);
