#include "panel/dpiscale.h"

#include <gtest/gtest.h>

namespace {

using dpiscale::Rescale;
using dpiscale::Scale;

TEST(DpiScale, FiguresRoundToTheNearestPixelAndHalvesAwayFromZero) {
  EXPECT_EQ(Scale(16, 96), 16);
  EXPECT_EQ(Scale(16, 144), 24);
  EXPECT_EQ(Scale(16, 120), 20);
  EXPECT_EQ(Scale(150, 120), 188);  // 187.5
  EXPECT_EQ(Scale(7, 120), 9);      // 8.75
  EXPECT_EQ(Scale(5, 120), 6);      // 6.25
  EXPECT_EQ(Scale(-3, 144), -5);    // -4.5
  EXPECT_EQ(Scale(3, 144), 5);
  EXPECT_EQ(Scale(0, 192), 0);
  // Down again from a scaled figure.
  EXPECT_EQ(Rescale(24, 144, 96), 16);
  EXPECT_EQ(Rescale(5, 144, 96), 3);  // 3.33
  EXPECT_EQ(Rescale(200, 192, 120), 125);
  // Big figures do not overflow on the way.
  EXPECT_EQ(Rescale(30000000, 96, 480), 150000000);
}

TEST(DpiScale, NeighboursThatTouchStillTouchAndNothingOverlaps) {
  // A row of controls laid edge to edge at 96 dpi, of uneven widths.
  const int edges[] = {7, 87, 91, 92, 343, 350};
  for (unsigned dpi : {120u, 144u, 168u, 192u}) {
    SCOPED_TRACE(dpi);
    int previous = Scale(edges[0], dpi);
    for (int edge : edges) {
      const int scaled = Scale(edge, dpi);
      EXPECT_GE(scaled, previous) << "a control of no width or less";
      previous = scaled;
    }
    // Each width is within a pixel of the width scaled on its own.
    for (std::size_t i = 1; i < std::size(edges); ++i) {
      const int width = Scale(edges[i], dpi) - Scale(edges[i - 1], dpi);
      const double exact = (edges[i] - edges[i - 1]) * dpi / 96.0;
      EXPECT_LE(width, exact + 1);
      EXPECT_GE(width, exact - 1);
    }
  }
}

TEST(DpiScale, OnlyDpisAMonitorCanHaveAreTaken) {
  EXPECT_TRUE(dpiscale::Plausible(96));
  EXPECT_TRUE(dpiscale::Plausible(144));
  EXPECT_TRUE(dpiscale::Plausible(480));
  EXPECT_FALSE(dpiscale::Plausible(0));
  EXPECT_FALSE(dpiscale::Plausible(23));
  EXPECT_FALSE(dpiscale::Plausible(481));
  EXPECT_FALSE(dpiscale::Plausible(65535));
  // A figure given for no DPI at all stays as it is.
  EXPECT_EQ(Rescale(40, 0, 144), 40);
}

}  // namespace
