// What the panel's windows need to know of the monitor they are on: its DPI,
// fonts of the size that DPI asks for, and whether the system lays a dialog
// out again by itself when the DPI changes.
#pragma once

#include <windows.h>

namespace app {

// The DPI of the monitor `window` is on (96 for none, or on a system that
// cannot tell).
UINT WindowDpi(HWND window);
// A dialog's font `font`, made at `from` dpi, as the dialog manager makes it
// at `to` dpi: the same whole number of points; null when it cannot be made.
// The caller deletes it.
HFONT CreateDialogFontForDpi(HFONT font, UINT from, UINT to);
// The system's status-bar font at `dpi`; null when there is none to be had.
// The caller deletes it.
HFONT CreateStatusFontForDpi(UINT dpi);
// `dialog` and its controls are laid out by the program on a DPI change, not
// by the system (which would do it a second time, in its own way).
void KeepOwnDpiLayout(HWND dialog);

}  // namespace app
