#include "windows/knoblogic.h"

#include <gtest/gtest.h>

namespace {

void ExpectPoint(KnobPoint actual, int x, int y, double value) {
  EXPECT_EQ(actual.x, x) << value;
  EXPECT_EQ(actual.y, y) << value;
}

TEST(KnobLogic, IndicatorSitsOnTheCircleToNearestPixel) {
  ExpectPoint(IndicatorPoint(0.0), 19, 13, 0.0);
  ExpectPoint(IndicatorPoint(1.0), 24, 24, 1.0);
  ExpectPoint(IndicatorPoint(-1.0), 14, 24, -1.0);
  ExpectPoint(IndicatorPoint(0.5), 25, 17, 0.5);
  ExpectPoint(IndicatorPoint(-0.5), 13, 17, -0.5);
  ExpectPoint(IndicatorPoint(1.0 / 64), 19, 13, 1.0 / 64);
}

TEST(KnobLogic, RotaryModeTurnsToThePointersAngle) {
  EXPECT_EQ(RotaryValue({19, 0}), 0.0);
  EXPECT_NEAR(RotaryValue({39, 20}), 90.0 / 130, 1e-12);
  EXPECT_NEAR(RotaryValue({29, 10}), 45.0 / 130, 1e-12);
  EXPECT_EQ(RotaryValue({0, 40}), -1.0);  // beyond the travel, left side
  EXPECT_EQ(RotaryValue({38, 40}), 1.0);
  EXPECT_EQ(RotaryValue({19, 20}), 0.0);  // the exact centre
  EXPECT_NEAR(KnobDragValue(kKnobRotary, -0.75, {0, 0}, {39, 20}, kKnobFineWeight), 90.0 / 130,
              1e-12)
      << "weight and start play no part";
}

TEST(KnobLogic, LinearModesMove64PixelsPerUnit) {
  EXPECT_EQ(KnobDragValue(kKnobHorizontal, 0.0, {10, 10}, {42, 10}, 1), 0.5);
  EXPECT_EQ(KnobDragValue(kKnobHorizontal, 0.0, {10, 10}, {42, 10}, kKnobFineWeight), 0.125);
  EXPECT_EQ(KnobDragValue(kKnobHorizontal, 0.0, {10, 10}, {210, 10}, 1), 1.0);
  EXPECT_EQ(KnobDragValue(kKnobHorizontal, 0.25, {10, 10}, {10, 90}, 1), 0.25)
      << "vertical travel ignored";
  EXPECT_EQ(KnobDragValue(kKnobVertical, 0.0, {10, 10}, {10, 42}, 1), -0.5)
      << "down is toward left";
  EXPECT_EQ(KnobDragValue(kKnobVertical, 0.0, {10, 10}, {10, -22}, 1), 0.5);
  EXPECT_EQ(KnobDragValue(kKnobVertical, -0.5, {10, 10}, {10, 400}, 1), -1.0);
}

TEST(KnobLogic, UnknownMotionModeTurnsAsRotary) {
  EXPECT_NEAR(KnobDragValue(7, 0.0, {19, 20}, {39, 20}, 1), 90.0 / 130, 1e-12);
  EXPECT_NEAR(KnobDragValue(-1, 0.0, {19, 20}, {39, 20}, 1), 90.0 / 130, 1e-12);
}

TEST(KnobLogic, SixtyFourStepsCoverHalfTheRangeExactly) {
  double value = 0.0;
  for (int i = 0; i < 64; ++i) value = ClampPan(value + kKnobStep);
  EXPECT_EQ(value, 1.0);
  EXPECT_EQ(ClampPan(value + kKnobStep), 1.0);
  EXPECT_EQ(ClampPan(-3.0), -1.0);
}

}  // namespace
