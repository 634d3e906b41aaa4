#include "platform/prefstore.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <filesystem>
#include <fstream>
#endif

#include "tests/support/prefsandbox.h"

namespace {

using platform::PrefStore;
using platform::PrefStoreOpen;

constexpr char kKey[] = "SOFTWARE\\Korvane\\PrefStoreTest";

// A store of the test's own, removed afterwards.
class PrefStoreTest : public ::testing::Test {
 protected:
  testsupport::PrefSandbox sandbox;
};

TEST_F(PrefStoreTest, CreatesTheKeyOnceAndKeepsItsValues) {
  std::uint32_t value = 0;
  {
    PrefStore store;
    ASSERT_EQ(store.Open(kKey), PrefStoreOpen::kCreated);
    EXPECT_EQ(store.Scope(), platform::PrefScope::kMachine);
    EXPECT_FALSE(store.ReadDword("a", &value));
    EXPECT_TRUE(store.WriteDword("a", 5));
    EXPECT_TRUE(store.WriteDword("b", 0xFFFFFFFF));
    EXPECT_TRUE(store.WriteDword("a", 6));
  }
  PrefStore store;
  ASSERT_EQ(store.Open(kKey), PrefStoreOpen::kOpened);
  EXPECT_TRUE(store.ReadDword("a", &value) && value == 6u);
  EXPECT_TRUE(store.ReadDword("b", &value) && value == 0xFFFFFFFFu);
  store.Close();
  EXPECT_FALSE(store.WriteDword("a", 1));
}

#ifdef _WIN32

TEST_F(PrefStoreTest, OnlyFourByteDwordsRead) {
  PrefStore store;
  ASSERT_NE(store.Open(kKey), PrefStoreOpen::kFailed);
  HKEY key = nullptr;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, sandbox.KeyPath(kKey).c_str(), 0, KEY_ALL_ACCESS, &key),
      ERROR_SUCCESS);
  const BYTE seven[8] = {7};
  RegSetValueExA(key, "text", 0, REG_SZ, reinterpret_cast<const BYTE*>("7"), 2);
  RegSetValueExA(key, "short", 0, REG_DWORD, seven, 2);
  RegSetValueExA(key, "quad", 0, REG_QWORD, seven, 8);
  RegSetValueExA(key, "binary", 0, REG_BINARY, seven, 4);
  RegSetValueExA(key, "good", 0, REG_DWORD, seven, 4);
  RegCloseKey(key);
  std::uint32_t value = 0;
  for (const char* name : {"text", "short", "quad", "binary", "missing"}) {
    EXPECT_FALSE(store.ReadDword(name, &value)) << name;
  }
  EXPECT_TRUE(store.ReadDword("good", &value) && value == 7u);
}

// A per-user key never lands machine-wide, even where the machine's root
// could be written, and a machine-wide key of the same path stays apart.
TEST_F(PrefStoreTest, AUserKeyIsTheCurrentUsersOnly) {
  const std::string path = sandbox.KeyPath(kKey);
  {
    PrefStore store;
    ASSERT_EQ(store.OpenForUser(kKey), PrefStoreOpen::kCreated);
    EXPECT_EQ(store.Scope(), platform::PrefScope::kUser);
    EXPECT_TRUE(store.WriteDword("a", 9));
  }
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  PrefStore machine;
  ASSERT_EQ(machine.Open(kKey), PrefStoreOpen::kCreated);
  std::uint32_t value = 0;
  EXPECT_FALSE(machine.ReadDword("a", &value));
  PrefStore user;
  ASSERT_EQ(user.OpenForUser(kKey), PrefStoreOpen::kOpened);
  EXPECT_TRUE(user.ReadDword("a", &value) && value == 9u);
  platform::SetPrefStoreFault(platform::PrefStoreFault::kAllFail);
  EXPECT_EQ(user.OpenForUser(kKey), PrefStoreOpen::kFailed);
  platform::SetPrefStoreFault(platform::PrefStoreFault::kNone);
}

#else

TEST_F(PrefStoreTest, MalformedLinesReadAsMissingAndSurviveWrites) {
  const std::filesystem::path file = sandbox.KeyPath(kKey);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file)
      << "garbage\nword=seven\nnegative=-1\nhuge=4294967296\nspaced= 5\nlong="
      << std::string(300, '1') << "\n=9\ndup=3\r\ndup=4\nmax=4294967295";
  PrefStore store;
  ASSERT_EQ(store.Open(kKey), PrefStoreOpen::kOpened);
  std::uint32_t value = 0;
  for (const char* name : {"garbage", "word", "negative", "huge", "spaced", "long", ""}) {
    EXPECT_FALSE(store.ReadDword(name, &value)) << name;
  }
  EXPECT_TRUE(store.ReadDword("dup", &value) && value == 3u) << "a name's first line counts";
  EXPECT_TRUE(store.ReadDword("max", &value) && value == 4294967295u);

  EXPECT_TRUE(store.WriteDword("word", 8));
  EXPECT_EQ(sandbox.FileText(),
            "word=8\nnegative=-1\nhuge=4294967296\nspaced= 5\ndup=3\ndup=4\nmax=4294967295\n");
}

#endif

}  // namespace
