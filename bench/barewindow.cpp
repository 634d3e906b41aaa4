// The smallest Win32 window program: one window with a line of text, shown,
// painted and left to its message loop. The yardstick the mixer's start-up,
// idle cost and pointer latency are set against (scripts/measure-mixer). It
// prints "MOVE TIME_US" for each pointer move it gets, on the clock of the
// driver's frame times, so the script sees how long the system takes to hand
// any window a move.
#include <windows.h>

#include <cstdio>

#include "bench/probeclock.h"

namespace {

LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      TextOutA(dc, 10, 10, "Bare Window", 11);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_MOUSEMOVE:
      std::printf("MOVE %.0f\n", NowMs() * 1000.0);
      std::fflush(stdout);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "BareWindow";
  if (!RegisterClassA(&windowClass)) return 1;
  HWND window =
      CreateWindowExA(0, "BareWindow", "Bare Window", WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                      CW_USEDEFAULT, 582, 694, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
