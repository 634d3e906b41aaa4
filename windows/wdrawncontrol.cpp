#include "windows/wdrawncontrol.h"

#include "korvaneobjects/korvanemastercontrol.h"
#include "velmora/mixsteps.h"
#include "velmora/velmora.h"
#include "windows/accessibletext.h"
#include "windows/focusmark.h"

namespace {

// The modifier key whose release, with no other key in between, is a reset;
// 0 while none is armed. Shared: the message loop reports keys it keeps from
// the controls (the file shortcuts).
WPARAM armedModifier = 0;

bool IsModifierKey(WPARAM key) { return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU; }

WPARAM KeyOfModifierCode(std::int32_t code) {
  switch (code) {
    case 0:
      return VK_MENU;
    case 1:
      return VK_CONTROL;
    case 2:
      return VK_SHIFT;
    default:
      return 0;
  }
}

}  // namespace

void WDrawnControl::NoteKeyDown(WPARAM key) { armedModifier = IsModifierKey(key) ? key : 0; }

std::string MixerControlName(std::uint16_t id) {
  const KorvaneMasterControl* master = GetMasterControl();
  return AccessibleControlName(id, master ? static_cast<int>(master->SelectedMix()) : 0);
}

std::optional<std::string> WDrawnControl::AccName() { return MixerControlName(ParameterId()); }

void WDrawnControl::NoteMessage(const WMessage& msg) {
  switch (msg.msg) {
    case WM_LBUTTONDOWN:
      pointerFocus = true;
      armedModifier = 0;
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      pointerFocus = false;
      NoteKeyDown(msg.wParam);  // an auto-repeat of the armed modifier keeps it armed
      Invalidate();
      break;
    case WM_SETFOCUS:
      Invalidate();
      break;
    case WM_KILLFOCUS:
      pointerFocus = false;
      armedModifier = 0;
      Invalidate();
      break;
    case WM_CAPTURECHANGED:
      // Sent for a release of our own too; lParam is the window that gains it.
      // A drag that loses the pointer (another window took it) ends there.
      if (reinterpret_cast<HWND>(msg.lParam) != HWnd) {
        if (holdsCapture) EndDrag();
        holdsCapture = false;
      }
      break;
    default:
      break;
  }
}

void WDrawnControl::TakeCapture() {
  SetCapture(HWnd);
  holdsCapture = HWnd != nullptr && GetCapture() == HWnd;
}

bool WDrawnControl::IsResetRelease(const WMessage& msg, std::uint16_t pref) const {
  if (msg.msg != WM_KEYUP && msg.msg != WM_SYSKEYUP) return false;
  const WPARAM resetKey = KeyOfModifierCode(KMXGetInteger(pref));
  return resetKey != 0 && msg.wParam == resetKey && armedModifier == resetKey;
}

void WDrawnControl::DrawFocusMarkIfDue(HDC dc) {
  if (!pointerFocus && HWnd && GetFocus() == HWnd) DrawFocusMark(HWnd, dc);
}
