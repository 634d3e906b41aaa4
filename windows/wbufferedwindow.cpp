#include "windows/wbufferedwindow.h"

#include "windows/windowdc.h"

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
// nothing until the new one is whole. The scale changes under the lock, as
// that thread reads it under the lock; the move is made without it, since
// the messages it sends may paint, and a paint takes the lock.
void WBufferedWindow::Rescale(const WScale& newScale, const WScaledRect& rect) {
  {
    auto hold = surface.Hold();
    buffered = false;
    surface.Release();
    scale = newScale;
  }
  Place(rect);
  auto hold = surface.Hold();
  buffered = surface.Create(HWnd);
  backgroundDrawn = buffered;
  changeWaiting = false;  // the move repaints the window whole
  if (!buffered) return;
  // Drawn whole now: a meter the metering thread leaves alone while its
  // levels stay shows them all the same.
  DrawBackground(surface.Dc());
  Draw(surface.Dc());
}

// The invalidation repaints the whole window: what Update noted, and any
// change noted before it, is shown by that paint.
void WBufferedWindow::Refresh() {
  if (!Update()) return;
  {
    auto hold = surface.Hold();
    changeWaiting = false;
  }
  Invalidate();
}

// `buffered` is read under the lock too: on the metering thread this may run
// while the window thread makes or releases the surface.
bool WBufferedWindow::Update() {
  auto hold = surface.Hold();
  if (buffered) Draw(surface.Dc());
  NoteChanged(surface.Rect());
  return true;
}

void WBufferedWindow::NoteChanged(const RECT& area) {
  if (changeWaiting) {
    UnionRect(&unshown, &unshown, &area);
  } else {
    unshown = area;
    changeWaiting = true;
  }
}

// The ancestor's context clips to what of it is visible; the mixer's
// children do not clip one another either, so this draws the pixels a paint
// of the window would. The caller has the context before the lock is taken,
// so the metering thread never waits on the system.
void WBufferedWindow::ShowChanges(HWND ancestor, HDC dc) {
  RECT r{};
  bool byPaint = false;
  {
    auto hold = surface.Hold();
    if (!changeWaiting) return;
    changeWaiting = false;
    r = unshown;
    byPaint = !buffered || !backgroundDrawn;
  }
  if (byPaint) {
    Invalidate();
    return;
  }
  if (IsRectEmpty(&r) || !dc) return;
  POINT origin{0, 0};
  MapWindowPoints(HWnd, ancestor, &origin, 1);
  // Whatever the metering thread drew meanwhile is copied with it; its own
  // note brings it here again.
  auto hold = surface.Hold();
  if (buffered)
    BitBlt(dc, origin.x + r.left, origin.y + r.top, r.right - r.left, r.bottom - r.top,
           surface.Dc(), r.left, r.top, SRCCOPY);
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
    // A noted change stays noted: the paint may cover only part of the window.
    surface.BlitTo(paintDc);
  } else {
    DrawBackground(paintDc);
    Draw(paintDc);
  }
  EndPaint(HWnd, &ps);
}
