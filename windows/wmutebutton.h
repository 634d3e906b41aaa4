// A channel's mute button: grey MUTE when off, red when on (the effective
// mute, so a channel silenced by another's solo shows red too).
#pragma once

#include "windows/wimagebutton.h"

class WMuteButton : public WImageButton {
 public:
  WMuteButton() : WImageButton(110, 111) {}
};
