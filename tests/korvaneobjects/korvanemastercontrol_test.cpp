// The engine from its one entry point: start-up, changes reaching the device,
// and shutdown.
#include "korvaneobjects/korvanemastercontrol.h"

#include <gtest/gtest.h>

#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/korvanefifo.h"
#include "platform/log.h"
#include "simulator/simulatedmachine.h"
#include "tests/support/enginetest.h"
#include "tests/support/eventually.h"
#include "velmora/korvanemix8bus.h"

namespace {

using testsupport::Eventually;

// The device units of a gain, as the command channel sends them.
std::uint16_t Units(double gain) { return static_cast<std::uint16_t>(gain * 32767.0); }

// The frames a unit received that are not the fence of CarriedOut.
std::vector<simulator::FrameRecord> Sent(simulator::SimulatedMachine& sim) {
  std::vector<simulator::FrameRecord> frames = sim.Frames(0);
  std::erase_if(frames, [](const simulator::FrameRecord& record) {
    return record.frame.size() == 9 && record.frame[6] == kCommandWriteParameter &&
           (record.frame[7] == kParameterOverResetLow || record.frame[7] == kParameterOverResetHigh);
  });
  return frames;
}

class MasterControlTest : public testsupport::EngineTest {
 protected:
  std::uint32_t Start(std::uint32_t devices = 1) {
    sim->SetDeviceCount(devices);
    master = GetMasterControl();
    const std::uint32_t found = master->InitKorvaneMasterControl(nullptr);
    // No test that clears the log afterwards sees the loop's first line arrive late.
    if (found != 0) {
      EXPECT_TRUE(LoopAnnounced(log));
    }
    return found;
  }
  bool Settled() { return CarriedOut(sim.machine()); }

  simulator::ScopedMachine sim;
  platform::LogCapture log;
  KorvaneMasterControl* master = nullptr;
};

TEST_F(MasterControlTest, StartUpQueuesAllFourMixesAndTheDeviceGetsThem) {
  ASSERT_EQ(Start(), 1u);
  EXPECT_EQ(log.Count("Launching interfaceloop Thread.\n"), 1);
  EXPECT_EQ(log.Count("KorvaneMasterControl::InitKorvaneMasterControl() complete.\n"), 1);
  ASSERT_TRUE(Settled());
  std::vector<int> mixesSeen;
  for (const auto& frame : Sent(sim.machine()))
    if (frame.frame.size() == 76 && frame.frame[6] == 9) mixesSeen.push_back(frame.frame[75]);
  for (int mix = 0; mix < 4; ++mix)
    EXPECT_NE(std::count(mixesSeen.begin(), mixesSeen.end(), mix), 0) << "mix " << mix;
  EXPECT_LE(mixesSeen.size(), 8u);
  // A fresh model: faders down, masters at unity.
  const auto state = sim->State(0);
  EXPECT_EQ(state.mixes[2][0], 0);
  EXPECT_EQ(state.mixes[2][32], 0x7FFF);
  EXPECT_EQ(state.mixes[2][33], 0x7FFF);
}

TEST_F(MasterControlTest, NoDeviceMeansNothingStarts) {
  EXPECT_EQ(Start(0), 0u);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(log.Count("Launching interfaceloop Thread.\n"), 0);
  DestroyMasterControl();
  EXPECT_EQ(log.Count("SHUTTING DOWN.\n"), 1);
}

TEST_F(MasterControlTest, AFaderMoveReachesTheDeviceWithItsFinalValue) {
  ASSERT_EQ(Start(), 1u);
  master->SetMixerEnable(true);
  master->SelectMix(1);
  master->SetMaster(0, 1.0);
  for (double gain : {0.2, 0.4, 0.6, 0.8, 1.0}) master->SetFader(3, gain);
  ASSERT_TRUE(Settled());
  const auto state = sim->State(0);
  // Fader 1.0, centre pan, master 1.0: half the gain on each side.
  EXPECT_EQ(state.mixes[1][3], Units(0.5));
  EXPECT_EQ(state.mixes[1][16 + 3], Units(0.5));
  EXPECT_EQ(state.mixes[0][3], 0) << "other mixes untouched";
  EXPECT_TRUE(state.mixerEnabled);
}

TEST_F(MasterControlTest, OutOfRangePanAndMasterAreRefusedButTheMixIsStillQueued) {
  ASSERT_EQ(Start(), 1u);
  master->SetMixerEnable(true);
  ASSERT_TRUE(Settled());
  master->SetPan(3, 0.5);
  log.Clear();
  master->SetPan(3, 1.5);
  master->SetMaster(1, 2.5);
  master->SetMaster(0, -0.1);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"korERROR: 4 \r\n", "korERROR: 5 \r\n",
                                                    "korERROR: 5 \r\n"}));
  EXPECT_EQ(master->GetPan(3), 0.5);
  EXPECT_EQ(master->GetFader(9), 1.0);
  EXPECT_EQ(master->GetFader(8), 1.0);
  ASSERT_TRUE(Settled()) << "the pan of 0.5 has gone out";
  sim->ClearFrames();
  master->SetPan(3, 7.0);
  ASSERT_TRUE(Settled());
  EXPECT_EQ(Sent(sim.machine()).size(), 1u) << "the selected mix went out all the same";
}

TEST_F(MasterControlTest, SelectingAMixSendsNothingAndMovesTheOutputMeters) {
  ASSERT_EQ(Start(), 1u);
  master->SetMixerEnable(true);
  master->SetMaster(1, 0.25);
  ASSERT_TRUE(Settled());
  sim->ClearFrames();
  master->SelectMix(2);
  EXPECT_EQ(master->SelectedMix(), 2u);
  EXPECT_EQ(master->Model()->SelectedMix(), 2);
  EXPECT_EQ(master->GetFader(9), 1.0) << "mix 2's right master";
  master->SelectMix(0);
  EXPECT_EQ(master->GetFader(9), 0.25);
  master->SelectMix(9);  // no such output pair
  EXPECT_EQ(master->SelectedMix(), 0u);
  ASSERT_TRUE(Settled());
  EXPECT_TRUE(Sent(sim.machine()).empty());
}

TEST_F(MasterControlTest, SoloAndMuteAreLoggedAndSent) {
  ASSERT_EQ(Start(), 1u);
  master->SetMixerEnable(true);
  master->SetFader(0, 1.0);
  master->SetFader(1, 1.0);
  log.Clear();
  master->SetSolo(1, true);
  master->SetMute(5, true);
  master->SetMute(5, false);
  master->SetSolo(1, false);
  master->SetSolo(1, true);
  EXPECT_EQ(log.Count("soloed chan:1\n"), 2);
  EXPECT_EQ(log.Count("un-soloed chan:1\n"), 1);
  EXPECT_EQ(log.Count("Muted chan:5\n"), 1);
  EXPECT_EQ(log.Count("unmuted chan:5\n"), 1);
  EXPECT_TRUE(master->GetMute(0)) << "silenced by the solo on channel 1";
  EXPECT_FALSE(master->GetMute(1));
  ASSERT_TRUE(Settled());
  const auto state = sim->State(0);
  EXPECT_EQ(state.mixes[0][0], 0);
  EXPECT_EQ(state.mixes[0][1], Units(0.5));
}

TEST_F(MasterControlTest, ShutdownStopsTheRunningEngineAndFreesIt) {
  ASSERT_EQ(Start(), 1u);
  master->StartMetering();
  ASSERT_TRUE(Eventually([&] {
    for (const auto& record : sim->Frames(0))
      if (record.frame[6] == kCommandReadMeters) return true;
    return false;
  })) << "the meters are read";
  log.Clear();
  DestroyMasterControl();
  const auto lines = log.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "SHUTTING DOWN.\n");
  EXPECT_EQ(ExistingMasterControl(), nullptr);
}

TEST_F(MasterControlTest, MeterTargetReceivesTheMeterValues) {
  double* meters = nullptr;
  master = GetMasterControl();
  master->SetMeterTarget(&meters);
  ASSERT_EQ(master->InitKorvaneMasterControl(nullptr), 1u);
  master->StartMetering();
  EXPECT_EQ(meters, master->FWInterface()->GetMeterValues());
}

}  // namespace
