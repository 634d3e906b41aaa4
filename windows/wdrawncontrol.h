// The base of the controls that draw themselves from bitmaps and register
// their own window class (image button, fader, knob).
#pragma once

#include "windows/wcontrol.h"

class WDrawnControl : public WControl {};
