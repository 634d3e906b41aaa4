// The machine-wide preference store: one key holding named 32-bit values.
// Windows keeps the key in the registry, under HKEY_LOCAL_MACHINE and, where a
// standard user may not create or write keys there, under HKEY_CURRENT_USER.
// The host keeps it in a small text file of "name=value" lines: the file named
// by KORVANE_PREFS_FILE when that is set, else
// /var/tmp/korvane/<last component of the key's path>.
// Failures are reported by return value; on Windows a key that can be had in
// neither root is also logged with both errors, for the support log.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

enum class PrefStoreOpen {
  kFailed,   // no key: the caller works from memory
  kCreated,  // the key did not exist and was created, empty
  kOpened,   // the key existed
};

// Where an open key lives.
enum class PrefScope { kNone, kMachine, kUser };

class PrefStore {
 public:
  PrefStore();
  ~PrefStore();  // closes
  PrefStore(const PrefStore&) = delete;
  PrefStore& operator=(const PrefStore&) = delete;

  // Opens the key `subkey` (for example "SOFTWARE\\Korvane\\KorvaneVelmoraPrefs")
  // with full access, creating it (non-volatile) when absent: machine-wide
  // first, then, on Windows, for the current user. Closes any key open before.
  PrefStoreOpen Open(const char* subkey);
  // The same for a key that is kept per user: on Windows under
  // HKEY_CURRENT_USER only, never machine-wide. The host has one store.
  PrefStoreOpen OpenForUser(const char* subkey);
  bool IsOpen() const;
  PrefScope Scope() const;

  // False when the key is not open, or the value is missing or is not a
  // 4-byte DWORD (on the host: not a decimal number of 0..4294967295 on a
  // well-formed line).
  bool ReadDword(const char* name, std::uint32_t* value) const;
  // On the host, rewriting the file drops the lines that could not be read at all.
  bool WriteDword(const char* name, std::uint32_t value);
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Test hooks; the programs never call them.
enum class PrefStoreFault {
  kNone,
  kMachineFails,  // the machine-wide key cannot be opened (the host's only one)
  kAllFail,       // no key can be opened
};
void SetPrefStoreFault(PrefStoreFault fault);
// Windows: keys are opened below `prefix` (for example "SOFTWARE\\KorvaneTest\\42")
// in the same root, so tests keep to keys of their own; empty restores. The
// host ignores it: KORVANE_PREFS_FILE places its file.
void SetPrefStoreKeyPrefix(const std::string& prefix);

}  // namespace platform
