// The 20 display values of the meters, in one array: 8 input levels, the 2
// output levels of the shown output pair, 8 input overs, 2 output overs.
// Levels lie in 0..1; overs are exactly 0.0 or 1.0.
#pragma once

#include <cstdint>

constexpr int kMeterValueCount = 20;
constexpr int kInputLevels = 0;
constexpr int kOutputLevels = 8;
constexpr int kInputOvers = 10;
constexpr int kOutputOvers = 18;

// A meter byte (linear amplitude, 255 = full scale) on the 48 dB display scale.
double MeterDisplayValue(std::uint8_t level);
