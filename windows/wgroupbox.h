// A group frame; the system control does everything.
#pragma once

#include "windows/wcontrol.h"

class WGroupBox : public WControl {
 public:
  const char* ClassName() const override { return "BUTTON"; }
};
