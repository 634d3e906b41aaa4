#include <algorithm>
#include <filesystem>
#include <fstream>

#include "resources/velmora_ids.h"
#include "gui/channelstrips.h"
#include "gui/mixerlayout.h"
#include "korvaneobjects/korvanefwinterface.h"
#include "platform/log.h"
#include "tests/gui/mixerwindowfixture.h"
#include "velmora/settingsfile.h"
#include "windows/metertable.h"

namespace {

constexpr std::uint16_t kChannel4Fader = IDFADER + 3;
// A file keeps gains to 16 bits.
constexpr double kFileStep = 1.0 / 32768;

// A settings file whose first mix has channel 4 at half gain, written by an
// engine that is gone again before the test's program starts.
void WriteHalfGainFile(const std::string& path) {
  KMXSetInteger(IDMIXERACTIVE, 1);
  KMXSetFloat(kChannel4Fader, 0.5);
  ASSERT_TRUE(SaveSettingsFile(path.c_str()));
  DestroyMasterControl();
  ResetParameterInterface();
}

constexpr COLORREF kUnlitSegment = RGB(0, 0x33, 0);

// What the meter's topmost level segment shows on the screen.
COLORREF TopSegmentColour(HWND meter) {
  HDC dc = GetDC(meter);
  const COLORREF colour = GetPixel(dc, 8, 15);
  ReleaseDC(meter, dc);
  return colour;
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
  RECT client{};
  GetClientRect(window, &client);  // whatever the system's caption and menu take
  EXPECT_GE(client.right, kLayoutWidth);
  EXPECT_GE(client.bottom, kLayoutHeight);
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
            WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  EXPECT_NE(GetClassLongPtrA(window, GCLP_HICON), 0);

  HMENU file = GetSubMenu(GetMenu(window), 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(GetMenuItemCount(file), 8);
  EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(ID_FILE_OPEN));
  EXPECT_EQ(GetMenuItemID(file, 7), static_cast<UINT>(ID_FILE_EXIT));
  EXPECT_EQ(GetMenuItemID(GetSubMenu(GetMenu(window), 1), 0), static_cast<UINT>(ID_HELP_ABOUT));

  // The mixer is on and every control shows mix 1's fresh state.
  EXPECT_EQ(SendDlgItemMessageA(window, IDMIXERACTIVE, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(testsupport::Eventually([&] { return machine->State(0).mixerEnabled; }));
  EXPECT_EQ(SendDlgItemMessageA(window, IDMIXSELECT, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(ControlText(IDFADERTEXT + 0), "-inf");
  EXPECT_EQ(ControlText(IDPANTEXT + 7), "<0>");
  EXPECT_EQ(ControlText(IDFADERTEXT + 9), " 0.0");
  EXPECT_EQ(ControlText(IDOUTPUTLABEL), "Output 1 && 2");

  EXPECT_TRUE(savedFlag);
  EXPECT_TRUE(boxes.empty());

  // Nothing was changed, so closing asks nothing.
  Close();
  EXPECT_FALSE(IsOpen());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(MixerWindow, ChoosingAnOutputPairRelabelsAndReloadsTheStrips) {
  Open();
  KMXSetFloat(kChannel4Fader, 1.0);
  EXPECT_EQ(ControlText(IDFADERTEXT + 3), " 0.0");

  const HWND selector = GetDlgItem(window, IDMIXSELECT);
  SendMessageA(selector, CB_SETCURSEL, 2, 0);
  // What the system sends the parent when the user picks an item.
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDMIXSELECT, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(selector));
  EXPECT_EQ(KMXGetInteger(IDMIXSELECT), 2);
  EXPECT_EQ(ControlText(IDOUTPUTLABEL), "Output 5 && 6");
  EXPECT_EQ(ControlText(IDDAWLABEL), "DAW In 5 && 6");
  EXPECT_EQ(ControlText(IDFADERTEXT + 3), "-inf");
}

TEST_F(MixerWindow, SwitchingTheMixerOffShowsItsDefaultsAndOnAgainTheStoredMix) {
  Open();
  KMXSetFloat(kChannel4Fader, 1.0);
  KMXSetFloat(IDFADER + 8, 0.5);
  const HWND active = GetDlgItem(window, IDMIXERACTIVE);
  auto click = [&] {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDMIXERACTIVE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(active));
  };

  click();
  EXPECT_EQ(SendMessageA(active, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(ControlText(IDFADERTEXT + 3), "-inf");
  EXPECT_EQ(ControlText(IDFADERTEXT + 8), " 0.0");
  EXPECT_TRUE(testsupport::Eventually([&] { return !machine->State(0).mixerEnabled; }));

  click();
  EXPECT_EQ(SendMessageA(active, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(ControlText(IDFADERTEXT + 3), " 0.0");
  EXPECT_EQ(ControlText(IDFADERTEXT + 8), "-6.0");
  EXPECT_TRUE(testsupport::Eventually([&] { return machine->State(0).mixerEnabled; }));
}

TEST_F(MixerWindow, TheMetersFollowTheDeviceLevels) {
  Open();
  // Channel 3 at full scale: its meter lights up to the top segment.
  machine->SetFixedLevel(0, 2, 255);
  const HWND meter = GetDlgItem(window, IDMETER + 2);
  ASSERT_NE(meter, nullptr);
  const COLORREF unlit = RGB(0, 0x33, 0);
  auto topSegment = [&] {
    HDC dc = GetDC(meter);
    const COLORREF colour = GetPixel(dc, 8, 15);
    ReleaseDC(meter, dc);
    return colour;
  };
  EXPECT_TRUE(testsupport::PumpUntil([&] {
    const COLORREF colour = topSegment();
    return colour != unlit && colour != CLR_INVALID;
  })) << std::hex
      << topSegment();
}

// The metering thread's passes invalidate nothing, neither the meters nor
// their neighbours nor the window: what they drew reaches the screen when the
// window thread takes the message they left.
TEST_F(MixerWindow, MeterPassesInvalidateNothingAndTheWindowShowsThemFromItsQueue) {
  Open();
  const HWND meter = GetDlgItem(window, IDMETER + 2);
  ASSERT_NE(meter, nullptr);
  // The first paint shows the whole image; the next pass darkens the top.
  ASSERT_TRUE(testsupport::PumpUntil([&] { return TopSegmentColour(meter) == kUnlitSegment; }));
  machine->SetFixedLevel(0, 2, 255);
  // Not pumped: a pass's invalidation would stay in the update regions.
  MSG msg;
  auto shown = [&](UINT remove) {
    return PeekMessageA(&msg, window, ChannelStrips::kShowMeterChanges,
                        ChannelStrips::kShowMeterChanges, remove) != FALSE;
  };
  ASSERT_TRUE(
      testsupport::Eventually([&] { return (MeterSegments(2) & 2u) != 0 && shown(PM_NOREMOVE); }));
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
  for (HWND control : ChannelStrips::ParameterControls())
    EXPECT_FALSE(GetUpdateRect(control, nullptr, FALSE)) << GetDlgCtrlID(control);
  EXPECT_EQ(TopSegmentColour(meter), kUnlitSegment) << "nothing shown before the window thread";

  ASSERT_TRUE(shown(PM_REMOVE));
  DispatchMessageA(&msg);
  EXPECT_NE(TopSegmentColour(meter), kUnlitSegment);
  EXPECT_FALSE(GetUpdateRect(meter, nullptr, FALSE));
}

// Minimised, the meters' models go on but nothing is drawn or invalidated; the
// restore shows the state they reached at once, before any further reading.
TEST_F(MixerWindow, AMinimisedMixerDrawsNoMeterAndShowsTheCurrentStateOnRestore) {
  Open();
  machine->SetFixedLevel(0, 2, 255);
  const HWND meter = GetDlgItem(window, IDMETER + 2);
  ASSERT_NE(meter, nullptr);
  const COLORREF unlit = kUnlitSegment;
  auto topSegment = [&] { return TopSegmentColour(meter); };
  const std::uint32_t topBit = 2;
  ASSERT_TRUE(testsupport::PumpUntil([&] { return topSegment() != unlit; }));

  ShowWindow(window, SW_MINIMIZE);
  testsupport::PumpPending();
  EXPECT_FALSE(KorvaneFWInterface::Registered()->MetersSeen()) << "the engine reads less often";
  machine->SetFixedLevel(0, 2, 0);
  // Not pumped from here on: an invalidation would stay in the update regions.
  ASSERT_TRUE(testsupport::Eventually([&] { return (MeterSegments(2) & topBit) == 0; }))
      << "the model falls while minimised";
  for (int i = 0; i < MeterTable::kMeters; ++i) {
    EXPECT_FALSE(GetUpdateRect(GetDlgItem(window, IDMETER + i), nullptr, FALSE)) << "meter " << i;
    EXPECT_FALSE(GetUpdateRect(GetDlgItem(window, IDMETERSTATUS + i), nullptr, FALSE))
        << "read-out " << i;
  }

  // No further pass may do the restore's work.
  KorvaneFWInterface::Registered()->StopMetering();
  ShowWindow(window, SW_RESTORE);
  UpdateWindow(meter);
  EXPECT_EQ(topSegment(), unlit) << "the restore draws the fallen meter";
  EXPECT_TRUE(KorvaneFWInterface::Registered()->MetersSeen());
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
  EXPECT_EQ(boxes.size(), 4u) << "three questions and the failed save's box";
}

TEST_F(MixerWindow, AValueTypedButNotEnteredCountsAsAChangeAtClosing) {
  Open();
  ASSERT_TRUE(savedFlag);
  HWND box = GetDlgItem(window, IDFADERTEXT + 3);
  ASSERT_NE(box, nullptr);
  SetFocus(box);
  SetWindowTextA(box, "-6");
  SendMessageA(box, EM_SETMODIFY, TRUE, 0);
  answers = {platform::kIdNo};
  Close();
  ASSERT_EQ(boxes.size(), 1u) << "the typed value is a change";
  EXPECT_FALSE(IsOpen());
}

TEST_F(MixerWindow, ACloseThatArrivesWhileTheQuestionIsOpenIsTheSameClose) {
  Open();
  KMXSetFloat(kChannel4Fader, 1.0);
  nextPath = FileIn("asked once.kmx");
  platform::SetMessageBoxHook([this](void*, const char* text, const char*, unsigned) {
    boxes.push_back({text, "", 0});
    SendMessageA(window, WM_CLOSE, 0, 0);  // the system asks as well
    return platform::kIdYes;
  });
  Close();
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(FileSize(nextPath), 212u);
  EXPECT_FALSE(IsOpen());
}

TEST_F(MixerWindow, AFileOnTheCommandLineIsLoadedQuotedOrPlain) {
  const std::string path = FileIn("live set.kmx");
  WriteHalfGainFile(path);
  ASSERT_FALSE(HasFatalFailure());

  const std::string quoted = "\"" + path + "\"";
  {
    platform::LogCapture log;
    Open(quoted.c_str());
    // The log names the command line as the user gave it, quotes and all.
    const std::vector<std::string> lines = log.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), quoted + "\n"), lines.end());
  }
  EXPECT_NEAR(KMXGetFloat(kChannel4Fader), 0.5, kFileStep);
  EXPECT_TRUE(savedFlag);
  DestroyWindow(window);

  Open(path.c_str());
  EXPECT_NEAR(KMXGetFloat(kChannel4Fader), 0.5, kFileStep);
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
  EXPECT_EQ(OwnMixerWindow(), nullptr);
}

TEST_F(MixerWindow, OpenLoadsTheChosenFileAndSaveNeverReplacesAFileUnasked) {
  const std::string path = FileIn("chosen.kmx");
  WriteHalfGainFile(path);
  ASSERT_FALSE(HasFatalFailure());
  Open();

  nextPath = "";
  Command(ID_FILE_OPEN);  // cancelled
  EXPECT_DOUBLE_EQ(KMXGetFloat(kChannel4Fader), 0.0);
  nextPath = path;
  Command(ID_FILE_OPEN);
  EXPECT_NEAR(KMXGetFloat(kChannel4Fader), 0.5, kFileStep);

  // Saving over it: refused (back to the dialog, which is then cancelled),
  // then agreed.
  KMXSetFloat(kChannel4Fader, 1.0);
  answers = {platform::kIdNo};
  nextPaths = {path, ""};
  Command(ID_FILE_SAVE);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Save");
  EXPECT_FALSE(savedFlag);
  answers = {platform::kIdYes};
  Command(ID_FILE_SAVEAS);
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, "Save As");
  EXPECT_TRUE(savedFlag);
  EXPECT_EQ(asked, (std::vector<std::string>{"Open", "Open", "Save", "Save", "Save As"}));

  KMXSetFloat(kChannel4Fader, 0.25);
  Command(ID_FILE_OPEN);
  EXPECT_NEAR(KMXGetFloat(kChannel4Fader), 1.0, kFileStep);

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

namespace {

struct SeenInLoop {
  double gain = -1.0;
  std::string gainText;
};
SeenInLoop seenInLoop;

// Runs inside the program's message loop: looks at the window, then quits
// through the menu as a user would.
void CALLBACK LookThenExit(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  const HWND main = OwnMixerWindow();
  char text[32] = "";
  GetDlgItemTextA(main, IDFADERTEXT + 3, text, sizeof text);
  seenInLoop = {KMXGetFloat(kChannel4Fader), text};
  SendMessageA(main, WM_COMMAND, ID_FILE_EXIT, 0);
}

}  // namespace

TEST_F(MixerWindow, TheProgramShowsItsCommandLineFileAndEndsWithCodeZero) {
  const std::string path = FileIn("started with.kmx");
  WriteHalfGainFile(path);
  ASSERT_FALSE(HasFatalFailure());
  SetTimer(nullptr, 0, 1, LookThenExit);
  EXPECT_EQ(VelmoraApp::Run(GetModuleHandleA(nullptr), ("\"" + path + "\"").c_str(), SW_SHOWNORMAL),
            0);
  EXPECT_NEAR(seenInLoop.gain, 0.5, kFileStep);
  EXPECT_EQ(seenInLoop.gainText, "-6.0");  // refreshed after the load: the window existed
  EXPECT_TRUE(boxes.empty());              // a loaded file is nothing to save
  EXPECT_EQ(OwnMixerWindow(), nullptr);
}

TEST_F(MixerWindow, TabAndShiftTabWalkTheValueBoxesInCreationOrder) {
  Open();
  std::vector<HWND> fields;
  for (int i = 0; i < 8; ++i) fields.push_back(GetDlgItem(window, IDPANTEXT + i));
  for (int i = 0; i < 10; ++i) fields.push_back(GetDlgItem(window, IDFADERTEXT + i));
  for (HWND field : fields) ASSERT_NE(field, nullptr);

  BYTE keys[256] = {};
  auto pressTab = [&](bool shift) {
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    // Addressed to whichever control has the focus, as the system would.
    MSG msg{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    VelmoraApp::Dispatch(msg, window);
  };

  SetFocus(nullptr);
  pressTab(false);  // from nowhere: the first box
  EXPECT_EQ(GetFocus(), fields[0]);
  for (size_t i = 1; i <= fields.size(); ++i) {
    pressTab(false);
    EXPECT_EQ(GetFocus(), fields[i % fields.size()]) << i;
  }
  pressTab(true);  // from the first box back round to the last
  EXPECT_EQ(GetFocus(), fields.back());
  pressTab(true);
  EXPECT_EQ(GetFocus(), fields[fields.size() - 2]);

  // From a control that is no tab stop: the next box after it.
  SetFocus(GetDlgItem(window, IDFADER + 2));
  pressTab(false);
  EXPECT_EQ(GetFocus(), GetDlgItem(window, IDFADERTEXT + 2));
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

// The controls are made hidden and shown together, and the window keeps its
// own lists of them: every control must show, and the lists must hold the
// parameter controls in the order the system has them on screen.
TEST_F(MixerWindow, EveryControlShowsAndTheListsFollowTheWindowsOwnOrder) {
  Open();
  std::vector<HWND> children;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM context) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  EXPECT_EQ(children.size(), MixerLayout().size());
  std::vector<HWND> parameters;
  for (HWND child : children) {
    EXPECT_TRUE(IsWindowVisible(child)) << std::hex << GetDlgCtrlID(child);
    if (IsParameterControl(static_cast<std::uint16_t>(GetDlgCtrlID(child))))
      parameters.push_back(child);
  }
  EXPECT_EQ(ChannelStrips::ParameterControls(), parameters);
}
