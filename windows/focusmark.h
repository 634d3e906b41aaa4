// The mark a drawn control shows while it has the keyboard focus: a frame
// just inside its client rectangle, so that it fits whatever size the control
// is drawn at. With a high-contrast theme on it is drawn in the system's
// highlight colour; otherwise it is the system's dotted focus rectangle.
#pragma once

#include <windows.h>

bool HighContrastOn();
void DrawFocusMark(HWND hwnd, HDC dc);
