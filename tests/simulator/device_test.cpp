// The simulated unit's answers to vendor frames, byte for byte, and the state
// they leave behind.
#include "simulator/core/device.h"

#include <gtest/gtest.h>

#include "tests/simulator/frames.h"

namespace {

using namespace simtest;
namespace core = simulator::core;

// A unit whose sixteen channels are pinned silent unless a test says otherwise.
struct Unit {
  core::Device device{};
  Unit() {
    core::DevicePowerUp(&device, 42, 0);
    for (auto& level : device.fixedLevel) level = 0;
  }
  Bytes Send(const Bytes& frame, std::uint64_t nowUs = 1000) {
    std::uint8_t response[512] = {};
    const auto length = core::DeviceAnswer(
        &device, frame.data(), static_cast<std::uint32_t>(frame.size()), response, nowUs);
    return Bytes(response, response + length);
  }
  std::uint16_t Overs() { return core::DeviceOvers(&device, 1000); }
};

TEST(SimulatedUnit, AnswersEchoTheCommandUnderTheirResponseCode) {
  Unit unit;
  EXPECT_EQ(unit.Send(WriteParameter(0xD0, 0xFF)),
            (Bytes{0x09, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0xFF}));
  EXPECT_TRUE(unit.device.mixerEnabled);
  // Rejected: another company, a length that does not fit the command, a
  // value or parameter the unit does not know, a frame too short for a command.
  EXPECT_EQ(unit.Send({0x00, 0xFF, 0x00, 0x00, 0x4E, 0x72, 0x02, 0xD0, 0x00}),
            (Bytes{0x0A, 0xFF, 0x00, 0x00, 0x4E, 0x72, 0x02, 0xD0, 0x00}));
  EXPECT_EQ(unit.Send(Command(2, {0xD0, 0x00, 0x00})),
            (Bytes{0x0A, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0x00, 0x00}));
  Bytes shortRead = Command(4, Bytes(35, 0));
  EXPECT_EQ(unit.Send(shortRead)[0], 0x0A);
  EXPECT_EQ(unit.Send(shortRead).size(), 42u);
  EXPECT_EQ(unit.Send(WriteParameter(0xD0, 0x01))[0], 0x0A);
  EXPECT_EQ(unit.Send(WriteParameter(0xD1, 0x00))[0], 0x0A);
  EXPECT_EQ(unit.Send({0x00, 0xFF, 0x00, 0x00}), (Bytes{0x0A, 0xFF, 0x00, 0x00}));
  EXPECT_TRUE(unit.device.mixerEnabled);
  // Not implemented: an unknown command, another command type or opcode.
  EXPECT_EQ(unit.Send(Command(7, {0x01})), (Bytes{0x08, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x07, 0x01}));
  EXPECT_EQ(unit.Send({0x01, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0x00})[0], 0x08);
  EXPECT_EQ(unit.Send({0x00, 0xFF, 0x30, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0x00})[0], 0x08);
  EXPECT_TRUE(unit.device.mixerEnabled);
}

TEST(SimulatedUnit, LoadMixStoresTheBigEndianGainsOfThatMixOnly) {
  Unit unit;
  Bytes command = LoadMix(2, 0x0005);
  command[7] = 0x7F, command[8] = 0xFF;    // gain 0: unity
  command[9] = 0xFF, command[10] = 0xFE;   // gain 1: 2.0
  command[73] = 0x3F, command[74] = 0xFF;  // gain 33: 0.5
  Bytes expected = command;
  expected[0] = 0x09;
  EXPECT_EQ(unit.Send(command), expected);
  const auto& mix = unit.device.mixes[2];
  EXPECT_EQ(mix[0], 0x7FFF);
  EXPECT_EQ(mix[1], 0xFFFE);
  EXPECT_EQ(mix[5], 5);
  EXPECT_EQ(mix[33], 0x3FFF);
  for (int other : {0, 1, 3}) EXPECT_EQ(unit.device.mixes[other][0], 0) << other;

  EXPECT_EQ(unit.Send(LoadMix(4, 0x1111))[0], 0x0A);  // there is no fifth mix
  EXPECT_EQ(unit.Send(Command(9, Bytes(68, 0)))[0], 0x0A);
  EXPECT_EQ(unit.device.mixes[3][0], 0);
}

TEST(SimulatedUnit, MeterResponseCarriesLevelsAndOversAtOffsetSeven) {
  Unit unit;
  for (int c = 0; c < 16; ++c) unit.device.fixedLevel[c] = static_cast<std::int16_t>(10 + c);
  unit.device.fixedLevel[3] = 255;  // input 4 clips
  unit.device.fixedLevel[9] = 255;  // the right channel of DAW pair 1-2 clips

  const Bytes response = unit.Send(MeterRead());
  Bytes expected = {0x09, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x04, 10,
                    11,   12,   255,  14,   15,   16,   17,         // inputs 1..8
                    18,   255,  20,   21,   22,   23,   24,   25};  // DAW pairs
  expected.resize(7 + 32, 0);
  expected.insert(expected.end(), {0x08, 0x02, 0x00, 0x00});
  EXPECT_EQ(response, expected);
}

TEST(SimulatedUnit, AnOverLatchesUntilItsBitGoesFromOneToZero) {
  Unit unit;
  unit.device.fixedLevel[0] = unit.device.fixedLevel[3] = unit.device.fixedLevel[10] = 255;
  EXPECT_EQ(unit.Overs(), 0x0409);
  unit.device.fixedLevel[0] = unit.device.fixedLevel[3] = unit.device.fixedLevel[10] = 100;
  EXPECT_EQ(unit.Overs(), 0x0409);  // the clips end, the flags stay

  // A zero write alone, or a one written twice, clears nothing.
  for (std::uint8_t value : {0x00, 0x08, 0x08}) unit.Send(WriteParameter(0xD5, value));
  EXPECT_EQ(unit.Overs(), 0x0409);
  unit.Send(WriteParameter(0xD5, 0x00));
  EXPECT_EQ(unit.Overs(), 0x0401);
  // Bit 2 of 0xD5 is channel 2; of 0xD6, channel 10.
  for (std::uint8_t value : {0x04, 0x00}) unit.Send(WriteParameter(0xD5, value));
  EXPECT_EQ(unit.Overs(), 0x0401);
  for (std::uint8_t value : {0x04, 0x00}) unit.Send(WriteParameter(0xD6, value));
  EXPECT_EQ(unit.Overs(), 0x0001);

  // A channel that still clips latches again on the next read.
  unit.device.fixedLevel[5] = 255;
  for (std::uint8_t value : {0x21, 0x00}) unit.Send(WriteParameter(0xD5, value));
  EXPECT_EQ(unit.Send(MeterRead())[7 + 32], 0x20);
}

}  // namespace
