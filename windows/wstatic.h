// A text label. The output and DAW labels name the pair of the selected mix;
// any other label keeps its text.
#pragma once

#include "windows/wcontrol.h"

class WStatic : public WControl {
 public:
  explicit WStatic(int labelId) : labelId(labelId) {}

  void Refresh() override;
  bool HandleMessage(WMessage& msg) override;
  const char* ClassName() const override { return "STATIC"; }

 private:
  int labelId;
};
