#include "windows/screenfit.h"

#include <gtest/gtest.h>

namespace {

// The mixer: a layout of 567 x 650 and the classic outer size 582 x 694 at 96 dpi.
ScreenFit Mixer(int monitorDpi, ScreenSize workArea, ScreenSize frame) {
  ScreenFit fit;
  fit.monitorDpi = monitorDpi;
  fit.workArea = workArea;
  fit.frame = frame;
  fit.layout = {567, 650};
  fit.minimumOuter = {582, 694};
  return fit;
}

bool Same(const ScreenRect& a, const ScreenRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ScreenFit, AWindowThatFitsTakesTheMonitorsScale) {
  EXPECT_EQ(FittingDpi(Mixer(96, {1920, 1040}, {6, 44})), 96);
  EXPECT_EQ(FittingDpi(Mixer(144, {2560, 1400}, {16, 90})), 144);
  // A monitor below 96 dpi keeps its own; nothing is fitted there.
  EXPECT_EQ(FittingDpi(Mixer(72, {640, 480}, {6, 44})), 72);
}

TEST(ScreenFit, AWindowThatDoesNotFitTakesTheLargestScaleThatFits) {
  // A 1080p laptop at 150 % with a taskbar of 60 rows. At 144 dpi the frame
  // and the layout make 975 + 90 = 1065 rows; at 137 dpi 928 + 90 = 1018,
  // at 138 934 + 90 = 1024.
  const ScreenFit laptop = Mixer(144, {1920, 1020}, {24, 90});
  EXPECT_EQ(FittingDpi(laptop), 137);
  EXPECT_EQ(OuterSizeAt(laptop, 137).cy, 1018);
  EXPECT_EQ(OuterSizeAt(laptop, 138).cy, 1024);
  // A thin frame: the classic size is the larger, 694 * 141 / 96 = 1019.3
  // rows at 141 dpi, 1026.6 at 142.
  EXPECT_EQ(FittingDpi(Mixer(192, {1280, 1024}, {6, 20})), 141);
  // The width can be the limit too: 567 * 166 / 96 = 980 and 16 of frame.
  ScreenFit narrow = Mixer(192, {1000, 2000}, {16, 60});
  narrow.minimumOuter = {};
  EXPECT_EQ(FittingDpi(narrow), 166);
}

TEST(ScreenFit, ALayoutGivenAtAnotherDpiIsScaledFromThere) {
  // The panel's form as made at 144 dpi, 1000 x 600; 600 * 132 / 144 = 550
  // rows and 50 of frame just fill a work area of 600.
  ScreenFit panel;
  panel.monitorDpi = 144;
  panel.workArea = {1280, 600};
  panel.frame = {10, 50};
  panel.layout = {1000, 600};
  panel.layoutDpi = 144;
  EXPECT_EQ(FittingDpi(panel), 132);
  EXPECT_EQ(OuterSizeAt(panel, 132).cx, 927);  // 1000 * 132 / 144 = 916.7, + 10
}

TEST(ScreenFit, ContentsThatGrowInStepsTakeTheLargestDpiWhereTheyFit) {
  // A dialog whose font grows by a pixel every 9 dpi: 100 columns for each
  // pixel of a 12-pixel font at 96 dpi. In a work area of 1500 columns with
  // 10 of frame, a 14-pixel font (1400) fits and a 15-pixel one does not.
  const auto dialogAt = [](int dpi) {
    const int fontPixels = 12 + (dpi - 96) / 9;
    return ScreenSize{100 * fontPixels, 400};
  };
  EXPECT_EQ(FittingDpi(144, {1500, 1000}, {10, 40}, dialogAt), 122);  // (122 - 96) / 9 = 2
  EXPECT_EQ(FittingDpi(120, {1500, 1000}, {10, 40}, dialogAt), 120);
  EXPECT_EQ(FittingDpi(192, {1000, 1000}, {10, 40}, dialogAt), 96);
}

TEST(ScreenFit, NeverBelowThe96DpiLayout) {
  EXPECT_EQ(FittingDpi(Mixer(144, {800, 600}, {16, 90})), 96);
  EXPECT_EQ(FittingDpi(Mixer(96, {800, 600}, {6, 44})), 96);
}

TEST(ScreenFit, AWindowIsMovedTheLeastThatBringsItInsideTheWorkArea) {
  const ScreenRect screen{0, 0, 1280, 1024};
  // Inside already: where it is.
  EXPECT_TRUE(Same(KeptInside({100, 100, 700, 800}, screen), {100, 100, 700, 800}));
  // Below the bottom edge: up, no further than needed.
  EXPECT_TRUE(Same(KeptInside({100, 900, 700, 1600}, screen), {100, 324, 700, 1024}));
  // Left of and above a work area that a taskbar at the top starts at row 40.
  EXPECT_TRUE(Same(KeptInside({-30, 0, 570, 700}, {0, 40, 1280, 1024}), {0, 40, 600, 740}));
  // Larger than the area: its top left corner at the area's, the caption in reach.
  EXPECT_TRUE(Same(KeptInside({-50, -20, 1350, 1100}, screen), {0, 0, 1400, 1120}));
  EXPECT_TRUE(Same(KeptInside({300, 200, 1700, 1320}, screen), {0, 0, 1400, 1120}));
}

}  // namespace
