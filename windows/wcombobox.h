// A drop-down list whose selected item index is the parameter's value.
#pragma once

#include "windows/wcontrol.h"

class WComboBox : public WControl {
 public:
  void OnCommand(int code, WMessage& msg) override;
  bool HandleMessage(WMessage& msg) override;
  void Refresh() override;
  const char* ClassName() const override { return "COMBOBOX"; }

  void AddString(const char* text);
};
