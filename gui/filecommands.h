// The File menu's Open, Save and Save As: the four mixes to and from a
// settings file that the user picks. A file that cannot be read or written
// is named to the user with the system's reason.
#pragma once

#include <windows.h>

#include <string>

// Asks for a settings file and loads it; nothing happens when cancelled.
void OpenSettingsCommand(HWND owner);
// Asks for a path under `title` ("Save" or "Save As") and saves there. True
// only when a file was written; an existing file is replaced only after the
// user agreed, and No to that goes back to the dialog.
bool SaveSettingsCommand(HWND owner, const char* title);
// Loads the settings file that a command line (UTF-8, as WinMain's text
// would be) names, if any, and logs the command line.
void LoadCommandLineFile(HWND owner, const char* commandLine);
