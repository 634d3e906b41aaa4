// Settings files on disk: the image, saving over other files, and every kind
// of bad file a user can pick.
#include "velmora/settingsfile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/fileio.h"
#include "platform/log.h"
#include "simulator/simulatedmachine.h"
#include "tests/support/enginetest.h"
#include "tests/support/eventually.h"
#include "tests/support/filebytes.h"
#include "tests/support/tempfolder.h"
#include "velmora/korvanemix8bus.h"
#include "velmora/velmora.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Bytes;
using testsupport::kDiskFull;
using testsupport::ReadAll;
using testsupport::WriteAll;

std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

// The image of a fresh model: faders down, pans centred, masters at unity.
Bytes FreshImage() {
  Bytes image = {0x01, 0x01, 0x08, 0x08};
  for (int mix = 0; mix < 4; ++mix) {
    image.insert(image.end(), 16, 0x00);
    for (int i = 0; i < 8; ++i) image.insert(image.end(), {0x00, 0x00});
    for (int i = 0; i < 8; ++i) image.insert(image.end(), {0x7F, 0xFF});
    image.insert(image.end(), {0xFF, 0xFF, 0xFF, 0xFF});
  }
  return image;
}

int refreshAlls = 0;
void CountRefresh(std::uint32_t mask, int) { refreshAlls += mask == 0xFFFF; }

class SettingsFileTest : public testsupport::EngineTest {
 protected:
  void SetUp() override {
    refreshAlls = 0;
    SetRefreshControlsHook(&CountRefresh);
  }
  std::string Path(const char* name) { return temp.Path(name); }
  KorvaneMix8Bus& Model() { return *GetMasterControl()->Model(); }

  testsupport::TempFolder temp{"settings"};
  const fs::path& folder = temp.path();
  platform::LogCapture log;
};

TEST_F(SettingsFileTest, AFreshMixerSavesItsDefaults) {
  savedFlag = false;
  ASSERT_TRUE(SaveSettingsFile(Path("mix").c_str()));
  EXPECT_TRUE(savedFlag);
  EXPECT_EQ(ReadAll(folder / "mix.kmx"), FreshImage()) << "\".kmx\" was added";
  ASSERT_TRUE(SaveSettingsFile(Path("mix.kmx.bak").c_str()));
  EXPECT_TRUE(fs::exists(folder / "mix.kmx.bak"));
  EXPECT_FALSE(fs::exists(folder / "mix.kmx.bak.kmx"));
}

TEST_F(SettingsFileTest, SavingOverALongerFileLeavesExactlyTheImage) {
  WriteAll(folder / "old.kmx", Bytes(5000, 0xAB));
  ASSERT_TRUE(SaveSettingsFile(Path("old.kmx").c_str()));
  EXPECT_EQ(ReadAll(folder / "old.kmx"), FreshImage());
}

TEST_F(SettingsFileTest, AFailedSaveIsNotReportedAsSaved) {
  savedFlag = false;
  EXPECT_FALSE(SaveSettingsFile(Path("no such folder/mix.kmx").c_str()));
  EXPECT_FALSE(SaveSettingsFile(folder.string().append("/sub.kmx").append("/x.kmx").c_str()));
  fs::create_directories(folder / "taken.kmx");
  EXPECT_FALSE(SaveSettingsFile(Path("taken.kmx").c_str())) << "a folder of that name";
  EXPECT_EQ(log.Count("Could not open file for saving.\n"), 3);
  EXPECT_FALSE(savedFlag) << "the quit prompt must still ask";
}

// A save replaces the file whole or not at all: whichever step fails (a full
// disk, a flush the disk refuses, a file another program holds), the old
// mix is still there, byte for byte, the failure is reported, and no
// temporary file is left in the folder.
TEST_F(SettingsFileTest, ASaveThatFailsAtAnyStepLeavesTheOldFileWhole) {
  const Bytes old(300, 0x5A);
  using platform::ReplaceStep;
  for (ReplaceStep step : {ReplaceStep::kCreateTemporary, ReplaceStep::kWrite, ReplaceStep::kFlush,
                           ReplaceStep::kClose, ReplaceStep::kReplace}) {
    SCOPED_TRACE(static_cast<int>(step));
    WriteAll(folder / "kept.kmx", old);
    log.Clear();
    savedFlag = false;
    platform::FailNextReplaceAt(step, kDiskFull);
    SettingsFileError error;
    EXPECT_FALSE(SaveSettingsFile(Path("kept.kmx").c_str(), &error));
    EXPECT_FALSE(savedFlag) << "the quit prompt must still ask";
    EXPECT_EQ(ReadAll(folder / "kept.kmx"), old);
    EXPECT_EQ(error.file, Path("kept.kmx"));
    EXPECT_EQ(error.reason, platform::SystemErrorText(kDiskFull));
    EXPECT_EQ(log.Count(step == ReplaceStep::kCreateTemporary ? "Could not open file for saving.\n"
                                                              : "Could not write settings file.\n"),
              1);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"kept.kmx"});
  }
  // The next save runs normally again, and replaces the file whole.
  ASSERT_TRUE(SaveSettingsFile(Path("kept.kmx").c_str()));
  EXPECT_EQ(ReadAll(folder / "kept.kmx"), FreshImage());
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"kept.kmx"});
}

#ifdef _WIN32
// The system took the old file from its name (1176) and the new one cannot
// follow it there: the user is told where the new mix is, and it is there.
TEST_F(SettingsFileTest, ASaveThatCanPutNoMixUnderItsNameSaysWhereTheNewOneIsKept) {
  WriteAll(folder / "gone.kmx", Bytes(300, 0x5A));
  savedFlag = false;
  platform::FailNextReplaceAt(platform::ReplaceStep::kReplace, 1176);
  platform::FailNextReplaceAt(platform::ReplaceStep::kMoveIntoPlace, 32);  // sharing violation
  SettingsFileError error;
  EXPECT_FALSE(SaveSettingsFile(Path("gone.kmx").c_str(), &error));
  EXPECT_FALSE(savedFlag);
  const std::vector<std::string> left = FilesIn(folder);
  ASSERT_EQ(left.size(), 1u) << "only the new mix, under another name";
  EXPECT_EQ(ReadAll(folder / left[0]), FreshImage());
  EXPECT_NE(error.reason.find((folder / left[0]).string()), std::string::npos) << error.reason;
}
#endif

TEST_F(SettingsFileTest, LoadingRestoresEveryMixWhateverTheEnableState) {
  KMXSetInteger(IDMIXERACTIVE, 1);
  KMXSetInteger(IDMIXSELECT, 2);
  KMXSetFloat(0x4021, 1.0);
  KMXSetFloat(0x4045, -1.0);
  KMXSetInteger(0x4086, 1);
  KMXSetFloat(0x4029, 0.5);
  ASSERT_TRUE(SaveSettingsFile(Path("set.kmx").c_str()));
  DestroyMasterControl();
  ResetParameterInterface();
  refreshAlls = 0;

  savedFlag = false;
  ASSERT_TRUE(LoadSettingsFile(Path("set.kmx").c_str()));
  EXPECT_TRUE(savedFlag) << "the mix just loaded is the saved one";
  EXPECT_EQ(refreshAlls, 1);
  EXPECT_FALSE(Model().IsEnabled()) << "the enable state is not in the file";
  EXPECT_EQ(Model().SelectedMix(), 0);
  const Mixer& mix = Model().MixState(2);
  EXPECT_NEAR(mix.Fader[1], 1.0, 1e-4);
  EXPECT_EQ(mix.Pan[5], -1.0);
  EXPECT_EQ(mix.Solo[6], 1);
  EXPECT_EQ(mix.soloCount, 1);
  EXPECT_NEAR(mix.Fader[9], 0.5, 1e-4);
  EXPECT_EQ(Model().MixState(0).soloCount, 0);
  EXPECT_EQ(GetMasterControl()->Fifo()->Size(), 4u) << "all four mixes queued";
}

TEST_F(SettingsFileTest, ShortEmptyAndMissingFilesChangeNothing) {
  WriteAll(folder / "empty.kmx", {});
  Bytes almost = FreshImage();
  almost.pop_back();
  almost[8] = 1;  // a solo that must not arrive
  WriteAll(folder / "short.kmx", almost);
  for (const char* name : {"empty.kmx", "short.kmx", "missing.kmx", ""}) {
    SCOPED_TRACE(name);
    log.Clear();
    EXPECT_FALSE(LoadSettingsFile(name[0] ? Path(name).c_str() : folder.string().c_str()));
    EXPECT_EQ(
        log.Count("Settings file too short.\n") + log.Count("Could not open file for reading.\n"),
        1);
  }
  EXPECT_EQ(Model().MixState(0).soloCount, 0);
  EXPECT_EQ(GetMasterControl()->Fifo()->Size(), 0u);
  EXPECT_EQ(refreshAlls, 0);
}

TEST_F(SettingsFileTest, ForeignHeadersAreLoggedAndGarbageIsReadAsTheLayoutSays) {
  Bytes garbage(1 << 20);
  for (std::size_t i = 0; i < garbage.size(); ++i)
    garbage[i] = static_cast<std::uint8_t>(i * 7 + 3);
  garbage[0] = 2;
  WriteAll(folder / "big.kmx", garbage);
  ASSERT_TRUE(LoadSettingsFile(Path("big.kmx").c_str()));
  EXPECT_EQ(log.Count("Different file format revision.\r\n"), 1);
  EXPECT_EQ(log.Count("Only supports 1 device currently.\r\n"), 1);
  EXPECT_EQ(log.Count("Supports 8 inputs only currently.\r\n"), 1);
  EXPECT_EQ(log.Count("Supports 8 outputs only currently.\r\n"), 1);
  // Flag bytes are 1 only where the byte is exactly 1: none of these are.
  for (int mix = 0; mix < 4; ++mix) {
    const Mixer& state = Model().MixState(mix);
    int solos = 0;
    for (int channel = 0; channel < 8; ++channel) solos += state.Solo[channel];
    EXPECT_EQ(state.soloCount, solos);
    for (int channel = 0; channel < 8; ++channel) {
      EXPECT_GE(state.Fader[channel], 0.0);
      EXPECT_LE(state.Fader[channel], 2.0);
      EXPECT_GE(state.Pan[channel], -1.0);
      EXPECT_LE(state.Pan[channel], 1.0);
    }
  }
}

TEST_F(SettingsFileTest, ALoadedSoloReachesTheDeviceAsSilence) {
  simulator::ScopedMachine sim;
  ASSERT_EQ(GetMasterControl()->InitKorvaneMasterControl(nullptr), 1u);
  Bytes image = FreshImage();
  const int mix1 = 4 + 52;
  image[mix1 + 8 + 2] = 1;  // solo on channel 2 of mix 1
  image[mix1 + 16] = 0x7F;  // channel 0 fader 1.0
  image[mix1 + 17] = 0xFF;
  image[mix1 + 16 + 4] = 0x7F;  // channel 2 fader 1.0
  image[mix1 + 16 + 5] = 0xFF;
  WriteAll(folder / "solo.kmx", image);
  ASSERT_TRUE(LoadSettingsFile(Path("solo.kmx").c_str()));

  const bool arrived = testsupport::Eventually([&] { return sim->State(0).mixes[1][2] != 0; });
  const auto state = sim->State(0);
  DestroyMasterControl();  // the engine's threads end before the simulated device goes
  ASSERT_TRUE(arrived);
  EXPECT_EQ(state.mixes[1][0], 0) << "channel 0 is silenced by the solo";
  EXPECT_NE(state.mixes[1][16 + 2], 0);
}

}  // namespace
