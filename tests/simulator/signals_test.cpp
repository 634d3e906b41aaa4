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
  std::array<int, 16> lowest{}, highest{}, falls{}, previous{};
  lowest.fill(255);
  int clips = 0;
  for (std::uint64_t t = kPollUs; t <= 600'000'000; t += kPollUs) {
    const std::uint16_t clipped = core::SignalClips(key, t - kPollUs, t);
    for (std::uint32_t c = 0; c < 16; ++c) {
      const int level = core::SignalPeak(key, c, t - kPollUs, t);
      // Full scale and an over come together, never one without the other.
      ASSERT_EQ(level == 255, (clipped >> c & 1) != 0) << "channel " << c << " at " << t;
      lowest[c] = std::min(lowest[c], level);
      highest[c] = std::max(highest[c], level);
      falls[c] += level < previous[c];
      previous[c] = level;
      clips += level == 255;
    }
  }
  for (std::uint32_t c = 0; c < 16; ++c) {
    // Loud moments and quiet ones, at least 18 dB apart; notes that come and decay.
    EXPECT_GE(highest[c], 110) << c;
    EXPECT_LE(lowest[c] * 8, highest[c]) << c;
    EXPECT_GT(falls[c], 1000) << c;
  }
  // Occasional overs: a few a minute across the sixteen channels.
  EXPECT_GE(clips, 10);
  EXPECT_LE(clips, 200);
}

TEST(SignalMusic, AReadShowsThePeakSinceTheLastRead) {
  // A kick drum note that peaked between two reads: the second read shows
  // its peak, not the decayed level at that moment.
  const std::uint64_t key = 0x1234;
  std::uint64_t t = kPollUs;
  while (core::SignalPeak(key, 0, t - kPollUs, t) < core::SignalLevel(key, 0, t) + 30) t += kPollUs;
  int highest = 0;
  for (std::uint64_t u = t - kPollUs + 1; u <= t; ++u)
    highest = std::max<int>(highest, core::SignalLevel(key, 0, u));
  EXPECT_EQ(core::SignalPeak(key, 0, t - kPollUs, t), highest);
}

TEST(SignalMusic, AClipInTheMusicLatchesTheUnitsOver) {
  core::Device device{};
  for (auto& level : device.fixedLevel) level = -1;
  core::DevicePowerUp(&device, 0x1234, 0);
  // The unit plays its music from song time songUs on.
  std::uint64_t t = 0;
  std::uint16_t clipped = 0;
  for (; clipped == 0; t += 10000)
    clipped = core::SignalClips(0x1234, device.songUs + t, device.songUs + t + 10000);
  EXPECT_EQ(core::DeviceOvers(&device, t - 10000) & clipped, 0);
  // Read long after the clip, without a meter read in between: still latched.
  EXPECT_EQ(core::DeviceOvers(&device, t + 60'000'000) & clipped, clipped);
}

}  // namespace
