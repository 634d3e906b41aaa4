// Replacing a file whole: what the replacement keeps of the old file, and
// the files it must leave alone.
#include "platform/fileio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/tempfolder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())),
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Replace(const std::string& path, const std::string& text) {
  return platform::ReplaceFileContents(path, text.data(), text.size(), nullptr);
}

}  // namespace

TEST(ReplaceFileContents, MakesANewFileOrReplacesAShorterOrLongerOneWhole) {
  const testsupport::TempFolder folder("fileio");
  const std::string path = folder.Path("mix.kmx");
  EXPECT_FALSE(platform::FileExists(path));
  ASSERT_TRUE(Replace(path, "a long first text"));
  EXPECT_TRUE(platform::FileExists(path));
  ASSERT_TRUE(Replace(path, "short"));
  EXPECT_EQ(Read(path), "short");
  ASSERT_TRUE(Replace(path, "a longer text again"));
  EXPECT_EQ(Read(path), "a longer text again");
  EXPECT_FALSE(platform::FileExists(folder.Path(""))) << "a folder is no file";

  std::size_t got = 0;
  char buffer[8];
  ASSERT_TRUE(platform::ReadFileStart(path, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "a longer");
  platform::FileError error;
  EXPECT_FALSE(platform::ReadFileStart(folder.Path("none"), buffer, sizeof buffer, &got, &error));
  EXPECT_TRUE(error.atOpen);
  EXPECT_FALSE(error.reason.empty());
}

#ifdef _WIN32
TEST(ReplaceFileContents, KeepsAHiddenFileHiddenAndLeavesProtectedOrHeldFilesAsTheyWere) {
  const testsupport::TempFolder folder("fileio");
  const std::string hidden = folder.Path("hidden.kmx");
  ASSERT_TRUE(Replace(hidden, "old"));
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(Replace(hidden, "new"));
  EXPECT_EQ(Read(hidden), "new");
  EXPECT_TRUE(GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);

  const std::string readOnly = folder.Path("read-only.kmx");
  ASSERT_TRUE(Replace(readOnly, "old"));
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  platform::FileError error;
  EXPECT_FALSE(platform::ReplaceFileContents(readOnly, "new", 3, &error));
  EXPECT_EQ(error.code, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Read(readOnly), "old");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

  // Another program holds the file open and lets nobody replace it.
  const std::string held = folder.Path("held.kmx");
  ASSERT_TRUE(Replace(held, "old"));
  HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(platform::ReplaceFileContents(held, "new", 3, &error));
  CloseHandle(holder);
  EXPECT_EQ(Read(held), "old");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names.size(), 3u) << "no temporary file left behind: "
                              << ::testing::PrintToString(names);
}
#else
TEST(ReplaceFileContents, KeepsTheOldFilesPermissions) {
  const testsupport::TempFolder folder("fileio");
  const std::string path = folder.Path("mix.kmx");
  ASSERT_TRUE(Replace(path, "old"));
  chmod(path.c_str(), 0640);
  ASSERT_TRUE(Replace(path, "new"));
  struct stat status {};
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);
}
#endif
