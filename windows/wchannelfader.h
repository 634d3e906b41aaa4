// A channel strip's fader: gains 0 to 2.0 on the channel law, the channel
// track and thumb images, the thumb at the window's left edge.
#pragma once

#include "resources/velmora_bitmaps.h"
#include "windows/wfader.h"

class WChannelFader : public WFader {
 public:
  WChannelFader() : WFader(IDB_FADER_TRACK, IDB_FADER_THUMB, 0, 2) {}
};
