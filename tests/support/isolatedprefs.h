// Keeps a test's preferences away from the machine's: on the host a file in
// the temporary folder, on Windows keys below a test prefix.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/prefstore.h"
#include "velmora/velmoraprefs.h"

class IsolatedPrefs {
 public:
  IsolatedPrefs() {
    const std::string file =
        (std::filesystem::temp_directory_path() / "korvane-test-prefs.txt").string();
    std::filesystem::remove(file);
#ifdef _WIN32
    _putenv_s("KORVANE_PREFS_FILE", file.c_str());
#else
    setenv("KORVANE_PREFS_FILE", file.c_str(), 1);
#endif
    platform::SetPrefStoreKeyPrefix("SOFTWARE\\KorvaneTest\\Engine");
  }
  ~IsolatedPrefs() {
    velmoraPrefs::DestroyInstance();
    platform::SetPrefStoreKeyPrefix("");
  }
};
