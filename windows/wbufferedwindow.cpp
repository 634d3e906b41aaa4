#include "windows/wbufferedwindow.h"

WBufferedWindow::~WBufferedWindow() {
  auto hold = surface.Hold();
  buffered = false;
  surface.Release();
}

bool WBufferedWindow::Create(HWND parent, int id, int x, int y, int cx, int cy, DWORD exStyle) {
  if (!WWindow::Create(parent, id, x, y, cx, cy, "", 0, exStyle)) return false;
  createdId = id;
  // The metering thread may refresh the window from the moment it is bound:
  // it must see either no surface or a whole one.
  auto hold = surface.Hold();
  buffered = surface.Create(HWnd);
  return true;
}

// The metering thread finds no surface while the window moves: it draws
// nothing until the new one is whole.
void WBufferedWindow::Rescale(const WScale& newScale, const WScaledRect& rect) {
  {
    auto hold = surface.Hold();
    buffered = false;
    surface.Release();
  }
  WWindow::Rescale(newScale, rect);
  auto hold = surface.Hold();
  buffered = surface.Create(HWnd);
  backgroundDrawn = buffered;
  if (!buffered) return;
  // Drawn whole now: a meter the metering thread leaves alone while its
  // levels stay shows them all the same.
  DrawBackground(surface.Dc());
  Draw(surface.Dc());
}

// `buffered` is read under the lock too: on the metering thread this may run
// while the window thread makes or releases the surface.
void WBufferedWindow::Refresh() {
  {
    auto hold = surface.Hold();
    if (buffered) Draw(surface.Dc());
  }
  Invalidate();
}

bool WBufferedWindow::HandleMessage(WMessage& msg) {
  switch (msg.msg) {
    case WM_ERASEBKGND:
      msg.result = 1;
      return true;
    case WM_PAINT:
      Paint();
      return true;
    default:
      return false;
  }
}

void WBufferedWindow::Draw(HDC) {}

void WBufferedWindow::DrawBackground(HDC) {}

void WBufferedWindow::Paint() {
  PAINTSTRUCT ps;
  HDC paintDc = BeginPaint(HWnd, &ps);
  if (buffered) {
    auto hold = surface.Hold();
    if (!backgroundDrawn) {
      DrawBackground(surface.Dc());
      backgroundDrawn = true;
    }
    surface.BlitTo(paintDc);
  } else {
    DrawBackground(paintDc);
    Draw(paintDc);
  }
  EndPaint(HWnd, &ps);
}
