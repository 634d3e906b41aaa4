// The synthetic music: its arithmetic, and the properties a meter relies on.
#include "simulator/core/signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "simulator/core/device.h"

namespace {

namespace core = simulator::core;

constexpr std::uint64_t kPollUs = 50000;  // the mixer reads the meters every 50 ms

TEST(SignalArithmetic, Pow2NegHalvesPerWholeStep) {
  EXPECT_EQ(core::Pow2NegQ16(0), 65536u);
  EXPECT_EQ(core::Pow2NegQ16(256), 32768u);     // 2^-1
  EXPECT_EQ(core::Pow2NegQ16(128), 46341u);     // 2^-0.5
  EXPECT_EQ(core::Pow2NegQ16(3 * 256), 8192u);  // 2^-3
  EXPECT_EQ(core::Pow2NegQ16(64), 55109u);      // 2^-0.25
  EXPECT_EQ(core::Pow2NegQ16(17 * 256), 0u);
}

// Ten minutes of the mixer's polling, on every channel.
TEST(SignalMusic, TenMinutesPolledLikeTheMixerLookAlive) {
  const std::uint64_t key = 0x1234;
  std::array<int, 16> lowest{}, highest{}, clips{}, rises{}, falls{};
  lowest.fill(255);
  std::array<int, 16> previous{};
  for (std::uint64_t t = kPollUs; t <= 600'000'000; t += kPollUs) {
    const std::uint16_t clipped = core::SignalClips(key, t - kPollUs, t);
    for (std::uint32_t c = 0; c < 16; ++c) {
      const int level = core::SignalPeak(key, c, t - kPollUs, t);
      // Full scale and an over come together, never one without the other.
      ASSERT_EQ(level == 255, (clipped >> c & 1) != 0) << "channel " << c << " at " << t;
      lowest[c] = std::min(lowest[c], level);
      highest[c] = std::max(highest[c], level);
      clips[c] += level == 255;
      rises[c] += level > previous[c];
      falls[c] += level < previous[c];
      previous[c] = level;
    }
  }
  int allClips = 0;
  for (std::uint32_t c = 0; c < 16; ++c) {
    // Loud moments and quiet ones: at least 18 dB of movement on every channel.
    EXPECT_GE(highest[c], 110) << c;
    EXPECT_LE(lowest[c] * 8, highest[c]) << c;
    // Notes come and decay: the level moves both ways, often.
    EXPECT_GT(rises[c], 200) << c;
    EXPECT_GT(falls[c], 1000) << c;
    allClips += clips[c];
  }
  // Occasional overs: a few a minute across the sixteen channels.
  EXPECT_GE(allClips, 10);
  EXPECT_LE(allClips, 200);
}

TEST(SignalMusic, TheKeyChoosesTheMusic) {
  int same = 0, differ = 0;
  for (std::uint64_t t = kPollUs; t <= 20'000'000; t += kPollUs) {
    same += core::SignalPeak(7, 0, t - kPollUs, t) == core::SignalPeak(7, 0, t - kPollUs, t);
    differ += core::SignalPeak(7, 6, t - kPollUs, t) != core::SignalPeak(8, 6, t - kPollUs, t);
  }
  EXPECT_EQ(same, 400);
  EXPECT_GT(differ, 200);
}

TEST(SignalMusic, APeakBetweenTwoReadsIsNotMissed) {
  // Find a kick drum peak, then read around it: the instant after the
  // attack shows less than the window that contains it.
  const std::uint64_t key = 0x1234;
  std::uint64_t t = kPollUs;
  while (core::SignalPeak(key, 0, t - kPollUs, t) < 150) t += kPollUs;
  std::uint64_t peakAt = t - kPollUs;
  int best = 0;
  for (std::uint64_t u = t - kPollUs + 1; u <= t; u += 100) {
    const int level = core::SignalLevel(key, 0, u);
    if (level > best) best = level, peakAt = u;
  }
  EXPECT_EQ(core::SignalPeak(key, 0, t - kPollUs, t), best);
  EXPECT_LT(core::SignalLevel(key, 0, peakAt + 30000), best);
}

TEST(SignalMusic, AClipInTheMusicLatchesTheUnitsOver) {
  core::Device device{};
  for (auto& level : device.fixedLevel) level = -1;
  core::DevicePowerUp(&device, 0x1234, 0);
  std::uint64_t t = 0;
  std::uint16_t clipped = 0;
  while (clipped == 0) {
    clipped = core::SignalClips(0x1234, t, t + 10000);
    t += 10000;
  }
  EXPECT_EQ(core::DeviceOvers(&device, t - 10000) & clipped, 0);
  // Read long after the clip, without a meter read in between: still latched.
  EXPECT_EQ(core::DeviceOvers(&device, t + 60'000'000) & clipped, clipped);
}

}  // namespace
