#include <filesystem>
#include <fstream>

#include "gui/mainwindow.h"
#include "resources/velmora_ids.h"
#include "tests/gui/mixerwindowfixture.h"
#include "velmora/settingsfile.h"

namespace {

constexpr std::uint16_t kChannel4Fader = IDFADER + 3;

// A settings file whose first mix has channel 4 at half gain, written by an
// engine that is gone again before the test's program starts.
void WriteHalfGainFile(const std::string& path) {
  KMXSetInteger(IDMIXERACTIVE, 1);
  KMXSetFloat(kChannel4Fader, 0.5);
  ASSERT_TRUE(SaveSettingsFile(path.c_str()));
  DestroyMasterControl();
  ResetParameterInterface();
}

std::uintmax_t FileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

}  // namespace

TEST_F(MixerWindow, OpensOneFixedSizeWindowWithTheMixerOnAndNothingToSave) {
  Open();
  char className[32] = "";
  GetClassNameA(window, className, sizeof className);
  EXPECT_STREQ(className, "ZWVELMORA");
  char title[64] = "";
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "Korvane Velmora");
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.right - outer.left, 582);
  EXPECT_EQ(outer.bottom - outer.top, 694);
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  EXPECT_NE(GetClassLongPtrA(window, GCLP_HICON), 0);

  HMENU file = GetSubMenu(GetMenu(window), 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(GetMenuItemCount(file), 8);
  EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(ID_FILE_OPEN));
  EXPECT_EQ(GetMenuItemID(file, 7), static_cast<UINT>(ID_FILE_EXIT));
  EXPECT_EQ(GetMenuItemID(GetSubMenu(GetMenu(window), 1), 0), static_cast<UINT>(ID_HELP_ABOUT));

  EXPECT_TRUE(savedFlag);
  EXPECT_TRUE(boxes.empty());

  // Nothing was changed, so closing asks nothing.
  Close();
  EXPECT_FALSE(IsOpen());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(MixerWindow, NoAtTheSavePromptClosesWithoutSaving) {
  Open();
  KMXSetFloat(kChannel4Fader, 1.0);
  answers = {platform::kIdNo};
  Command(ID_FILE_EXIT);
  EXPECT_FALSE(IsOpen());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Want to save before quiting?");
  EXPECT_EQ(boxes[0].caption, "Quit KorvaneVelmora");
  EXPECT_EQ(boxes[0].type & 0xF, static_cast<unsigned>(MB_YESNOCANCEL));
  EXPECT_TRUE(asked.empty());
}

TEST_F(MixerWindow, CancelAtTheSavePromptKeepsTheWindowAndAsksAgainNextTime) {
  Open();
  KMXSetFloat(kChannel4Fader, 1.0);
  answers = {platform::kIdCancel, platform::kIdCancel};
  Close();
  EXPECT_TRUE(IsOpen());
  Close();
  EXPECT_TRUE(IsOpen());
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(asked.empty());
}

TEST_F(MixerWindow, YesAtTheSavePromptSavesAndThenCloses) {
  Open();
  KMXSetFloat(kChannel4Fader, 1.0);
  answers = {platform::kIdYes};
  nextPath = FileIn("before quitting.kmx");
  Close();
  EXPECT_EQ(asked, std::vector<std::string>{"Save As"});
  EXPECT_EQ(FileSize(nextPath), 212u);
  EXPECT_FALSE(IsOpen());
}

TEST_F(MixerWindow, ASaveThatDidNotHappenKeepsTheWindowOpenAndUnsaved) {
  Open();
  KMXSetFloat(kChannel4Fader, 1.0);
  answers = {platform::kIdYes};
  nextPath = "";  // the save dialog cancelled
  Close();
  EXPECT_TRUE(IsOpen());

  answers = {platform::kIdYes};
  nextPath = FileIn("no such folder\\mix.kmx");  // the save fails
  Close();
  EXPECT_TRUE(IsOpen());
  EXPECT_FALSE(savedFlag);

  answers = {platform::kIdNo};
  Close();
  EXPECT_FALSE(IsOpen());
  EXPECT_EQ(boxes.size(), 3u);
}

TEST_F(MixerWindow, DISABLED_AFileOnTheCommandLineIsLoadedQuotedOrPlain) {
  const std::string path = FileIn("live set.kmx");
  WriteHalfGainFile(path);
  ASSERT_FALSE(HasFatalFailure());

  Open(("\"" + path + "\"").c_str());
  EXPECT_DOUBLE_EQ(KMXGetFloat(kChannel4Fader), 0.5);
  EXPECT_TRUE(savedFlag);
  DestroyWindow(window);

  Open(path.c_str());
  EXPECT_DOUBLE_EQ(KMXGetFloat(kChannel4Fader), 0.5);
}

TEST_F(MixerWindow, WithoutAnXTamberTheProgramSaysSoAndEndsWithoutAWindow) {
  simulator::Options none;
  none.devices = 0;
  simulator::ScopedMachine empty(none);
  EXPECT_EQ(VelmoraApp::Run(GetModuleHandleA(nullptr), "", SW_SHOWNORMAL), 0);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "No Korvane detected");
  EXPECT_EQ(boxes.back().caption, "Error");
  EXPECT_EQ(boxes.back().type, static_cast<unsigned>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(FindWindowA(MainWindow::kClassName, nullptr), nullptr);
}

TEST_F(MixerWindow, DISABLED_OpenLoadsTheChosenFileAndSaveNeverReplacesAFileUnasked) {
  const std::string path = FileIn("chosen.kmx");
  WriteHalfGainFile(path);
  ASSERT_FALSE(HasFatalFailure());
  Open();

  nextPath = "";
  Command(ID_FILE_OPEN);  // cancelled
  EXPECT_DOUBLE_EQ(KMXGetFloat(kChannel4Fader), 0.0);
  nextPath = path;
  Command(ID_FILE_OPEN);
  EXPECT_DOUBLE_EQ(KMXGetFloat(kChannel4Fader), 0.5);

  // Saving over it: refused, then agreed.
  KMXSetFloat(kChannel4Fader, 1.0);
  answers = {platform::kIdNo};
  Command(ID_FILE_SAVE);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Save");
  EXPECT_FALSE(savedFlag);
  answers = {platform::kIdYes};
  Command(ID_FILE_SAVEAS);
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, "Save As");
  EXPECT_TRUE(savedFlag);
  EXPECT_EQ(asked, (std::vector<std::string>{"Open", "Open", "Save", "Save As"}));

  KMXSetFloat(kChannel4Fader, 0.25);
  Command(ID_FILE_OPEN);
  EXPECT_DOUBLE_EQ(KMXGetFloat(kChannel4Fader), 1.0);

  // A new name is written without a question.
  nextPath = FileIn("fresh");
  Command(ID_FILE_SAVE);
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_EQ(FileSize(FileIn("fresh.kmx")), 212u);
}

TEST_F(MixerWindow, AboutNamesTheProductItsVersionAndItsMaker) {
  Open();
  Command(ID_HELP_ABOUT);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "About");
  EXPECT_EQ(boxes[0].text.rfind("Korvane Velmora, Version 1.0\n\n", 0), 0u) << boxes[0].text;
  EXPECT_NE(boxes[0].text.find("Korvane", 30), std::string::npos);
  EXPECT_EQ(boxes[0].type, static_cast<unsigned>(MB_OK | MB_ICONINFORMATION));
}

TEST_F(MixerWindow, PreferencesRunsDialog130OwnedByTheWindow) {
  Open();
  HWND owner = nullptr;
  int dialog = 0;
  SetDialogHook([&](HWND o, int id, DLGPROC) {
    owner = o;
    dialog = id;
    return INT_PTR{0};
  });
  Command(ID_FILE_PREFERENCES);
  EXPECT_EQ(owner, window);
  EXPECT_EQ(dialog, 130);
}
