#include "windows/wbutton.h"

#include "korvaneobjects/korvanemastercontrol.h"

void WButton::OnCommand(int code, WMessage&) {
  if (code == BN_CLICKED) OnClick();
}

void WButton::OnClick() { GetMasterControl()->ClearOvers(); }
