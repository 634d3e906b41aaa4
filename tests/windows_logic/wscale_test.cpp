#include "windows/wscale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

struct Span {
  int x, cx;
};

// A row of spans that touch end to end, of uneven widths, from x = 3.
std::vector<Span> TouchingRow() {
  std::vector<Span> row;
  int x = 3;
  for (int width : {44, 45, 1, 7, 13, 20, 34, 88, 5, 3}) {
    row.push_back({x, width});
    x += width;
  }
  return row;
}

TEST(WScale, At96DpiEveryFigureStaysAsItIs) {
  const WScale scale;
  EXPECT_TRUE(scale.IsIdentity());
  for (int v : {-29, -1, 0, 1, 17, 567, 650}) {
    EXPECT_EQ(scale.Edge(v), v);
    EXPECT_EQ(scale.ToLogical(v), v);
  }
  const WScaledRect rect = scale.Rect(455, 338, 28, 213);
  EXPECT_EQ(rect.left, 455);
  EXPECT_EQ(rect.bottom, 551);
  EXPECT_EQ(WScale(0).Dpi(), 96) << "an unanswered query is 96 dpi";
  EXPECT_EQ(WScale(-5).Dpi(), 96);
}

TEST(WScale, EdgesRoundToTheNearestPixelWithHalvesAwayFromZero) {
  const WScale percent125(120);
  EXPECT_EQ(percent125.Edge(1), 1);    // 1.25
  EXPECT_EQ(percent125.Edge(2), 3);    // 2.5
  EXPECT_EQ(percent125.Edge(3), 4);    // 3.75
  EXPECT_EQ(percent125.Edge(-2), -3);  // -2.5, as far from zero as +2
  EXPECT_EQ(percent125.Edge(-11), -14);
  const WScale percent150(144);
  EXPECT_EQ(percent150.Edge(1), 2);  // 1.5
  EXPECT_EQ(percent150.Edge(-1), -2);
  EXPECT_EQ(percent150.Edge(567), 851);  // 850.5
  EXPECT_EQ(WScale(192).Edge(650), 1300);
  EXPECT_EQ(WScale(168).Edge(4), 7);
  EXPECT_EQ(percent150.Edge(1000000), 1500000) << "no overflow on large figures";
  // A fitted scale is a dpi like any other: 567 * 132 / 96 = 779.6.
  EXPECT_EQ(WScale(132).Edge(567), 780);
  // Between any two DPIs, rounded alike: 600 * 132 / 144 = 550, 851 * 96 / 144 = 567.3.
  EXPECT_EQ(WScale::Rescale(600, 144, 132), 550);
  EXPECT_EQ(WScale::Rescale(851, 144, 96), 567);
  EXPECT_EQ(WScale::Rescale(-3, 96, 120), -4);  // -3.75
}

TEST(WScale, TouchingSpansStillTouchAndKeepTheirTotal) {
  // 132 and 137: no monitor's, scales a window is fitted to its screen at.
  for (int dpi : {96, 108, 120, 132, 137, 144, 168, 192, 240}) {
    const WScale scale(dpi);
    const std::vector<Span> row = TouchingRow();
    int deviceTotal = 0;
    for (size_t i = 0; i < row.size(); ++i) {
      const WScaledRect rect = scale.Rect(row[i].x, 0, row[i].cx, 1);
      deviceTotal += rect.Width();
      EXPECT_GT(rect.Width(), 0) << dpi << " span " << i;
      if (i + 1 < row.size()) {
        const WScaledRect next = scale.Rect(row[i + 1].x, 0, row[i + 1].cx, 1);
        EXPECT_EQ(rect.right, next.left) << dpi << ": gap or overlap after span " << i;
      }
    }
    const int logicalTotal = row.back().x + row.back().cx - row.front().x;
    EXPECT_EQ(deviceTotal, scale.Edge(row.back().x + row.back().cx) - scale.Edge(row.front().x))
        << dpi;
    EXPECT_LE(std::abs(deviceTotal - logicalTotal * dpi / 96), 1) << dpi;
  }
}

TEST(WScale, SpansThatOverlapAt96OverlapAtEveryScale) {
  // The strip backgrounds: 45 wide at a pitch of 44, one pixel shared.
  for (int dpi : {120, 144, 192}) {
    const WScale scale(dpi);
    for (int i = 0; i < 7; ++i) {
      const WScaledRect strip = scale.Rect(44 * i, 0, 45, 650);
      const WScaledRect next = scale.Rect(44 * (i + 1), 0, 45, 650);
      EXPECT_GT(strip.right, next.left) << dpi << " strip " << i;
      EXPECT_LE(strip.right - next.left, scale.Edge(1) + 1) << dpi << " strip " << i;
    }
  }
}

TEST(WScale, PointerPositionsComeBackToTheLogicalPixel) {
  for (int dpi : {96, 120, 144, 168, 192}) {
    const WScale scale(dpi);
    for (int v = -40; v <= 700; ++v) ASSERT_EQ(scale.ToLogical(scale.Edge(v)), v) << dpi;
  }
  // The same physical distance is the same logical distance: 96 logical
  // pixels are an inch at every scale.
  const WScale percent200(192);
  EXPECT_EQ(percent200.ToLogical(300 + 192) - percent200.ToLogical(300), 96);
  const WScale percent150(144);
  EXPECT_EQ(percent150.ToLogical(301 + 144) - percent150.ToLogical(301), 96);
  EXPECT_EQ(percent150.ToLogical(-3), -2);  // a captured pointer above the window
}

}  // namespace
