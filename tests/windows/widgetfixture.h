// Ground for the widget tests: a shown top-level window to hold the widgets,
// the mixer model enabled behind the parameter interface, preferences away
// from the machine's, and helpers that send the messages a user's mouse and
// keyboard would.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>

#include "korvaneobjects/korvanemastercontrol.h"
#include "tests/support/eventually.h"
#include "tests/support/isolatedprefs.h"
#include "velmora/velmora.h"
#include "velmora/velmoraprefs.h"
#include "windows/wbufferedwindow.h"

namespace widgettest {

class WidgetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "KorvaneWidgetTestParent";
    RegisterClassExA(&wc);
  }

  void SetUp() override {
    // The store under the test prefix outlives a test: start from the defaults.
    SetPref(kPrefPanFine, 2);
    SetPref(kPrefPanCenter, 0);
    SetPref(kPrefPanMotion, 1);
    SetPref(kPrefFadeFine, 2);
    SetPref(kPrefFadeCenter, 0);
    ResetParameterInterface();
    KMXSetInteger(IDMIXERACTIVE, 1);
    parent = CreateWindowExA(0, "KorvaneWidgetTestParent", "Widget test", WS_POPUP | WS_VISIBLE, 0, 0, 300,
                             300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    testsupport::PumpPending();
  }

  void TearDown() override {
    if (GetCapture()) ReleaseCapture();
    if (parent) DestroyWindow(parent);
    testsupport::PumpPending();
    DestroyMasterControl();
    ResetParameterInterface();
  }

  // A widget made as the mixer window makes one; its window owns it.
  template <typename Widget, typename... Args>
  Widget* Make(int id, int x, int y, int cx, int cy, Args... args) {
    auto* widget = new Widget(args...);
    bool made = false;
    if constexpr (std::is_base_of_v<WBufferedWindow, Widget>)
      made = widget->Create(parent, id, x, y, cx, cy, 0);
    else
      made = widget->Create(parent, id, x, y, cx, cy, "", 0, 0);
    if (!made) {
      delete widget;
      ADD_FAILURE() << "no window for widget " << id;
      return nullptr;
    }
    return widget;
  }

  static void SetPref(std::uint16_t id, std::int32_t value) { velmoraPrefs::Instance()->SetPref(id, value); }

  // The mouse and keyboard, as the window receives them. keys: MK_CONTROL, MK_SHIFT.
  static void Press(HWND hwnd, int x, int y, WPARAM keys = 0) {
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(x, y));
  }
  static void MoveTo(HWND hwnd, int x, int y, WPARAM keys = 0) {
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON | keys, MAKELPARAM(x, y));
  }
  static void Release(HWND hwnd, int x, int y) { SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
  static void Key(HWND hwnd, WPARAM key) { SendMessageA(hwnd, WM_KEYDOWN, key, 0); }

  // What the screen shows at a client point of hwnd, once every pending paint is done.
  static COLORREF Pixel(HWND hwnd, int x, int y) {
    testsupport::PumpPending();
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return colour;
  }

  // Whether the window has anything waiting to be repainted.
  static bool NeedsPaint(HWND hwnd) { return GetUpdateRect(hwnd, nullptr, FALSE) != FALSE; }

  HWND parent = nullptr;
  IsolatedPrefs prefs;
};

}  // namespace widgettest
