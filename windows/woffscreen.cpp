#include "windows/woffscreen.h"

#include <utility>

#include "platform/assert.h"

namespace {

// Every window of the program draws in the screen's format: a surface made
// compatible with the screen is one made for the window, without asking the
// window server for the window's own context (a round trip or more each,
// twenty times as the mixer opens). Made once, kept for the whole run.
HDC ScreenFormat() {
  static const HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  return display;
}

}  // namespace

bool WOffscreen::Create(HWND hwnd) {
  KORVANE_ASSERT(!HWnd, "!HWnd");
  if (HWnd) return false;
  RECT client{};
  if (!GetClientRect(hwnd, &client)) return false;
  const HDC screen = ScreenFormat();
  if (!screen) return false;
  MemoryDc memory(screen);
  if (!memory) return false;
  GdiBitmap surface(CreateCompatibleBitmap(screen, client.right, client.bottom));
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
