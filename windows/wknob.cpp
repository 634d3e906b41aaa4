#include "windows/wknob.h"

#include "resources/velmora_bitmaps.h"
#include "velmora/velmora.h"
#include "velmora/velmoraprefs.h"
#include "windows/dragmessages.h"
#include "windows/draw.h"

namespace {

KnobPoint ToKnobPoint(POINT point) { return KnobPoint{point.x, point.y}; }

}  // namespace

bool WKnob::HandleMessage(WMessage& msg) { return RouteDragMessage(*this, HWnd, msg); }

void WKnob::OnPointerMove(POINT point) { Drag(LogicalPoint(point), fine ? kKnobFineWeight : 1); }

double WKnob::GetValue() { return GetFloat(); }

void WKnob::SetValue(double v) {
  SetFloat(ClampPan(v));
  Invalidate();
}

void WKnob::Drag(POINT point, int weight) {
  if (!HWnd || GetCapture() != HWnd) return;  // unbound: no capture to hold
  SetValue(KnobDragValue(KMXGetInteger(kPrefPanMotion), dragStartValue, ToKnobPoint(dragStart),
                         ToKnobPoint(point), weight));
}

// A press with the centre key centres the knob and a drag goes on from there;
// any other press takes the knob at once (in the rotary mode it turns to the
// pointer).
void WKnob::OnButtonDown(const WMessage& msg) {
  SetFocus(HWnd);
  fine = msg.IsModifierDown(KMXGetInteger(kPrefPanFine));
  const bool centred = msg.IsModifierDown(KMXGetInteger(kPrefPanCenter));
  if (centred) SetValue(0.0);
  dragStart = LogicalPoint(msg.Point());
  dragStartValue = GetValue();
  SetCapture(HWnd);
  if (!centred) Drag(dragStart, 1);
  Invalidate();
}

void WKnob::OnKeyDown(WPARAM key) {
  if (key == VK_LEFT) SetValue(GetValue() - kKnobStep);
  if (key == VK_RIGHT) SetValue(GetValue() + kKnobStep);
}

void WKnob::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(HWnd, &ps);
  const KnobPoint dot = IndicatorPoint(GetValue());
  const WBitmapItem items[] = {{IDB_KNOB, 0, 0, kOpaque}, {IDB_KNOB_DOT, dot.x, dot.y, kOpaque}};
  DrawBitmapList(HWnd, dc, items, 2, scale);
  EndPaint(HWnd, &ps);
}
