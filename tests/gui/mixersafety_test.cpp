// What keeps a user's mix: the end of the session, saves and opens that fail,
// files handed over by a second start, and file names in any script. The
// window is this process's, on the in-process simulated X-Tamber.
#include <filesystem>
#include <fstream>

#include "platform/fileio.h"
#include "resources/velmora_ids.h"
#include "tests/gui/mixerwindowfixture.h"
#include "velmora/settingsfile.h"

namespace {

constexpr std::uint16_t kChannel2Fader = IDFADER + 1;
constexpr double kFileStep = 1.0 / 32768;
// Greek and Japanese letters: no one code page holds both.
const std::string kTwoScripts =
    "\xce\x9c\xce\xaf\xce\xbe\xce\xb7 \xe3\x83\x9f\xe3\x83\x83\xe3\x82\xaf\xe3\x82\xb9";

std::uintmax_t FileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size =
      std::filesystem::file_size(std::u8string(path.begin(), path.end()), error);
  return error ? 0 : size;
}

// The window's answer to a command line handed over as a second start would.
LRESULT HandOverTo(HWND window, const std::wstring& commandLine) {
  COPYDATASTRUCT data{MainWindow::kHandOverTag,
                      static_cast<DWORD>((commandLine.size() + 1) * sizeof(wchar_t)),
                      const_cast<wchar_t*>(commandLine.c_str())};
  return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

class MixerSafety : public MixerWindow {
 protected:
  LRESULT QueryEndSession() {
    return SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
  }
  LRESULT HandOver(const std::wstring& commandLine) { return HandOverTo(window, commandLine); }
  LRESULT HandOver(const std::string& path) {
    return HandOver(L"\"" + platform::WideFromUtf8(path) + L"\"");
  }
  // A mix file with channel 2 at `gain`, written by an engine that is gone again.
  void WriteFileWithGain(const std::string& path, double gain) {
    KMXSetInteger(IDMIXERACTIVE, 1);
    KMXSetFloat(kChannel2Fader, gain);
    ASSERT_TRUE(SaveSettingsFile(path.c_str()));
    DestroyMasterControl();
    ResetParameterInterface();
  }
};

}  // namespace

TEST_F(MixerSafety, TheSessionEndsOnlyWhenTheMixMayGo) {
  Open();
  EXPECT_EQ(QueryEndSession(), TRUE) << "nothing unsaved, nothing asked";
  EXPECT_TRUE(boxes.empty());

  KMXSetFloat(kChannel2Fader, 1.0);
  answers = {platform::kIdCancel};
  EXPECT_EQ(QueryEndSession(), FALSE);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Want to save before quiting?");
  EXPECT_EQ(boxes[0].caption, "Quit KorvaneVelmora");

  answers = {platform::kIdYes};
  nextPath = "";  // the save dialog cancelled
  EXPECT_EQ(QueryEndSession(), FALSE);
  answers = {platform::kIdYes};
  nextPath = FileIn("no such folder\\mix.kmx");  // the save fails
  EXPECT_EQ(QueryEndSession(), FALSE);
  EXPECT_FALSE(savedFlag);

  answers = {platform::kIdYes};
  nextPath = FileIn("at log-off.kmx");
  EXPECT_EQ(QueryEndSession(), TRUE);
  EXPECT_EQ(FileSize(nextPath), 212u);
  EXPECT_TRUE(IsOpen()) << "the session may still go on";

  KMXSetFloat(kChannel2Fader, 0.5);
  answers = {platform::kIdNo};
  EXPECT_EQ(QueryEndSession(), TRUE);
  EXPECT_EQ(FileSize(nextPath), 212u);

  // Another program refused: the session goes on, and so does the mixer.
  SendMessageA(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(IsOpen());
}

TEST_F(MixerSafety, AtTheEndOfTheSessionTheMixerShutsDownAsAtClosingAndAsksNothing) {
  Open();
  const auto before = machine->State(0).mixes[0];
  KMXSetFloat(kChannel2Fader, 1.0);
  const std::size_t asked = boxes.size();
  SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_FALSE(IsOpen());
  EXPECT_EQ(boxes.size(), asked);
  EXPECT_EQ(ExistingMasterControl(), nullptr) << "the engine is shut down, the preferences stored";
  EXPECT_NE(machine->State(0).mixes[0], before) << "the device has the last state";
}

TEST_F(MixerSafety, AFailedSaveOrOpenNamesTheFileAndTheReason) {
  Open();
  KMXSetFloat(kChannel2Fader, 1.0);
  // A file the user protected.
  const std::string kept = FileIn("protected.kmx");
  std::ofstream(std::filesystem::u8path(kept)) << "old";
  SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_READONLY);
  nextPath = kept;
  answers = {platform::kIdYes, platform::kIdOk};
  Command(ID_FILE_SAVEAS);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, "Korvane Velmora");
  EXPECT_EQ(boxes[1].type, static_cast<unsigned>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(boxes[1].text, "Could not save the mix to\n" + kept + "\n\n" +
                               platform::SystemErrorText(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(savedFlag);
  EXPECT_EQ(FileSize(kept), 3u);
  SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_NORMAL);

  // A file too short to be a mix: nothing changes, on screen or on the unit.
  const std::string shortFile = FileIn("short.kmx");
  std::ofstream(std::filesystem::u8path(shortFile)) << "tiny";
  const std::size_t framesBefore = machine->FrameCount(0);
  nextPath = shortFile;
  Command(ID_FILE_OPEN);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[2].text.rfind("Could not open the mix\n" + shortFile + "\n\n", 0), 0u)
      << boxes[2].text;
  EXPECT_NEAR(KMXGetFloat(kChannel2Fader), 1.0, 1e-9);
  EXPECT_EQ(ControlText(IDFADERTEXT + 1), " 0.0");
  EXPECT_EQ(machine->FrameCount(0), framesBefore);

  nextPath = FileIn("missing.kmx");
  Command(ID_FILE_OPEN);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[3].text, "Could not open the mix\n" + nextPath + "\n\n" +
                               platform::SystemErrorText(ERROR_FILE_NOT_FOUND));
}

TEST_F(MixerSafety, AMixInAFolderNamedInTwoScriptsSavesAndOpens) {
  const testsupport::TempFolder scripts(kTwoScripts);
  const std::string path = scripts.Path("\xcf\x83\xcf\x8d\xce\xbd\xce\xbf\xce\xbb\xce\xbf.kmx");
  WriteFileWithGain(path, 0.5);
  ASSERT_FALSE(HasFatalFailure());
  Open(("\"" + path + "\"").c_str());
  EXPECT_NEAR(KMXGetFloat(kChannel2Fader), 0.5, kFileStep);

  KMXSetFloat(kChannel2Fader, 1.0);
  nextPath = scripts.Path("\xe6\xb7\xb7\xe5\x90\x88");  // the saver adds ".kmx"
  Command(ID_FILE_SAVEAS);
  EXPECT_TRUE(savedFlag);
  EXPECT_EQ(FileSize(nextPath + ".kmx"), 212u);
  nextPath = path;
  Command(ID_FILE_OPEN);
  EXPECT_NEAR(KMXGetFloat(kChannel2Fader), 0.5, kFileStep);
}

TEST_F(MixerSafety, AHandedOverFileReplacesTheMixOnlyWhenTheUserLetsIt) {
  const std::string file = FileIn("handed.kmx");
  WriteFileWithGain(file, 0.5);
  const std::string other = FileIn("other.kmx");
  WriteFileWithGain(other, 0.25);
  ASSERT_FALSE(HasFatalFailure());
  Open();

  EXPECT_EQ(HandOver(std::wstring()), MainWindow::kHandOverTaken);  // only to the front
  testsupport::PumpPending();
  EXPECT_TRUE(boxes.empty());

  // Two files at once: Cancel drops the first only, No opens the second.
  KMXSetFloat(kChannel2Fader, 1.0);
  answers = {platform::kIdCancel, platform::kIdNo};
  EXPECT_EQ(HandOver(file), MainWindow::kHandOverTaken);
  EXPECT_EQ(HandOver(platform::WideFromUtf8(other)), MainWindow::kHandOverTaken);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return ControlText(IDFADERTEXT + 1) == "-12.0"; }));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Save the changes to the mix before opening handed.kmx?");
  EXPECT_EQ(boxes[0].caption, "Korvane Velmora");
  EXPECT_EQ(boxes[0].type, static_cast<unsigned>(MB_YESNOCANCEL));
  EXPECT_EQ(boxes[1].text, "Save the changes to the mix before opening other.kmx?");

  // Yes saves first; a save that did not happen asks again.
  KMXSetFloat(kChannel2Fader, 1.0);
  answers = {platform::kIdYes, platform::kIdYes};
  nextPaths = {"", FileIn("kept.kmx")};
  EXPECT_EQ(HandOver(file), MainWindow::kHandOverTaken);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return ControlText(IDFADERTEXT + 1) == "-6.0"; }));
  EXPECT_EQ(boxes.size(), 4u);
  EXPECT_EQ(FileSize(FileIn("kept.kmx")), 212u);

  // Junk in WM_COPYDATA is not read past its end, nor taken.
  COPYDATASTRUCT odd{MainWindow::kHandOverTag, 3, const_cast<char*>("ab")};
  EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&odd)), 0);
  COPYDATASTRUCT foreign{0x1234, 0, nullptr};
  EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&foreign)), 0);
}

// A file handed over while the quit question is open waits for the answer:
// Cancel keeps the mixer, which then opens it; an answer that ends the mixer
// leaves it to be handed on.
TEST_F(MixerSafety, AFileTakenDuringTheQuitQuestionWaitsForTheAnswer) {
  const std::string file = FileIn("late.kmx");
  WriteFileWithGain(file, 0.5);
  ASSERT_FALSE(HasFatalFailure());
  Open();
  LRESULT taken = 0;
  whileShown = [&](const ShownBox& box) {
    if (box.caption == "Quit KorvaneVelmora") taken = HandOver(file);
    testsupport::PumpPending();  // the question's own message loop
  };

  KMXSetFloat(kChannel2Fader, 1.0);
  answers = {platform::kIdCancel, platform::kIdNo};
  Close();
  EXPECT_EQ(taken, MainWindow::kHandOverTaken);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return ControlText(IDFADERTEXT + 1) == "-6.0"; }));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "Save the changes to the mix before opening late.kmx?");
  EXPECT_TRUE(MainWindow::TakeWaitingCommandLines().empty());

  taken = 0;
  KMXSetFloat(kChannel2Fader, 1.0);
  answers = {platform::kIdNo};
  Close();
  EXPECT_FALSE(IsOpen());
  EXPECT_EQ(taken, MainWindow::kHandOverTaken);
  EXPECT_EQ(MainWindow::TakeWaitingCommandLines(), std::vector<std::string>{"\"" + file + "\""});
}

namespace {

// What the window answered a hand-over sent while it was being destroyed.
HWND destroyed = nullptr;
LRESULT answeredWhileDestroyed = -1;

LRESULT CALLBACK HandOverAtDestroy(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_DESTROY && call->hwnd == destroyed)
    answeredWhileDestroyed = HandOverTo(destroyed, L"late.kmx");
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST_F(MixerSafety, AClosingMixerRefusesAHandOverSoThatItsStartRunsNext) {
  Open();
  destroyed = window;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, HandOverAtDestroy, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  Close();
  UnhookWindowsHookEx(hook);
  EXPECT_FALSE(IsOpen());
  EXPECT_EQ(answeredWhileDestroyed, MainWindow::kHandOverRefused);
  EXPECT_TRUE(MainWindow::TakeWaitingCommandLines().empty());

  // A new window of the process takes files again.
  Open();
  EXPECT_EQ(HandOver(std::wstring()), MainWindow::kHandOverTaken);
}
