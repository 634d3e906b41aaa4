// The preferences dialog (resource 130): how the mouse and the modifier keys
// act on the pan knobs and faders. It changes the preferences in memory; they
// reach the store when the program shuts down.
#pragma once

#include <windows.h>

INT_PTR CALLBACK PreferencesDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
void RunPreferencesDialog(HWND owner);
