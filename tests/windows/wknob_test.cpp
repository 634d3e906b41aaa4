// The pan knob driven by mouse and key messages in each motion mode, and
// where it draws its indicator.
#include "windows/wknob.h"

#include <gtest/gtest.h>

#include "tests/windows/widgetfixture.h"

namespace {

constexpr COLORREF kDot = RGB(255, 176, 40);  // the indicator's colour off its corners

class KnobTest : public widgettest::WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    knob = MakeWidget<WKnob>(0x4042, 10, 10, 42, 42);
    ASSERT_NE(knob, nullptr);
    hwnd = knob->Handle();
  }
  double Pan() { return KMXGetFloat(0x4042); }

  WKnob* knob = nullptr;
  HWND hwnd = nullptr;
};

TEST_F(KnobTest, RotaryPressTurnsToThePointerAndTheDragFollowsIt) {
  SetPref(kPrefPanMotion, kKnobRotary);
  Press(hwnd, 39, 20);
  EXPECT_NEAR(Pan(), 90.0 / 130, 1e-9);
  MoveTo(hwnd, 29, 10);
  EXPECT_NEAR(Pan(), 45.0 / 130, 1e-9);
  MoveTo(hwnd, 0, 40);
  EXPECT_EQ(Pan(), -1.0) << "beyond the travel";
  Release(hwnd, 0, 40);
}

TEST_F(KnobTest, HorizontalDragMoves64PixelsPerUnitOr256WithTheFineKey) {
  SetPref(kPrefPanMotion, kKnobHorizontal);
  Press(hwnd, 5, 5);
  EXPECT_EQ(Pan(), 0.0) << "the press alone does not move it";
  MoveTo(hwnd, 37, 30);
  EXPECT_EQ(Pan(), 0.5);
  Release(hwnd, 37, 30);

  KMXSetFloat(0x4042, 0.0);
  Press(hwnd, 5, 5, MK_SHIFT);  // the default fine key
  MoveTo(hwnd, 37, 5);
  EXPECT_EQ(Pan(), 0.125);
  MoveTo(hwnd, 205, 5);
  EXPECT_EQ(Pan(), 0.78125);
  Release(hwnd, 205, 5);
}

TEST_F(KnobTest, VerticalDragLowersTheValueGoingDown) {
  SetPref(kPrefPanMotion, kKnobVertical);
  KMXSetFloat(0x4042, 0.25);
  Press(hwnd, 20, 10);
  MoveTo(hwnd, 20, 42);
  EXPECT_EQ(Pan(), -0.25);
  MoveTo(hwnd, 20, 400);
  EXPECT_EQ(Pan(), -1.0);
  Release(hwnd, 20, 400);
  MoveTo(hwnd, 20, 10);
  EXPECT_EQ(Pan(), -1.0) << "no capture, no drag";
}

TEST_F(KnobTest, CentreKeyCentresWithoutTurningToThePointer) {
  SetPref(kPrefPanCenter, 1);  // Control
  SetPref(kPrefPanMotion, kKnobRotary);
  KMXSetFloat(0x4042, -0.5);
  Press(hwnd, 39, 20, MK_CONTROL);
  EXPECT_EQ(Pan(), 0.0);
  Release(hwnd, 39, 20);

  SetPref(kPrefPanMotion, kKnobHorizontal);
  KMXSetFloat(0x4042, -0.5);
  Press(hwnd, 10, 10, MK_CONTROL);
  MoveTo(hwnd, 26, 10, MK_CONTROL);
  EXPECT_EQ(Pan(), 0.25) << "the drag goes on from the centre";
}

TEST_F(KnobTest, ArrowKeysStepBy1Over64) {
  for (int i = 0; i < 64; ++i) Key(hwnd, VK_RIGHT);
  EXPECT_EQ(Pan(), 1.0);
  Key(hwnd, VK_RIGHT);
  EXPECT_EQ(Pan(), 1.0);
  Key(hwnd, VK_LEFT);
  EXPECT_EQ(Pan(), 1.0 - 1.0 / 64);
  Key(hwnd, VK_UP);
  EXPECT_EQ(Pan(), 1.0 - 1.0 / 64) << "other keys do nothing";
}

TEST_F(KnobTest, IndicatorIsDrawnOnItsCircle) {
  struct Case {
    double pan;
    int x, y;  // the dot's top-left corner
  };
  for (const Case& c :
       {Case{0.0, 19, 13}, Case{1.0, 24, 24}, Case{-1.0, 14, 24}, Case{-0.5, 13, 17}}) {
    KMXSetFloat(0x4042, c.pan);
    knob->Refresh();
    EXPECT_EQ(Pixel(hwnd, c.x + 2, c.y + 2), kDot) << c.pan;
    EXPECT_EQ(Pixel(hwnd, c.x + 1, c.y + 3), kDot) << c.pan;
    EXPECT_NE(Pixel(hwnd, c.x + 2, c.y + 5), kDot) << c.pan;
  }
}

}  // namespace
