// The box that tells the user a mix was not written or read: what failed,
// the file, and the system's reason.
#pragma once

#include <windows.h>

#include "velmora/settingsfile.h"

// `what` leads the text ("Could not save the mix to"); the file follows on a
// line of its own, then the reason.
void TellFileError(HWND owner, const char* what, const SettingsFileError& error);
