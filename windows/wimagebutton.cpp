#include "windows/wimagebutton.h"

#include <oleacc.h>

#include "velmora/mixsteps.h"
#include "windows/draw.h"

bool WImageButton::HandleMessage(WMessage& msg) {
  NoteMessage(msg);
  switch (msg.msg) {
    case WM_PAINT:
      Paint();
      return true;
    case WM_LBUTTONDOWN:
      // No release handling: the press itself toggles.
      Toggle();
      return true;
    case WM_KEYDOWN:
      if (msg.wParam != VK_SPACE) return false;
      // Bit 30: the key was already down. A held Space toggles once, not on
      // every auto-repeat (each toggle queues a mix for the unit).
      if ((msg.lParam & (LPARAM{1} << 30)) == 0) Toggle();
      return true;
    case WM_CHAR:
      return msg.wParam == ' ';  // taken on the key-down
    default:
      return false;  // WM_ERASEBKGND too: the class brush erases first
  }
}

void WImageButton::Toggle() {
  const StepScope click(StepJoin::kNever, ParameterId());
  SetState(GetState() == 0 ? 1 : 0);
  Invalidate();
}

long WImageButton::AccRole() { return ROLE_SYSTEM_CHECKBUTTON; }

long WImageButton::AccStateBits() {
  return STATE_SYSTEM_FOCUSABLE | (GetState() != 0 ? STATE_SYSTEM_CHECKED : 0);
}

std::optional<std::string> WImageButton::AccDefaultAction() {
  return std::string(GetState() != 0 ? "Uncheck" : "Check");
}

bool WImageButton::AccDoDefaultAction() {
  Toggle();
  return true;
}

void WImageButton::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(HWnd, &ps);
  const WBitmapItem item{GetState() != 0 ? onImage : offImage, 0, 0, kOpaque};
  DrawBitmapList(HWnd, dc, &item, 1, scale);
  DrawFocusMarkIfDue(dc);
  EndPaint(HWnd, &ps);
}
