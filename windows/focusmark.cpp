#include "windows/focusmark.h"

bool HighContrastOn() {
  HIGHCONTRASTA contrast{};
  contrast.cbSize = sizeof contrast;
  if (!SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0)) return false;
  return (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void DrawFocusMark(HWND hwnd, HDC dc) {
  RECT rect{};
  GetClientRect(hwnd, &rect);
  if (!HighContrastOn()) {
    DrawFocusRect(dc, &rect);
    return;
  }
  // Two rows wide, so that it shows on any picture under it.
  HBRUSH highlight = GetSysColorBrush(COLOR_HIGHLIGHT);
  FrameRect(dc, &rect, highlight);
  InflateRect(&rect, -1, -1);
  FrameRect(dc, &rect, highlight);
}
