#include "windows/woffscreen.h"

#include <utility>

#include "platform/assert.h"
#include "windows/windowdc.h"

bool WOffscreen::Create(HWND hwnd) {
  KORVANE_ASSERT(!HWnd, "!HWnd");
  if (HWnd) return false;
  RECT client{};
  if (!GetClientRect(hwnd, &client)) return false;
  WindowDc windowDc(hwnd);
  if (!windowDc) return false;
  MemoryDc memory(windowDc.Get());
  if (!memory) return false;
  GdiBitmap surface(CreateCompatibleBitmap(windowDc.Get(), client.right, client.bottom));
  if (!surface) return false;
  GdiSelection selection(memory.Get(), surface.Get());
  if (!selection) return false;
  // Only a surface made in full is kept; on any failure above the owners
  // have already given back what was made.
  dc = std::move(memory);
  bitmap = std::move(surface);
  previousBitmap = std::move(selection);
  rect = client;
  HWnd = hwnd;
  return true;
}

void WOffscreen::BlitTo(HDC hdc) const {
  if (!HWnd) return;
  BitBlt(hdc, 0, 0, rect.right, rect.bottom, dc.Get(), 0, 0, SRCCOPY);
}

void WOffscreen::Release() {
  previousBitmap.Reset();
  bitmap.Reset();
  dc.Reset();
  HWnd = nullptr;
}
