// The 36 bytes of meter data that the device answers to the meter read.
#pragma once

#include <cstdint>

struct MeterData {
  std::uint8_t inputLevel[8];   // inputs 1..8; 0..255 linear amplitude, 255 = full scale
  std::uint8_t outputLevel[8];  // the DAW playback pairs: output pair p at 2p and 2p + 1
  std::uint8_t unused1[16];
  std::uint8_t inputOver;   // bit n: input n + 1 has clipped
  std::uint8_t outputOver;  // bits 0 and 1: the output pair on display has clipped
  std::uint8_t unused2[2];
};
static_assert(sizeof(MeterData) == 36);
