// velmora_app.exe itself, started as a user would start it, on an in-process
// simulated X-Tamber (KORVANE_SIMULATOR in its environment); the test reads
// and drives its windows from outside.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "korvaneobjects/korvanemastercontrol.h"
#include "tests/gui/programprocess.h"
#include "tests/support/eventually.h"
#include "tests/support/tempfolder.h"
#include "velmora/settingsfile.h"
#include "velmora/velmora.h"

namespace {

class VelmoraProgram : public ::testing::Test {
 protected:
  void TearDown() override { SetEnvironmentVariableA("KORVANE_SIMULATOR", nullptr); }

  void Start(const char* simulator, const std::string& arguments) {
    SetEnvironmentVariableA("KORVANE_SIMULATOR", simulator);
    ASSERT_TRUE(program.Start(arguments)) << GetLastError();
  }
  HWND ProgramWindow(const char* className) const { return program.Window(className); }
  bool Ended() const { return program.Ended(); }
  DWORD ExitCode() const { return program.ExitCode(); }

  ProgramProcess program;
};

// The texts of every static control of a message box.
std::string BoxText(HWND box) {
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[32] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "STATIC") == 0) text += WindowText(child);
  }
  return text;
}

}  // namespace

TEST_F(VelmoraProgram, OpensItsQuotedCommandLineFileAndClosesUnaskedWhenNothingChanged) {
  const testsupport::TempFolder folder("velmora program test");
  const std::string path = folder.Path("my mix.kmx");
  // Channel 2 at half gain in the first mix, written by an engine of this process.
  KMXSetInteger(IDMIXERACTIVE, 1);
  KMXSetFloat(IDFADER + 1, 0.5);
  ASSERT_TRUE(SaveSettingsFile(path.c_str()));
  DestroyMasterControl();
  ResetParameterInterface();

  Start("devices=1", "\"" + path + "\"");
  HWND window = nullptr;
  ASSERT_TRUE(
      testsupport::Eventually([&] { return (window = ProgramWindow("ZWVELMORA")) != nullptr; }));
  HWND box = GetDlgItem(window, IDFADERTEXT + 1);
  EXPECT_TRUE(testsupport::Eventually([&] { return WindowText(box) == "-6.0"; })) << WindowText(box);

  // The user changed nothing, so closing asks nothing and the program ends.
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(testsupport::Eventually([&] { return Ended(); }));
  EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(VelmoraProgram, WithoutAnXTamberItSaysSoAndEndsWithCodeZero) {
  Start("devices=0", "");
  std::vector<std::string> texts;
  // Dismiss each box as a user would, until the program has ended.
  ASSERT_TRUE(testsupport::Eventually([&] {
    if (HWND box = ProgramWindow("#32770")) {
      texts.push_back(BoxText(box));
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      testsupport::Eventually([&] { return !IsWindow(box); });
    }
    return Ended();
  }));
  EXPECT_EQ(ExitCode(), 0u);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "No Korvane detected");
}

TEST(VelmoraProgramFile, CarriesItsIconVersionAndManifest) {
  const std::string program = ProgramProcess::Path();
  HMODULE image = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(31234), MAKEINTRESOURCEA(14)), nullptr);  // icon
  EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(125), MAKEINTRESOURCEA(4)), nullptr);     // menu
  EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(130), MAKEINTRESOURCEA(5)), nullptr);  // dialog
  EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)), nullptr);   // manifest
  FreeLibrary(image);

  DWORD ignored = 0;
  std::vector<char> version(GetFileVersionInfoSizeA(program.c_str(), &ignored));
  ASSERT_FALSE(version.empty());
  ASSERT_TRUE(
      GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
  char* product = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\040904b0\\ProductName",
                             reinterpret_cast<void**>(&product), &length));
  EXPECT_STREQ(product, "Korvane Velmora");
}
