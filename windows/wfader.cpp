#include "windows/wfader.h"

#include "velmora/velmora.h"
#include "velmora/velmoraprefs.h"
#include "windows/dragmessages.h"
#include "windows/draw.h"

WFader::WFader(int trackBitmap, int thumbBitmap, int thumbX, int maxValue)
    : law(maxValue), trackBitmap(trackBitmap), thumbBitmap(thumbBitmap), thumbX(thumbX) {}

bool WFader::HandleMessage(WMessage& msg) { return RouteDragMessage(*this, HWnd, msg); }

void WFader::OnPointerMove(POINT point) {
  Drag(LogicalPoint(point), fine ? FaderLogic::kFineWeight : 1);
}

double WFader::GetValue() { return GetFloat(); }

void WFader::SetValue(double v) {
  SetFloat(law.Clamp(v));
  Invalidate();
}

int WFader::ThumbPos() { return law.ThumbPos(GetValue()); }

RECT WFader::ThumbRect() {
  RECT rect{};
  GetClientRect(HWnd, &rect);
  rect.right = scale.ToLogical(rect.right);
  const FaderRows rows = law.ThumbRows(GetValue());
  rect.top = rows.top;
  rect.bottom = rows.bottom;
  return rect;
}

void WFader::Drag(POINT point, int weight) {
  if (!HWnd || GetCapture() != HWnd) return;  // unbound: no capture to hold
  SetValue(law.DragValue(dragStartValue, dragStart.y, point.y, weight));
}

// A press grabs the thumb where it is, jumps it under the pointer when the
// press is on the track, or sets 0 dB with the 0 dB key; a drag continues
// from the value the press left.
void WFader::OnButtonDown(const WMessage& msg) {
  SetFocus(HWnd);
  SetCapture(HWnd);
  fine = msg.IsModifierDown(KMXGetInteger(kPrefFadeFine));
  const POINT point = LogicalPoint(msg.Point());
  if (msg.IsModifierDown(KMXGetInteger(kPrefFadeCenter))) {
    SetValue(1.0);
  } else {
    const RECT thumb = ThumbRect();
    if (!PtInRect(&thumb, point)) SetValue(law.JumpValue(point.y));
  }
  dragStart = point;
  dragStartValue = GetValue();
}

void WFader::OnKeyDown(WPARAM key) {
  if (key == VK_UP) SetValue(law.StepValue(GetValue(), -1));
  if (key == VK_DOWN) SetValue(law.StepValue(GetValue(), +1));
}

void WFader::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(HWnd, &ps);
  const WBitmapItem items[] = {
      {trackBitmap, 0, kTrackTop, kOpaque},
      {thumbBitmap, thumbX, ThumbPos() - thumbOffset, static_cast<std::int32_t>(kThumbKey)},
  };
  DrawBitmapList(HWnd, dc, items, 2, scale);
  EndPaint(HWnd, &ps);
}
