#include <windows.h>

#include <string>

#include "platform/prefstore.h"
#include "tests/velmora/prefsandbox.h"

namespace {

constexpr char kSandboxRoot[] = "SOFTWARE\\KorvaneTest";

void DeleteKeys(const std::string& prefix) {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    RegDeleteTreeA(root, prefix.c_str());
    RegDeleteKeyA(root, prefix.c_str());
    RegDeleteKeyA(root, kSandboxRoot);  // only when no other test's keys are left in it
  }
}

}  // namespace

PrefSandbox::PrefSandbox()
    : folder_(std::string(kSandboxRoot) + "\\" + std::to_string(GetCurrentProcessId())) {
  DeleteKeys(folder_);
  platform::SetPrefStoreKeyPrefix(folder_);
}

PrefSandbox::~PrefSandbox() {
  platform::SetPrefStoreKeyPrefix("");
  DeleteKeys(folder_);
}

void PrefSandbox::StoreNonDword(const char* name) {
  const std::string path = folder_ + "\\SOFTWARE\\Korvane\\KorvaneVelmoraPrefs";
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  static const char seven[] = "7";
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(seven), sizeof seven);
  RegCloseKey(key);
}

std::string PrefSandbox::FileText() const { return ""; }
