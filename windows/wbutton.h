// The "Clear Overs" push button: a click asks the engine to clear the device's
// over indicators.
#pragma once

#include "windows/wcontrol.h"

class WButton : public WControl {
 public:
  void OnCommand(int code, WMessage& msg) override;
  const char* ClassName() const override { return "BUTTON"; }
  virtual void OnClick();
};
