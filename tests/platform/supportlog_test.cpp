#include "platform/supportlog.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/log.h"
#include "tests/support/tempfolder.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

fs::path OldOf(const fs::path& path) {
  fs::path old = path;
  old += ".old";
  return old;
}

// A fresh folder per test, removed afterwards.
class SupportLogTest : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::CloseSupportLog();
    log_.Close();
  }

  static std::string Line(int n) {
    char line[32];  // room for any int, which the compiler checks
    std::snprintf(line, sizeof line, "line %02d\n", n);
    return line;
  }
  static std::string Lines(int first, int last) {
    std::string text;
    for (int n = first; n <= last; ++n) text += Line(n);
    return text;
  }
  void WriteLines(int first, int last) {
    for (int n = first; n <= last; ++n) log_.Write(Line(n).c_str());
  }

  testsupport::TempFolder temp_{"supportlog"};
  const fs::path& folder_ = temp_.path();
  platform::SupportLog log_;
};

TEST_F(SupportLogTest, ProgramLogGetsEveryTextUnchangedWhileTheSinkStillDoes) {
#ifndef _WIN32
  // The host's folder follows XDG_STATE_HOME; Windows's LOCALAPPDATA.
  setenv("XDG_STATE_HOME", folder_.c_str(), 1);
#endif
  const fs::path path = platform::SupportLogFolder() / "supportlog_test_program.log";
  fs::remove(path);
  fs::remove(OldOf(path));
  platform::LogCapture capture;
  ASSERT_TRUE(platform::OpenSupportLog("supportlog_test_program"));
  platform::Log("KMXSetInteger: %04X %02X %d\n", 0x4100, 3, 1);
  platform::Log("SendFCPRequest Failed.");
  platform::Log(" and the rest\n");
  platform::Log("%s", "");
  platform::CloseSupportLog();
  platform::Log("after closing\n");

  EXPECT_EQ(ReadAll(path), "KMXSetInteger: 4100 03 1\nSendFCPRequest Failed. and the rest\n");
  EXPECT_EQ(capture.Lines().size(), 5u);
  EXPECT_EQ(path.parent_path().filename(), "Korvane");
  fs::remove(path);
}

#ifdef _WIN32
// The folder comes from the logon session's environment; without a usable
// value there (a process started with an environment of its own), from the
// shell, which names the same folder.
TEST_F(SupportLogTest, TheWindowsFolderIsTheLocalApplicationDataOne) {
  wchar_t saved[MAX_PATH] = {};
  const bool had = GetEnvironmentVariableW(L"LOCALAPPDATA", saved, MAX_PATH) > 0;
  SetEnvironmentVariableW(L"LOCALAPPDATA", folder_.c_str());
  EXPECT_EQ(platform::SupportLogFolder(), folder_ / "Korvane");
  SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
  const fs::path fromShell = platform::SupportLogFolder();
  SetEnvironmentVariableW(L"LOCALAPPDATA", L"relative\\folder");
  EXPECT_EQ(platform::SupportLogFolder(), fromShell) << "a relative folder is not taken";
  SetEnvironmentVariableW(L"LOCALAPPDATA", had ? saved : nullptr);
  EXPECT_TRUE(fromShell.is_absolute()) << fromShell;
  EXPECT_EQ(fromShell.filename(), "Korvane");
  if (had) {
    EXPECT_EQ(fromShell, fs::path(saved) / "Korvane") << "the two name one folder";
  }
}
#endif

TEST_F(SupportLogTest, PassingTheCapMovesTheFileAsideAtALineBoundary) {
  ASSERT_TRUE(log_.Open(folder_, "mixer", 64));
  WriteLines(0, 19);  // eight lines of 8 bytes fill the cap exactly
  EXPECT_EQ(ReadAll(OldOf(log_.Path())), Lines(8, 15));
  EXPECT_EQ(ReadAll(log_.Path()), Lines(16, 19));
}

TEST_F(SupportLogTest, ALineIsNeverSplitBetweenTheTwoFiles) {
  ASSERT_TRUE(log_.Open(folder_, "mixer", 16));
  log_.Write("abcdefghij");
  log_.Write("klmnop");
  log_.Write("q\n");  // past the cap, but the line is not finished yet
  log_.Write("r\n");
  EXPECT_EQ(ReadAll(OldOf(log_.Path())), "abcdefghijklmnopq\n");
  EXPECT_EQ(ReadAll(log_.Path()), "r\n");

  // A line longer than the cap is kept whole in a file of its own.
  const std::string longLine = std::string(40, 'x') + "\n";
  log_.Write(longLine.c_str());
  log_.Write("s\n");
  EXPECT_EQ(ReadAll(OldOf(log_.Path())), longLine);
  EXPECT_EQ(ReadAll(log_.Path()), "s\n");

  // Texts that never end their line still rotate, at twice the cap.
  const std::string ten = "0123456789";
  for (int n = 0; n < 5; ++n) log_.Write(ten.c_str());
  EXPECT_EQ(ReadAll(OldOf(log_.Path())), "s\n" + ten + ten + ten);
  EXPECT_EQ(ReadAll(log_.Path()), ten + ten);
}

TEST_F(SupportLogTest, ANewRunAppendsAndCountsWhatIsThere) {
  ASSERT_TRUE(log_.Open(folder_, "panel", 16));
  log_.Write("0123456789\n");
  log_.Close();
  ASSERT_TRUE(log_.Open(folder_, "panel", 16));
  log_.Write("abcdef\n");
  EXPECT_EQ(ReadAll(OldOf(log_.Path())), "0123456789\n");
  EXPECT_EQ(ReadAll(log_.Path()), "abcdef\n");
}

TEST_F(SupportLogTest, AFolderThatCannotBeMadeLeavesStandardOutputOnly) {
  fs::create_directories(folder_);
  std::ofstream(folder_ / "file") << "not a folder";
  EXPECT_FALSE(log_.Open(folder_ / "file" / "Korvane", "mixer"));
  EXPECT_FALSE(log_.IsOpen());
  log_.Write("dropped\n");  // harmless

  // A stem that would leave the folder is refused, and the program goes on
  // logging to standard output (here the capture).
  EXPECT_FALSE(log_.Open(folder_, "../mixer"));
  EXPECT_FALSE(log_.Open(folder_, ""));
  platform::LogCapture capture;
  EXPECT_FALSE(platform::OpenSupportLog("..\\velmora_app"));
  platform::Log("still here\n");
  ASSERT_EQ(capture.Lines().size(), 2u);
  EXPECT_EQ(capture.Lines()[1], "still here\n");
}

}  // namespace
