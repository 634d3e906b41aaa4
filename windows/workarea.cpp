#include "windows/workarea.h"

namespace {

bool forcedWorkArea = false;
RECT forcedArea{};

RECT WorkAreaOfMonitor(HMONITOR monitor) {
  if (forcedWorkArea) return forcedArea;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) return info.rcWork;
  RECT area{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
    area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return area;
}

}  // namespace

RECT WorkAreaOf(HWND window) {
  return WorkAreaOfMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

RECT WorkAreaAt(const RECT& rect) {
  return WorkAreaOfMonitor(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST));
}

void SetWorkAreaForTests(const RECT* area) {
  forcedWorkArea = area != nullptr;
  if (area != nullptr) forcedArea = *area;
}

ScreenSize SizeOf(const RECT& rect) { return {rect.right - rect.left, rect.bottom - rect.top}; }

ScreenSize FrameExtent(DWORD style, DWORD exStyle, bool menu, int dpi) {
  RECT outer{0, 0, 0, 0};
  // At 96 dpi the call every system has, which is what the windows were
  // always sized with there.
  const BOOL adjusted =
      dpi == USER_DEFAULT_SCREEN_DPI
          ? AdjustWindowRectEx(&outer, style, menu, exStyle)
          : AdjustWindowRectExForDpi(&outer, style, menu, exStyle, static_cast<UINT>(dpi));
  return adjusted ? SizeOf(outer) : ScreenSize{};
}

bool KeepInside(HWND window, const RECT& area) {
  RECT now{};
  if (!GetWindowRect(window, &now)) return false;
  const ScreenRect kept = KeptInside({now.left, now.top, now.right, now.bottom},
                                     {area.left, area.top, area.right, area.bottom});
  if (kept.left == now.left && kept.top == now.top) return false;
  SetWindowPos(window, nullptr, kept.left, kept.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}
