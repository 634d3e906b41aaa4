// A folder of the test's own below the system's temporary folder: a fresh,
// unique name per object (process id and a counter, so parallel test
// processes never meet), removed with everything in it when the object goes.
// Only that folder is ever removed.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

class TempFolder {
 public:
  // `tag` names what the folder is for, so a leftover tells whose it was.
  explicit TempFolder(const std::string& tag = "test");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of `name` inside the folder, as text for the code under test:
  // both in UTF-8.
  std::string Path(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace testsupport
