#include "gui/filecommands.h"

#include "gui/commandline.h"
#include "gui/fileerrorbox.h"
#include "platform/fileio.h"
#include "platform/log.h"
#include "platform/messagebox.h"
#include "velmora/settingsfile.h"
#include "windows/settingsdialogs.h"

namespace {

// The file the settings file saver writes for `path`: it adds the extension
// when the path has none.
std::string SavedFileName(std::string path) {
  if (path.find(".kmx") == std::string::npos) path += ".kmx";
  return path;
}

// A settings file holds a whole mixer set-up: never replace one unasked.
bool MayReplace(HWND owner, const std::string& file, const char* title) {
  if (!platform::FileExists(file)) return true;
  const std::string question = file + " already exists.\nDo you want to replace it?";
  return platform::ShowMessageBox(owner, question.c_str(), title, MB_YESNO | MB_ICONWARNING) ==
         platform::kIdYes;
}

void Load(HWND owner, const std::string& path) {
  SettingsFileError error;
  if (!LoadSettingsFile(path.c_str(), &error))
    TellFileError(owner, "Could not open the mix", error);
}

}  // namespace

void OpenSettingsCommand(HWND owner) {
  const std::string path = OpenSettingsDialog(owner);
  if (!path.empty()) Load(owner, path);
}

bool SaveSettingsCommand(HWND owner, const char* title) {
  std::string path;
  do {
    path = SaveSettingsDialog(owner, title, nullptr);
    if (path.empty()) return false;
  } while (!MayReplace(owner, SavedFileName(path), title));
  SettingsFileError error;
  if (SaveSettingsFile(path.c_str(), &error)) return true;
  TellFileError(owner, "Could not save the mix to", error);
  return false;
}

// Any command-line text is loaded (a path that names nothing gets the
// loader's own log line) and then logged as it was given.
void LoadCommandLineFile(HWND owner, const char* commandLine) {
  if (commandLine == nullptr || *commandLine == '\0') return;
  Load(owner, SettingsPathFromCommandLine(commandLine));
  platform::Log("%s\n", commandLine);
}
