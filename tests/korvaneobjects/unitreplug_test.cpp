// Units that leave and arrive while the engine runs: the engine drops and
// opens them, and a unit that arrives plays what the model holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "korvaneobjects/fcprecords.h"
#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "korvaneobjects/qdlctrl.h"
#include "platform/errors.h"
#include "platform/log.h"
#include "simulator/simulatedmachine.h"
#include "tests/support/enginetest.h"
#include "tests/support/eventually.h"

namespace {

using testsupport::Eventually;

std::uint16_t Units(double gain) { return static_cast<std::uint16_t>(gain * 32767.0); }

// What a unit was told, in order, leaving out meter reads and over resets:
// "mix N" for a load-mix frame, "on"/"off" for the mixer enable.
std::vector<std::string> Told(const std::vector<simulator::FrameRecord>& frames) {
  std::vector<std::string> told;
  for (const simulator::FrameRecord& record : frames) {
    const std::vector<std::uint8_t>& f = record.frame;
    if (f.size() == 76 && f[6] == kCommandWriteMix) told.push_back("mix " + std::to_string(f[75]));
    if (f.size() == 9 && f[6] == kCommandWriteParameter && f[7] == kParameterMixerEnable)
      told.push_back(f[8] ? "on" : "off");
  }
  return told;
}

bool Logged(const platform::LogCapture& log, const std::string& word, std::uint32_t unit) {
  const std::string path = simulator::SimulatedMachine::InterfacePath(unit);
  const auto lines = log.Lines();
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.find(word) != std::string::npos && line.find(path) != std::string::npos;
  });
}

// What the meters showed at the last metering pass, copied on the metering
// thread as the window's callback reads them.
std::atomic<double> inputLevel{-1}, inputOver{-1};
std::atomic<bool> silent{false};
void CopyMeters() {
  const double* values = ExistingMasterControl()->FWInterface()->GetMeterValues();
  inputLevel = values[kInputLevels];
  inputOver = values[kInputOvers];
  silent = std::all_of(values, values + kMeterValueCount, [](double v) { return v == 0.0; });
}

class UnitReplug : public testsupport::EngineTest {
 protected:
  void Start(std::uint32_t devices) {
    sim->SetDeviceCount(devices);
    master = GetMasterControl();
    inputLevel = inputOver = -1;
    silent = false;
    ASSERT_EQ(master->InitKorvaneMasterControl(&CopyMeters), devices);
    ASSERT_TRUE(LoopAnnounced(log));
  }
  bool Connected(std::uint32_t count) {
    return Eventually([&] { return master->ConnectedUnits() == count; });
  }
  // Pulls units until `count` are left and tells the engine, as the window would.
  bool Pull(std::uint32_t count) {
    sim->SetDeviceCount(count);
    master->UnitLeft();
    return Connected(count);
  }
  bool Plug(std::uint32_t count) {
    sim->SetDeviceCount(count);
    master->UnitArrived();
    return Connected(count);
  }

  simulator::ScopedMachine sim;
  platform::LogCapture log;
  KorvaneMasterControl* master = nullptr;
};

// The case of the cable re-seated: the unit comes back fresh (mixer off,
// every gain 0) and must play the mix the window shows, including what was
// changed while it was away.
TEST_F(UnitReplug, AUnitThatComesBackGetsTheWholeMixAsItIsNow) {
  Start(1);
  sim->SetFixedLevel(0, 0, 255);  // input 1 clips and latches its over
  master->SetMixerEnable(true);
  master->SetFader(1, 0.25);
  master->SelectMix(3);
  master->SetMaster(1, 0.5);
  master->SelectMix(0);
  master->StartMetering();
  ASSERT_TRUE(Eventually([&] { return inputLevel == 1.0 && inputOver == 1.0; }));
  ASSERT_TRUE(CarriedOut(sim.machine()));
  const auto before = sim->State(0);
  ASSERT_EQ(before.mixes[0][1], Units(0.125));
  const std::size_t handles = sim->OpenHandleCount();

  ASSERT_TRUE(Pull(0));
  EXPECT_TRUE(Logged(log, "left", 0));
  EXPECT_TRUE(Eventually([&] { return silent.load(); }))
      << "meters fall silent and the overs clear";
  EXPECT_LT(sim->OpenHandleCount(), handles) << "the unit's handle is closed";

  master->SetFader(1, 0.5);  // -6 dB while it is away: the model takes it
  EXPECT_EQ(master->GetFader(1), 0.5);

  const std::size_t first = sim->FrameCount(0);
  ASSERT_TRUE(Plug(1));
  EXPECT_TRUE(Logged(log, "arrived", 0));
  ASSERT_TRUE(Eventually([&] { return Told(sim->Frames(0, first)).size() >= 5; }));
  EXPECT_EQ(Told(sim->Frames(0, first)),
            (std::vector<std::string>{"mix 0", "mix 1", "mix 2", "mix 3", "on"}));
  const auto after = sim->State(0);
  EXPECT_TRUE(after.mixerEnabled);
  EXPECT_EQ(after.mixes[0][1], Units(0.25));
  EXPECT_EQ(after.mixes[0][17], Units(0.25));
  for (int mix = 1; mix < 4; ++mix) EXPECT_EQ(after.mixes[mix], before.mixes[mix]) << "mix " << mix;
  EXPECT_EQ(after.mixes[3][33], Units(0.5));
  EXPECT_EQ(sim->OpenHandleCount(), handles) << "one handle again, no more";

  sim->SetFixedLevel(0, 0, 255);
  EXPECT_TRUE(Eventually([&] { return inputLevel == 1.0; })) << "meters resume";
}

// A unit can come back holding a state of its own (another program wrote to
// it, it kept its memory). The window's state wins, the mixer switched off
// included: an "off" must be sent, not taken for granted.
TEST_F(UnitReplug, AUnitThatComesBackWithOtherStateIsOverwritten) {
  Start(1);
  master->SetMixerEnable(true);
  master->SelectMix(2);
  master->SetFader(4, 1.0);
  master->SetMixerEnable(false);
  ASSERT_TRUE(CarriedOut(sim.machine()));
  ASSERT_TRUE(Pull(0));

  sim->SetDeviceCount(1);
  {
    platform::DeviceInfoSet set = CreateDeviceList(&korvane::DeviceInterfaceGuid);
    CQdlCtrl other;
    ASSERT_EQ(other.OpenDevice(0, set, &korvane::DeviceInterfaceGuid), 0u);
    KorvaneDeviceControl channel(&other);
    double loud[kMixGainCount];
    std::fill(std::begin(loud), std::end(loud), 1.0);
    channel.SetMixerEnable(true);
    for (std::uint8_t mix = 0; mix < 4; ++mix) channel.WriteMix(mix, loud);
    DestroyDeviceList(set);
  }
  ASSERT_TRUE(sim->State(0).mixerEnabled);
  master->UnitArrived();
  ASSERT_TRUE(Eventually([&] { return !sim->State(0).mixerEnabled; }));
  const auto state = sim->State(0);
  EXPECT_EQ(state.mixes[2][4], Units(0.5));
  EXPECT_EQ(state.mixes[2][20], Units(0.5));
  EXPECT_EQ(state.mixes[2][5], 0);
  EXPECT_EQ(state.mixes[0][0], 0) << "faders down as the model holds them";
  EXPECT_EQ(state.mixes[1][32], 0x7FFF) << "masters at unity";
}

// Of two units the second leaves: the first goes on as before, the second's
// messages are not tried, and when it comes back it gets the same mixes as
// the first while the mixer enable stays with the first.
TEST_F(UnitReplug, OfTwoUnitsOneLeavesWithoutDisturbingTheOther) {
  Start(2);
  master->SetMixerEnable(true);
  master->SetFader(0, 1.0);
  master->StartMetering();
  ASSERT_TRUE(CarriedOut(sim.machine()));
  ASSERT_TRUE(Pull(1));
  EXPECT_TRUE(Logged(log, "left", 1));
  EXPECT_FALSE(Logged(log, "left", 0));

  master->SetFader(0, 0.5);
  ASSERT_TRUE(CarriedOut(sim.machine()));
  EXPECT_EQ(sim->State(0).mixes[0][0], Units(0.25)) << "the unit that stayed follows";
  const std::size_t reads = sim->FrameCount(0);
  EXPECT_TRUE(Eventually([&] { return sim->FrameCount(0) > reads + 2; }))
      << "its meters are still read";
  for (const auto& request : sim->Requests())
    EXPECT_NE(request.status, platform::kErrorInvalidHandle) << "nothing went to a closed handle";

  const std::size_t first = sim->FrameCount(1);
  ASSERT_TRUE(Plug(2));
  ASSERT_TRUE(Eventually([&] { return Told(sim->Frames(1, first)).size() >= 4; }));
  EXPECT_EQ(Told(sim->Frames(1, first)),
            (std::vector<std::string>{"mix 0", "mix 1", "mix 2", "mix 3"}));
  EXPECT_EQ(sim->State(1).mixes, sim->State(0).mixes);
  EXPECT_FALSE(sim->State(1).mixerEnabled) << "the enable goes to the first unit only";
  EXPECT_TRUE(sim->State(0).mixerEnabled);
}

// No notice comes: the unit is pulled between two writes of a clear-overs,
// and the engine learns it from the failing transaction. It stops sending to
// the unit at the first failure and finds it again when it arrives.
TEST_F(UnitReplug, AUnitPulledInTheMiddleOfTransactionsIsDroppedAtTheFirstFailure) {
  Start(1);
  master->SetMixerEnable(true);
  ASSERT_TRUE(CarriedOut(sim.machine()));
  std::atomic<int> writes{-1};
  sim->SetRequestHook([&](const simulator::RequestRecord& request) {
    if (request.code == korvane::kIoctlFcpTransaction && writes >= 0 && ++writes == 3)
      sim->SetDeviceCount(0);
  });
  sim->ClearFrames();
  writes = 0;
  master->ClearOvers();
  ASSERT_TRUE(Connected(0));
  EXPECT_TRUE(Logged(log, "left", 0));
  master->SetFader(2, 1.0);
  master->ClearOvers();

  // The arrival is carried out after the messages queued before it.
  writes = -1;
  ASSERT_TRUE(Plug(1));
  std::size_t failed = 0;
  for (const auto& request : sim->Requests()) failed += request.status != 0;
  EXPECT_EQ(failed, 1u) << "one transaction found the unit gone; none was tried after it";
  EXPECT_TRUE(Eventually([&] {
    const auto state = sim->State(0);
    return state.mixerEnabled && state.mixes[0][2] == Units(0.5);
  }));
}

// The window closes while the interface loop is opening a unit that arrived:
// shutdown waits for that pass, and every handle the engine opened is closed.
TEST_F(UnitReplug, ShutdownDuringAnArrivalEndsCleanly) {
  Start(1);
  master->StartMetering();
  ASSERT_TRUE(Pull(0));
  std::atomic<bool> armed{false}, opening{false};
  sim->SetRequestHook([&](const simulator::RequestRecord& request) {
    if (!armed || request.code != korvane::kIoctlGetVersion) return;
    armed = false;
    opening = true;
    // Holds the open until the shutdown has begun.
    Eventually([&] { return log.Count("SHUTTING DOWN.\n") == 1; });
  });
  sim->SetDeviceCount(1);
  armed = true;
  master->UnitArrived();
  ASSERT_TRUE(Eventually([&] { return opening.load(); }));
  DestroyMasterControl();
  EXPECT_EQ(ExistingMasterControl(), nullptr);
  EXPECT_EQ(sim->OpenHandleCount(), 0u);
  for (const auto& request : sim->Requests())
    EXPECT_NE(request.status, platform::kErrorInvalidHandle) << "nothing went to a closed handle";
  sim->SetRequestHook(nullptr);
}

}  // namespace
