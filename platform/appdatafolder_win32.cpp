#include <windows.h>
#include <shlobj.h>

#include "platform/appdatafolder.h"

namespace platform {

namespace {

// Windows names the folders in every logon session's environment. Asking the
// shell instead loads shell32 and the DLLs it brings, which the programs
// otherwise need only for a file dialog, at every start before the first line
// is logged; it stays the answer for a process started without the variable.
std::filesystem::path FolderOfEnvironment(const wchar_t* variable) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(variable, value, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::filesystem::path folder(value);
  return folder.is_absolute() ? folder : std::filesystem::path();
}

std::filesystem::path FolderOfShell(int csidl) {
  wchar_t folder[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK ||
      folder[0] == L'\0') {
    return {};
  }
  return std::filesystem::path(folder);
}

std::filesystem::path AppDataFolder(const wchar_t* variable, int csidl) {
  std::filesystem::path folder = FolderOfEnvironment(variable);
  return folder.empty() ? FolderOfShell(csidl) : folder;
}

}  // namespace

std::filesystem::path LocalAppDataFolder() {
  return AppDataFolder(L"LOCALAPPDATA", CSIDL_LOCAL_APPDATA);
}

std::filesystem::path RoamingAppDataFolder() { return AppDataFolder(L"APPDATA", CSIDL_APPDATA); }

}  // namespace platform
