// Ground for the toolkit's tests: a shown top-level window that does for its
// children what the mixer window does (reflects commands and colour messages,
// refreshes controls after parameter writes), over the engine running on the
// in-process simulated X-Tamber with the mixer enabled.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/log.h"
#include "simulator/simulatedmachine.h"
#include "tests/support/eventually.h"
#include "tests/support/prefsandbox.h"
#include "velmora/velmora.h"
#include "velmora/velmoraprefs.h"
#include "windows/reflect.h"
#include "windows/wwindow.h"

namespace toolkittest {

constexpr COLORREF kParentColour = RGB(0x30, 0x60, 0x90);
constexpr COLORREF kHalvesLeft = RGB(0x12, 0x34, 0x56);
constexpr COLORREF kHalvesRight = RGB(0xC8, 0x64, 0x0A);
constexpr COLORREF kFramedKey = RGB(0xA1, 0xA3, 0xA6);
constexpr COLORREF kFramedCentre = RGB(0x00, 0xC0, 0x00);
constexpr int kHalvesBitmap = 200;
constexpr int kFramedBitmap = 201;

inline HWND& Parent() {
  static HWND parent = nullptr;
  return parent;
}

// The mixer window's RefreshControls over this parent's children.
inline BOOL CALLBACK RefreshChild(HWND child, LPARAM param) {
  const auto* request = reinterpret_cast<const std::pair<std::uint32_t, int>*>(param);
  const int id = GetDlgCtrlID(child);
  const bool selected = (id & 0xC000) == 0x4000 && (id & request->first) != 0 &&
                        (request->second == -1 || request->second == (id & 0xF));
  if (selected)
    if (WWindow* win = WWindow::Get(child)) win->Refresh();
  return TRUE;
}

inline void RefreshChildren(std::uint32_t mask, int channel) {
  std::pair<std::uint32_t, int> request{mask, channel};
  if (Parent()) EnumChildWindows(Parent(), &RefreshChild, reinterpret_cast<LPARAM>(&request));
}

inline LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ReflectToChild(msg, wParam, lParam, &result)) return result;
  if (msg == WM_ERASEBKGND) {
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = CreateSolidBrush(kParentColour);
    FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
    DeleteObject(brush);
    return 1;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

inline void NoMeters() {}
inline void DiscardLog(const char*, void*) {}

class ToolkitTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "KorvaneToolkitTestParent";
    RegisterClassExA(&wc);
  }

  void SetUp() override {
    platform::SetLogSink(&DiscardLog, nullptr);  // the engine's chatter
    ResetParameterInterface();
    machine = std::make_unique<simulator::ScopedMachine>();
    ASSERT_EQ(GetMasterControl()->InitKorvaneMasterControl(&NoMeters), 1u);
    KMXSetInteger(IDMIXERACTIVE, 1);
    Parent() =
        CreateWindowExA(0, "KorvaneToolkitTestParent", "Toolkit test", WS_POPUP | WS_VISIBLE, 0, 0,
                        400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(Parent(), nullptr);
    SetRefreshControlsHook(&RefreshChildren);
    testsupport::PumpPending();
  }

  void TearDown() override {
    SetRefreshControlsHook(nullptr);
    if (Parent()) DestroyWindow(Parent());
    Parent() = nullptr;
    testsupport::PumpPending();
    DestroyMasterControl();
    velmoraPrefs::DestroyInstance();  // the next test reads its own sandbox
    machine.reset();
    ResetParameterInterface();
    platform::SetLogSink(nullptr, nullptr);
  }

  // A control made as the mixer window makes one; owned by its window.
  template <typename Control, typename... Args>
  Control* Make(int id, RECT at, const char* text, DWORD style, DWORD exStyle, Args... args) {
    auto* control = new Control(args...);
    if (!control->Create(Parent(), id, at.left, at.top, at.right - at.left, at.bottom - at.top,
                         text, style, exStyle)) {
      delete control;
      ADD_FAILURE() << "no window for control " << id;
      return nullptr;
    }
    return control;
  }

  // What the screen shows at a client point of hwnd, once every pending paint is done.
  static COLORREF Pixel(HWND hwnd, int x, int y) {
    testsupport::PumpPending();
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return colour;
  }

  testsupport::PrefSandbox prefs;
  std::unique_ptr<simulator::ScopedMachine> machine;
};

}  // namespace toolkittest
