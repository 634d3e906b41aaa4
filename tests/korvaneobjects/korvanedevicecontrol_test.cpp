// The command channel end to end: frames as the simulated device receives
// them, the device lock, and failures on the way.
#include "korvaneobjects/korvanedevicecontrol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <thread>
#include <vector>

#include "korvaneobjects/qdlctrl.h"
#include "platform/log.h"
#include "simulator/simulatedmachine.h"

using namespace korvane;

namespace {

using Bytes = std::vector<std::uint8_t>;

class DeviceControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set = CreateDeviceList(&DeviceInterfaceGuid);
    ASSERT_EQ(client.OpenDevice(0, set, &DeviceInterfaceGuid), kStatusSuccess);
    sim->ClearFrames();
  }
  void TearDown() override { DestroyDeviceList(set); }

  std::vector<Bytes> Frames() {
    std::vector<Bytes> frames;
    for (const auto& record : sim->Frames(0)) frames.push_back(record.frame);
    return frames;
  }

  simulator::ScopedMachine sim;
  platform::DeviceInfoSet set = nullptr;
  CQdlCtrl client;
  KorvaneDeviceControl device{&client};
};

TEST_F(DeviceControlTest, MixerEnableIsOneParameterWrite) {
  device.SetMixerEnable(true);
  device.SetMixerEnable(false);
  const std::vector<Bytes> expected = {{0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0xFF},
                                       {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0x00}};
  EXPECT_EQ(Frames(), expected);
  EXPECT_FALSE(sim->State(0).mixerEnabled);
  for (const auto& record : sim->Frames(0)) EXPECT_EQ(record.timeoutMs, 2000u);
}

TEST_F(DeviceControlTest, ClearOversSetsThenClearsEachChannelBit) {
  sim->SetFixedLevel(0, 0, 255);   // input 1 clips
  sim->SetFixedLevel(0, 9, 255);   // a DAW channel clips
  MeterData meters{};
  ASSERT_TRUE(device.ReadMeters(&meters));
  sim->SetFixedLevel(0, 0, -1);
  sim->SetFixedLevel(0, 9, -1);
  ASSERT_NE(sim->State(0).overs, 0);
  sim->ClearFrames();

  device.ClearOvers();
  const auto frames = Frames();
  ASSERT_EQ(frames.size(), 32u);
  for (int channel = 0; channel < 16; ++channel) {
    const std::uint8_t parameter = channel < 8 ? 0xD5 : 0xD6;
    const std::uint8_t bit = static_cast<std::uint8_t>(1 << (channel % 8));
    const Bytes set = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, parameter, bit};
    const Bytes clear = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, parameter, 0x00};
    EXPECT_EQ(frames[2 * channel], set) << "channel " << channel;
    EXPECT_EQ(frames[2 * channel + 1], clear) << "channel " << channel;
  }
  EXPECT_EQ(sim->State(0).overs, 0) << "the device's latched overs are gone";
}

TEST_F(DeviceControlTest, MixIsSentAsBigEndianDeviceUnits) {
  double gains[kMixGainCount];
  for (double& gain : gains) gain = 1.0;
  device.WriteMix(2, gains);
  auto frames = Frames();
  ASSERT_EQ(frames.size(), 1u);
  ASSERT_EQ(frames[0].size(), 76u);
  Bytes expected = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x09};
  for (int i = 0; i < kMixGainCount; ++i) {
    expected.push_back(0x7F);
    expected.push_back(0xFF);
  }
  expected.push_back(0x02);
  EXPECT_EQ(frames[0], expected);

  gains[0] = 2.0;
  gains[1] = 0.99999;
  gains[2] = 0.5;
  gains[3] = 0.0;
  gains[33] = 1.0 / 32767.0 * 0.999;  // just under one unit: truncated to 0
  device.WriteMix(3, gains);
  const auto state = sim->State(0);
  EXPECT_EQ(state.mixes[3][0], 0xFFFE);
  EXPECT_EQ(state.mixes[3][1], 0x7FFE);
  EXPECT_EQ(state.mixes[3][2], 0x3FFF);
  EXPECT_EQ(state.mixes[3][3], 0x0000);
  EXPECT_EQ(state.mixes[3][33], 0x0000);
  EXPECT_EQ(state.mixes[2][0], 0x7FFF) << "mix 2 kept what it was sent";
}

TEST(GainToDeviceUnits, HoldsGainsOutsideTheRangeInsteadOfWrapping) {
  EXPECT_EQ(GainToDeviceUnits(1.0), 0x7FFF);
  EXPECT_EQ(GainToDeviceUnits(2.5), 0xFFFE) << "not the low bits of 81917";
  EXPECT_EQ(GainToDeviceUnits(-0.5), 0x0000) << "not 0xC001";
  EXPECT_EQ(GainToDeviceUnits(0.0 / 0.0 * 0.0), 0x0000);
}

TEST_F(DeviceControlTest, MetersAreTheResponsePayload) {
  for (std::uint32_t channel = 0; channel < 16; ++channel)
    sim->SetFixedLevel(0, channel, static_cast<int>(10 + channel));
  sim->SetFixedLevel(0, 3, 255);
  MeterData meters{};
  ASSERT_TRUE(device.ReadMeters(&meters));
  EXPECT_EQ(meters.inputLevel[0], 10);
  EXPECT_EQ(meters.inputLevel[3], 255);
  EXPECT_EQ(meters.inputLevel[7], 17);
  EXPECT_EQ(meters.outputLevel[0], 18);
  EXPECT_EQ(meters.outputLevel[7], 25);
  EXPECT_EQ(meters.inputOver, 0x08);

  const auto frames = Frames();
  ASSERT_EQ(frames.size(), 1u);
  Bytes expected = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x04};
  expected.resize(43, 0x00);
  EXPECT_EQ(frames[0], expected);
}

TEST_F(DeviceControlTest, MeterReadGivesUpAfterTenMillisecondsWhileAWriterHoldsTheLock) {
  platform::NamedMutex deviceLock(kDeviceLockName);
  std::promise<void> held, release;
  std::thread writer([&] {
    deviceLock.Lock();
    held.set_value();
    release.get_future().wait();
    deviceLock.Unlock();
  });
  held.get_future().wait();

  MeterData meters{};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(device.ReadMeters(&meters));
  const auto waited = std::chrono::steady_clock::now() - start;
  release.set_value();
  writer.join();
  EXPECT_GE(waited, std::chrono::milliseconds(9));
  EXPECT_TRUE(Frames().empty()) << "nothing was sent";
  EXPECT_TRUE(device.ReadMeters(&meters)) << "free again";
}

TEST_F(DeviceControlTest, AFailedWriteIsLoggedAndTheNextStillGoesOut) {
  platform::LogCapture log;
  sim->SetFcpStatus(0xE0000350);
  device.SetMixerEnable(true);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"SendFCPRequest Failed."});
  sim->SetFcpStatus(0);
  device.SetMixerEnable(true);
  EXPECT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(Frames().size(), 2u);
  EXPECT_TRUE(sim->State(0).mixerEnabled);

  double gains[kMixGainCount] = {};
  sim->SetFcpStatus(0xE0000350);
  device.WriteMix(0, gains);  // a mix write drops its status without a line
  EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(DeviceControlTest, AFailedMeterReadShowsSilence) {
  for (std::uint32_t channel = 0; channel < 16; ++channel) sim->SetFixedLevel(0, channel, 255);
  sim->SetFcpStatus(0xE0008003);
  MeterData meters;
  std::memset(&meters, 0xAA, sizeof meters);
  ASSERT_TRUE(device.ReadMeters(&meters));
  const MeterData silence{};
  EXPECT_EQ(std::memcmp(&meters, &silence, sizeof meters), 0);
}

TEST_F(DeviceControlTest, MalformedRepliesAreNeverReadPastTheResponse) {
  // Runs under AddressSanitizer: a reply that claims more than it carries, or
  // carries less than the meter payload, must stay inside the 516 bytes.
  sim->SetReplyLengthField(0xFFFFFFFF);
  sim->SetReplyByteCount(100000);
  MeterData meters{};
  EXPECT_TRUE(device.ReadMeters(&meters));
  sim->SetReplyLengthField(0);
  sim->SetReplyByteCount(0);
  sim->SetReplyTruncation(10);
  for (std::uint32_t channel = 0; channel < 16; ++channel) sim->SetFixedLevel(0, channel, 200);
  EXPECT_TRUE(device.ReadMeters(&meters));
  EXPECT_EQ(meters.inputLevel[0], 200) << "the first three payload bytes arrived";
  EXPECT_EQ(meters.inputLevel[3], 0) << "the rest was cut and reads as cleared";
}

TEST_F(DeviceControlTest, ASlowDeviceTimesOutAfterTheRequestsTwoSeconds) {
  platform::LogCapture log;
  sim->SetReplyDelayMs(2100);
  const auto start = std::chrono::steady_clock::now();
  device.SetMixerEnable(true);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1990));
  const auto frames = sim->Frames(0);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].timeoutMs, 2000u);
  EXPECT_EQ(frames[0].status, kStatusTimeout) << "the driver gives up at the time-out";
  EXPECT_EQ(log.Count("SendFCPRequest Failed."), 1);
}

}  // namespace
