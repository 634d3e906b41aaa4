#include "windows/wmutebutton.h"

#include "korvaneobjects/korvanemastercontrol.h"
#include "velmora/korvanemix8bus.h"

std::optional<std::string> WMuteButton::AccDescription() {
  if (GetState() == 0) return std::string();
  KorvaneMasterControl* master = GetMasterControl();
  const int channel = ParameterId() & 0xF;
  const bool ownFlag = master && master->Model() &&
                       master->Model()->GetMute(static_cast<int>(master->SelectedMix()), channel);
  return std::string(ownFlag ? "muted" : "muted by another channel's solo");
}
