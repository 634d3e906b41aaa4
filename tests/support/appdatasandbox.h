// Points the user's roaming application-data folder (Windows: APPDATA; the
// host: XDG_CONFIG_HOME) at a fresh temporary folder of the test's own while
// the object lives, and puts the previous setting back afterwards.
#pragma once

#include <filesystem>
#include <optional>

#include "tests/support/tempfolder.h"

namespace testsupport {

class AppDataSandbox {
 public:
  AppDataSandbox();
  ~AppDataSandbox();
  AppDataSandbox(const AppDataSandbox&) = delete;
  AppDataSandbox& operator=(const AppDataSandbox&) = delete;

  // The folder that now stands for the roaming one.
  const std::filesystem::path& path() const { return folder_.path(); }

 private:
  TempFolder folder_{"appdata"};
  std::optional<std::filesystem::path> previous_;  // the variable's value before, if any
};

}  // namespace testsupport
