#include "gui/controlfactory.h"

#include <string>

#include "platform/log.h"
#include "velmora/velmora.h"
#include "windows/wchannelfader.h"
#include "windows/wknob.h"
#include "windows/wlinkedfader.h"
#include "windows/wmeter.h"
#include "windows/wmeterstatus.h"

namespace {

WLinkedFader* leftMaster = nullptr;

// The window of a control just made, or null after deleting an object that
// got none.
template <typename Widget>
HWND Kept(Widget* object, bool created, std::uint16_t id) {
  if (created) return object->Handle();
  platform::Log("Could not create control %04X.\n", id);
  delete object;
  return nullptr;
}

template <typename Widget>
HWND Place(HWND parent, const ControlPlacement& p, Widget* object, DWORD style = 0,
           DWORD exStyle = 0) {
  return Kept(object,
              object->Create(parent, p.id, p.x, p.y, p.cx, p.cy, p.text.c_str(), style, exStyle),
              p.id);
}

template <typename Widget>
HWND PlaceBuffered(HWND parent, const ControlPlacement& p, Widget* object) {
  return Kept(object, object->Create(parent, p.id, p.x, p.y, p.cx, p.cy, 0), p.id);
}

// A plain system static that shows a bitmap of the program at its natural size.
HWND PlaceBackground(HWND parent, const ControlPlacement& p) {
  const std::string resource = "#" + std::to_string(p.bitmap);
  return CreateWindowExA(0, "STATIC", resource.c_str(), WS_CHILD | WS_VISIBLE | SS_BITMAP, p.x, p.y,
                         p.cx, p.cy, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND PlaceMasterFader(HWND parent, const ControlPlacement& p) {
  auto* fader = new WLinkedFader(p.bitmap, p.thumbBitmap, p.thumbX, 1);
  const HWND made = Place(parent, p, fader);
  const bool isLeft = (p.id & 0xF) == 8;
  if (isLeft) {
    leftMaster = made ? fader : nullptr;
  } else if (made && leftMaster) {
    leftMaster->SetPartner(fader);
    fader->SetPartner(leftMaster);
  }
  return made;
}

}  // namespace

HWND CreatePlacedControl(HWND parent, const ControlPlacement& p) {
  switch (p.kind) {
    case ControlKind::Background: return PlaceBackground(parent, p);
    case ControlKind::Meter: return PlaceBuffered(parent, p, new WMeter(kMeterSegments, p.bitmap));
    case ControlKind::MeterStatus: return PlaceBuffered(parent, p, new WMeterStatus);
    case ControlKind::Knob: return Place(parent, p, new WKnob);
    case ControlKind::ChannelFader: return Place(parent, p, new WChannelFader);
    case ControlKind::MasterFader: return PlaceMasterFader(parent, p);
    default:
      platform::Log("Could not create control %04X.\n", p.id);
      return nullptr;
  }
}
