// The File menu's Open, Save and Save As: the four mixes to and from a
// settings file that the user picks.
#pragma once

#include <windows.h>

// Asks for a settings file and loads it; nothing happens when cancelled.
void OpenSettingsCommand(HWND owner);
// Asks for a path under `title` ("Save" or "Save As") and saves there. True
// only when a file was written; an existing file is replaced only after the
// user agreed.
bool SaveSettingsCommand(HWND owner, const char* title);
