#include "windows/wimage.h"

#include "windows/draw.h"

bool WImage::HandleMessage(WMessage& msg) {
  switch (msg.msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(HWnd, &ps);
      DrawResourceTransparent(dc, bitmap, 0, 0, key, scale);
      EndPaint(HWnd, &ps);
      return true;
    }
    case WM_ERASEBKGND:
      msg.result = 1;  // the key-coloured pixels keep what is behind
      return true;
    default:
      return false;
  }
}
