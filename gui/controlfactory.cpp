#include "gui/controlfactory.h"

#include <map>
#include <set>
#include <string>
#include <utility>

#include "platform/log.h"
#include "velmora/velmora.h"
#include "windows/draw.h"
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

// The scale every control of the window being made is placed at.
WScale placing;

WScaledRect Scaled(const ControlPlacement& p, const WScale& scale) {
  return scale.Rect(p.x, p.y, p.cx, p.cy);
}

// Every control is made hidden: the window shows them together.
template <typename Widget>
HWND Place(HWND parent, const ControlPlacement& p, Widget* object, DWORD style = 0,
           DWORD exStyle = 0) {
  const WScaledRect r = Scaled(p, placing);
  object->SetScale(placing);
  object->MakeHidden();
  return Kept(object,
              object->Create(parent, p.id, r.left, r.top, r.Width(), r.Height(), p.text.c_str(),
                             style, exStyle),
              p.id);
}

template <typename Widget>
HWND PlaceBuffered(HWND parent, const ControlPlacement& p, Widget* object) {
  const WScaledRect r = Scaled(p, placing);
  object->SetScale(placing);
  object->MakeHidden();
  return Kept(object, object->Create(parent, p.id, r.left, r.top, r.Width(), r.Height(), 0), p.id);
}

// The backgrounds' bitmaps at other scales than 96 dpi, by resource id and
// dpi: the eight strips show one, resampled once. A static shows a bitmap it
// is handed but does not own it: those of a scale left behind go once every
// background shows one of the new scale.
std::map<std::pair<int, int>, GdiBitmap> backgroundImages;
// The backgrounds that show a bitmap they loaded from their resource name.
std::set<HWND> selfLoaded;

HBITMAP ScaledBackground(int id, const WScale& scale) {
  GdiBitmap& image = backgroundImages[{id, scale.Dpi()}];
  if (!image) image = LoadScaledBitmap(id, scale, false);
  return image.Get();
}

void ShowScaledBackground(HWND background, const ControlPlacement& p, const WScale& scale) {
  const LRESULT previous =
      SendMessageA(background, STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(ScaledBackground(p.bitmap, scale)));
  // The bitmap the static loaded from its resource name is now the caller's.
  if (selfLoaded.erase(background) && previous) DeleteObject(reinterpret_cast<HGDIOBJ>(previous));
}

// A static resizes itself to the bitmap it is handed: the scaled bitmap's
// size may be a pixel off the scaled rectangle, whose edges are what the
// neighbours line up with.
void PlaceScaledBackground(HWND background, const ControlPlacement& p, const WScale& scale) {
  const WScaledRect r = Scaled(p, scale);
  ShowScaledBackground(background, p, scale);
  SetWindowPos(background, nullptr, r.left, r.top, r.Width(), r.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// A plain system static that shows a bitmap of the program at its natural
// size: the resource itself at 96 dpi, a scaled copy elsewhere.
HWND PlaceBackground(HWND parent, const ControlPlacement& p) {
  const WScaledRect r = Scaled(p, placing);
  const std::string resource = placing.IsIdentity() ? "#" + std::to_string(p.bitmap) : "";
  HWND made =
      CreateWindowExA(0, "STATIC", resource.c_str(), WS_CHILD | SS_BITMAP, r.left, r.top, r.Width(),
                      r.Height(), parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (made && placing.IsIdentity()) selfLoaded.insert(made);
  if (made && !placing.IsIdentity()) PlaceScaledBackground(made, p, placing);
  return made;
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

HWND CreatePlacedControl(HWND parent, const ControlPlacement& p, const WScale& scale) {
  placing = scale;
  switch (p.kind) {
    case ControlKind::Background:
      return PlaceBackground(parent, p);
    case ControlKind::Meter:
      return PlaceBuffered(parent, p, new WMeter(kMeterSegments, p.bitmap, scale));
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

void RescalePlacedControl(HWND control, const ControlPlacement& p, const WScale& scale) {
  const WScaledRect r = Scaled(p, scale);
  if (WWindow* object = WWindow::Get(control)) {
    object->Rescale(scale, r);
    return;
  }
  if (p.kind == ControlKind::Background) PlaceScaledBackground(control, p, scale);
}

void ReleaseBackgroundsOfOtherScales(const WScale& scale) {
  std::erase_if(backgroundImages,
                [&](const auto& entry) { return entry.first.second != scale.Dpi(); });
}

void ReleaseScaledBackgrounds() {
  backgroundImages.clear();
  selfLoaded.clear();
}
