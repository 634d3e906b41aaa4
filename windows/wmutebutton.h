// A channel's mute button: grey MUTE when off, red when on (the effective
// mute, so a channel silenced by another's solo shows red too). Its
// description tells a screen reader which of the two silences the channel.
#pragma once

#include "windows/wimagebutton.h"

class WMuteButton : public WImageButton {
 public:
  WMuteButton() : WImageButton(110, 111) {}

  std::optional<std::string> AccDescription() override;
};
