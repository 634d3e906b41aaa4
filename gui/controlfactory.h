// Makes one control of the mixer window from its place in the layout table.
#pragma once

#include <windows.h>

#include "gui/mixerlayout.h"

// The control's window, or null when it could not be made (its object is then
// deleted again and the window goes on without it). The left and right master
// faders are made partners once the right one exists.
HWND CreatePlacedControl(HWND parent, const ControlPlacement& place);
