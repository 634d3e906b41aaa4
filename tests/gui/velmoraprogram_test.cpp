// velmora_app.exe itself, started as a user would start it, on an in-process
// simulated X-Tamber (KORVANE_SIMULATOR in its environment); the test reads
// and drives its windows from outside.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <initializer_list>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/widetext.h"
#include "tests/gui/accessprobe.h"
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
  // The program's mixer window once it is there, or null.
  HWND MixerWindow() const {
    HWND window = nullptr;
    testsupport::Eventually([&] { return (window = ProgramWindow("ZWVELMORA")) != nullptr; });
    return window;
  }
  bool Ended() const { return program.Ended(); }
  DWORD ExitCode() const { return program.ExitCode(); }

  ProgramProcess program;
};

// A mix file with channel 2 at `gain`, written by an engine of this process
// that is gone again before the program starts.
void WriteFileWithGain(const std::string& path, double gain) {
  KMXSetInteger(IDMIXERACTIVE, 1);
  KMXSetFloat(IDFADER + 1, gain);
  ASSERT_TRUE(SaveSettingsFile(path.c_str()));
  DestroyMasterControl();
  ResetParameterInterface();
}

// `value` typed into a value box of the program's and entered: a change to save.
void Enter(HWND box, const char* value) {
  SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value));
  SendMessageA(box, EM_SETMODIFY, TRUE, 0);
  PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
}

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
  WriteFileWithGain(path, 0.5);
  ASSERT_FALSE(HasFatalFailure());

  Start("devices=1", "\"" + path + "\"");
  const HWND window = MixerWindow();
  ASSERT_NE(window, nullptr);
  HWND box = GetDlgItem(window, IDFADERTEXT + 1);
  EXPECT_TRUE(testsupport::Eventually([&] { return WindowText(box) == "-6.0"; }))
      << WindowText(box);

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

namespace {

// Sends `message` from a thread of its own, as the system would, while the
// test answers what the program shows; the program's answer.
class SentFromOutside {
 public:
  SentFromOutside(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
      : thread_([=, this] {
          DWORD_PTR result = 0;
          SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 60000, &result);
          result_ = static_cast<LRESULT>(result);
          done_ = true;
        }) {}
  ~SentFromOutside() { thread_.join(); }
  bool Done() const { return done_; }
  LRESULT Result() const { return result_; }

 private:
  std::atomic<bool> done_{false};
  std::atomic<LRESULT> result_{-1};
  std::thread thread_;
};

}  // namespace

TEST_F(VelmoraProgram, ASecondStartHandsItsFileToTheRunningMixerAndEnds) {
  const testsupport::TempFolder folder("velmora second start");
  const std::string half = folder.Path("half mix.kmx");
  WriteFileWithGain(half, 0.5);
  ASSERT_FALSE(HasFatalFailure());
  Start("devices=1", "");
  const HWND window = MixerWindow();
  ASSERT_NE(window, nullptr);
  HWND box = GetDlgItem(window, IDFADERTEXT + 1);
  ASSERT_EQ(WindowText(box), "-inf");

  ProgramProcess second;
  ASSERT_TRUE(second.Start("\"" + half + "\""));
  EXPECT_TRUE(testsupport::Eventually([&] { return second.Ended(); }));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_TRUE(testsupport::Eventually([&] { return WindowText(box) == "-6.0"; }))
      << WindowText(box);

  ProgramProcess third;  // no file: the first only comes to the front
  ASSERT_TRUE(third.Start(""));
  EXPECT_TRUE(testsupport::Eventually([&] { return third.Ended(); }));
  EXPECT_EQ(third.ExitCode(), 0u);
  EXPECT_FALSE(Ended());
  EXPECT_EQ(WindowText(box), "-6.0");
}

namespace {

// The visible mixer window of a velmora_app.exe that is none of `known`: one
// that a program started of its own. Windows of the tests' own processes are
// not it.
HWND NewMixerWindow(std::initializer_list<DWORD> known) {
  struct Search {
    std::initializer_list<DWORD> known;
    HWND found;
  } search{known, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (lstrcmpA(name, "ZWVELMORA") != 0 || !IsWindowVisible(window) ||
            std::find(s->known.begin(), s->known.end(), owner) != s->known.end())
          return TRUE;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner);
        wchar_t image[MAX_PATH] = L"";
        DWORD size = MAX_PATH;
        if (process) QueryFullProcessImageNameW(process, 0, image, &size);
        if (process) CloseHandle(process);
        if (std::wstring(image).ends_with(L"velmora_app.exe")) s->found = window;
        return s->found == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// True when the keyboard focus of `window`'s thread is in `box` or on one of
// its buttons.
bool FocusIsIn(HWND box) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info)) return false;
  return info.hwndFocus == box || IsChild(box, info.hwndFocus);
}

}  // namespace

// A file double-clicked while the mixer asks whether to save before quitting
// is not lost with the mixer: the answer that ends it hands the file on to a
// new start, which opens it. While the question waits, the keys stay in it.
TEST_F(VelmoraProgram, AFileHandedOverDuringTheQuitQuestionOpensInTheMixerThatFollows) {
  const testsupport::TempFolder folder("velmora hand on");
  const std::string quarter = folder.Path("quarter mix.kmx");
  WriteFileWithGain(quarter, 0.25);
  ASSERT_FALSE(HasFatalFailure());
  Start("devices=1", "");
  const HWND window = MixerWindow();
  ASSERT_NE(window, nullptr);
  HWND box = GetDlgItem(window, IDFADERTEXT + 1);
  Enter(box, "-3");
  ASSERT_TRUE(testsupport::Eventually([&] { return WindowText(box) == "-3.0"; }));

  PostMessageA(window, WM_CLOSE, 0, 0);
  HWND question = nullptr;
  ASSERT_TRUE(testsupport::Eventually([&] { return (question = ProgramWindow("#32770")); }));
  ASSERT_EQ(BoxText(question), "Want to save before quiting?");
  ASSERT_TRUE(testsupport::Eventually([&] { return FocusIsIn(question); }));

  ProgramProcess second;
  ASSERT_TRUE(second.Start("\"" + quarter + "\""));
  ASSERT_TRUE(testsupport::Eventually([&] { return second.Ended(); }));
  EXPECT_EQ(second.ExitCode(), 0u);
  // The file waits for the answer, retried four times a second: over a few
  // of those the question keeps the keys the user is about to press.
  EXPECT_FALSE(testsupport::Eventually([&] { return !FocusIsIn(question); },
                                       std::chrono::milliseconds(1500)));

  PostMessageA(question, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(testsupport::Eventually([&] { return Ended(); }));
  HWND next = nullptr;
  ASSERT_TRUE(testsupport::Eventually([&] {
    return (next = NewMixerWindow({program.ProcessId(), second.ProcessId()})) != nullptr;
  }));
  DWORD nextId = 0;
  GetWindowThreadProcessId(next, &nextId);
  ProgramProcess following;
  ASSERT_TRUE(following.Attach(nextId));
  HWND nextBox = GetDlgItem(next, IDFADERTEXT + 1);
  EXPECT_TRUE(testsupport::Eventually([&] { return WindowText(nextBox) == "-12.0"; }))
      << WindowText(nextBox);
  PostMessageA(next, WM_CLOSE, 0, 0);  // nothing changed since the file: no question
  EXPECT_TRUE(testsupport::Eventually([&] { return following.Ended(); }));
}

TEST_F(VelmoraProgram, OpensAFileWhosePathHasLettersOfTwoScripts) {
  // Greek and Japanese: no one code page holds both.
  const testsupport::TempFolder folder(
      "\xce\x9c\xce\xaf\xce\xbe\xce\xb7 \xe3\x83\x9f\xe3\x83\x83\xe3\x82\xaf\xe3\x82\xb9");
  const std::string path = folder.Path("\xcf\x83\xcf\x8d\xce\xbd\xce\xbf\xce\xbb\xce\xbf.kmx");
  WriteFileWithGain(path, 0.5);
  ASSERT_FALSE(HasFatalFailure());
  SetEnvironmentVariableA("KORVANE_SIMULATOR", "devices=1");
  ASSERT_TRUE(program.Start(L"\"" + platform::WideFromUtf8(path) + L"\""));
  const HWND window = MixerWindow();
  ASSERT_NE(window, nullptr);
  HWND box = GetDlgItem(window, IDFADERTEXT + 1);
  EXPECT_TRUE(testsupport::Eventually([&] { return WindowText(box) == "-6.0"; }))
      << WindowText(box);
}

TEST_F(VelmoraProgram, TheEndOfTheSessionAsksAboutAnUnsavedMixAndThenEndsTheProgram) {
  Start("devices=1", "");
  const HWND window = MixerWindow();
  ASSERT_NE(window, nullptr);
  HWND box = GetDlgItem(window, IDFADERTEXT + 1);
  Enter(box, "-6");
  ASSERT_TRUE(testsupport::Eventually([&] { return WindowText(box) == "-6.0"; }));

  // The user answers the question as it comes: Cancel keeps the session, No lets it end.
  for (const int answer : {IDCANCEL, IDNO}) {
    SCOPED_TRACE(answer);
    SentFromOutside query(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    HWND question = nullptr;
    ASSERT_TRUE(testsupport::Eventually([&] { return (question = ProgramWindow("#32770")); }));
    EXPECT_EQ(BoxText(question), "Want to save before quiting?");
    PostMessageA(question, WM_COMMAND, answer, 0);
    ASSERT_TRUE(testsupport::Eventually([&] { return query.Done(); }));
    EXPECT_EQ(query.Result(), answer == IDNO ? TRUE : FALSE);
    EXPECT_FALSE(Ended());
  }
  SentFromOutside end(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(testsupport::Eventually([&] { return Ended(); }));
  EXPECT_EQ(ExitCode(), 0u);
  EXPECT_EQ(ProgramWindow("#32770"), nullptr) << "nothing asked again";
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

// A screen reader is another process: what the window answers crosses over.
TEST_F(VelmoraProgram, AReaderInAnotherProcessReadsAndWorksTheDrawnControls) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Start("devices=1", "");
  const HWND window = MixerWindow();
  ASSERT_NE(window, nullptr);
  const AccessibleRead fader = ReadAccessible(GetDlgItem(window, IDFADER + 0));
  ASSERT_TRUE(fader.reached);
  EXPECT_EQ(fader.role, ROLE_SYSTEM_SLIDER);
  EXPECT_EQ(fader.name, "Ch 1 fader");
  EXPECT_EQ(fader.value, "-inf dB");
  EXPECT_EQ(ReadAccessible(GetDlgItem(window, IDPAN + 7)).value, "centre");
  EXPECT_EQ(ReadAccessible(GetDlgItem(window, IDMETER + 9)).name, "Output 2 level");
  EXPECT_EQ(ReadAccessible(GetDlgItem(window, IDFADERTEXT + 8)).name,
            "Output 1 & 2 master left level");

  const HWND mute = GetDlgItem(window, IDMUTE + 2);
  EXPECT_EQ(ReadAccessible(mute).state & STATE_SYSTEM_CHECKED, 0);
  ASSERT_TRUE(DoDefaultAction(mute));
  EXPECT_TRUE(testsupport::Eventually(
      [&] { return (ReadAccessible(mute).state & STATE_SYSTEM_CHECKED) != 0; }));
  EXPECT_EQ(ReadAccessible(mute).description, "muted");

  // The mute is a change to save: answer No to the question at closing.
  PostMessageA(window, WM_CLOSE, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(testsupport::Eventually([&] { return (box = ProgramWindow("#32770")) != nullptr; }));
  PostMessageA(box, WM_COMMAND, IDNO, 0);
  EXPECT_TRUE(testsupport::Eventually([&] { return Ended(); }));
  CoUninitialize();
}
