// The mixer window's modal questions that are no message box: the file
// dialogs and the preferences dialog. Each goes through a hook that tests
// replace with a scripted answer; an empty hook restores the real dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// saveTitle null: the open dialog; otherwise the save dialog with that title.
// The answer is the chosen path, or empty text when the user cancelled.
using SettingsPathHook = std::function<std::string(HWND owner, const char* saveTitle)>;
void SetSettingsPathHook(SettingsPathHook hook);
std::string AskSettingsPath(HWND owner, const char* saveTitle);

// Runs dialog resource `dialogId` modally with `proc`; the dialog's result.
using DialogHook = std::function<INT_PTR(HWND owner, int dialogId, DLGPROC proc)>;
void SetDialogHook(DialogHook hook);
INT_PTR RunModalDialog(HWND owner, int dialogId, DLGPROC proc);
