// Ground for the widget tests: the toolkit's test window over the engine,
// preferences at their defaults, and helpers that send the messages a user's
// mouse and keyboard would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "tests/windows/toolkitfixture.h"
#include "velmora/velmoraprefs.h"
#include "windows/wbufferedwindow.h"

namespace widgettest {

class WidgetTest : public toolkittest::ToolkitTest {
 protected:
  void SetUp() override {
    // The store under the test prefix outlives a test: start from the defaults.
    SetPref(kPrefPanFine, 2);
    SetPref(kPrefPanCenter, 0);
    SetPref(kPrefPanMotion, 1);
    SetPref(kPrefFadeFine, 2);
    SetPref(kPrefFadeCenter, 0);
    ToolkitTest::SetUp();
  }

  void TearDown() override {
    if (GetCapture()) ReleaseCapture();
    ToolkitTest::TearDown();
  }

  // A widget made as the mixer window makes one; its window owns it.
  template <typename Widget, typename... Args>
  Widget* MakeWidget(int id, int x, int y, int cx, int cy, Args... args) {
    if constexpr (!std::is_base_of_v<WBufferedWindow, Widget>) {
      return Make<Widget>(id, RECT{x, y, x + cx, y + cy}, "", 0, 0, args...);
    } else {
      auto* widget = new Widget(args...);
      if (widget->Create(toolkittest::Parent(), id, x, y, cx, cy, 0)) return widget;
      delete widget;
      ADD_FAILURE() << "no window for widget " << id;
      return nullptr;
    }
  }

  static void SetPref(std::uint16_t id, std::int32_t value) {
    velmoraPrefs::Instance()->SetPref(id, value);
  }

  // The mouse and keyboard, as the window receives them. keys: MK_CONTROL, MK_SHIFT.
  static void Press(HWND hwnd, int x, int y, WPARAM keys = 0) {
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(x, y));
  }
  static void MoveTo(HWND hwnd, int x, int y, WPARAM keys = 0) {
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON | keys, MAKELPARAM(x, y));
  }
  static void Release(HWND hwnd, int x, int y) {
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  static void Key(HWND hwnd, WPARAM key) { SendMessageA(hwnd, WM_KEYDOWN, key, 0); }

  // Whether the window has anything waiting to be repainted.
  static bool NeedsPaint(HWND hwnd) { return GetUpdateRect(hwnd, nullptr, FALSE) != FALSE; }
};

}  // namespace widgettest
