// The preference store in the registry. A standard user of current Windows may
// not create or write keys under HKEY_LOCAL_MACHINE\SOFTWARE, so a key that
// cannot be had there with full access is opened under HKEY_CURRENT_USER.
#include <windows.h>

#include <string>

#include "platform/log.h"
#include "platform/prefstore.h"

namespace platform {
namespace {

PrefStoreFault forcedFault = PrefStoreFault::kNone;
std::string keyPrefix;

// ERROR_SUCCESS, or why the key could not be had.
LONG CreateOrOpen(HKEY root, const std::string& subkey, HKEY* key, bool* created) {
  DWORD disposition = 0;
  const LONG result = RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, key, &disposition);
  if (result == ERROR_SUCCESS) *created = disposition == REG_CREATED_NEW_KEY;
  return result;
}

std::string PrefixedPath(const char* subkey) {
  return keyPrefix.empty() ? subkey : keyPrefix + "\\" + subkey;
}

}  // namespace

struct PrefStore::Impl {
  HKEY key;
  PrefScope scope;
};

PrefStore::PrefStore() = default;
PrefStore::~PrefStore() { Close(); }

PrefStoreOpen PrefStore::Open(const char* subkey) {
  Close();
  if (!subkey || forcedFault == PrefStoreFault::kAllFail) return PrefStoreOpen::kFailed;
  const std::string path = PrefixedPath(subkey);

  HKEY key = nullptr;
  bool created = false;
  PrefScope scope = PrefScope::kMachine;
  const LONG machine = forcedFault == PrefStoreFault::kMachineFails
                           ? ERROR_ACCESS_DENIED
                           : CreateOrOpen(HKEY_LOCAL_MACHINE, path, &key, &created);
  if (machine != ERROR_SUCCESS) {
    scope = PrefScope::kUser;
    const LONG user = CreateOrOpen(HKEY_CURRENT_USER, path, &key, &created);
    if (user != ERROR_SUCCESS) {
      Log("Preference key %s: machine-wide error %ld, current user's error %ld.\n", path.c_str(),
          static_cast<long>(machine), static_cast<long>(user));
      return PrefStoreOpen::kFailed;
    }
  }
  impl_ = std::make_unique<Impl>(Impl{key, scope});
  return created ? PrefStoreOpen::kCreated : PrefStoreOpen::kOpened;
}

PrefStoreOpen PrefStore::OpenForUser(const char* subkey) {
  Close();
  if (!subkey || forcedFault == PrefStoreFault::kAllFail) return PrefStoreOpen::kFailed;
  const std::string path = PrefixedPath(subkey);
  HKEY key = nullptr;
  bool created = false;
  const LONG user = CreateOrOpen(HKEY_CURRENT_USER, path, &key, &created);
  if (user != ERROR_SUCCESS) {
    Log("User key %s: error %ld.\n", path.c_str(), static_cast<long>(user));
    return PrefStoreOpen::kFailed;
  }
  impl_ = std::make_unique<Impl>(Impl{key, PrefScope::kUser});
  return created ? PrefStoreOpen::kCreated : PrefStoreOpen::kOpened;
}

bool PrefStore::IsOpen() const { return impl_ != nullptr; }

PrefScope PrefStore::Scope() const { return impl_ ? impl_->scope : PrefScope::kNone; }

bool PrefStore::ReadDword(const char* name, std::uint32_t* value) const {
  if (!impl_ || !name || !value) return false;
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof data;  // a longer value fails with ERROR_MORE_DATA
  const LONG result =
      RegQueryValueExA(impl_->key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return false;
  *value = data;
  return true;
}

bool PrefStore::WriteDword(const char* name, std::uint32_t value) {
  if (!impl_ || !name) return false;
  const DWORD data = value;
  return RegSetValueExA(impl_->key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                        sizeof data) == ERROR_SUCCESS;
}

void PrefStore::Close() {
  if (impl_) RegCloseKey(impl_->key);
  impl_.reset();
}

void SetPrefStoreFault(PrefStoreFault fault) { forcedFault = fault; }

void SetPrefStoreKeyPrefix(const std::string& prefix) { keyPrefix = prefix; }

}  // namespace platform
