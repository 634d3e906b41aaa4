// Discovery, the interface loop and the metering thread on the simulated device.
#include "korvaneobjects/korvanefwinterface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/korvanefifo.h"
#include "platform/log.h"
#include "platform/namedmutex.h"
#include "simulator/options.h"
#include "simulator/simulatedmachine.h"
#include "tests/support/enginetest.h"
#include "tests/support/eventually.h"

namespace {

using testsupport::Eventually;

simulator::Options Devices(std::uint32_t count) {
  simulator::Options options;
  options.devices = count;
  return options;
}

TEST(MeterDisplayValue, SpansFortyEightDecibels) {
  EXPECT_DOUBLE_EQ(MeterDisplayValue(255), 1.0);
  EXPECT_NEAR(MeterDisplayValue(128), 0.8753, 1e-4);  // -5.99 dB
  EXPECT_NEAR(MeterDisplayValue(2), 0.1227, 1e-4);    // -42.1 dB
  EXPECT_EQ(MeterDisplayValue(1), 0.0) << "-48.1 dB is below the scale";
  EXPECT_EQ(MeterDisplayValue(0), 0.0);
}

using KorvaneFWInterfaceDiscovery = testsupport::EngineTest;

TEST_F(KorvaneFWInterfaceDiscovery, OpensEveryDeviceInOrder) {
  simulator::ScopedMachine sim(Devices(3));
  platform::LogCapture log;
  KorvaneFIFO fifo;
  {
    KorvaneFWInterface fw(&fifo);
    EXPECT_EQ(fw.GetDeviceCount(), 3u);
    EXPECT_EQ(KorvaneFWInterface::Registered(), &fw);
    EXPECT_EQ(log.Count("Korvane Driver Version: 1.5.3017 \n."), 3);
    EXPECT_EQ(log.Count("Starting metering timer.\n"), 1);
  }
  EXPECT_EQ(KorvaneFWInterface::Registered(), nullptr);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(KorvaneFWInterfaceDiscovery, NoDeviceShowsTheBoxOnce) {
  simulator::ScopedMachine sim(Devices(0));
  platform::LogCapture log;
  KorvaneFIFO fifo;
  KorvaneFWInterface fw(&fifo);
  EXPECT_EQ(fw.GetDeviceCount(), 0u);
  EXPECT_EQ(log.Count("No Korvane detected.\n"), 1);
  EXPECT_EQ(boxes, std::vector<std::string>{"No Korvane|No Korvane found.|0"});
  EXPECT_EQ(KorvaneFWInterface::Registered(), nullptr);
}

TEST_F(KorvaneFWInterfaceDiscovery, AWrongDriverVersionEndsDiscoverySilently) {
  simulator::ScopedMachine sim(Devices(2));
  sim->SetInterfaceVersion(3, 0);
  platform::LogCapture log;
  KorvaneFIFO fifo;
  KorvaneFWInterface fw(&fifo);
  EXPECT_EQ(fw.GetDeviceCount(), 0u);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(log.Count("No Korvane detected.\n"), 0);
}

class FWInterfaceTest : public testsupport::EngineTest {
 protected:
  static void Entry() { running->interfaceLoopGo(); }
  void Start() {
    running = &fw;
    fw.StartInterfaceLoop(&FWInterfaceTest::Entry);
  }

  simulator::ScopedMachine sim{Devices(2)};
  KorvaneFIFO fifo;
  KorvaneFWInterface fw{&fifo};
  static inline KorvaneFWInterface* running = nullptr;
};

TEST_F(FWInterfaceTest, TheLoopCarriesMessagesToTheDevices) {
  Start();
  FullMixRecord record{};
  for (double& gain : record.gains) gain = 0.5;
  fifo.Push(new MixerEnableMessage(1));
  fifo.Push(new FullMixMessage(record, 1));
  ASSERT_TRUE(Eventually([&] { return sim->State(1).mixes[1][0] == 0x3FFF; }));
  EXPECT_EQ(sim->State(0).mixes[1][33], 0x3FFF) << "mixes go to every device";
  EXPECT_TRUE(sim->State(0).mixerEnabled);
  EXPECT_FALSE(sim->State(1).mixerEnabled) << "the enable goes to the first device only";
  fw.StopInterfaceLoop();
}

TEST_F(FWInterfaceTest, ALoopThatNeverGotAMessageStillStops) {
  platform::LogCapture log;
  Start();
  ASSERT_TRUE(LoopAnnounced(log)) << "the loop waits for its first message";
  std::atomic<bool> stopped{false};
  std::thread stopper([&] {
    fw.StopInterfaceLoop();
    stopped = true;
  });
  const bool ended = Eventually([&] { return stopped.load(); });
  if (!ended) fifo.Push(new ClearOversMessage);  // free the loop, so the test can end
  stopper.join();
  EXPECT_TRUE(ended);
  EXPECT_TRUE(sim->Frames(0).empty());
}

FullMixMessage* MixOfGain(double gain, std::uint32_t mixIndex = 1) {
  FullMixRecord record{};
  for (double& value : record.gains) value = gain;
  return new FullMixMessage(record, mixIndex);
}

// The loop once its queue ran empty: it takes no lock and makes no pass until
// something is pushed, and then carries that out.
class IdleLoopTest : public FWInterfaceTest {
 protected:
  void StartAndEmpty() {
    Start();
    fifo.Push(MixOfGain(0.5));
    ASSERT_TRUE(Eventually([&] { return sim->State(0).mixes[1][0] == 0x3FFF; }));
    // The pass after the message finds the queue empty; then the wait begins.
    ASSERT_TRUE(Eventually([&] { return LocksOver(std::chrono::milliseconds(100)) == 0; }));
  }
  static std::uint64_t LocksOver(std::chrono::milliseconds quiet) {
    const std::uint64_t before = platform::NamedMutexLockCalls();
    std::this_thread::sleep_for(quiet);
    return platform::NamedMutexLockCalls() - before;
  }
  // Ends the loop from another thread, running `meanwhile` once the stop has
  // begun; false when it did not end (the loop is then freed with a push, so
  // the test can finish).
  bool StopEnds(void (*meanwhile)() = [] {}) {
    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
      fw.StopInterfaceLoop();
      stopped = true;
    });
    meanwhile();
    const bool ended = Eventually([&] { return stopped.load(); });
    if (!ended) fifo.Push(new ClearOversMessage);
    stopper.join();
    return ended;
  }
};

TEST_F(IdleLoopTest, AnEmptyQueueIsNeitherLockedNorPolled) {
  StartAndEmpty();
  EXPECT_EQ(LocksOver(std::chrono::seconds(1)), 0u) << "a quiet second takes no named mutex";
  EXPECT_TRUE(StopEnds());
}

TEST_F(IdleLoopTest, APushEndsTheWaitAndIsCarriedOut) {
  StartAndEmpty();
  const std::size_t framesBefore = sim->FrameCount(0);
  fifo.Push(MixOfGain(0.5, 2));
  fifo.Push(new MixerEnableMessage(1));
  EXPECT_TRUE(Eventually([&] { return sim->State(0).mixerEnabled; }));
  EXPECT_EQ(sim->State(0).mixes[2][0], 0x3FFF);
  EXPECT_GE(sim->FrameCount(0), framesBefore + 2);
  EXPECT_TRUE(StopEnds());
}

TEST_F(IdleLoopTest, AStopEndsAWaitingLoop) {
  StartAndEmpty();
  EXPECT_TRUE(StopEnds());
}

// A burst for one output pair: the first goes out at once, the rest queue up
// behind it and only the newest of them reaches the device. The device is
// held while the burst is pushed, so the first transaction cannot end first.
TEST_F(IdleLoopTest, ABurstIsCoalescedDuringThePause) {
  StartAndEmpty();
  const std::size_t framesBefore = sim->FrameCount(0);
  constexpr int kBurst = 40;
  platform::NamedMutex deviceLock(kDeviceLockName);
  ASSERT_TRUE(deviceLock.Lock());
  for (int i = 1; i <= kBurst; ++i) fifo.Push(MixOfGain(i == kBurst ? 0.0 : 0.5 - i * 0.01));
  deviceLock.Unlock();
  EXPECT_TRUE(Eventually([&] { return sim->State(0).mixes[1][0] == 0; }));
  EXPECT_TRUE(StopEnds());
  EXPECT_LT(sim->FrameCount(0) - framesBefore, static_cast<std::size_t>(kBurst));
  EXPECT_EQ(sim->State(0).mixes[1][0], 0) << "the newest mix is the one left";
}

// Holds the loop at one point around its wait until released.
struct LoopHold {
  static void At(KorvaneFWInterface::LoopPoint point) {
    if (point != where || !armed.exchange(false)) return;
    reached = true;
    Eventually([] { return released.load(); });
  }
  static inline std::atomic<KorvaneFWInterface::LoopPoint> where{};
  static inline std::atomic<bool> armed{false}, reached{false}, released{false};
};

// The loop held at one of its points while the GUI thread pushes and stops.
class HeldLoopTest : public IdleLoopTest {
 protected:
  void HoldAt(KorvaneFWInterface::LoopPoint point) {
    LoopHold::where = point;
    LoopHold::reached = false;
    LoopHold::released = false;
    LoopHold::armed = true;
    KorvaneFWInterface::SetLoopPointHook(&LoopHold::At);
  }
  // Pushes a mixer enable and stops the loop, releasing it once the stop has
  // begun: true when the stop returned.
  bool PushAndStop() {
    fifo.Push(new MixerEnableMessage(1));
    return StopEnds([] {
      // Time for the stop to raise its flag and wake while the loop is held;
      // a slower stop makes the case weaker, never wrongly red.
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      LoopHold::released = true;
    });
  }
  void TearDown() override {
    IdleLoopTest::TearDown();
    KorvaneFWInterface::SetLoopPointHook(nullptr);
  }
};

// The first message and the stop right behind it, while the loop waits for
// its start: the two wakes fold into one, and the message still goes out.
TEST_F(HeldLoopTest, AStopRightAfterTheFirstPushLetsItGoOut) {
  HoldAt(KorvaneFWInterface::LoopPoint::kBeforeStartWait);
  Start();
  ASSERT_TRUE(Eventually([] { return LoopHold::reached.load(); }));
  EXPECT_TRUE(PushAndStop()) << "the stop hung";
  EXPECT_TRUE(sim->State(0).mixerEnabled) << "the first message was dropped";
}

// The GUI thread pushes its last message and stops the loop while the loop is
// held before it looks at the queue, between that look and its wait, or just
// after the wait: the push's wake and the stop's may fold into one. Each time
// the stop returns and the message reached the unit before it did.
class StopAroundTheWait : public HeldLoopTest,
                          public testing::WithParamInterface<KorvaneFWInterface::LoopPoint> {};

TEST_P(StopAroundTheWait, TheStopEndsAndTheLastPushGoesOut) {
  StartAndEmpty();
  HoldAt(GetParam());
  fifo.Wake();  // one pass through every point
  ASSERT_TRUE(Eventually([] { return LoopHold::reached.load(); }));
  EXPECT_TRUE(PushAndStop()) << "the stop hung";
  EXPECT_TRUE(sim->State(0).mixerEnabled) << "the message was carried out before the stop returned";
}

std::string LoopPointName(const testing::TestParamInfo<KorvaneFWInterface::LoopPoint>& point) {
  static const char* const names[] = {"BeforeStartWait", "BeforeIdleCheck", "BeforeWait",
                                      "AfterWait"};
  return names[static_cast<int>(point.param)];
}

INSTANTIATE_TEST_SUITE_P(LoopPoints, StopAroundTheWait,
                         testing::Values(KorvaneFWInterface::LoopPoint::kBeforeIdleCheck,
                                         KorvaneFWInterface::LoopPoint::kBeforeWait,
                                         KorvaneFWInterface::LoopPoint::kAfterWait),
                         &LoopPointName);

std::atomic<int> meterCallbacks{0};
std::atomic<bool> callbackOnCallerThread{false};
std::thread::id callerThread;
void CountMeterCallback() {
  ++meterCallbacks;
  if (std::this_thread::get_id() == callerThread) callbackOnCallerThread = true;
}

TEST_F(FWInterfaceTest, MeteringPublishesTheDisplayValues) {
  for (std::uint32_t channel = 0; channel < 16; ++channel) sim->SetFixedLevel(0, channel, 0);
  sim->SetFixedLevel(0, 0, 255);  // input 1 clips
  sim->SetFixedLevel(0, 7, 255);  // input 8 clips
  sim->SetFixedLevel(0, 1, 128);
  sim->SetFixedLevel(0, 14, 255);  // DAW pair of output 7-8, left
  sim->SetFixedLevel(0, 15, 128);
  fw.SetSelectedMix(3);
  meterCallbacks = 0;
  callerThread = std::this_thread::get_id();
  fw.SetMeterCallback(&CountMeterCallback);
  fw.StartMetering();
  ASSERT_TRUE(Eventually([] { return meterCallbacks >= 2; }));
  fw.StopMetering();

  const double* values = fw.GetMeterValues();
  EXPECT_DOUBLE_EQ(values[kInputLevels + 0], 1.0);
  EXPECT_NEAR(values[kInputLevels + 1], 0.8753, 1e-4);
  EXPECT_EQ(values[kInputLevels + 2], 0.0);
  EXPECT_DOUBLE_EQ(values[kOutputLevels + 0], 1.0) << "byte 14 for output pair 7-8";
  EXPECT_NEAR(values[kOutputLevels + 1], 0.8753, 1e-4) << "byte 15";
  for (int n = 0; n < 8; ++n)
    EXPECT_EQ(values[kInputOvers + n], n == 0 || n == 7 ? 1.0 : 0.0) << "input " << n;
  EXPECT_EQ(values[kOutputOvers + 0], 0.0);
  EXPECT_FALSE(callbackOnCallerThread);
}

int MeterReads(simulator::ScopedMachine& sim) {
  int reads = 0;
  for (const auto& record : sim->Frames(0)) reads += record.frame[6] == kCommandReadMeters;
  return reads;
}

// Unseen meters still step once a period, on the last reading, but the device
// is read once in eight steps; seen again, every step reads.
TEST_F(FWInterfaceTest, UnseenMetersStepEveryPeriodAndReadOnEveryEighth) {
  meterCallbacks = 0;
  fw.SetMeterCallback(&CountMeterCallback);
  fw.SetMetersSeen(false);
  fw.StartMetering();
  ASSERT_TRUE(Eventually([] { return meterCallbacks >= 9; }));
  fw.StopMetering();
  EXPECT_EQ(8 * MeterReads(sim), meterCallbacks.load()) << meterCallbacks << " steps";

  sim->ClearFrames();
  meterCallbacks = 0;
  fw.SetMetersSeen(true);
  fw.StartMetering();
  ASSERT_TRUE(Eventually([] { return meterCallbacks >= 3; }));
  fw.StopMetering();
  EXPECT_EQ(MeterReads(sim), meterCallbacks.load());
}

std::atomic<KorvaneFWInterface*> glimpsed{nullptr};
// On the first step of a seen pass the meters are unseen, seen and unseen
// again (a window minimised, restored and minimised in one period).
void GlimpseTheMeters() {
  if (KorvaneFWInterface* fw = glimpsed.exchange(nullptr)) {
    fw->SetMetersSeen(false);
    fw->SetMetersSeen(true);
    fw->SetMetersSeen(false);
  }
}

TEST_F(FWInterfaceTest, AGlimpseOfTheMetersLeavesTheUnseenPauseWhole) {
  glimpsed = &fw;
  fw.SetMeterCallback(&GlimpseTheMeters);
  fw.StartMetering();
  ASSERT_TRUE(Eventually([&] { return MeterReads(sim) >= 3; }));
  fw.StopMetering();
  std::vector<std::uint64_t> reads;
  for (const auto& record : sim->Frames(0))
    if (record.frame[6] == kCommandReadMeters) reads.push_back(record.timeUs);
  ASSERT_GE(reads.size(), 3u);
  // The seen pass's read, the first unseen pass's, then one 400 ms pause.
  EXPECT_GE(reads[2] - reads[1], 350'000u) << "the second unseen read came early";
}

// A silent machine (how the measurements make an idle unit) leaves every
// meter at nothing, though its units would otherwise play music.
TEST_F(KorvaneFWInterfaceDiscovery, ASilentMachineGivesTheMetersNothing) {
  simulator::Options options = Devices(1);
  options.silent = true;
  EXPECT_TRUE(simulator::ParseOptions("silent=1").silent);
  simulator::ScopedMachine sim(options);
  KorvaneFIFO fifo;
  KorvaneFWInterface fw(&fifo);
  fw.GetMeterValues()[kInputLevels] = 0.5;  // any pass overwrites it
  meterCallbacks = 0;
  fw.SetMeterCallback(&CountMeterCallback);
  fw.StartMetering();
  ASSERT_TRUE(Eventually([] { return meterCallbacks >= 3; }));
  fw.StopMetering();
  for (int n = 0; n < kMeterValueCount; ++n) EXPECT_EQ(fw.GetMeterValues()[n], 0.0) << n;
}

// While another holds the device, a meter pass gives up instead of waiting:
// metering still stops, nothing is read and the values stay as they were.
TEST_F(FWInterfaceTest, ABusyDeviceSkipsTheReadAndKeepsTheValues) {
  platform::LogCapture log;
  for (std::uint32_t channel = 0; channel < 16; ++channel) sim->SetFixedLevel(0, channel, 255);
  platform::NamedMutex deviceLock(kDeviceLockName);
  ASSERT_TRUE(deviceLock.Lock());
  meterCallbacks = 0;
  fw.SetMeterCallback(&CountMeterCallback);
  fw.StartMetering();
  ASSERT_TRUE(Eventually([&] { return log.Count("LAUNCHING METER THREAD\n") == 1; }));
  fw.StopMetering();  // would wait for ever on a pass that waited for the device
  EXPECT_EQ(meterCallbacks, 0);
  EXPECT_TRUE(sim->Frames(0).empty());
  for (int n = 0; n < kMeterValueCount; ++n) EXPECT_EQ(fw.GetMeterValues()[n], 0.0) << n;

  deviceLock.Unlock();
  fw.StartMetering();
  EXPECT_TRUE(Eventually([] { return meterCallbacks > 0; }));
  fw.StopMetering();
  EXPECT_EQ(fw.GetMeterValues()[kInputLevels], 1.0);
}

}  // namespace
