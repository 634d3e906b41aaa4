#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/prefsandbox.h"
#include "tests/support/tempfolder.h"

namespace testsupport {

PrefSandbox::PrefSandbox()
    : folder_(std::make_unique<TempFolder>("prefs")),
      // The file's folder does not exist yet: the store creates it as it
      // would create its machine-wide one.
      where_(folder_->Path("store/prefs")) {
  setenv("KORVANE_PREFS_FILE", where_.c_str(), 1);
}

PrefSandbox::~PrefSandbox() { unsetenv("KORVANE_PREFS_FILE"); }

std::string PrefSandbox::KeyPath(const char*) const { return where_; }

void PrefSandbox::StoreNonDword(const char*, const char* name, bool) {
  std::filesystem::create_directories(std::filesystem::path(where_).parent_path());
  std::ofstream(where_, std::ios::app) << name << "=seven\n";
}

std::string PrefSandbox::FileText() const {
  std::ostringstream text;
  text << std::ifstream(where_).rdbuf();
  return text.str();
}

}  // namespace testsupport
