#include "windows/wimagebutton.h"

#include "windows/draw.h"

bool WImageButton::HandleMessage(WMessage& msg) {
  switch (msg.msg) {
    case WM_PAINT:
      Paint();
      return true;
    case WM_LBUTTONDOWN:
      // No release handling: the press itself toggles.
      SetState(GetState() == 0 ? 1 : 0);
      Invalidate();
      return true;
    default:
      return false;  // WM_ERASEBKGND too: the class brush erases first
  }
}

void WImageButton::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(HWnd, &ps);
  const WBitmapItem item{GetState() != 0 ? onImage : offImage, 0, 0, kOpaque};
  DrawBitmapList(HWnd, dc, &item, 1, scale);
  EndPaint(HWnd, &ps);
}
