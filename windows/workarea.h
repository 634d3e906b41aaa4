// Where a window may lie on its monitor: the work area (the screen less the
// taskbar and docked bars), what a window's frame measures at a DPI, and a
// window kept inside the work area. Both programs fit their fixed-size
// windows to it (windows/screenfit.h).
#pragma once

#include <windows.h>

#include "windows/screenfit.h"

// The work area of the monitor `window` is on (nearest to it).
RECT WorkAreaOf(HWND window);
// The work area of the monitor nearest to `rect` (where a window is going).
RECT WorkAreaAt(const RECT& rect);
// Tests make the work area of every monitor `area`; null gives the system's back.
void SetWorkAreaForTests(const RECT* area);

ScreenSize SizeOf(const RECT& rect);
// What the caption, the menu bar (one row) and the borders of a window of
// these styles add to its client area at `dpi`; nothing where the system
// cannot tell.
ScreenSize FrameExtent(DWORD style, DWORD exStyle, bool menu, int dpi);
// Moves `window` as little as brings it inside `area`; true when it moved.
bool KeepInside(HWND window, const RECT& area);
