// The mixer window as a screen reader and a keyboard user meet it: what each
// control says it is, the events that follow a change, and the keys, shortcuts
// and wheel that work it without the mouse's presses.
#include <cmath>
#include <set>

#include "gui/channelstrips.h"
#include "gui/mixerlayout.h"
#include "resources/velmora_ids.h"
#include "tests/gui/accessprobe.h"
#include "tests/gui/mixerwindowfixture.h"
#include "velmora/settingsfile.h"
#include "velmora/velmoraprefs.h"

namespace {

// 20 log10(0.5) is -6.02 dB; the box shows tenths.
constexpr double kHalfGain = 0.5;

class MixerAccess : public MixerWindow {
 protected:
  void SetUp() override {
    MixerWindow::SetUp();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  }
  void TearDown() override {
    MixerWindow::TearDown();
    CoUninitialize();
  }

  HWND Control(int id) const { return GetDlgItem(window, id); }
  AccessibleRead Read(int id) const { return ReadAccessible(Control(id)); }

  // A key as the message loop hands it on, to the control with the focus.
  void Key(WPARAM key, UINT message = WM_KEYDOWN, LPARAM lParam = 0) {
    MSG msg{GetFocus(), message, key, lParam, 0, {}};
    VelmoraApp::Dispatch(msg, window);
  }
  // Pressed and released with nothing in between.
  void Tap(WPARAM key) {
    Key(key);
    Key(key, WM_KEYUP);
  }
  void HoldKeys(std::initializer_list<int> held) {
    BYTE keys[256] = {};
    for (int key : held) keys[key] = 0x80;
    SetKeyboardState(keys);
  }
  // One notch (or -1: towards the user) with the pointer over `id`.
  void Wheel(int id, int notches, WPARAM modifiers = 0) {
    RECT rect{};
    GetWindowRect(Control(id), &rect);
    const POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    MSG msg{GetFocus(),
            WM_MOUSEWHEEL,
            MAKEWPARAM(modifiers, notches * WHEEL_DELTA),
            MAKELPARAM(at.x, at.y),
            0,
            at};
    VelmoraApp::Dispatch(msg, window);
  }
};

TEST_F(MixerAccess, EveryStripControlSaysWhatItIsWhatItSetsAndItsValue) {
  Open();
  KMXSetFloat(IDFADER + 2, kHalfGain);
  KMXSetFloat(IDPAN + 1, -12.0 / 64);
  KMXSetFloat(IDPAN + 4, 30.0 / 64);
  KMXSetInteger(IDSOLO + 0, 1);

  AccessibleRead fader = Read(IDFADER + 2);
  ASSERT_TRUE(fader.reached);
  EXPECT_EQ(fader.role, ROLE_SYSTEM_SLIDER);
  EXPECT_EQ(fader.name, "Ch 3 fader");
  EXPECT_EQ(fader.value, "-6.0 dB");
  EXPECT_EQ(Read(IDFADER + 0).value, "-inf dB");
  EXPECT_EQ(Read(IDFADERTEXT + 2).name, "Ch 3 fader level");
  EXPECT_EQ(Read(IDFADERTEXT + 2).value, "-6.0");

  EXPECT_EQ(Read(IDPAN + 1).role, ROLE_SYSTEM_SLIDER);
  EXPECT_EQ(Read(IDPAN + 1).name, "Ch 2 pan");
  EXPECT_EQ(Read(IDPAN + 1).value, "12 left");
  EXPECT_EQ(Read(IDPAN + 4).value, "30 right");
  EXPECT_EQ(Read(IDPAN + 0).value, "centre");
  EXPECT_EQ(Read(IDPANTEXT + 1).name, "Ch 2 pan value");

  // Channel 1 soloed: its own mute is off, channel 2 is silenced by the solo.
  const AccessibleRead solo = Read(IDSOLO + 0);
  EXPECT_EQ(solo.role, ROLE_SYSTEM_CHECKBUTTON);
  EXPECT_EQ(solo.name, "Ch 1 solo");
  EXPECT_NE(solo.state & STATE_SYSTEM_CHECKED, 0);
  EXPECT_EQ(Read(IDSOLO + 1).state & STATE_SYSTEM_CHECKED, 0);
  EXPECT_EQ(Read(IDMUTE + 0).state & STATE_SYSTEM_CHECKED, 0);
  const AccessibleRead silenced = Read(IDMUTE + 1);
  EXPECT_EQ(silenced.name, "Ch 2 mute");
  EXPECT_NE(silenced.state & STATE_SYSTEM_CHECKED, 0);
  EXPECT_EQ(silenced.description, "muted by another channel's solo");
  KMXSetInteger(IDMUTE + 1, 1);
  EXPECT_EQ(Read(IDMUTE + 1).description, "muted");

  const AccessibleRead meter = Read(IDMETER + 0);
  EXPECT_EQ(meter.role, ROLE_SYSTEM_INDICATOR);
  EXPECT_EQ(meter.name, "Ch 1 level");
  EXPECT_EQ(meter.value.substr(meter.value.size() - 3), " dB");
  EXPECT_EQ(Read(IDMETERSTATUS + 0).name, "Ch 1 level read-out");
  EXPECT_EQ(Read(IDMETERSTATUS + 0).role, ROLE_SYSTEM_STATICTEXT);
}

TEST_F(MixerAccess, TheMasterSideIsNamedForTheSelectedOutputPair) {
  Open();
  EXPECT_EQ(Read(IDFADER + 8).name, "Output 1 & 2 master left");
  EXPECT_EQ(Read(IDFADER + 9).name, "Output 1 & 2 master right");
  EXPECT_EQ(Read(IDFADERTEXT + 9).name, "Output 1 & 2 master right level");
  EXPECT_EQ(Read(IDMETER + 9).name, "Output 2 level");
  KMXSetInteger(IDMIXSELECT, 3);
  EXPECT_EQ(Read(IDFADER + 8).name, "Output 7 & 8 master left");
  EXPECT_EQ(Read(IDMETER + 8).name, "Output 7 level");
  EXPECT_EQ(Read(IDMETERSTATUS + 9).name, "Output 8 level read-out");
}

// No control is left to the generic answer: unnamed, or named after the
// label that happens to be near it; and no two share a name, so voice control
// and a reader's search find one control for each.
TEST_F(MixerAccess, NoControlOfTheWindowIsUnnamedOrNamedAfterANeighbour) {
  Open();
  std::set<std::string> names;
  for (HWND control : ChannelStrips::ParameterControls()) {
    const auto id = static_cast<std::uint16_t>(GetDlgCtrlID(control));
    const AccessibleRead read = ReadAccessible(control);
    ASSERT_TRUE(read.reached) << std::hex << id;
    EXPECT_FALSE(read.name.empty()) << std::hex << id;
    // The system's own controls, the labels among them, keep their texts.
    if ((id & 0xFFF0) == IDCONTROL) continue;
    EXPECT_EQ(read.name.find("DAW In"), std::string::npos) << std::hex << id;
    if ((id & 0xFFF0) != IDPANTEXT && (id & 0xFFF0) != IDFADERTEXT) {
      EXPECT_NE(read.role, ROLE_SYSTEM_CLIENT) << std::hex << id;
    }
    EXPECT_TRUE(names.insert(read.name).second) << read.name;
  }
  // 8 strips of 8 controls; each master side its fader, box, meter and read-out.
  EXPECT_EQ(names.size(), 8u * 8 + 2 * 4);
}

TEST_F(MixerAccess, TheDefaultActionAndSpaceToggleSoloAndMute) {
  Open();
  EXPECT_EQ(Read(IDMUTE + 3).action, "Check");
  ASSERT_TRUE(DoDefaultAction(Control(IDMUTE + 3)));
  EXPECT_EQ(KMXGetInteger(IDMUTE + 3), 1);
  EXPECT_EQ(Read(IDMUTE + 3).action, "Uncheck");
  ASSERT_TRUE(DoDefaultAction(Control(IDMUTE + 3)));
  EXPECT_EQ(KMXGetInteger(IDMUTE + 3), 0);

  SetFocus(Control(IDSOLO + 5));
  Key(VK_SPACE);
  EXPECT_EQ(KMXGetInteger(IDSOLO + 5), 1);
  Key(VK_SPACE);
  EXPECT_EQ(KMXGetInteger(IDSOLO + 5), 0);

  // Held down: the auto-repeats (bit 30, the key was down) change nothing.
  constexpr LPARAM kRepeat = LPARAM{1} << 30;
  SetFocus(Control(IDMUTE + 2));
  Key(VK_SPACE);
  for (int i = 0; i < 5; ++i) Key(VK_SPACE, WM_KEYDOWN, kRepeat);
  EXPECT_EQ(KMXGetInteger(IDMUTE + 2), 1);
  Key(VK_SPACE, WM_KEYUP);
  Key(VK_SPACE);
  EXPECT_EQ(KMXGetInteger(IDMUTE + 2), 0) << "a new press toggles again";
}

// Out-of-context clients hear of events while this thread pumps its messages.
struct HeardEvents {
  static inline std::vector<std::pair<DWORD, HWND>>* heard = nullptr;
  static void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                            DWORD) {
    if (heard && object == OBJID_CLIENT && child == CHILDID_SELF) heard->push_back({event, hwnd});
  }
};

TEST_F(MixerAccess, LoadingAFileTellsReadersWhatItChangedAndNothingElse) {
  Open();
  const std::string path = FileIn("events.kmx");
  KMXSetFloat(IDFADER + 3, kHalfGain);
  KMXSetInteger(IDSOLO + 6, 1);
  ASSERT_TRUE(SaveSettingsFile(path.c_str()));
  KMXSetFloat(IDFADER + 3, 0.0);
  KMXSetInteger(IDSOLO + 6, 0);
  savedFlag = true;
  testsupport::PumpPending();

  std::vector<std::pair<DWORD, HWND>> heard;
  HeardEvents::heard = &heard;
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr,
                      &HeardEvents::Hear, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  auto heardFor = [&](DWORD event, int id) {
    return std::count(heard.begin(), heard.end(), std::make_pair(event, Control(id)));
  };

  // Meters run all the while: they are read on demand and raise nothing.
  testsupport::PumpUntil([] { return false; }, std::chrono::milliseconds(300));
  EXPECT_TRUE(heard.empty());

  nextPath = path;
  Command(ID_FILE_OPEN);
  testsupport::PumpUntil([&] { return heardFor(EVENT_OBJECT_VALUECHANGE, IDFADER + 3) > 0; });
  testsupport::PumpPending();
  EXPECT_EQ(heardFor(EVENT_OBJECT_VALUECHANGE, IDFADER + 3), 1);
  EXPECT_EQ(heardFor(EVENT_OBJECT_VALUECHANGE, IDFADERTEXT + 3), 1);
  EXPECT_EQ(heardFor(EVENT_OBJECT_STATECHANGE, IDSOLO + 6), 1);
  // The solo silences the other seven channels.
  EXPECT_EQ(heardFor(EVENT_OBJECT_STATECHANGE, IDMUTE + 0), 1);
  EXPECT_EQ(heardFor(EVENT_OBJECT_STATECHANGE, IDMUTE + 6), 0);
  EXPECT_EQ(heardFor(EVENT_OBJECT_VALUECHANGE, IDFADER + 2), 0);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(heardFor(EVENT_OBJECT_VALUECHANGE, IDMETER + i), 0);

  // The same file again changes nothing, and nothing is told.
  heard.clear();
  Command(ID_FILE_OPEN);
  testsupport::PumpUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_TRUE(heard.empty());

  HeardEvents::heard = nullptr;
  UnhookWinEvent(hook);
}

TEST_F(MixerAccess, FadersAndKnobsTakePageHomeEndAndTheResetKey) {
  Open();
  velmoraPrefs::Instance()->SetPref(kPrefFadeCenter, 2);  // Shift
  velmoraPrefs::Instance()->SetPref(kPrefPanCenter, 1);   // Control
  SetFocus(Control(IDFADER + 0));
  Key(VK_HOME);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDFADER + 0), 2.0);  // +6 dB, the top
  Key(VK_END);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDFADER + 0), 0.0);

  // The reset key alone: 0 dB. Pressed with another key, it is no reset.
  Tap(VK_SHIFT);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDFADER + 0), 1.0);
  // Page Up is ten steps of Up.
  Key(VK_PRIOR);
  const double paged = KMXGetFloat(IDFADER + 0);
  Tap(VK_SHIFT);
  for (int i = 0; i < 10; ++i) Key(VK_UP);
  EXPECT_NEAR(KMXGetFloat(IDFADER + 0), paged, 1e-12);
  EXPECT_GT(paged, 1.0);
  Key(VK_NEXT);
  Key(VK_SHIFT);
  Key('A');
  Key(VK_SHIFT, WM_KEYUP);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDFADER + 0), 1.0);  // back by Page Down, not by the key
  Tap(VK_CONTROL);                                  // not this fader's reset key
  Key(VK_END);
  Tap(VK_CONTROL);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDFADER + 0), 0.0);

  SetFocus(Control(IDPAN + 2));
  Key(VK_HOME);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDPAN + 2), -1.0);
  Key(VK_END);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDPAN + 2), 1.0);
  Tap(VK_CONTROL);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDPAN + 2), 0.0);
  Key(VK_PRIOR);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDPAN + 2), 8.0 / 64);
  Key(VK_NEXT);
  Key(VK_NEXT);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDPAN + 2), -8.0 / 64);
}

TEST_F(MixerAccess, F6WalksTheControlsOfTheFocusedStripBothWays) {
  Open();
  const int channel[] = {IDFADERTEXT + 3, IDFADER + 3, IDPAN + 3, IDSOLO + 3, IDMUTE + 3};
  SetFocus(Control(channel[0]));
  for (int step = 1; step <= 5; ++step) {
    Key(VK_F6);
    EXPECT_EQ(GetFocus(), Control(channel[step % 5])) << step;
  }
  HoldKeys({VK_SHIFT});
  Key(VK_F6);
  EXPECT_EQ(GetFocus(), Control(IDMUTE + 3));
  HoldKeys({});

  // From the pan box on to its knob; and the master side with the controls.
  SetFocus(Control(IDPANTEXT + 3));
  Key(VK_F6);
  EXPECT_EQ(GetFocus(), Control(IDPAN + 3));
  const int master[] = {IDFADERTEXT + 8, IDFADER + 8,   IDFADERTEXT + 9, IDFADER + 9,
                        IDCLEAROVERS,    IDMIXERACTIVE, IDMIXSELECT};
  SetFocus(Control(master[0]));
  for (int step = 1; step <= 7; ++step) {
    Key(VK_F6);
    EXPECT_EQ(GetFocus(), Control(master[step % 7])) << step;
  }
}

TEST_F(MixerAccess, TheWheelMovesTheControlUnderThePointer) {
  Open();
  KMXSetFloat(IDFADER + 1, 1.0);
  SetFocus(Control(IDFADERTEXT + 0));  // the focus elsewhere
  Wheel(IDFADER + 1, 1);
  const double up = KMXGetFloat(IDFADER + 1);
  EXPECT_GT(up, 1.0);
  SetFocus(Control(IDFADER + 1));
  Key(VK_DOWN);  // one pixel of travel
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDFADER + 1), 1.0);

  // With the fine key (Control by default): 0.05 dB, a gain of 10^(0.05/20).
  velmoraPrefs::Instance()->SetPref(kPrefFadeFine, 1);
  Wheel(IDFADER + 1, 2, MK_CONTROL);
  EXPECT_NEAR(KMXGetFloat(IDFADER + 1), 1.011579, 1e-6);

  Wheel(IDPAN + 6, -1);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDPAN + 6), -1.0 / 64);
  Wheel(IDPAN + 6, 3);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDPAN + 6), 2.0 / 64);
}

TEST_F(MixerAccess, ControlOAndControlSOpenSaveAndSaveAs) {
  Open();
  SetFocus(Control(IDFADERTEXT + 0));
  nextPath = "";  // every dialog cancelled
  HoldKeys({VK_CONTROL});
  Key('O');
  Key('S');
  HoldKeys({VK_CONTROL, VK_SHIFT});
  Key('S');
  HoldKeys({});
  Key('S');  // typed into the box
  EXPECT_EQ(asked, (std::vector<std::string>{"Open", "Save", "Save As"}));
}

}  // namespace
