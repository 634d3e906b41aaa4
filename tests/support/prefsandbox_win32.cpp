#include <windows.h>

#include <atomic>
#include <string>

#include "platform/prefstore.h"
#include "tests/support/prefsandbox.h"
#include "tests/support/tempfolder.h"

namespace testsupport {

namespace {

constexpr char kSandboxRoot[] = "SOFTWARE\\KorvaneTest";

std::atomic<unsigned> made{0};

// The shared root stays. The system creates a path one key at a time, so
// deleting the root while it looked empty could delete it under another test
// process that had just created it on its way to its own key: that process's
// next key then failed as "key deleted".
void DeleteKeys(const std::string& prefix) {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    RegDeleteTreeA(root, prefix.c_str());
    RegDeleteKeyA(root, prefix.c_str());
  }
}

}  // namespace

PrefSandbox::PrefSandbox()
    : where_(std::string(kSandboxRoot) + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(made++)) {
  DeleteKeys(where_);  // a leftover of an earlier process with this id
  platform::SetPrefStoreKeyPrefix(where_);
}

PrefSandbox::~PrefSandbox() {
  platform::SetPrefStoreKeyPrefix("");
  DeleteKeys(where_);
}

std::string PrefSandbox::KeyPath(const char* subkey) const { return where_ + "\\" + subkey; }

void PrefSandbox::StoreNonDword(const char* subkey, const char* name, bool user) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, KeyPath(subkey).c_str(), 0,
                      nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  static const char seven[] = "7";
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(seven), sizeof seven);
  RegCloseKey(key);
}

std::string PrefSandbox::FileText() const { return ""; }

}  // namespace testsupport
