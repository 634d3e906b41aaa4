// The mixer window moved to monitors of 120, 144 and 192 dpi: the layout
// follows as a whole, and the pointer moves the gain by physical distance.
// Where the window would not fit the work area at the monitor's scale, it
// takes the largest that fits, with every control at that one scale.
#include <string>

#include "gui/mixerlayout.h"
#include "resources/velmora_ids.h"
#include "tests/gui/mixerwindowfixture.h"
#include "windows/bitmapcache.h"
#include "windows/faderlogic.h"
#include "windows/gdicount.h"
#include "windows/workarea.h"
#include "windows/wscale.h"

namespace {

constexpr std::uint16_t kChannel4Fader = IDFADER + 3;

std::string Describe(const ControlPlacement& p, size_t index) {
  return "control " + std::to_string(index) + " (id " + std::to_string(p.id) + " \"" + p.text +
         "\")";
}

RECT ChildRect(HWND parent, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

class MixerWindowDpi : public MixerWindow {
 protected:
  // Room for the window at every scale the tests move it to, whatever the
  // test's own screen measures.
  void SetUp() override {
    MixerWindow::SetUp();
    ForceWorkArea({0, 0, 4000, 3000});
  }
  void TearDown() override {
    MixerWindow::TearDown();
    SetWorkAreaForTests(nullptr);
  }
  void ForceWorkArea(RECT area) { SetWorkAreaForTests(&area); }
  void ScreenChanged(UINT message, WPARAM wParam = 0) {
    SendMessageA(window, message, wParam, 0);
    testsupport::PumpPending();
  }
  RECT Outer() {
    RECT outer{};
    GetWindowRect(window, &outer);
    return outer;
  }
  // The one DPI every control of the layout is placed at; 0 when there is none.
  int LaidOutDpi() {
    const std::vector<ControlPlacement>& layout = MixerLayout();
    for (int dpi = 96; dpi <= 480; ++dpi) {
      const WScale scale(dpi);
      bool all = true;
      HWND child = GetWindow(window, GW_CHILD);
      for (size_t i = 0; all && i < layout.size(); ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT actual = ChildRect(window, child);
        const WScaledRect expected =
            scale.Rect(layout[i].x, layout[i].y, layout[i].cx, layout[i].cy);
        all = child != nullptr && actual.left == expected.left && actual.top == expected.top &&
              actual.right - actual.left == expected.Width();
      }
      if (all) return dpi;
    }
    return 0;
  }
  // The whole window inside `area`, and the whole layout inside its client area.
  void ExpectWholeWindowIn(const RECT& area) {
    const RECT outer = Outer();
    EXPECT_GE(outer.left, area.left);
    EXPECT_GE(outer.top, area.top);
    EXPECT_LE(outer.right, area.right);
    EXPECT_LE(outer.bottom, area.bottom);
    const WScale scale(LaidOutDpi());
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_GE(client.right, scale.Length(kLayoutWidth)) << scale.Dpi();
    EXPECT_GE(client.bottom, scale.Length(kLayoutHeight)) << scale.Dpi();
  }
  // What the system does when the window is dragged onto a monitor of `dpi`:
  // the message with a suggested rectangle of the window's size scaled.
  void MoveToDpi(int dpi) {
    RECT outer{};
    GetWindowRect(window, &outer);
    const WScale scale(dpi);
    RECT suggested{outer.left, outer.top, outer.left + scale.Length(MainWindow::kWidth),
                   outer.top + scale.Length(MainWindow::kHeight)};
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    testsupport::PumpPending();
  }

  // Every window of the layout, in creation order, at its rectangle times the scale.
  void ExpectLayoutAt(const WScale& scale) {
    const std::vector<ControlPlacement>& layout = MixerLayout();
    HWND child = GetWindow(window, GW_CHILD);
    for (size_t i = 0; i < layout.size(); ++i, child = GetWindow(child, GW_HWNDNEXT)) {
      ASSERT_NE(child, nullptr) << Describe(layout[i], i);
      const ControlPlacement& p = layout[i];
      if (p.id != 0) {
        EXPECT_EQ(GetDlgCtrlID(child), p.id) << Describe(p, i);
      }
      const RECT actual = ChildRect(window, child);
      const WScaledRect expected = scale.Rect(p.x, p.y, p.cx, p.cy);
      EXPECT_EQ(actual.left, expected.left) << Describe(p, i) << " at " << scale.Dpi();
      EXPECT_EQ(actual.top, expected.top) << Describe(p, i) << " at " << scale.Dpi();
      EXPECT_EQ(actual.right - actual.left, expected.Width()) << Describe(p, i);
      // A drop-down list's window is as high as its edit field, whatever it was given.
      if (p.kind != ControlKind::ComboBox) {
        EXPECT_EQ(actual.bottom - actual.top, expected.Height()) << Describe(p, i);
      }
    }
    // The system keeps a window inside the largest size it tracks (the
    // test's screen is 1024 rows high): the whole layout shows where it fits.
    RECT client{}, outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    if (outer.bottom - outer.top < GetSystemMetrics(SM_CYMAXTRACK)) {
      EXPECT_GE(client.right, scale.Length(kLayoutWidth)) << scale.Dpi();
      EXPECT_GE(client.bottom, scale.Length(kLayoutHeight)) << scale.Dpi();
    }
  }

  // Presses channel 4's thumb at 0 dB and drags it down by `inches` of
  // pointer travel; the gain it leaves.
  double DragChannel4From0dB(int dpi, double inches) {
    const WScale scale(dpi);
    KMXSetFloat(kChannel4Fader, 1.0);
    HWND fader = GetDlgItem(window, kChannel4Fader);
    const FaderLogic law(2);
    const int x = scale.Edge(10), y = scale.Edge(law.ThumbPos(1.0));
    const int travel = static_cast<int>(inches * dpi + 0.5);
    SendMessageA(fader, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    for (int step = 1; step <= 4; ++step)
      SendMessageA(fader, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y + travel * step / 4));
    SendMessageA(fader, WM_LBUTTONUP, 0, MAKELPARAM(x, y + travel));
    return KMXGetFloat(kChannel4Fader);
  }
};

}  // namespace

TEST_F(MixerWindowDpi, EveryControlTakesItsScaledPlaceAndComesBackAt96) {
  Open();
  ExpectLayoutAt(WScale());
  for (int dpi : {120, 144, 192}) {
    MoveToDpi(dpi);
    ExpectLayoutAt(WScale(dpi));
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, WScale(dpi).Length(MainWindow::kWidth))
        << "the suggested rectangle is taken";
  }
  MoveToDpi(96);
  ExpectLayoutAt(WScale());
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.right - outer.left, MainWindow::kWidth);
  EXPECT_EQ(outer.bottom - outer.top, MainWindow::kHeight);
  // A change no monitor makes (another process's message) leaves everything where it is.
  MoveToDpi(9600);
  ExpectLayoutAt(WScale());
}

TEST_F(MixerWindowDpi, TheSamePhysicalDragGivesTheSameGainAtEveryScale) {
  Open();
  const double at96 = DragChannel4From0dB(96, 0.5);
  EXPECT_LT(at96, 0.5) << "half an inch down from 0 dB is well below it";
  EXPECT_GT(at96, 0.0);
  for (int dpi : {144, 192}) {
    MoveToDpi(dpi);
    EXPECT_DOUBLE_EQ(DragChannel4From0dB(dpi, 0.5), at96) << dpi;
  }
}

TEST_F(MixerWindowDpi, TextsTakeAFontOfTheScaledSizeAndTheStockOneBackAt96) {
  Open();
  const HGDIOBJ stock = GetStockObject(ANSI_VAR_FONT);
  LOGFONTA stockFont{};
  ASSERT_NE(GetObjectA(stock, sizeof stockFont, &stockFont), 0);
  const auto fontOf = [&](int id) {
    return reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(window, id, WM_GETFONT, 0, 0));
  };
  MoveToDpi(144);
  for (int id :
       {IDFADERTEXT + 3, IDPANTEXT + 0, int{IDOUTPUTLABEL}, int{IDCLEAROVERS}, int{IDMIXSELECT}}) {
    LOGFONTA font{};
    ASSERT_NE(GetObjectA(fontOf(id), sizeof font, &font), 0) << id;
    EXPECT_EQ(font.lfHeight, WScale(144).Length(stockFont.lfHeight)) << id;
    EXPECT_STREQ(font.lfFaceName, stockFont.lfFaceName) << id;
  }
  EXPECT_EQ(ControlText(IDFADERTEXT + 9), " 0.0") << "the value boxes keep their texts";
  MoveToDpi(96);
  EXPECT_EQ(fontOf(IDFADERTEXT + 3), stock);
  EXPECT_EQ(fontOf(IDOUTPUTLABEL), stock);
}

TEST_F(MixerWindowDpi, BitmapsOfAnEarlierScaleAreGivenBackAndAllOfThemWithTheWindow) {
  const int before = gdi::LiveObjects();
  Open();
  UpdateWindow(window);
  EXPECT_GT(DrawnBitmaps().Size(), 0) << "the first paint keeps what it loaded";
  const auto moveAndPaint = [&](int dpi) {
    MoveToDpi(dpi);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  };
  // The first move hands the backgrounds' bitmaps from their statics to the window.
  moveAndPaint(144);
  moveAndPaint(96);
  const int settled = gdi::LiveObjects();
  for (int dpi : {192, 120, 96}) moveAndPaint(dpi);
  EXPECT_EQ(gdi::LiveObjects(), settled) << "nothing of 192 or 120 dpi is kept at 96";
  savedFlag = true;
  DestroyWindow(window);
  testsupport::PumpPending();
  EXPECT_EQ(DrawnBitmaps().Size(), 0);
  EXPECT_EQ(gdi::LiveObjects(), before);
}

TEST_F(MixerWindowDpi, OnAMonitorTooSmallForItsScaleTheLargestScaleThatFitsIsTaken) {
  Open();
  const RECT screen{0, 0, 1280, 1024};
  ForceWorkArea(screen);
  MoveToDpi(192);
  const int dpi = LaidOutDpi();
  EXPECT_GT(dpi, 96);
  EXPECT_LT(dpi, 192) << "at 192 dpi the window is 1388 rows high at the least";
  ExpectLayoutAt(WScale(dpi));
  ExpectWholeWindowIn(screen);
  // One dpi more would add about 7 rows (694 / 96): the window fills the height.
  EXPECT_LT(screen.bottom - Outer().bottom, 8);
  // The texts take a font of that scale too.
  LOGFONTA stockFont{}, font{};
  ASSERT_NE(GetObjectA(GetStockObject(ANSI_VAR_FONT), sizeof stockFont, &stockFont), 0);
  const auto boxFont =
      reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(window, IDFADERTEXT + 3, WM_GETFONT, 0, 0));
  ASSERT_NE(GetObjectA(boxFont, sizeof font, &font), 0);
  EXPECT_EQ(font.lfHeight, WScale(dpi).Length(stockFont.lfHeight));

  // On a monitor where it fits, the monitor's scale again.
  ForceWorkArea({0, 0, 4000, 3000});
  MoveToDpi(144);
  ExpectLayoutAt(WScale(144));
}

TEST_F(MixerWindowDpi, AWorkAreaThatShrinksOrGrowsRescalesTheWindowAndKeepsItInside) {
  Open();
  MoveToDpi(144);
  ASSERT_EQ(LaidOutDpi(), 144);
  // A taskbar of 48 rows at the top of a 1280 x 768 screen.
  const RECT small{0, 48, 1280, 768};
  ForceWorkArea(small);
  ScreenChanged(WM_SETTINGCHANGE, 20);  // the wallpaper: nothing to do with the room
  EXPECT_EQ(LaidOutDpi(), 144);
  ScreenChanged(WM_SETTINGCHANGE, SPI_SETWORKAREA);
  const int fitted = LaidOutDpi();
  EXPECT_GE(fitted, 96);
  EXPECT_LT(fitted, 144);
  ExpectLayoutAt(WScale(fitted));
  ExpectWholeWindowIn(small);
  ForceWorkArea({0, 0, 4000, 3000});
  ScreenChanged(WM_DISPLAYCHANGE);
  ExpectLayoutAt(WScale(144));
}

TEST_F(MixerWindowDpi, AtTheBaseScaleTheWindowIsNeverMadeSmallerOnlyKeptInside) {
  // Smaller than the 96-dpi window, from the start: the window keeps its
  // size and lies at the work area's corner.
  const RECT tiny{100, 50, 500, 550};
  ForceWorkArea(tiny);
  Open();
  EXPECT_EQ(LaidOutDpi(), 96);
  RECT outer = Outer();
  EXPECT_EQ(outer.left, 100);
  EXPECT_EQ(outer.top, 50);
  EXPECT_GE(outer.right - outer.left, MainWindow::kWidth);
  EXPECT_GE(outer.bottom - outer.top, MainWindow::kHeight);
  const SIZE size{outer.right - outer.left, outer.bottom - outer.top};
  // A window left outside a work area that changed comes inside it.
  const RECT screen{0, 0, 1280, 1024};
  ForceWorkArea(screen);
  SetWindowPos(window, nullptr, 1000, 700, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ScreenChanged(WM_DISPLAYCHANGE);
  outer = Outer();
  EXPECT_EQ(outer.left, 1280 - size.cx);
  EXPECT_EQ(outer.top, 1024 - size.cy);
  ExpectLayoutAt(WScale());
}
