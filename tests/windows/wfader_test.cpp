// The faders driven by mouse and key messages: what they write to the mixer
// and where they draw their thumbs.
#include "windows/wfader.h"

#include <gtest/gtest.h>

#include "resources/velmora_bitmaps.h"
#include "tests/windows/widgetfixture.h"
#include "windows/wchannelfader.h"
#include "windows/wlinkedfader.h"

namespace {

using widgettest::WidgetTest;

constexpr COLORREF kGripLine = RGB(255, 255, 255);  // the thumbs' reference row

class FaderTest : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    fader = MakeWidget<WChannelFader>(0x4021, 10, 10, 20, 181);
    ASSERT_NE(fader, nullptr);
    hwnd = fader->Handle();
  }
  // A channel fader's position, read back from the mixer.
  double Position() { return fader->ValueToPos(KMXGetFloat(0x4021)); }
  void SetPosition(double p) { KMXSetFloat(0x4021, fader->PosToValue(p)); }

  WFader* fader = nullptr;
  HWND hwnd = nullptr;
};

TEST_F(FaderTest, PressOnTheTrackJumpsThenDragFollowsThePointer) {
  SetPosition(20);  // thumb rows 20 to 54, reference row 38
  Press(hwnd, 10, 138);
  EXPECT_NEAR(Position(), 120, 1e-6) << "reference row under the pointer";
  MoveTo(hwnd, 10, 148);
  EXPECT_NEAR(Position(), 130, 1e-6);
  MoveTo(hwnd, 10, 100);
  EXPECT_NEAR(Position(), 82, 1e-6);
  Release(hwnd, 10, 100);
  MoveTo(hwnd, 10, 0);
  EXPECT_NEAR(Position(), 82, 1e-6) << "no capture, no drag";
}

// A menu, a dialog or another program may take the pointer mid-drag.
TEST_F(FaderTest, ADragEndsWhenAnotherWindowTakesThePointer) {
  SetPosition(20);
  Press(hwnd, 10, 138);
  MoveTo(hwnd, 10, 148);
  ASSERT_NEAR(Position(), 130, 1e-6);
  SetCapture(toolkittest::Parent());
  MoveTo(hwnd, 10, 100);
  EXPECT_NEAR(Position(), 130, 1e-6);
  ReleaseCapture();
  Press(hwnd, 10, 138);  // on the thumb: grabbed where it is
  MoveTo(hwnd, 10, 148);
  EXPECT_NEAR(Position(), 140, 1e-6) << "a new press drags again";
  Release(hwnd, 10, 148);
}

TEST_F(FaderTest, PressOnTheThumbGrabsItWhereItIs) {
  SetPosition(41);  // 0 dB, hit rows 41 to 74
  Press(hwnd, 3, 74);
  EXPECT_EQ(KMXGetFloat(0x4021), 1.0);
  MoveTo(hwnd, 3, 79);
  EXPECT_NEAR(Position(), 46, 1e-6);
  Release(hwnd, 3, 79);
}

TEST_F(FaderTest, FineKeyDragsInTwentiethsOfADecibel) {
  SetPosition(41);
  Press(hwnd, 10, 60, MK_SHIFT);  // the default fine key
  MoveTo(hwnd, 10, 40);
  EXPECT_NEAR(KMXGetFloat(0x4021), 1.122018, 1e-6) << "+1 dB";
  Release(hwnd, 10, 40);

  KMXSetFloat(0x4021, 0.0);
  Press(hwnd, 10, 165, MK_SHIFT);
  MoveTo(hwnd, 10, 5);
  EXPECT_EQ(KMXGetFloat(0x4021), 0.0) << "minus infinity dB stays there";
}

TEST_F(FaderTest, ZeroDecibelKeySetsUnityAndTheDragGoesOnFromThere) {
  SetPref(kPrefFadeCenter, 1);  // Control
  KMXSetFloat(0x4021, 0.0);
  Press(hwnd, 10, 5, MK_CONTROL);
  EXPECT_EQ(KMXGetFloat(0x4021), 1.0);
  MoveTo(hwnd, 10, 15);
  EXPECT_NEAR(Position(), 51, 1e-6);
}

TEST_F(FaderTest, ArrowKeysStepOnePixelWithinTheRange) {
  KMXSetFloat(0x4021, 2.0);
  Key(hwnd, VK_UP);
  EXPECT_EQ(KMXGetFloat(0x4021), 2.0);
  Key(hwnd, VK_DOWN);
  EXPECT_NEAR(Position(), 1, 1e-6);
  KMXSetFloat(0x4021, 0.0);
  Key(hwnd, VK_DOWN);
  EXPECT_NEAR(KMXGetFloat(0x4021), 0.00083, 1e-5) << "one pixel past the end, near silence";
  Key(hwnd, VK_LEFT);
  EXPECT_NEAR(KMXGetFloat(0x4021), 0.00083, 1e-5) << "other keys do nothing";
  EXPECT_EQ(SendMessageA(hwnd, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(FaderTest, ThumbIsDrawnWhereTheLawPutsIt) {
  for (double position : {0.0, 41.0, 145.0}) {
    SetPosition(position);
    fader->Refresh();
    const int row = static_cast<int>(position) + 18;
    EXPECT_EQ(Pixel(hwnd, 10, row), kGripLine) << position;
    EXPECT_NE(Pixel(hwnd, 10, row - 1), kGripLine) << position;
    EXPECT_NE(Pixel(hwnd, 10, row + 1), kGripLine) << position;
    EXPECT_NE(Pixel(hwnd, 0, position + 1), WFader::kThumbKey) << "the key colour shows the track";
  }
}

class LinkedPairTest : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    left = MakeWidget<WLinkedFader>(0x4028, 10, 10, 28, 213, IDB_MASTER_TRACK_LEFT,
                                    IDB_MASTER_THUMB_LEFT, 9, 1);
    right = MakeWidget<WLinkedFader>(0x4029, 38, 10, 28, 213, IDB_MASTER_TRACK_RIGHT,
                                     IDB_MASTER_THUMB_RIGHT, 2, 1);
    ASSERT_TRUE(left && right);
    left->SetPartner(right);
    right->SetPartner(left);
    KMXSetFloat(0x4028, left->PosToValue(10));
    KMXSetFloat(0x4029, left->PosToValue(30));
  }
  double Position(int id) { return left->ValueToPos(KMXGetFloat(static_cast<std::uint16_t>(id))); }
  // Grabs the left thumb by its reference row (position 10) and drags by dy.
  void DragLeft(int dy, WPARAM keys = 0) {
    Press(left->Handle(), 18, 28, keys);
    MoveTo(left->Handle(), 18, 28 + dy, keys);
  }

  WLinkedFader* left = nullptr;
  WLinkedFader* right = nullptr;
};

TEST_F(LinkedPairTest, PairMovesTogetherAndStopsAtTheEnd) {
  DragLeft(90);
  EXPECT_NEAR(Position(0x4028), 100, 1e-6);
  EXPECT_NEAR(Position(0x4029), 120, 1e-6);
  MoveTo(left->Handle(), 18, 28 + 150);
  EXPECT_NEAR(Position(0x4028), 151, 1e-6) << "the offset of 20 kept at the end stop";
  EXPECT_NEAR(Position(0x4029), 171, 1e-6);
  Release(left->Handle(), 18, 178);
}

TEST_F(LinkedPairTest, ControlMovesOneAloneUntilTheButtonIsReleased) {
  DragLeft(40, MK_CONTROL);
  EXPECT_NEAR(Position(0x4028), 50, 1e-6);
  EXPECT_NEAR(Position(0x4029), 30, 1e-6);
  Release(left->Handle(), 18, 68);
  Key(left->Handle(), VK_UP);
  EXPECT_NEAR(Position(0x4028), 49, 1e-6);
  EXPECT_NEAR(Position(0x4029), 29, 1e-6) << "linked again after the release";
}

TEST_F(LinkedPairTest, ZeroDecibelKeyStopsWhereThePartnerMeetsTheTop) {
  SetPref(kPrefFadeCenter, 2);  // Shift
  SetPref(kPrefFadeFine, 0);
  Press(right->Handle(), 10, 48, MK_SHIFT);
  EXPECT_EQ(KMXGetFloat(0x4028), 1.0);
  EXPECT_NEAR(Position(0x4029), 20, 1e-6) << "20 pixels below its partner, as before";
  Release(right->Handle(), 10, 48);
}

TEST_F(LinkedPairTest, UnpartneredFaderMovesAlone) {
  right->SetPartner(nullptr);
  Key(right->Handle(), VK_DOWN);
  EXPECT_NEAR(Position(0x4029), 31, 1e-6);
  EXPECT_NEAR(Position(0x4028), 10, 1e-6);
}

TEST_F(LinkedPairTest, ThumbsMeetInTheMiddleAtTheirReferenceRows) {
  left->Refresh();
  right->Refresh();
  EXPECT_EQ(Pixel(left->Handle(), 20, 28), kGripLine);
  EXPECT_EQ(Pixel(right->Handle(), 8, 48), kGripLine);
  EXPECT_NE(Pixel(right->Handle(), 8, 28), kGripLine);
}

}  // namespace
