#include "gui/filecommands.h"

#include <string>

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

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A settings file holds a whole mixer set-up: never replace one unasked.
bool MayReplace(HWND owner, const std::string& file, const char* title) {
  if (!FileExists(file)) return true;
  const std::string question = file + " already exists.\nDo you want to replace it?";
  return platform::ShowMessageBox(owner, question.c_str(), title, MB_YESNO | MB_ICONWARNING) ==
         platform::kIdYes;
}

}  // namespace

void OpenSettingsCommand(HWND owner) {
  const std::string path = OpenSettingsDialog(owner);
  if (!path.empty()) LoadSettingsFile(path.c_str());
}

bool SaveSettingsCommand(HWND owner, const char* title) {
  const std::string path = SaveSettingsDialog(owner, title, nullptr);
  if (path.empty() || !MayReplace(owner, SavedFileName(path), title)) return false;
  return SaveSettingsFile(path.c_str());
}
