// A value box under a knob or fader: shows the parameter as text and takes a
// typed value on Enter, or when the focus leaves a changed box.
#pragma once

#include "windows/wcontrol.h"

class WEdit : public WControl {
 public:
  void OnCommand(int code, WMessage& msg) override;
  void Refresh() override;
  bool HandleMessage(WMessage& msg) override;
  const char* ClassName() const override { return "EDIT"; }
  virtual void SetValue(double value);  // writes, then shows the model's value
  virtual double GetValue() { return GetFloat(); }

  // Writes the typed value, if the text holds one, and shows the model's value.
  void Commit();
};
