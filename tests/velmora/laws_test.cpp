#include "velmora/laws.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr bool kChannel = false;
constexpr bool kMaster = true;

TEST(Laws, ReferencePointsOfBothFaders) {
  struct Point {
    bool master;
    double position, db, gain, gainTolerance;  // dB to 0.01, gain to its last digit
  };
  const Point points[] = {
      {kChannel, 1, 5.80, 1.949, 5e-4},        {kChannel, 100, -21.69, 0.0823, 5e-5},
      {kChannel, 145, -60.42, 0.000953, 5e-7}, {kMaster, 48, -6.02, 0.5, 5e-5},
      {kMaster, 100, -19.13, 0.1105, 5e-5},    {kMaster, 171, -60.42, 0.000953, 5e-7},
  };
  for (const Point& point : points) {
    const double gain = PositionToGain(point.position, point.master);
    EXPECT_NEAR(gain, point.gain, point.gainTolerance) << point.master << " " << point.position;
    EXPECT_NEAR(GainToDb(gain), point.db, 0.005) << point.master << " " << point.position;
  }
  EXPECT_EQ(PositionToGain(41, kChannel), 1.0) << "the snap removes the residue";
  EXPECT_EQ(PositionToGain(0, kMaster), 1.0);
  EXPECT_DOUBLE_EQ(PositionToGain(-3, kChannel), 2.0);
  EXPECT_EQ(PositionToGain(-3, kMaster), 1.0);
  EXPECT_TRUE(std::isinf(GainToDb(0.0)));
  EXPECT_NEAR(DbToGain(-6.0), 0.501187, 1e-6);
}

TEST(Laws, GainToPositionClipsAtBothEnds) {
  EXPECT_EQ(GainToPosition(3.0, kChannel), 0.0);
  EXPECT_EQ(GainToPosition(1.5, kMaster), 0.0);
  EXPECT_EQ(GainToPosition(0.0, kChannel), kChannelTravel);
  EXPECT_EQ(GainToPosition(0.0, kMaster), kMasterTravel);
  EXPECT_EQ(GainToPosition(1e-9, kChannel), kChannelTravel);
  EXPECT_NEAR(GainToPosition(0.5, kMaster), 48.0, 1e-6);
  EXPECT_NEAR(GainToPosition(1.0, kChannel), 41.0, 1e-6);
  EXPECT_EQ(GainToPosition(-1.0, kChannel), kChannelTravel) << "never a NaN position";
  EXPECT_EQ(GainToPosition(std::nan(""), kMaster), kMasterTravel);
}

TEST(Laws, PositionsBeyondTheTravelConvertWithoutLimit) {
  EXPECT_NEAR(PositionToGain(146, kChannel), 0.00083, 0.000005);
  EXPECT_NEAR(GainToDb(PositionToGain(146, kChannel)), -61.6, 0.05);
  EXPECT_NEAR(GainToDb(PositionToGain(200, kChannel)), -161, 0.5);
}

TEST(Laws, PositionAndGainAreInverseWithinTheTravel) {
  for (bool master : {kChannel, kMaster}) {
    for (double p = 0.25; p <= (master ? kMasterTravel : kChannelTravel); p += 0.75) {
      EXPECT_NEAR(GainToPosition(PositionToGain(p, master), master), p, 1e-9) << master << p;
    }
  }
}

}  // namespace
