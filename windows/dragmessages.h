// The message routing that the fader and the knob share: a press, pointer
// moves, the release of the capture, the wheel, painting without an erase,
// keys (the release of the reset key among them), and the arrow keys kept
// from a dialog-style message loop (which would otherwise move the focus with
// them). Each control supplies the named handlers.
#pragma once

#include <windows.h>

#include "velmora/mixsteps.h"
#include "windows/wmessage.h"

template <typename Control>
bool RouteDragMessage(Control& control, HWND hwnd, WMessage& msg) {
  control.NoteMessage(msg);
  switch (msg.msg) {
    case WM_LBUTTONDOWN:
      control.OnButtonDown(msg);
      return true;
    case WM_MOUSEMOVE:
      control.OnPointerMove(msg.Point());
      return true;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd) ReleaseCapture();
      EndDrag();
      return true;
    case WM_ERASEBKGND:
      msg.result = 1;
      return true;
    case WM_PAINT:
      control.Paint();
      return true;
    case WM_KEYDOWN:
      control.OnKeyDown(msg.wParam);
      return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      // Any other release, Alt's into the menu bar among them, goes on.
      if (!control.IsResetRelease(msg, control.ResetPreference())) return false;
      control.Reset();
      msg.result = 0;
      return true;
    case WM_MOUSEWHEEL:
      control.OnWheel(msg);
      return true;
    case WM_GETDLGCODE:
      msg.result = DLGC_WANTARROWS;
      return true;
    default:
      return false;
  }
}
