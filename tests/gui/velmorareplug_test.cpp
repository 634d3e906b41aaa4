// velmora_app.exe on the simulated X-Tamber's kernel-mode driver while its
// unit is pulled out and plugged in again with simctl, as a user re-seats a
// cable: the window says when no unit is there, and the unit that comes back
// plays what the window shows, a change made while it was away included.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "korvaneobjects/korvanemastercontrol.h"
#include "tests/gui/programprocess.h"
#include "tests/support/eventually.h"
#include "tests/support/tempfolder.h"
#include "tests/windows/kerneldriverfixture.h"
#include "velmora/settingsfile.h"
#include "velmora/velmora.h"

namespace {

// simctl.exe beside the tests in the build tree.
bool Simctl(const std::string& arguments) {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  const std::string path =
      (std::filesystem::path(self).parent_path() / "../../tools/simctl.exe").string();
  testsupport::ChildProcess simctl;
  if (!simctl.Start(path, arguments)) return false;
  return testsupport::Eventually([&] { return simctl.Ended(); }) && simctl.ExitCode() == 0;
}

// The device value of a centred channel whose box shows `db`: half the gain
// on each side, 32767 for 1.0, truncated.
int CentredUnits(double db) { return static_cast<int>(std::pow(10.0, db / 20) * 0.5 * 32767); }

// What the unit was told, in order: "mix N" and "on"/"off" for the mixer enable.
std::vector<std::string> Told(const std::vector<simulator::FrameRecord>& frames) {
  std::vector<std::string> told;
  for (const simulator::FrameRecord& record : frames) {
    const std::vector<std::uint8_t>& f = record.frame;
    if (f.size() == 76 && f[6] == 9) told.push_back("mix " + std::to_string(f[75]));
    if (f.size() == 9 && f[6] == 2 && f[7] == 0xD0) told.push_back(f[8] ? "on" : "off");
  }
  return told;
}

class VelmoraReplug : public KernelDriver {
 protected:
  void TearDown() override {
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    testsupport::Eventually([&] { return program.Ended(); });
    KernelDriver::TearDown();
  }

  ProgramProcess program;
  HWND window = nullptr;
};

TEST_F(VelmoraReplug, TheUnitThatComesBackPlaysWhatTheWindowShows) {
  // Channel 2 at -12 dB in the first mix, from a settings file of this process's engine.
  const testsupport::TempFolder folder("velmora replug test");
  const std::string path = folder.Path("replug.kmx");
  KMXSetInteger(IDMIXERACTIVE, 1);
  KMXSetFloat(IDFADER + 1, 0.25);
  ASSERT_TRUE(SaveSettingsFile(path.c_str()));
  DestroyMasterControl();
  ResetParameterInterface();

  ASSERT_TRUE(program.Start("\"" + path + "\""));
  ASSERT_TRUE(testsupport::Eventually([&] { return (window = program.Window("ZWVELMORA")); }));
  HWND box = GetDlgItem(window, IDFADERTEXT + 1);
  ASSERT_TRUE(testsupport::Eventually([&] {
    return WindowText(box) == "-12.0" && std::abs(machine->State(0).mixes[0][1] - CentredUnits(-12.04)) <= 1;
  })) << WindowText(box);
  EXPECT_EQ(WindowText(window), "Korvane Velmora");

  ASSERT_TRUE(Simctl("--plug 0"));
  EXPECT_TRUE(testsupport::Eventually(
      [&] { return WindowText(window) == "Korvane Velmora - no unit connected"; }))
      << WindowText(window);

  // -6 typed into the box and entered while the unit is away.
  SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("-6"));
  SendMessageA(box, EM_SETMODIFY, TRUE, 0);
  PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(testsupport::Eventually([&] { return WindowText(box) == "-6.0"; }))
      << WindowText(box);

  ASSERT_EQ(machine->ClearLogs(), 0u);
  ASSERT_TRUE(Simctl("--plug 1"));
  EXPECT_TRUE(testsupport::Eventually([&] { return WindowText(window) == "Korvane Velmora"; }))
      << WindowText(window);
  std::vector<std::string> told;
  ASSERT_TRUE(testsupport::Eventually([&] { return (told = Told(machine->Frames(0))).size() >= 5; }))
      << told.size();
  EXPECT_EQ(told, (std::vector<std::string>{"mix 0", "mix 1", "mix 2", "mix 3", "on"}));
  const simulator::DeviceState state = machine->State(0);
  EXPECT_TRUE(state.mixerEnabled);
  EXPECT_NEAR(state.mixes[0][1], CentredUnits(-6.0), 1);
  EXPECT_NEAR(state.mixes[0][17], CentredUnits(-6.0), 1);
  EXPECT_EQ(state.mixes[0][0], 0) << "the other faders stay down";
  EXPECT_EQ(state.mixes[2][32], 0x7FFF) << "masters at unity";
}

}  // namespace
