// The support logs' folder on Windows: Korvane in the user's local (not
// roaming) application-data folder, which a standard user may always write.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/supportlog.h"

namespace platform {

namespace {

// Windows names the folder in every logon session's environment. Asking the
// shell instead loads shell32 and the DLLs it brings, which the programs
// otherwise need only for a file dialog, at every start before the first line
// is logged; it stays the answer for a process started without the variable.
std::filesystem::path LocalAppDataOfEnvironment() {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", value, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::filesystem::path folder(value);
  return folder.is_absolute() ? folder : std::filesystem::path();
}

std::filesystem::path LocalAppDataOfShell() {
  wchar_t local[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local) != S_OK ||
      local[0] == L'\0') {
    return {};
  }
  return std::filesystem::path(local);
}

}  // namespace

std::filesystem::path SupportLogFolder() {
  std::filesystem::path local = LocalAppDataOfEnvironment();
  if (local.empty()) local = LocalAppDataOfShell();
  if (local.empty()) return {};
  return local / L"Korvane";
}

}  // namespace platform
