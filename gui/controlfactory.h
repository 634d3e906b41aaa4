// Makes one control of the mixer window from its place in the layout table.
#pragma once

#include <windows.h>

#include "gui/mixerlayout.h"
#include "windows/wscale.h"

// The control's window, or null when it could not be made (its object is then
// deleted again and the window goes on without it). The left and right master
// faders are made partners once the right one exists. The control is placed
// at its rectangle times the scale, and draws and reads the pointer at it.
// It is made hidden, for the caller to show with the others.
HWND CreatePlacedControl(HWND parent, const ControlPlacement& place, const WScale& scale);

// Moves a control made from `place` to the rectangle of another scale, with
// the fonts, images and surfaces of that scale.
void RescalePlacedControl(HWND control, const ControlPlacement& place, const WScale& scale);
// Frees the background bitmaps of every other scale, once each background
// window has been moved to `scale`.
void ReleaseBackgroundsOfOtherScales(const WScale& scale);
// Frees the scaled background bitmaps, once their windows are gone.
void ReleaseScaledBackgrounds();
