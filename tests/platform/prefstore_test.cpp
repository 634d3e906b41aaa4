#include "platform/prefstore.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#endif

namespace {

using platform::PrefStore;
using platform::PrefStoreOpen;

constexpr char kKey[] = "SOFTWARE\\Korvane\\PrefStoreTest";

// A store of the test's own, removed afterwards: a file in a fresh temporary
// folder on the host, keys below a private prefix under Windows.
class PrefStoreTest : public ::testing::Test {
 protected:
#ifdef _WIN32
  void SetUp() override {
    DeleteKeys();
    platform::SetPrefStoreKeyPrefix(prefix_);
  }
  void TearDown() override {
    platform::SetPrefStoreKeyPrefix("");
    DeleteKeys();
  }
  void DeleteKeys() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      RegDeleteTreeA(root, prefix_.c_str());
      RegDeleteKeyA(root, prefix_.c_str());
      RegDeleteKeyA(root, "SOFTWARE\\KorvaneTest");  // when no other test's keys remain
    }
  }
  const std::string prefix_ =
      "SOFTWARE\\KorvaneTest\\store" + std::to_string(GetCurrentProcessId());
#else
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "prefstore.XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    setenv("KORVANE_PREFS_FILE", (folder_ + "/a/b/store").c_str(), 1);  // folders not there yet
  }
  void TearDown() override {
    unsetenv("KORVANE_PREFS_FILE");
    std::filesystem::remove_all(folder_);
  }
  std::string folder_;
#endif
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
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (prefix_ + "\\" + kKey).c_str(), 0, KEY_ALL_ACCESS,
                          &key),
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

#else

TEST_F(PrefStoreTest, MalformedLinesReadAsMissingAndSurviveWrites) {
  std::filesystem::create_directories(folder_ + "/a/b");
  std::ofstream(folder_ + "/a/b/store")
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
  std::ostringstream text;
  text << std::ifstream(folder_ + "/a/b/store").rdbuf();
  EXPECT_EQ(text.str(),
            "word=8\nnegative=-1\nhuge=4294967296\nspaced= 5\ndup=3\ndup=4\nmax=4294967295\n");
}

#endif

}  // namespace
