#include "windows/meterstate.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr std::uint32_t Bit(int n) { return std::uint32_t{1} << n; }
constexpr std::uint32_t kAll22 = 0x7FFFFE;  // bits 1 to 22

TEST(MeterState, FreshMeterIsDark) {
  MeterState meter(22);
  EXPECT_EQ(meter.AllMask(), kAll22);
  EXPECT_EQ(meter.SegmentMask(), 0u);
  EXPECT_EQ(meter.PeakText(), "-inf");
}

TEST(MeterState, LevelMaskLightsTheLowestSegmentsTheLevelExceeds) {
  MeterState meter(22);
  EXPECT_EQ(meter.LevelMask(-1.0), kAll22);
  EXPECT_EQ(meter.LevelMask(0.0), 0u);
  EXPECT_EQ(meter.LevelMask(-0.5), kAll22 & ~(Bit(12) - 1));  // bits 12 to 22
  EXPECT_EQ(meter.LevelMask(-1.0 / 22), Bit(22)) << "the segment no widget shows";
  EXPECT_EQ(meter.LevelMask(-1.0 / 22 - 1e-9), Bit(21) | Bit(22));
  // A producer outside 0..1 still gets a bar within the meter.
  EXPECT_EQ(meter.LevelMask(-7.0), kAll22);
  EXPECT_EQ(meter.LevelMask(3.0), 0u);
}

TEST(MeterState, PeakHoldsFor21UpdatesThenFallsEveryThird) {
  MeterState meter(22);
  meter.Update(-1.0, 0);
  EXPECT_EQ(meter.SegmentMask(), kAll22);
  int update = 0;
  auto silence = [&] {
    meter.Update(0.0, 0);
    ++update;
    return meter.SegmentMask();
  };
  while (update < 21) ASSERT_EQ(silence(), Bit(1)) << update;
  EXPECT_EQ(silence(), Bit(2)) << "the 22nd update";
  EXPECT_EQ(silence(), Bit(2));
  EXPECT_EQ(silence(), Bit(2));
  EXPECT_EQ(silence(), Bit(3));
  EXPECT_EQ(meter.PeakText(), "-inf") << "the silence of the update before each fall";
  while (update < 22 + 3 * 21) silence();
  EXPECT_EQ(meter.SegmentMask(), 0u) << "fallen out of range";
}

TEST(MeterState, SteadyLevelRenewsThePeakOnlyOnceItFallsIntoTheBar) {
  MeterState meter(22);
  for (int update = 1; update <= 22; ++update) {
    meter.Update(-0.5, 0);
    ASSERT_EQ(meter.PeakText(), "-inf") << update;
  }
  meter.Update(-0.5, 0);  // the 23rd: first fall step, and the read-out takes the level
  EXPECT_EQ(meter.PeakText(), "-24");
  EXPECT_EQ(meter.SegmentMask(), kAll22 & ~(Bit(12) - 1)) << "peak back on the bar's top";
}

TEST(MeterState, LouderBarMovesThePeakUpAtOnce) {
  MeterState meter(22);
  meter.Update(-0.5, 0);
  meter.Update(-1.0, 0);
  EXPECT_EQ(meter.SegmentMask(), kAll22);
  meter.Update(0.0, 0);
  EXPECT_EQ(meter.SegmentMask(), Bit(1));
}

TEST(MeterState, OverFollowsTheDeviceFlagOrTheTopSegment) {
  MeterState meter(22);
  meter.Update(0.0, 1);
  EXPECT_EQ(meter.SegmentMask(), Bit(0));
  meter.Update(0.0, 0);
  EXPECT_EQ(meter.SegmentMask() & Bit(0), 0u);
  meter.Update(-0.5, -1);
  EXPECT_EQ(meter.SegmentMask() & Bit(0), 0u) << "top segment dark";
  meter.Update(-1.0, -1);
  EXPECT_EQ(meter.SegmentMask() & Bit(0), Bit(0));
  meter.Update(0.0, -1);
  EXPECT_EQ(meter.SegmentMask() & Bit(0), Bit(0)) << "latched until a non-negative flag";
}

// The read-out of a steady level: 23 updates bring it to the first fall step.
std::string ReadOutOfSteady(double held) {
  MeterState meter(22);
  for (int update = 0; update < 23; ++update) meter.Update(-held, 0);
  return meter.PeakText();
}

TEST(MeterState, ReadOutShowsWholeDecibelsAndTenthsNearFullScale) {
  EXPECT_EQ(ReadOutOfSteady(1.0), "-0.0");
  EXPECT_EQ(ReadOutOfSteady(0.99), "-0.4");   // -0.48 dB
  EXPECT_EQ(ReadOutOfSteady(0.989), "-0.5");  // -0.528 dB
  EXPECT_EQ(ReadOutOfSteady(0.5), "-24");
  EXPECT_EQ(ReadOutOfSteady(0.0208), "-47");  // -47.0016 dB, truncated
  EXPECT_EQ(ReadOutOfSteady(0.0), "-inf");
  // Out of range, the read-out says what the bar shows: full, or nothing.
  EXPECT_EQ(ReadOutOfSteady(1.25), "-0.0");
  EXPECT_EQ(ReadOutOfSteady(1e300), "-0.0");
  EXPECT_EQ(ReadOutOfSteady(-0.5), "-inf");
}

}  // namespace
