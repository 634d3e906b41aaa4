// A plain (not automatic) check box bound to an integer parameter: a click
// writes the inverse of the value read, and the mark follows the parameter,
// so a refused write leaves the mark as the model has it.
#pragma once

#include "windows/wbutton.h"

class WCheckBox : public WButton {
 public:
  void Refresh() override;
  void OnClick() override;
};
