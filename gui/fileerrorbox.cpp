#include "gui/fileerrorbox.h"

#include <string>

#include "platform/messagebox.h"

// The log keeps the details; the user is told too, or would believe a mix
// saved that is not, or wonder why nothing was loaded.
void TellFileError(HWND owner, const char* what, const SettingsFileError& error) {
  const std::string text = std::string(what) + "\n" + error.file + "\n\n" + error.reason;
  platform::ShowMessageBox(owner, text.c_str(), "Korvane Velmora", MB_OK | MB_ICONERROR);
}
