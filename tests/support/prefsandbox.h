// Keeps a test's preferences away from the machine's and from every other
// test's: on the host the store file lies in a fresh temporary folder
// (KORVANE_PREFS_FILE), under Windows the keys lie below a registry prefix
// unique to the process and the object. Everything is deleted afterwards.
#pragma once

#include <memory>
#include <string>

namespace testsupport {

class TempFolder;

class PrefSandbox {
 public:
  PrefSandbox();
  ~PrefSandbox();
  PrefSandbox(const PrefSandbox&) = delete;
  PrefSandbox& operator=(const PrefSandbox&) = delete;

  // Where the store keeps the key `subkey` (such as
  // "SOFTWARE\\Korvane\\KorvaneVelmoraPrefs"): under Windows its path below
  // HKEY_LOCAL_MACHINE, on the host the store's file (one file holds every key).
  std::string KeyPath(const char* subkey) const;
  // Gives the key a value `name` that is no 4-byte DWORD (a string),
  // creating the key when needed; under Windows the current user's key when
  // `user` is set (as PrefStore::OpenForUser opens it), else the machine's.
  void StoreNonDword(const char* subkey, const char* name, bool user = false);
  // The host's store file as text; empty under Windows.
  std::string FileText() const;

 private:
  std::unique_ptr<TempFolder> folder_;  // the host's
  std::string where_;                   // the host's file, or the Windows key prefix
};

}  // namespace testsupport
