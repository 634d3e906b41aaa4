#include "windows/wknob.h"

#include <oleacc.h>

#include "resources/velmora_bitmaps.h"
#include "velmora/mixsteps.h"
#include "velmora/velmora.h"
#include "velmora/velmoraprefs.h"
#include "windows/accessibletext.h"
#include "windows/dragmessages.h"
#include "windows/draw.h"

namespace {

KnobPoint ToKnobPoint(POINT point) { return KnobPoint{point.x, point.y}; }

// Page Up and Page Down turn the knob this many arrow steps.
constexpr int kPageSteps = 8;

}  // namespace

bool WKnob::HandleMessage(WMessage& msg) { return RouteDragMessage(*this, HWnd, msg); }

void WKnob::OnPointerMove(POINT point) { Drag(LogicalPoint(point), fine ? kKnobFineWeight : 1); }

double WKnob::GetValue() { return GetFloat(); }

void WKnob::SetValue(double v) {
  SetFloat(ClampPan(v));
  Invalidate();
}

void WKnob::Drag(POINT point, int weight) {
  if (!HWnd || !HoldsCapture()) return;  // unbound: no capture to hold
  SetValue(KnobDragValue(KMXGetInteger(kPrefPanMotion), dragStartValue, ToKnobPoint(dragStart),
                         ToKnobPoint(point), weight));
}

// A press with the centre key centres the knob and a drag goes on from there;
// any other press takes the knob at once (in the rotary mode it turns to the
// pointer).
void WKnob::OnButtonDown(const WMessage& msg) {
  SetFocus(HWnd);
  BeginDrag();  // until the release: one undo step
  fine = msg.IsModifierDown(KMXGetInteger(kPrefPanFine));
  const bool centred = msg.IsModifierDown(KMXGetInteger(kPrefPanCenter));
  if (centred) SetValue(0.0);
  dragStart = LogicalPoint(msg.Point());
  dragStartValue = GetValue();
  TakeCapture();
  if (!centred) Drag(dragStart, 1);
  Invalidate();
}

// Page Up turns to the right as Right does; Home is full left, End full right.
void WKnob::OnKeyDown(WPARAM key) {
  const StepScope run(StepJoin::kRun, ParameterId());
  switch (key) {
    case VK_LEFT:
      SetValue(GetValue() - kKnobStep);
      break;
    case VK_RIGHT:
      SetValue(GetValue() + kKnobStep);
      break;
    case VK_PRIOR:
      SetValue(GetValue() + kPageSteps * kKnobStep);
      break;
    case VK_NEXT:
      SetValue(GetValue() - kPageSteps * kKnobStep);
      break;
    case VK_HOME:
      SetValue(-1.0);
      break;
    case VK_END:
      SetValue(1.0);
      break;
    default:
      break;
  }
}

// A notch away from the user turns one arrow step to the right.
void WKnob::OnWheel(const WMessage& msg) {
  const int notches = wheel.Take(GET_WHEEL_DELTA_WPARAM(msg.wParam));
  if (notches == 0) return;
  const StepScope run(StepJoin::kRun, ParameterId());
  SetValue(GetValue() + notches * kKnobStep);
}

std::uint16_t WKnob::ResetPreference() const { return kPrefPanCenter; }

void WKnob::Reset() {
  const StepScope reset(StepJoin::kNever, ParameterId());
  SetValue(0.0);
}

long WKnob::AccRole() { return ROLE_SYSTEM_SLIDER; }

std::optional<std::string> WKnob::AccValue() {
  const auto box = static_cast<std::uint16_t>(IDPANTEXT | (ParameterId() & 0xF));
  return SpokenPanText(KMXFormatValue(box, GetValue()));
}

void WKnob::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(HWnd, &ps);
  const KnobPoint dot = IndicatorPoint(GetValue());
  const WBitmapItem items[] = {{IDB_KNOB, 0, 0, kOpaque}, {IDB_KNOB_DOT, dot.x, dot.y, kOpaque}};
  DrawBitmapList(HWnd, dc, items, 2, scale);
  DrawFocusMarkIfDue(dc);
  EndPaint(HWnd, &ps);
}
