#include "windows/faderlogic.h"

#include <gtest/gtest.h>

namespace {

const FaderLogic channel(2);
const FaderLogic master(1);

TEST(FaderLogic, ClampsToItsOwnRange) {
  EXPECT_EQ(channel.Clamp(-0.5), 0.0);
  EXPECT_EQ(channel.Clamp(2.5), 2.0);
  EXPECT_EQ(master.Clamp(2.5), 1.0);
  EXPECT_EQ(master.Clamp(0.25), 0.25);
  EXPECT_FALSE(channel.IsMaster());
  EXPECT_TRUE(master.IsMaster());
}

TEST(FaderLogic, ThumbTopRowFollowsTheLaw) {
  EXPECT_EQ(channel.ThumbTop(2.0), 0);
  EXPECT_EQ(channel.ThumbTop(0.0), 145);  // a 35-row thumb ends on row 179 of 181
  EXPECT_EQ(master.ThumbTop(1.0), 0);
  EXPECT_EQ(master.ThumbTop(0.0), 171);
  // The law's inverse comes back a hair short of 41 and 48: still those rows.
  EXPECT_EQ(channel.ThumbTop(1.0), 41);
  EXPECT_EQ(master.ThumbTop(0.5), 48);
  for (int p = 0; p <= 171; ++p) EXPECT_EQ(master.ThumbTop(master.PosToValue(p)), p) << p;
}

TEST(FaderLogic, HitRectangleRunsFrom18AboveTo16BelowTheReferenceRow) {
  // 0 dB: reference row 59.
  EXPECT_EQ(channel.ThumbPos(1.0), 59);
  EXPECT_FALSE(channel.OnThumb(1.0, 40));
  EXPECT_TRUE(channel.OnThumb(1.0, 41));
  EXPECT_TRUE(channel.OnThumb(1.0, 74));
  EXPECT_FALSE(channel.OnThumb(1.0, 75));
}

TEST(FaderLogic, PressOnTrackPutsTheReferenceRowUnderThePointer) {
  EXPECT_EQ(channel.JumpValue(59), 1.0);
  EXPECT_EQ(channel.JumpValue(0), 2.0);               // above the travel: the top
  EXPECT_NEAR(channel.JumpValue(118), 0.0823, 5e-5);  // position 100
}

TEST(FaderLogic, CoarseDragMovesInPositionSpaceFineDragInTwentiethsOfADecibel) {
  // From 0 dB (position 41), 59 pixels down is position 100.
  EXPECT_NEAR(channel.DragValue(1.0, 200, 259, 1), 0.0823, 5e-5);
  EXPECT_EQ(channel.DragValue(1.0, 200, 200, 1), 1.0);
  EXPECT_NEAR(channel.DragValue(1.0, 200, 180, FaderLogic::kFineWeight), 1.122018, 1e-6);  // +1 dB
  EXPECT_NEAR(channel.DragValue(1.0, 200, 240, FaderLogic::kFineWeight), 0.794328, 1e-6);  // -2 dB
  EXPECT_EQ(channel.DragValue(0.0, 200, 0, FaderLogic::kFineWeight), 0.0)
      << "minus infinity dB stays";
}

TEST(FaderLogic, ArrowStepsOnePixelAndMayReachOnePastTheEnd) {
  EXPECT_EQ(channel.StepValue(2.0, -1), 2.0);
  EXPECT_EQ(master.StepValue(1.0, -1), 1.0);
  EXPECT_NEAR(channel.StepValue(0.0, 1), 0.00083, 1e-5);  // position 146
  EXPECT_NEAR(channel.ValueToPos(channel.StepValue(1.0, 1)), 42.0, 1e-6);
}

TEST(FaderLogic, LinkedPairKeepsItsDistanceAndStopsAtTheEnds) {
  const double left = master.PosToValue(10), right = master.PosToValue(30);

  LinkedGains moved = master.MoveLinked(master.PosToValue(100), left, right);
  EXPECT_NEAR(master.ValueToPos(moved.self), 100, 1e-6);
  EXPECT_NEAR(master.ValueToPos(moved.partner), 120, 1e-6);

  moved = master.MoveLinked(master.PosToValue(160), left, right);
  EXPECT_NEAR(master.ValueToPos(moved.self), 151, 1e-6);
  EXPECT_NEAR(master.ValueToPos(moved.partner), 171, 1e-9);

  // The partner above: it stops at the top, at 0 dB.
  moved = master.MoveLinked(master.PosToValue(5), right, left);
  EXPECT_EQ(moved.partner, 1.0);
  EXPECT_NEAR(master.ValueToPos(moved.self), 20, 1e-6);

  // A target beyond the range is clamped before the offset applies.
  moved = master.MoveLinked(3.0, right, left);
  EXPECT_EQ(moved.partner, 1.0);
  EXPECT_NEAR(master.ValueToPos(moved.self), 20, 1e-6);
}

}  // namespace
