// A two-state button drawn from bitmaps: each press, or Space while it has
// the focus, toggles the integer parameter of its control id, and it shows
// whatever the model holds. Screen readers see a check button, checked while on.
#pragma once

#include "windows/wdrawncontrol.h"

class WImageButton : public WDrawnControl {
 public:
  WImageButton(int offImage, int onImage) : offImage(offImage), onImage(onImage) {}

  bool HandleMessage(WMessage& msg) override;
  const char* ClassName() const override { return "ZWIMAGEBUTTON"; }
  virtual std::int32_t GetState() { return GetInteger(); }
  virtual void SetState(std::int32_t value) { SetInteger(value); }
  void Toggle();

  long AccRole() override;
  long AccStateBits() override;
  std::optional<std::string> AccDefaultAction() override;
  bool AccDoDefaultAction() override;

 private:
  void Paint();

  int offImage;
  int onImage;
};
