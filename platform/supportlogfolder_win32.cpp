// The support logs' folder on Windows: Korvane in the user's local (not
// roaming) application-data folder, which a standard user may always write.
#include <windows.h>
#include <shlobj.h>

#include "platform/supportlog.h"

namespace platform {

std::filesystem::path SupportLogFolder() {
  wchar_t local[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local) != S_OK ||
      local[0] == L'\0') {
    return {};
  }
  return std::filesystem::path(local) / L"Korvane";
}

}  // namespace platform
