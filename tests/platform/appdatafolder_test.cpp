// The user's folders for the programs' own files follow the system's settings.
#include "platform/appdatafolder.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

#include "tests/support/appdatasandbox.h"

namespace {

namespace fs = std::filesystem;

TEST(AppDataFolder, TheRoamingFolderIsTheOneTheEnvironmentNames) {
  testsupport::AppDataSandbox sandbox;
  EXPECT_EQ(platform::RoamingAppDataFolder(), sandbox.path());
}

#ifdef _WIN32
// Without a usable variable (a process started with an environment of its
// own, or a relative folder), the shell names it.
TEST(AppDataFolder, WithoutTheVariableTheShellNamesTheRoamingFolder) {
  testsupport::AppDataSandbox sandbox;
  SetEnvironmentVariableW(L"APPDATA", nullptr);
  const fs::path fromShell = platform::RoamingAppDataFolder();
  SetEnvironmentVariableW(L"APPDATA", L"relative\\folder");
  EXPECT_EQ(platform::RoamingAppDataFolder(), fromShell);
  EXPECT_TRUE(fromShell.is_absolute()) << fromShell;
  EXPECT_NE(fromShell, platform::LocalAppDataFolder());
}
#else
TEST(AppDataFolder, WithoutAnAbsoluteVariableTheHostTakesTheHomeFolders) {
  testsupport::AppDataSandbox sandbox;
  const char* home = getenv("HOME");
  ASSERT_NE(home, nullptr);
  setenv("XDG_CONFIG_HOME", "relative/folder", 1);
  EXPECT_EQ(platform::RoamingAppDataFolder(), fs::path(home) / ".config");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(platform::RoamingAppDataFolder(), fs::path(home) / ".config");
}
#endif

}  // namespace
