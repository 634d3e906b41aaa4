// Replacing a file whole: what the replacement keeps of the old file, and
// the files it must leave alone.
#include "platform/fileio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/log.h"
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

bool Replace(const std::string& path, const std::string& text,
             platform::FileError* error = nullptr) {
  return platform::ReplaceFileContents(path, text.data(), text.size(), error);
}

#ifdef _WIN32
std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

// The names in `folder` (in the long form, which only the system's own calls take).
std::vector<std::wstring> NamesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

void RemoveTree(const std::wstring& folder) {
  for (const std::wstring& name : NamesIn(folder)) {
    const std::wstring path = folder + L"\\" + name;
    if (!DeleteFileW(path.c_str())) RemoveTree(path);
  }
  RemoveDirectoryW(folder.c_str());
}
#endif

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
  EXPECT_EQ(FilesIn(folder.path()).size(), 3u)
      << "no temporary file left behind: " << ::testing::PrintToString(FilesIn(folder.path()));
}

// The system took the old file away and then failed: 1176 deleted it from its
// name, 1177 renamed it to the backup name. The new mix follows under the
// name, or else the old one comes back; either way, a new mix that is not
// under the name stays whole in the file the error names.
TEST(ReplaceFileContents, AReplacementThatTookTheOldFileAwayEndsWithAWholeFileUnderItsName) {
  const std::string oldMix = "the old mix", newMix = "the new mix, a little longer";
  struct Case {
    DWORD replaceError;
    bool moveRefused, putBackRefused;
    const char* underName;  // null: nothing
    std::size_t filesLeft;
  };
  for (const Case& c : {Case{1176, false, false, "new", 1}, Case{1176, true, false, nullptr, 1},
                        Case{1177, false, false, "new", 1}, Case{1177, true, false, "old", 2},
                        Case{1177, true, true, nullptr, 2}}) {
    SCOPED_TRACE(::testing::Message() << c.replaceError << " move refused " << c.moveRefused
                                      << " put back refused " << c.putBackRefused);
    const testsupport::TempFolder folder("fileio");
    const std::string path = folder.Path("mix.kmx");
    ASSERT_TRUE(Replace(path, oldMix));
    platform::FailNextReplaceAt(platform::ReplaceStep::kReplace, c.replaceError);
    if (c.moveRefused)
      platform::FailNextReplaceAt(platform::ReplaceStep::kMoveIntoPlace, ERROR_SHARING_VIOLATION);
    if (c.putBackRefused)
      platform::FailNextReplaceAt(platform::ReplaceStep::kPutBack, ERROR_SHARING_VIOLATION);
    platform::FileError error;
    const bool saved = Replace(path, newMix, &error);
    platform::FailNextReplaceAt(platform::ReplaceStep::kNone, 0);

    const std::string expected = c.underName == nullptr ? "" : c.underName;
    EXPECT_EQ(saved, expected == "new");
    if (expected.empty())
      EXPECT_FALSE(platform::FileExists(path));
    else
      EXPECT_EQ(Read(path), expected == "new" ? newMix : oldMix);
    if (saved) {
      EXPECT_EQ(error.keptIn, "");
    } else {
      EXPECT_EQ(error.code, c.replaceError);
      EXPECT_EQ(Read(error.keptIn), newMix) << "kept in " << error.keptIn;
    }
    EXPECT_EQ(FilesIn(folder.path()).size(), c.filesLeft)
        << ::testing::PrintToString(FilesIn(folder.path()));
  }
}

// GetTempFileNameW takes no folder of more than MAX_PATH-14 characters, and
// the rest of the API no path of MAX_PATH or more unless in the long form.
// (Wine checks neither; its GetTempFileNameW then writes the name past the
// end of a MAX_PATH buffer.)
TEST(ReplaceFileContents, SavesWholeInAFolderDeeperThanMaxPath) {
  const testsupport::TempFolder folder("fileio");
  // The C runtime cannot list or remove folders this deep; the system can.
  struct Remover {
    std::wstring top;
    ~Remover() { RemoveTree(top); }
  } remover{L"\\\\?\\" + (folder.path() / "deep").native()};
  std::wstring deep = remover.top;
  ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  while (deep.size() < MAX_PATH + 40) {
    deep += L"\\a folder of mixes with a long name";
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  }
  const std::string path = (std::filesystem::path(deep.substr(4)) / "mix.kmx").string();
  ASSERT_TRUE(Replace(path, "a first mix, longer"));
  ASSERT_TRUE(Replace(path, "a second mix"));
  EXPECT_TRUE(platform::FileExists(path));
  char buffer[64];
  std::size_t got = 0;
  ASSERT_TRUE(platform::ReadFileStart(path, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "a second mix");
  EXPECT_EQ(NamesIn(deep), std::vector<std::wstring>{L"mix.kmx"});
}

// Another program holds the file open sharing reads and writes but not its
// deletion, so it cannot be replaced: it is written in place, checked, and
// the log says that this save was not atomic.
TEST(ReplaceFileContents, WritesInPlaceAFileHeldOpenThatMayBeWrittenButNotReplaced) {
  const testsupport::TempFolder folder("fileio");
  const std::string held = folder.Path("held.kmx");
  ASSERT_TRUE(Replace(held, "the old mix, long"));
  HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  auto readThroughHolder = [&] {
    char buffer[64];
    DWORD got = 0;
    SetFilePointer(holder, 0, nullptr, FILE_BEGIN);
    ReadFile(holder, buffer, sizeof buffer, &got, nullptr);
    return std::string(buffer, got);
  };
  platform::LogCapture log;
  EXPECT_TRUE(Replace(held, "a new mix"));
  EXPECT_EQ(readThroughHolder(), "a new mix") << "shorter: the rest cut off";
  const std::vector<std::string> lines = log.Lines();
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.find(held) != std::string::npos && line.find("not atomic") != std::string::npos;
  })) << ::testing::PrintToString(lines);

  // A write in place that fails leaves the new mix whole where the error says.
  platform::FailNextReplaceAt(platform::ReplaceStep::kWriteInPlace, ERROR_DISK_FULL);
  platform::FileError error;
  EXPECT_FALSE(Replace(held, "a third mix", &error));
  EXPECT_EQ(Read(error.keptIn), "a third mix");
  CloseHandle(holder);
  EXPECT_EQ(FilesIn(folder.path()).size(), 2u);
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
