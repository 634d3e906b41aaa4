#include "tests/support/tempfolder.h"

#include <atomic>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace testsupport {

namespace {

std::atomic<unsigned> made{0};

// Names are UTF-8 text, as the code under test keeps them, whatever the
// system's code page.
std::filesystem::path FromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

int ProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<int>(getpid());
#endif
}

}  // namespace

TempFolder::TempFolder(const std::string& tag) {
  namespace fs = std::filesystem;
  // A leftover of an earlier process with the same id may hold a name; the
  // random part and the retries step past it, never into it.
  std::random_device seed;
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        base / FromUtf8("korvane-" + tag + "-" + std::to_string(ProcessId()) + "-" +
                        std::to_string(made++) + "-" + std::to_string(seed() % 100000));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
  }
  throw fs::filesystem_error("no fresh temporary folder", base,
                             std::make_error_code(std::errc::file_exists));
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Path(const std::string& name) const {
  const std::u8string text = (path_ / FromUtf8(name)).u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace testsupport
