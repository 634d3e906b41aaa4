#include "gui/controlfactory.h"

#include <string>

#include "platform/log.h"
#include "velmora/velmora.h"
#include "windows/wbutton.h"
#include "windows/wchannelfader.h"
#include "windows/wcheckbox.h"
#include "windows/wcombobox.h"
#include "windows/wedit.h"
#include "windows/wgroupbox.h"
#include "windows/wimage.h"
#include "windows/wknob.h"
#include "windows/wlinkedfader.h"
#include "windows/wmeter.h"
#include "windows/wmeterstatus.h"
#include "windows/wmutebutton.h"
#include "windows/wsolobutton.h"
#include "windows/wstatic.h"

namespace {

constexpr DWORD kComboStyle = CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL;

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

// The mixer is switched on as the window opens.
HWND PlaceMixerActive(HWND parent, const ControlPlacement& p) {
  auto* box = new WCheckBox;
  const HWND made = Place(parent, p, box, BS_CHECKBOX);
  if (made) {
    box->SetInteger(1);
    box->Refresh();
  }
  return made;
}

HWND PlaceOutputSelector(HWND parent, const ControlPlacement& p) {
  auto* combo = new WComboBox;
  const HWND made = Place(parent, p, combo, kComboStyle);
  if (made)
    for (const char* choice : kOutputChoices) combo->AddString(choice);
  return made;
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
    case ControlKind::Background:
      return PlaceBackground(parent, p);
    case ControlKind::Meter:
      return PlaceBuffered(parent, p, new WMeter(kMeterSegments, p.bitmap));
    case ControlKind::MeterStatus:
      return PlaceBuffered(parent, p, new WMeterStatus);
    case ControlKind::Knob:
      return Place(parent, p, new WKnob);
    case ControlKind::ValueBox:
      return Place(parent, p, new WEdit, ES_CENTER, WS_EX_STATICEDGE);
    case ControlKind::ChannelFader:
      return Place(parent, p, new WChannelFader);
    case ControlKind::MasterFader:
      return PlaceMasterFader(parent, p);
    case ControlKind::SoloButton:
      return Place(parent, p, new WSoloButton);
    case ControlKind::MuteButton:
      return Place(parent, p, new WMuteButton);
    case ControlKind::Label:
      return Place(parent, p, new WStatic(p.id), SS_CENTER);
    case ControlKind::GroupBox:
      return Place(parent, p, new WGroupBox, BS_GROUPBOX);
    case ControlKind::PushButton:
      return Place(parent, p, new WButton, BS_PUSHBUTTON);
    case ControlKind::CheckBox:
      return PlaceMixerActive(parent, p);
    case ControlKind::ComboBox:
      return PlaceOutputSelector(parent, p);
    case ControlKind::Picture:
      return Place(parent, p, new WImage(p.bitmap, kPictureKeyColour));
  }
  return nullptr;
}
