// The open and save dialogs for mixer settings files. Both are modal, so they
// go through a hook that tests replace with a scripted answer; the program
// keeps the system's dialogs. Paths are UTF-8; the dialogs are the wide
// ones, so a folder may hold any character.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

enum class FileDialogKind { Open, Save };

// Answers one dialog as GetOpenFileName or GetSaveFileName would: fills the
// path buffer of the record and returns whether the user confirmed.
using FileDialogHook = std::function<bool(FileDialogKind kind, OPENFILENAMEW& request)>;
// An empty hook restores the system's dialogs.
void SetFileDialogHook(FileDialogHook hook);

// The settings file to open, or empty text when cancelled.
std::string OpenSettingsDialog(HWND owner);
// The path to save to, or empty text when cancelled; confirmed (may be null)
// receives whether the user confirmed. No overwrite prompt.
std::string SaveSettingsDialog(HWND owner, const char* title, bool* confirmed);
