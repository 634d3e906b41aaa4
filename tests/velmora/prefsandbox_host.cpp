#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/velmora/prefsandbox.h"

namespace {
std::string FilePath(const std::string& folder) { return folder + "/store/KorvaneVelmoraPrefs"; }
}  // namespace

PrefSandbox::PrefSandbox() {
  std::string pattern = ::testing::TempDir() + "velmoraprefs.XXXXXX";
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "no temporary folder";
  folder_ = pattern;
  // The file's folder does not exist yet: the store creates it as it would
  // create its machine-wide one.
  setenv("KORVANE_PREFS_FILE", FilePath(folder_).c_str(), 1);
}

PrefSandbox::~PrefSandbox() {
  unsetenv("KORVANE_PREFS_FILE");
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void PrefSandbox::StoreNonDword(const char* name) {
  std::filesystem::create_directories(folder_ + "/store");
  std::ofstream(FilePath(folder_), std::ios::app) << name << "=seven\n";
}

std::string PrefSandbox::FileText() const {
  std::ostringstream text;
  text << std::ifstream(FilePath(folder_)).rdbuf();
  return text.str();
}
