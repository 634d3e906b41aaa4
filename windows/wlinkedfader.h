// One of the master pair: while linked, moving one moves the other by the
// same travel, keeping their distance in pixels; when the other would leave
// its travel it stops at the end, and this one at the same distance from it.
// A press with Control held moves this fader alone, until the button is released.
#pragma once

#include "windows/wfader.h"

class WLinkedFader : public WFader {
 public:
  WLinkedFader(int trackBitmap, int thumbBitmap, int thumbX, int maxValue);
  ~WLinkedFader() override;

  bool HandleMessage(WMessage& msg) override;
  void SetValue(double v) override;
  // Non-owning; the main window links both faders once both exist.
  void SetPartner(WLinkedFader* p) { partner = p; }
  bool IsLinked() const { return partner != nullptr && linked; }

 private:
  WLinkedFader* partner = nullptr;
  bool linked = false;
};
