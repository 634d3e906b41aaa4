// A channel's solo button: grey SOLO when off, blue when on.
#pragma once

#include "windows/wimagebutton.h"

class WSoloButton : public WImageButton {
 public:
  WSoloButton() : WImageButton(113, 109) {}
};
