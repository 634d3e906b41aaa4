// Smoke test of the ground every GUI test stands on: under Wine on a headless
// X server, real windows take real mouse and key messages, a button notifies
// its parent, and what a window paints can be read back pixel by pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/eventually.h"

namespace {

constexpr int kButtonId = 101;
constexpr COLORREF kLeftColour = RGB(0x12, 0x34, 0x56);
constexpr COLORREF kRightColour = RGB(0xC8, 0x64, 0x0A);
const wchar_t kClassName[] = L"KorvaneGuiSmoke";

struct Command {
  int id;
  int code;
  HWND from;
};

// What the top-level window's procedure saw, and what it paints.
struct Recorder {
  std::vector<Command> commands;
  std::vector<WPARAM> keysDown;
  std::vector<WPARAM> chars;
  COLORREF left = kLeftColour;
  COLORREF right = kRightColour;
  int paints = 0;
};

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* rec = reinterpret_cast<Recorder*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
      break;
    }
    case WM_COMMAND:
      rec->commands.push_back({LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)});
      return 0;
    case WM_KEYDOWN:
      rec->keysDown.push_back(wp);
      return 0;
    case WM_CHAR:
      rec->chars.push_back(wp);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      RECT half = client;
      half.right = client.right / 2;
      HBRUSH brush = CreateSolidBrush(rec->left);
      FillRect(dc, &half, brush);
      DeleteObject(brush);
      half.left = half.right;
      half.right = client.right;
      brush = CreateSolidBrush(rec->right);
      FillRect(dc, &half, brush);
      DeleteObject(brush);
      EndPaint(hwnd, &ps);
      ++rec->paints;
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LPARAM pointParam(int x, int y) { return MAKELPARAM(x, y); }

class GuiSmoke : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = recordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    ASSERT_NE(RegisterClassExW(&wc), 0) << "RegisterClassExW failed, error " << GetLastError();
  }

  static void TearDownTestSuite() { UnregisterClassW(kClassName, GetModuleHandleW(nullptr)); }

  void SetUp() override {
    top_ = CreateWindowExW(0, kClassName, L"GUI smoke", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                           400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), &rec_);
    ASSERT_NE(top_, nullptr) << "no top-level window, error " << GetLastError();
    button_ =
        CreateWindowExW(0, L"BUTTON", L"Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 120,
                        40, top_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)),
                        GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(button_, nullptr) << "no button, error " << GetLastError();
    UpdateWindow(top_);
    testsupport::PumpPending();
  }

  void TearDown() override {
    if (top_ != nullptr) {
      DestroyWindow(top_);
    }
    testsupport::PumpPending();
  }

  int clicksFromButton() const {
    int clicks = 0;
    for (const Command& c : rec_.commands) {
      if (c.id == kButtonId && c.code == BN_CLICKED && c.from == button_) {
        ++clicks;
      }
    }
    return clicks;
  }

  Recorder rec_;
  HWND top_ = nullptr;
  HWND button_ = nullptr;
};

TEST_F(GuiSmoke, MouseClickOnButtonNotifiesParent) {
  SendMessageW(button_, WM_LBUTTONDOWN, MK_LBUTTON, pointParam(10, 10));
  EXPECT_EQ(clicksFromButton(), 0) << "a button clicks on release, not on press";
  SendMessageW(button_, WM_LBUTTONUP, 0, pointParam(10, 10));
  ASSERT_TRUE(testsupport::PumpUntil([&] { return clicksFromButton() > 0; }));
  EXPECT_EQ(clicksFromButton(), 1);
}

TEST_F(GuiSmoke, MouseReleasedOutsideButtonDoesNotClick) {
  SendMessageW(button_, WM_LBUTTONDOWN, MK_LBUTTON, pointParam(10, 10));
  SendMessageW(button_, WM_MOUSEMOVE, MK_LBUTTON, pointParam(300, 200));
  SendMessageW(button_, WM_LBUTTONUP, 0, pointParam(300, 200));
  testsupport::PumpPending();
  EXPECT_EQ(clicksFromButton(), 0);
}

TEST_F(GuiSmoke, SpaceKeyOnButtonClicksIt) {
  SetFocus(button_);
  PostMessageW(button_, WM_KEYDOWN, VK_SPACE, 1);
  PostMessageW(button_, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001u));
  ASSERT_TRUE(testsupport::PumpUntil([&] { return clicksFromButton() > 0; }));
  EXPECT_EQ(clicksFromButton(), 1);
}

TEST_F(GuiSmoke, PostedKeyPassesThroughMessageLoopAsKeyAndCharacter) {
  const LPARAM scanA = static_cast<LPARAM>(MapVirtualKeyW('A', MAPVK_VK_TO_VSC)) << 16 | 1;
  PostMessageW(top_, WM_KEYDOWN, 'A', scanA);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !rec_.chars.empty(); }))
      << "TranslateMessage made no WM_CHAR";
  ASSERT_EQ(rec_.keysDown.size(), 1u);
  EXPECT_EQ(rec_.keysDown[0], static_cast<WPARAM>('A'));
  EXPECT_EQ(rec_.chars[0], static_cast<WPARAM>('a'));
}

TEST_F(GuiSmoke, InjectedMouseClickReachesButtonUnderCursor) {
  RECT r;
  GetWindowRect(button_, &r);
  SetForegroundWindow(top_);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT in[2]{};
  in[0].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].type = INPUT_MOUSE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return clicksFromButton() > 0; }));
  EXPECT_EQ(clicksFromButton(), 1);
}

TEST_F(GuiSmoke, PaintedColoursReadBackFromWindow) {
  ASSERT_GE(rec_.paints, 1);
  RECT client;
  GetClientRect(top_, &client);
  HDC dc = GetDC(top_);
  ASSERT_NE(dc, nullptr);
  // Below the button, in each half.
  EXPECT_EQ(GetPixel(dc, client.right / 4, client.bottom - 10), kLeftColour);
  EXPECT_EQ(GetPixel(dc, client.right * 3 / 4, client.bottom - 10), kRightColour);
  ReleaseDC(top_, dc);
}

TEST_F(GuiSmoke, RepaintAfterInvalidationShowsNewColour) {
  const int paintsBefore = rec_.paints;
  rec_.left = RGB(0xFF, 0xFF, 0x00);
  InvalidateRect(top_, nullptr, FALSE);
  UpdateWindow(top_);
  EXPECT_GT(rec_.paints, paintsBefore);
  RECT client;
  GetClientRect(top_, &client);
  HDC dc = GetDC(top_);
  EXPECT_EQ(GetPixel(dc, client.right / 4, client.bottom - 10), RGB(0xFF, 0xFF, 0x00));
  EXPECT_EQ(GetPixel(dc, client.right * 3 / 4, client.bottom - 10), kRightColour);
  ReleaseDC(top_, dc);
}

TEST_F(GuiSmoke, ChildButtonPaintsOverParent) {
  // The button draws its own face (away from its border and its caption):
  // the window's pixels there are not the parent's fill.
  HDC dc = GetDC(top_);
  EXPECT_NE(GetPixel(dc, 20 + 8, 20 + 8), kLeftColour);
  ReleaseDC(top_, dc);
}

}  // namespace
