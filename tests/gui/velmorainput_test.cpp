// velmora_app.exe on the simulated X-Tamber's kernel-mode driver, driven as a
// user drives it: real X pointer and key events (xdotool on the session's
// display) reach its window through Wine, and what the device received comes
// back through the simulator's test-control device.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/gui/programprocess.h"
#include "tests/support/eventually.h"
#include "tests/windows/kerneldriverfixture.h"
#include "velmora/velmora.h"

namespace {

constexpr char kXwindow[] = "/bin/bash " KORVANE_SOURCE_DIR "/scripts/xwindow.bash ";

// A program of the Unix side, which Wine starts as it starts its own; its
// exit code, or -1 when it could not be started. Wine signals the process
// handle of a Unix program at once, so the program leaves its exit code in a
// file, and X inputs made one after the other arrive in that order.
int RunUnix(const std::string& commandLine) {
  static int serial = 0;
  const std::string done =
      "/tmp/velmorainput-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  std::string line = kXwindow + std::string("run ") + done + " " + commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return -1;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  const std::string file = "Z:" + done;
  int code = -1;
  const bool ended = testsupport::Eventually([&] {
    FILE* f = std::fopen(file.c_str(), "r");
    if (!f) return false;
    const bool read = std::fscanf(f, "%d", &code) == 1;
    std::fclose(f);
    return read;
  });
  std::remove(file.c_str());
  return ended ? code : -1;
}

bool X(const std::string& words) { return RunUnix("/usr/bin/xdotool " + words) == 0; }

// Where a control sits on the screen; under Wine screen coordinates are the X
// display's.
std::string At(HWND control, int dy = 0) {
  RECT rect{};
  GetWindowRect(control, &rect);
  return std::to_string((rect.left + rect.right) / 2) + " " +
         std::to_string((rect.top + rect.bottom) / 2 + dy);
}

std::string ClickAt(HWND control) { return "mousemove --sync " + At(control) + " click 1"; }

// The 34 gains of the last load-mix frame for mix 0 that the unit received:
// vendor command 9, gains from byte 7 on, high byte first, the mix at byte 75.
std::vector<std::uint16_t> LastMix(const simulator::DriverSimulator& machine) {
  std::vector<std::uint16_t> gains;
  for (const simulator::FrameRecord& record : machine.Frames(0)) {
    const std::vector<std::uint8_t>& f = record.frame;
    if (f.size() != 76 || f[6] != 9 || f[75] != 0) continue;
    gains.clear();
    for (int g = 0; g < 34; ++g)
      gains.push_back(static_cast<std::uint16_t>(f[7 + 2 * g] << 8 | f[8 + 2 * g]));
  }
  return gains;
}

// The device value of a centred channel shown as `text` in its fader box
// (decibels to one decimal): half the gain on each side, 32767 for 1.0.
double DeviceValueShown(const std::string& text) {
  if (text.empty() || text == "-inf") return 0;
  return std::pow(10.0, std::atof(text.c_str()) / 20) * 0.5 * 32767;
}

class VelmoraInput : public KernelDriver {
 protected:
  void SetUp() override {
    KernelDriver::SetUp();
    Launch(program);
  }

  void Launch(ProgramProcess& process) {
    ASSERT_TRUE(process.Start("")) << GetLastError();
    ASSERT_TRUE(
        testsupport::Eventually([&] { return (window = process.Window("ZWVELMORA")) != nullptr; }));
    // Input means something only once the display shows the window: Wine
    // maps it before it paints.
    const std::string painted = kXwindow + std::string("painted \"Korvane Velmora\"");
    ASSERT_TRUE(testsupport::Eventually([&] { return RunUnix(painted) == 0; }));
    ASSERT_TRUE(X("search --onlyvisible --name \"^Korvane Velmora$\" windowfocus --sync %1"));
  }

  // What the display showed when something failed, for whoever reads the log.
  void TearDown() override {
    if (!HasFailure()) return;
    const std::string shot = KORVANE_BINARY_DIR "/screenshots/velmorainput_test-failure.png";
    if (RunUnix("/bin/sh -c \"mkdir -p " KORVANE_BINARY_DIR "/screenshots && import -window root " +
                shot + "\"") == 0)
      std::printf("the display at the failure: %s\n", shot.c_str());
  }

  HWND Control(int id) const { return GetDlgItem(window, id); }

  // A fader at the bottom dragged up by its thumb, 60 pixels in two moves.
  static void DragUp(HWND fader) {
    RECT track{};
    GetWindowRect(fader, &track);
    const std::string x = std::to_string((track.left + track.right) / 2);
    const int thumb = track.top + 160;  // on the thumb of a fader at -inf
    ASSERT_TRUE(X("mousemove --sync " + x + " " + std::to_string(thumb) + " mousedown 1"));
    ASSERT_TRUE(X("mousemove --sync " + x + " " + std::to_string(thumb - 30)));
    ASSERT_TRUE(X("mousemove --sync " + x + " " + std::to_string(thumb - 60) + " mouseup 1"));
  }

  // Waits until the unit's last mix-0 frame, kept in `gains`, meets `condition`.
  template <typename Condition>
  bool DeviceHas(Condition condition) {
    return testsupport::Eventually([&] {
      gains = LastMix(*machine);
      return gains.size() == 34 && condition();
    });
  }

  ProgramProcess program;
  HWND window = nullptr;
  std::vector<std::uint16_t> gains;
};

TEST_F(VelmoraInput, PointerAndKeysReachTheDeviceAndAltF4ClosesFromTheOutputSelector) {
  // Channel 3's fader, at the bottom, dragged up by its thumb: the device gets
  // the gain its box shows.
  HWND fader = Control(IDFADER + 2);
  HWND faderBox = Control(IDFADERTEXT + 2);
  DragUp(fader);
  std::string shown;
  EXPECT_TRUE(testsupport::Eventually([&] {
    gains = LastMix(*machine);
    shown = WindowText(faderBox);
    return gains.size() == 34 && gains[2] > 0 &&
           std::abs(gains[2] - DeviceValueShown(shown)) <= DeviceValueShown(shown) * 0.006 + 1;
  })) << "box "
      << shown << ", device " << (gains.size() == 34 ? gains[2] : -1);
  ASSERT_EQ(gains.size(), 34u);
  EXPECT_EQ(gains[18], gains[2]) << "centred: the same on the right";

  // 12 typed into channel 1's box and Enter: clamped to +6 dB, the device's
  // largest channel gain, half of it on each side.
  HWND box = Control(IDFADERTEXT);
  ASSERT_TRUE(X(ClickAt(box)));
  ASSERT_TRUE(testsupport::Eventually([&] { return program.Focus() == box; }));
  ASSERT_TRUE(X("key End shift+Home"));
  ASSERT_TRUE(X("type 12"));
  ASSERT_TRUE(X("key Return"));
  EXPECT_TRUE(testsupport::Eventually([&] {
    gains = LastMix(*machine);
    return WindowText(box) == " 6.0" && gains.size() == 34 && gains[0] == 0x7FFF &&
           gains[16] == 0x7FFF;
  })) << WindowText(box);

  // Channel 5 soloed with a click: the device hears no other channel.
  ASSERT_TRUE(X(ClickAt(Control(IDSOLO + 4))));
  EXPECT_TRUE(testsupport::Eventually([&] {
    gains = LastMix(*machine);
    return gains.size() == 34 && gains[0] == 0 && gains[16] == 0 && gains[2] == 0 && gains[18] == 0;
  }));

  // Alt+F4 while the output selector has the focus closes the window as
  // anywhere else: with changes unsaved, the save question comes first.
  HWND selector = Control(IDMIXSELECT);
  ASSERT_TRUE(X(ClickAt(selector)));  // opens its list
  ASSERT_TRUE(testsupport::Eventually([&] { return program.Focus() == selector; }));
  ASSERT_TRUE(X("key Escape"));
  ASSERT_TRUE(testsupport::Eventually(
      [&] { return SendMessageA(selector, CB_GETDROPPEDSTATE, 0, 0) == FALSE; }));
  ASSERT_TRUE(X("key alt+F4"));
  HWND question = nullptr;
  ASSERT_TRUE(
      testsupport::Eventually([&] { return (question = program.Window("#32770")) != nullptr; }));
  PostMessageA(question, WM_COMMAND, IDNO, 0);
  EXPECT_TRUE(testsupport::Eventually([&] { return program.Ended(); }));
  EXPECT_EQ(program.ExitCode(), 0u);
}

// The whole strip worked from the keyboard alone: F6 into a strip and round
// it, Home and Page Down on the fader, End on the pan knob, Space on solo and
// mute, a value typed into a box, and Ctrl+Shift+S saving the mix.
TEST_F(VelmoraInput, TheKeyboardAloneWorksAStripAndSavesTheMix) {
  auto focusIs = [&](int id) {
    return testsupport::Eventually([&] { return program.Focus() == Control(id); });
  };

  ASSERT_TRUE(X("key F6"));  // from nowhere in a strip: channel 1's fader box
  ASSERT_TRUE(focusIs(IDFADERTEXT + 0));
  ASSERT_TRUE(X("key Tab"));
  ASSERT_TRUE(focusIs(IDFADERTEXT + 1));
  ASSERT_TRUE(X("type 0"));
  ASSERT_TRUE(X("key Return"));
  EXPECT_TRUE(DeviceHas([&] { return gains[1] > 0 && gains[17] == gains[1]; }));

  ASSERT_TRUE(X("key shift+Tab"));
  ASSERT_TRUE(focusIs(IDFADERTEXT + 0));
  ASSERT_TRUE(X("key F6"));
  ASSERT_TRUE(focusIs(IDFADER + 0));
  ASSERT_TRUE(X("key Home"));  // +6 dB: the device's largest gain on each side
  EXPECT_TRUE(DeviceHas([&] { return gains[0] == 0x7FFF && gains[16] == 0x7FFF; }));
  ASSERT_TRUE(X("key Next"));
  EXPECT_TRUE(DeviceHas([&] { return gains[0] > 0 && gains[0] < 0x7FFF; }));

  ASSERT_TRUE(X("key F6"));
  ASSERT_TRUE(focusIs(IDPAN + 0));
  ASSERT_TRUE(X("key End"));  // full right
  EXPECT_TRUE(DeviceHas([&] { return gains[0] == 0 && gains[16] > 0; }));

  ASSERT_TRUE(X("key F6"));
  ASSERT_TRUE(focusIs(IDSOLO + 0));
  ASSERT_TRUE(X("key space"));  // channel 2 falls silent
  EXPECT_TRUE(DeviceHas([&] { return gains[1] == 0 && gains[17] == 0 && gains[16] > 0; }));
  ASSERT_TRUE(X("key F6"));
  ASSERT_TRUE(focusIs(IDMUTE + 0));
  ASSERT_TRUE(X("key space"));
  EXPECT_TRUE(DeviceHas([&] { return gains[16] == 0; }));
  ASSERT_TRUE(X("key F6"));  // round to the fader box
  ASSERT_TRUE(focusIs(IDFADERTEXT + 0));

  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  const std::string path =
      std::string(temp) + "velmora-keys-" + std::to_string(GetCurrentProcessId()) + ".kmx";
  DeleteFileA(path.c_str());
  ASSERT_TRUE(X("key ctrl+shift+s"));
  HWND dialog = nullptr;
  ASSERT_TRUE(
      testsupport::Eventually([&] { return (dialog = program.Window("#32770")) != nullptr; }));
  ASSERT_TRUE(X("search --onlyvisible --name \"^Save As$\" windowfocus --sync %1"));
  ASSERT_EQ(path.find(' '), std::string::npos);  // one word for xdotool
  ASSERT_TRUE(X("type --delay 20 " + path));
  ASSERT_TRUE(X("key Return"));
  EXPECT_TRUE(testsupport::Eventually([&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           data.nFileSizeLow == 212;
  }));

  // Saved: closing asks nothing.
  ASSERT_TRUE(X("search --onlyvisible --name \"Korvane Velmora\" windowfocus --sync %1"));
  ASSERT_TRUE(X("key alt+F4"));
  EXPECT_TRUE(testsupport::Eventually([&] { return program.Ended(); }));
  DeleteFileA(path.c_str());
}

// A drag on channel 3's fader taken back with Ctrl+Z and done again with
// Ctrl+Y, as the device hears it; in a value box Ctrl+Z takes back only the
// text typed. The context menu opens with the right button and Shift+F10.
TEST_F(VelmoraInput, ADragIsUndoneAndRedoneAndTheMenuOpensFromPointerAndKeys) {
  HWND fader = Control(IDFADER + 2);
  DragUp(fader);
  ASSERT_TRUE(DeviceHas([&] { return gains[2] > 0; }));
  const std::uint16_t dragged = gains[2];
  const std::string shown = WindowText(Control(IDFADERTEXT + 2));

  ASSERT_TRUE(X("key ctrl+z"));  // the whole drag, not its last move
  EXPECT_TRUE(DeviceHas([&] { return gains[2] == 0 && gains[18] == 0; }));
  EXPECT_EQ(WindowText(Control(IDFADERTEXT + 2)), "-inf");
  ASSERT_TRUE(X("key ctrl+y"));
  EXPECT_TRUE(DeviceHas([&] { return gains[2] == dragged && gains[18] == dragged; }));
  EXPECT_EQ(WindowText(Control(IDFADERTEXT + 2)), shown);

  HWND box = Control(IDFADERTEXT + 2);
  ASSERT_TRUE(X(ClickAt(box)));
  ASSERT_TRUE(testsupport::Eventually([&] { return program.Focus() == box; }));
  ASSERT_TRUE(X("key End shift+Home"));
  ASSERT_TRUE(X("type -- -20"));
  ASSERT_TRUE(testsupport::Eventually([&] { return WindowText(box) == "-20"; }));
  ASSERT_TRUE(X("key ctrl+z"));
  EXPECT_TRUE(testsupport::Eventually([&] { return WindowText(box) == shown; })) << WindowText(box);
  EXPECT_TRUE(DeviceHas([&] { return gains[2] == dragged; })) << "the mix stays";

  // From the box, the keyboard opens the mixer's menu; Escape closes it.
  ASSERT_TRUE(X("key shift+F10"));
  EXPECT_TRUE(testsupport::Eventually([&] { return program.Window("#32768") != nullptr; }));
  ASSERT_TRUE(X("key Escape"));
  ASSERT_TRUE(testsupport::Eventually([&] { return program.Window("#32768") == nullptr; }));
  ASSERT_TRUE(X("mousemove --sync " + At(Control(IDSOLO + 5)) + " click 3"));
  EXPECT_TRUE(testsupport::Eventually([&] { return program.Window("#32768") != nullptr; }));
  ASSERT_TRUE(X("key Escape"));
  EXPECT_TRUE(testsupport::Eventually([&] { return program.Window("#32768") == nullptr; }));
}

// The user's slot 3, where the mixer keeps it.
std::string SnapshotFile() {
  char appData[MAX_PATH] = "";
  GetEnvironmentVariableA("APPDATA", appData, sizeof appData);
  return std::string(appData) + "\\Korvane\\Velmora\\Snapshots\\snapshot-3.kmx";
}

// Stored with Ctrl+Shift+3, the program ended and started again, and recalled
// with Ctrl+3: the device gets the stored mix back.
TEST_F(VelmoraInput, ASnapshotOutlivesTheProgram) {
  const std::string file = SnapshotFile();
  DeleteFileA(file.c_str());
  HWND box = Control(IDFADERTEXT + 1);
  ASSERT_TRUE(X(ClickAt(box)));
  ASSERT_TRUE(testsupport::Eventually([&] { return program.Focus() == box; }));
  ASSERT_TRUE(X("key End shift+Home"));
  ASSERT_TRUE(X("type -- -6"));
  ASSERT_TRUE(X("key Return"));
  ASSERT_TRUE(DeviceHas([&] { return gains[1] > 0; }));
  const std::uint16_t stored = gains[1];
  ASSERT_TRUE(X("key ctrl+shift+3"));
  EXPECT_TRUE(testsupport::Eventually([&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data) &&
           data.nFileSizeLow == 212;
  })) << file;

  ASSERT_TRUE(X("key alt+F4"));
  HWND question = nullptr;
  ASSERT_TRUE(
      testsupport::Eventually([&] { return (question = program.Window("#32770")) != nullptr; }));
  PostMessageA(question, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(testsupport::Eventually([&] { return program.Ended(); }));
  ASSERT_TRUE(
      testsupport::Eventually([&] { return FindWindowA("ZWVELMORA", nullptr) == nullptr; }));

  ProgramProcess again;
  Launch(again);
  ASSERT_TRUE(DeviceHas([&] { return gains[1] == 0; })) << "a new start has the faders down";
  ASSERT_TRUE(X("key ctrl+3"));
  // A file keeps a fader to 16 bits: the gain may come back one step off.
  EXPECT_TRUE(DeviceHas([&] { return std::abs(gains[1] - stored) <= 1 && gains[17] == gains[1]; }))
      << gains[1] << " " << gains[17] << ", stored " << stored;
  EXPECT_EQ(WindowText(Control(IDFADERTEXT + 1)), "-6.0");
  DeleteFileA(file.c_str());
}

// The mixer with remote control on, and a controller none of us wrote:
// liblo's oscsend sets a fader over loopback, and oscdump, listening on the
// fixed reply port, sees what a mouse drag changed.
class VelmoraRemote : public VelmoraInput {
 protected:
  static constexpr char kDump[] = "/tmp/velmoraremote-dump.txt";

  void SetUp() override {
    KernelDriver::SetUp();
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    Set("Enabled", 1);
    Set("Port", kPort);
    Set("ReplyPort", kReplyPort);
    std::remove((std::string("Z:") + kDump).c_str());
    ASSERT_EQ(RunUnix("/bin/sh -c \"timeout 60 oscdump -L " + std::to_string(kReplyPort) + " >" +
                      kDump + " 2>&1 &\""),
              0);
    Launch(program);
  }
  void TearDown() override {
    VelmoraInput::TearDown();
    // The bracket keeps the pattern from matching the line that runs pkill.
    RunUnix("/usr/bin/pkill -f \"[o]scdump -L " + std::to_string(kReplyPort) + "\"");
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    if (key) RegCloseKey(key);
  }
  void Set(const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  static bool Send(const std::string& words) {
    return RunUnix("/usr/bin/oscsend localhost " + std::to_string(kPort) + " " + words) == 0;
  }
  static std::string Dumped() {
    std::ifstream in(std::string("Z:") + kDump);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static constexpr char kKey[] = "Software\\Korvane\\KorvaneVelmora\\Remote";
  static constexpr DWORD kPort = 17420;
  static constexpr DWORD kReplyPort = 17421;
  HKEY key = nullptr;
};

TEST_F(VelmoraRemote, AFaderSetOverTheNetworkReachesTheUnitAndADragIsSentBack) {
  ASSERT_TRUE(Send("/velmora/mix/1/ch/2/db f -6.0"));
  EXPECT_TRUE(DeviceHas([&] {
    return std::abs(gains[1] - DeviceValueShown("-6.0")) <= DeviceValueShown("-6.0") * 0.006 + 1;
  })) << (gains.size() == 34 ? gains[1] : -1);
  EXPECT_TRUE(testsupport::Eventually([&] { return WindowText(Control(IDFADERTEXT + 1)) == "-6.0"; }));
  // The controller is registered now: what the mouse changes goes back to it.
  DragUp(Control(IDFADER + 2));
  EXPECT_TRUE(testsupport::Eventually([&] {
    return Dumped().find("/velmora/mix/1/ch/3/fader") != std::string::npos &&
           Dumped().find("/velmora/mix/1/ch/3/db") != std::string::npos;
  })) << Dumped();
  EXPECT_NE(Dumped().find("/velmora/mix/1/ch/2/db f -6"), std::string::npos) << Dumped();
}

}  // namespace
