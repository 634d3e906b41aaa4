// The meters and their read-outs as the metering callback drives them: the
// segments and texts they show, what they leave alone when nothing changed,
// and a metering thread drawing while the window thread paints.
#include "windows/wmeter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "korvaneobjects/metervalues.h"
#include "resources/velmora_bitmaps.h"
#include "tests/windows/widgetfixture.h"
#include "windows/gdicount.h"
#include "windows/metertable.h"
#include "windows/windowdc.h"
#include "windows/wmeterstatus.h"

namespace {

constexpr COLORREF kUnlit = RGB(0, 0x33, 0);

class MeterTest : public widgettest::WidgetTest {
 protected:
  void SetUp() override {
    Meters().Reset();
    WidgetTest::SetUp();
    meter = MakeWidget<WMeter>(0x4013, 10, 10, 18, 200, 22, IDB_METER);
    status = MakeWidget<WMeterStatus>(0x5003, 40, 10, 34, 15);
    ASSERT_TRUE(meter && status);
    testsupport::PumpPending();  // the first paints: backgrounds into the surfaces
  }
  void TearDown() override {
    WidgetTest::TearDown();
    Meters().Reset();
  }
  // One metering pass with meter 3 at level v (0..1) and its over flag.
  void Pass(double v, double over = 0.0) {
    double values[kMeterValueCount] = {};
    values[3] = v;
    values[kInputOvers + 3] = over;
    UpdateMeters(values);
    meter->Refresh();
    status->Refresh();
  }
  COLORREF Segment(int i) { return Pixel(meter->Handle(), 8, MeterSegmentTop(i) + 2); }
  // Pixels lighter than the background: the text (its edges may be smoothed).
  int InkPixels() {
    testsupport::PumpPending();
    UpdateWindow(status->Handle());
    HDC dc = GetDC(status->Handle());
    int ink = 0;
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 34; ++x) ink += GetRValue(GetPixel(dc, x, y)) > 0xC0;
    ReleaseDC(status->Handle(), dc);
    return ink;
  }

  // What the window thread does when a pass's message arrives.
  static void Show(WBufferedWindow* widget) {
    WindowDc screen(toolkittest::Parent(), WindowDc::WithChildren{});
    widget->ShowChanges(toolkittest::Parent(), screen.Get());
  }

  WMeter* meter = nullptr;
  WMeterStatus* status = nullptr;
};

TEST_F(MeterTest, LitSegmentsComeFromTheImageAndTheRestAreDark) {
  EXPECT_TRUE(meter->IsBuffered() && status->IsBuffered());
  Pass(0.5, 1.0);  // bits 12-22 and the over indicator
  EXPECT_NE(Segment(0), kUnlit);
  for (int i = 1; i <= 11; ++i) EXPECT_EQ(Segment(i), kUnlit) << i;
  for (int i = 12; i <= 21; ++i) EXPECT_NE(Segment(i), kUnlit) << i;
  EXPECT_NE(Pixel(meter->Handle(), 0, 0), kUnlit) << "the frame stays";

  Pass(0.0, 0.0);
  EXPECT_EQ(Segment(0), kUnlit) << "the over flag cleared";
  EXPECT_NE(Segment(12), kUnlit) << "the peak holds";
  EXPECT_EQ(Segment(13), kUnlit);
}

TEST_F(MeterTest, ReadOutShowsLightGreyTextOnGrey) {
  EXPECT_EQ(Pixel(status->Handle(), 0, 0), WMeterStatus::kBackground);
  Pass(0.0);
  EXPECT_GT(InkPixels(), 10) << "-inf";
  EXPECT_EQ(Pixel(status->Handle(), 0, 0), WMeterStatus::kBackground);
}

TEST_F(MeterTest, UnchangedPictureNeitherDrawsNorInvalidates) {
  Pass(0.5);
  Pixel(meter->Handle(), 0, 0);  // every paint done
  Pass(0.5);                     // same bar, same peak, same "-inf"
  EXPECT_FALSE(NeedsPaint(meter->Handle()));
  EXPECT_FALSE(NeedsPaint(status->Handle()));
  Pass(1.0);
  EXPECT_TRUE(NeedsPaint(meter->Handle()));
  EXPECT_FALSE(NeedsPaint(status->Handle())) << "the held level changes only at fall steps";
}

// A pass draws only the segments that went on or off; after any sequence of
// levels every segment still shows what the model says.
TEST_F(MeterTest, EverySegmentFollowsTheModelThroughChangingLevels) {
  const double levels[] = {0.9, 0.3, 0.95, 0.0, 0.6, 0.6, 1.0, 0.1, 0.45, 0.0};
  for (double level : levels) {
    Pass(level, level > 0.9 ? 1.0 : 0.0);
    const std::uint32_t mask = MeterSegments(3);
    for (int i = 0; i < 22; ++i) {
      const bool lit = (mask >> i) & 1;
      EXPECT_EQ(Segment(i) != kUnlit, lit) << "level " << level << ", segment " << i;
    }
  }
}

// The first paint covers the surface with the full image; the next refresh
// must draw the segments again even though the mask has not changed.
TEST_F(MeterTest, FirstPaintAfterARefreshDoesNotLeaveEverySegmentLit) {
  auto* fresh = MakeWidget<WMeter>(0x4015, 70, 10, 18, 200, 22, IDB_METER);
  ASSERT_NE(fresh, nullptr);
  fresh->Refresh();  // silence, before the window has ever painted
  EXPECT_NE(Pixel(fresh->Handle(), 8, MeterSegmentTop(5) + 2), kUnlit) << "the background image";
  fresh->Refresh();
  EXPECT_EQ(Pixel(fresh->Handle(), 8, MeterSegmentTop(5) + 2), kUnlit);
}

TEST_F(MeterTest, ReadOutKeepsOneBrushHoweverOftenItDraws) {
  Pass(0.0);
  Pixel(status->Handle(), 0, 0);
  const int held = gdi::LiveObjects();
  for (int i = 0; i < 100; ++i) Pass((i % 7) / 7.0);
  Pixel(status->Handle(), 0, 0);
  EXPECT_EQ(gdi::LiveObjects(), held);
}

TEST_F(MeterTest, WidgetsGiveBackEveryGdiObjectWithTheirWindows) {
  const int before = gdi::LiveObjects();
  auto* another = MakeWidget<WMeter>(0x4014, 70, 10, 18, 200, 22, IDB_METER);
  auto* text = MakeWidget<WMeterStatus>(0x5004, 100, 10, 34, 15);
  ASSERT_TRUE(another && text);
  another->Refresh();
  text->Refresh();
  Pixel(another->Handle(), 0, 0);
  DestroyWindow(another->Handle());
  DestroyWindow(text->Handle());
  EXPECT_EQ(gdi::LiveObjects(), before);
}

// A metering pass draws into the surfaces; the window thread copies only what
// changed, with no paint message. Marks drawn over the screen show what was
// copied: an unchanged segment or read-out is left as it is.
TEST_F(MeterTest, ShowingAPassCopiesOnlyTheChangedPartsWithoutAPaint) {
  Pass(0.5);  // bits 12-22 lit, "-inf" held
  Pixel(meter->Handle(), 0, 0);
  const COLORREF mark = RGB(0xFF, 0, 0xFF);
  auto scribble = [&](HWND hwnd, RECT rect) {
    HDC dc = GetDC(hwnd);
    HBRUSH brush = CreateSolidBrush(mark);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
    ReleaseDC(hwnd, dc);
  };
  scribble(meter->Handle(), RECT{0, 0, 18, 200});
  scribble(status->Handle(), RECT{0, 0, 34, 15});

  double values[kMeterValueCount] = {};
  values[3] = 0.5;
  UpdateMeters(values);
  EXPECT_FALSE(meter->Update()) << "the same bar";
  values[3] = 1.0;
  UpdateMeters(values);
  EXPECT_TRUE(meter->Update());
  EXPECT_FALSE(status->Update()) << "the held level changes only at fall steps";
  Show(meter);
  Show(status);

  EXPECT_FALSE(NeedsPaint(meter->Handle()));
  for (int i = 1; i <= 11; ++i) EXPECT_NE(Segment(i), kUnlit) << "newly lit " << i;
  EXPECT_NE(Segment(1), mark);
  EXPECT_EQ(Segment(15), mark) << "a segment lit before is not copied again";
  EXPECT_EQ(Segment(0), mark) << "nor the unchanged over indicator";
  EXPECT_EQ(Pixel(status->Handle(), 0, 0), mark);

  Show(meter);  // nothing new: nothing copied
  EXPECT_EQ(Segment(15), mark);
}

// A paint of part of the window (another window uncovered the top) does not
// take the place of showing a change elsewhere.
TEST_F(MeterTest, APartialPaintLeavesAChangeBelowItToBeShown) {
  Pass(0.5);
  Pixel(meter->Handle(), 0, 0);
  double values[kMeterValueCount] = {};
  values[3] = 0.7;  // lights segments above 12
  UpdateMeters(values);
  ASSERT_TRUE(meter->Update());
  const RECT top{0, 0, 18, MeterSegmentTop(1)};
  RedrawWindow(meter->Handle(), &top, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(Segment(11), kUnlit) << "not painted yet";
  Show(meter);
  EXPECT_NE(Segment(11), kUnlit);
}

// Before its first paint the surface has no background: a pass then waits
// for the paint instead of copying a picture without a frame.
TEST_F(MeterTest, APassBeforeTheFirstPaintIsShownByThePaint) {
  auto* fresh = MakeWidget<WMeter>(0x4015, 70, 10, 18, 200, 22, IDB_METER);
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(fresh->Update());
  Show(fresh);
  EXPECT_TRUE(NeedsPaint(fresh->Handle()));
  EXPECT_NE(Pixel(fresh->Handle(), 0, 0), kUnlit) << "the frame";
  EXPECT_TRUE(fresh->Update()) << "the background covered the segments";
  Show(fresh);
  EXPECT_FALSE(NeedsPaint(fresh->Handle()));
  EXPECT_EQ(Pixel(fresh->Handle(), 8, MeterSegmentTop(5) + 2), kUnlit);
}

// The metering thread steps the table and refreshes while this thread paints;
// at the end the screen shows the last pass.
TEST_F(MeterTest, MeteringThreadDrawsWhileTheWindowThreadPaints) {
  std::atomic<bool> done{false};
  std::thread metering([&] {
    for (int i = 0; i < 300; ++i) Pass((i % 23) / 22.0, i % 2);
    Pass(1.0, 1.0);
    done = true;
  });
  EXPECT_TRUE(testsupport::PumpUntil([&] { return done.load(); }));
  metering.join();
  for (int i = 0; i <= 21; ++i) EXPECT_NE(Segment(i), kUnlit) << i;
}

// A meter whose surface lock the test holds as a metering pass does.
class LockedMeter : public WMeter {
 public:
  using WMeter::WMeter;
  // Holds the lock for about as long as a slow pass; false when the scale
  // changed meanwhile.
  bool ScaleHeldStill() {
    auto hold = surface.Hold();
    const int dpi = scale.Dpi();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return scale.Dpi() == dpi;
  }
};

// The window thread rescales a meter back and forth while another thread
// draws it: the scale never changes under a pass, which reads it to place
// the segments.
TEST_F(MeterTest, ARescaleNeverChangesTheScaleUnderAMeteringPass) {
  auto* locked = MakeWidget<LockedMeter>(0x4014, 80, 10, 18, 200, 22, IDB_METER);
  ASSERT_TRUE(locked);
  std::atomic<bool> done{false};
  std::atomic<int> changedUnderThePass{0};
  std::thread metering([&] {
    while (!done) {
      locked->Update();
      if (!locked->ScaleHeldStill()) ++changedUnderThePass;
    }
  });
  for (int i = 1; i <= 20; ++i) {
    const WScale scale(i % 2 ? 144 : 96);
    locked->Rescale(scale, scale.Rect(80, 10, 18, 200));
    testsupport::PumpPending();
  }
  done = true;
  metering.join();
  EXPECT_EQ(changedUnderThePass, 0);
  EXPECT_EQ(locked->Scale().Dpi(), 96);
}

}  // namespace
