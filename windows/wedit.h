// A value box under a knob or fader: shows the parameter as text and takes a
// typed value on Enter, or when the focus leaves a changed box. Screen readers
// hear it named for what it sets; with a high-contrast theme on it takes the
// system's colours.
#pragma once

#include "windows/accessiblesource.h"
#include "windows/wcontrol.h"

class WEdit : public WControl, public AccessibleSource {
 public:
  void OnCommand(int code, WMessage& msg) override;
  void Refresh() override;
  bool HandleMessage(WMessage& msg) override;
  const char* ClassName() const override { return "EDIT"; }
  virtual void SetValue(double value);  // writes, then shows the model's value
  virtual double GetValue() { return GetFloat(); }

  // Writes the typed value, if the text holds one, and shows the model's value.
  void Commit();

  std::optional<std::string> AccName() override;
  // The text shown, so that a change through the parameter interface is told.
  std::optional<std::string> AccValue() override;

 private:
  LRESULT PickColours(HDC dc);
};
