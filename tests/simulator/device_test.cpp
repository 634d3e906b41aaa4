// The simulated unit's answers to vendor frames, byte for byte, and the state
// they leave behind.
#include "simulator/core/device.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace core = simulator::core;

Bytes Command(std::uint8_t command, const Bytes& payload) {
  Bytes frame = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, command};
  frame.insert(frame.end(), payload.begin(), payload.end());
  return frame;
}

Bytes MeterRead() { return Command(4, Bytes(36, 0)); }

// A unit whose sixteen channels are pinned silent unless a test says otherwise.
struct Unit {
  core::Device device{};
  Unit() {
    core::DevicePowerUp(&device, 42, 0);
    for (auto& level : device.fixedLevel) level = 0;
  }
  Bytes Send(const Bytes& frame, std::uint64_t nowUs = 1000) {
    std::uint8_t response[512] = {};
    const std::uint32_t length = core::DeviceAnswer(
        &device, frame.data(), static_cast<std::uint32_t>(frame.size()), response, nowUs);
    return Bytes(response, response + length);
  }
  std::uint16_t Overs(std::uint64_t nowUs = 1000) { return core::DeviceOvers(&device, nowUs); }
};

TEST(SimulatedUnit, AcceptedWritesEchoTheCommandAndSwitchTheMixer) {
  Unit unit;
  EXPECT_FALSE(unit.device.mixerEnabled);
  EXPECT_EQ(unit.Send(Command(2, {0xD0, 0xFF})),
            (Bytes{0x09, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0xFF}));
  EXPECT_TRUE(unit.device.mixerEnabled);
  EXPECT_EQ(unit.Send(Command(2, {0xD0, 0x00}))[0], 0x09);
  EXPECT_FALSE(unit.device.mixerEnabled);
}

TEST(SimulatedUnit, BadFramesAreRejectedAndUnknownOnesNotImplemented) {
  Unit unit;
  // Wrong company ID: rejected, the rest echoed.
  EXPECT_EQ(unit.Send({0x00, 0xFF, 0x00, 0x00, 0x4E, 0x72, 0x02, 0xD0, 0xFF}),
            (Bytes{0x0A, 0xFF, 0x00, 0x00, 0x4E, 0x72, 0x02, 0xD0, 0xFF}));
  // A length that does not fit the command.
  EXPECT_EQ(unit.Send(Command(2, {0xD0, 0xFF, 0x00})),
            (Bytes{0x0A, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0xFF, 0x00}));
  EXPECT_EQ(unit.Send(Command(4, Bytes(35, 0))).size(), 42u);
  EXPECT_EQ(unit.Send(Command(4, Bytes(35, 0)))[0], 0x0A);
  EXPECT_EQ(unit.Send(Command(9, Bytes(68, 0)))[0], 0x0A);
  // Values the unit does not know.
  EXPECT_EQ(unit.Send(Command(2, {0xD0, 0x01}))[0], 0x0A);
  EXPECT_EQ(unit.Send(Command(2, {0xD1, 0xFF}))[0], 0x0A);
  EXPECT_FALSE(unit.device.mixerEnabled);
  // Too short to carry a vendor command.
  EXPECT_EQ(unit.Send({0x00, 0xFF, 0x00, 0x00}), (Bytes{0x0A, 0xFF, 0x00, 0x00}));
  // An unknown command, another command type, another opcode.
  EXPECT_EQ(unit.Send(Command(7, {0x01})), (Bytes{0x08, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x07, 0x01}));
  EXPECT_EQ(unit.Send({0x01, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0xFF})[0], 0x08);
  EXPECT_EQ(unit.Send({0x00, 0xFF, 0x30, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0xFF})[0], 0x08);
}

TEST(SimulatedUnit, LoadMixStoresTheBigEndianGainsOfThatMixOnly) {
  Unit unit;
  Bytes payload;
  for (int g = 0; g < 34; ++g) {
    const std::uint16_t gain = g == 0    ? 0x7FFF
                               : g == 1  ? 0xFFFE
                               : g == 33 ? 0x3FFF
                                         : static_cast<std::uint16_t>(g);
    payload.push_back(static_cast<std::uint8_t>(gain >> 8));
    payload.push_back(static_cast<std::uint8_t>(gain));
  }
  payload.push_back(2);
  const Bytes command = Command(9, payload);
  Bytes expected = command;
  expected[0] = 0x09;
  EXPECT_EQ(unit.Send(command), expected);
  EXPECT_EQ(unit.device.mixes[2][0], 0x7FFF);
  EXPECT_EQ(unit.device.mixes[2][1], 0xFFFE);
  EXPECT_EQ(unit.device.mixes[2][5], 5);
  EXPECT_EQ(unit.device.mixes[2][33], 0x3FFF);
  for (int mix : {0, 1, 3}) EXPECT_EQ(unit.device.mixes[mix][0], 0) << mix;

  // Mix index 4 does not exist: rejected, nothing stored.
  payload.back() = 4;
  EXPECT_EQ(unit.Send(Command(9, payload))[0], 0x0A);
  EXPECT_EQ(unit.device.mixes[3][0], 0);
}

TEST(SimulatedUnit, MeterResponseCarriesLevelsAndOversAtOffsetSeven) {
  Unit unit;
  for (int c = 0; c < 16; ++c) unit.device.fixedLevel[c] = static_cast<std::int16_t>(10 + c);
  unit.device.fixedLevel[3] = 255;  // input 4 clips
  unit.device.fixedLevel[9] = 255;  // right channel of DAW pair 1-2 clips

  const Bytes response = unit.Send(MeterRead());
  ASSERT_EQ(response.size(), 43u);
  EXPECT_EQ(Bytes(response.begin(), response.begin() + 7),
            (Bytes{0x09, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x04}));
  const Bytes meters(response.begin() + 7, response.end());
  EXPECT_EQ(Bytes(meters.begin(), meters.begin() + 8), (Bytes{10, 11, 12, 255, 14, 15, 16, 17}));
  EXPECT_EQ(Bytes(meters.begin() + 8, meters.begin() + 16),
            (Bytes{18, 255, 20, 21, 22, 23, 24, 25}));
  EXPECT_EQ(Bytes(meters.begin() + 16, meters.begin() + 32), Bytes(16, 0));
  EXPECT_EQ(meters[32], 0x08);
  EXPECT_EQ(meters[33], 0x02);
  EXPECT_EQ(meters[34], 0);
  EXPECT_EQ(meters[35], 0);
}

TEST(SimulatedUnit, AnOverLatchesUntilItsBitGoesFromOneToZero) {
  Unit unit;
  unit.device.fixedLevel[0] = 255;
  unit.device.fixedLevel[3] = 255;
  unit.device.fixedLevel[10] = 255;
  EXPECT_EQ(unit.Overs(), 0x0409);
  // The clips end; the flags stay.
  unit.device.fixedLevel[0] = unit.device.fixedLevel[3] = unit.device.fixedLevel[10] = 100;
  EXPECT_EQ(unit.Overs(2000), 0x0409);

  // A zero write alone, or a one held high, clears nothing.
  unit.Send(Command(2, {0xD5, 0x00}));
  unit.Send(Command(2, {0xD5, 0x08}));
  unit.Send(Command(2, {0xD5, 0x08}));
  EXPECT_EQ(unit.Overs(), 0x0409);
  // The falling edge of bit 3 clears channel 3 only.
  unit.Send(Command(2, {0xD5, 0x00}));
  EXPECT_EQ(unit.Overs(), 0x0401);
  // 0xD6 bit 2 is channel 10; the low byte's bits do not reach it.
  unit.Send(Command(2, {0xD5, 0x04}));
  unit.Send(Command(2, {0xD5, 0x00}));
  EXPECT_EQ(unit.Overs(), 0x0401);
  unit.Send(Command(2, {0xD6, 0x04}));
  unit.Send(Command(2, {0xD6, 0x00}));
  EXPECT_EQ(unit.Overs(), 0x0001);
}

TEST(SimulatedUnit, AChannelStillClippingLatchesAgainAfterItsReset) {
  Unit unit;
  unit.device.fixedLevel[5] = 255;
  unit.Send(Command(2, {0xD5, 0x20}), 1000);
  unit.Send(Command(2, {0xD5, 0x00}), 1000);
  EXPECT_EQ(unit.Send(MeterRead(), 1000)[7 + 32], 0x20);
}

TEST(SimulatedUnit, APowerUpForgetsEverythingButThePinnedLevels) {
  Unit unit;
  unit.Send(Command(2, {0xD0, 0xFF}));
  unit.device.fixedLevel[1] = 255;
  EXPECT_EQ(unit.Overs(), 0x0002);
  const std::uint32_t generation = unit.device.generation;
  core::DevicePowerDown(&unit.device);
  core::DevicePowerUp(&unit.device, 43, 5000);
  EXPECT_FALSE(unit.device.mixerEnabled);
  EXPECT_EQ(unit.device.generation, generation + 1);
  EXPECT_EQ(unit.device.overs, 0);
  EXPECT_EQ(unit.device.fixedLevel[1], 255);
}

}  // namespace
