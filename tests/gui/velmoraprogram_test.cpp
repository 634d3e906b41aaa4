// velmora_app.exe itself, started as a user would start it, on an in-process
// simulated X-Tamber (KORVANE_SIMULATOR in its environment); the test reads
// and drives its windows from outside.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "korvaneobjects/korvanemastercontrol.h"
#include "tests/support/eventually.h"
#include "velmora/settingsfile.h"
#include "velmora/velmora.h"

namespace {

// Beside this test in the build tree: tests/gui/ and gui/.
std::string ProgramPath() {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  return (std::filesystem::path(self).parent_path() / "../../gui/velmora_app.exe").string();
}

class VelmoraProgram : public ::testing::Test {
 protected:
  void TearDown() override {
    if (process.hProcess) {
      if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, 99);
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
    }
    SetEnvironmentVariableA("KORVANE_SIMULATOR", nullptr);
  }

  void Start(const char* simulator, const std::string& arguments) {
    SetEnvironmentVariableA("KORVANE_SIMULATOR", simulator);
    std::string commandLine = "\"" + ProgramPath() + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process))
        << GetLastError();
  }

  // The program's top-level window of `className`, or null.
  HWND ProgramWindow(const char* className) const {
    struct Search {
      DWORD process;
      const char* className;
      HWND found;
    } search{process.dwProcessId, className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
          auto* s = reinterpret_cast<Search*>(context);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          char name[64] = "";
          GetClassNameA(window, name, sizeof name);
          if (owner != s->process || lstrcmpA(name, s->className) != 0 || !IsWindowVisible(window))
            return TRUE;
          s->found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  bool Ended() const { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
  }

  PROCESS_INFORMATION process{};
};

std::string TextOf(HWND window) {
  char text[256] = "";
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// The texts of every static control of a message box.
std::string BoxText(HWND box) {
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[32] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "STATIC") == 0) text += TextOf(child);
  }
  return text;
}

}  // namespace

TEST_F(VelmoraProgram, OpensItsQuotedCommandLineFileAndClosesUnaskedWhenNothingChanged) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "velmora program test";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "my mix.kmx").string();
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
  EXPECT_TRUE(testsupport::Eventually([&] { return TextOf(box) == "-6.0"; })) << TextOf(box);

  // The user changed nothing, so closing asks nothing and the program ends.
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(testsupport::Eventually([&] { return Ended(); }));
  EXPECT_EQ(ExitCode(), 0u);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
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
  const std::string program = ProgramPath();
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
