// Keeps a test's preferences away from the machine's: on the host a store file
// in a fresh temporary folder (KORVANE_PREFS_FILE), under Windows keys of the
// test's own below a private prefix, deleted again afterwards.
#pragma once

#include <string>

class PrefSandbox {
 public:
  PrefSandbox();
  ~PrefSandbox();
  PrefSandbox(const PrefSandbox&) = delete;
  PrefSandbox& operator=(const PrefSandbox&) = delete;

  // Gives the preferences key a value `name` that is no 4-byte DWORD (a
  // string), creating the key when needed.
  void StoreNonDword(const char* name);
  // The host's store file as text; empty under Windows.
  std::string FileText() const;

 private:
  std::string folder_;
};
