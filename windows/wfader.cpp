#include "windows/wfader.h"

#include <oleacc.h>

#include "velmora/laws.h"
#include "velmora/mixsteps.h"
#include "velmora/velmora.h"
#include "velmora/velmoraprefs.h"
#include "windows/dragmessages.h"
#include "windows/accessibletext.h"
#include "windows/draw.h"

namespace {

// Page Up and Page Down move the thumb this many pixels.
constexpr int kPageRows = 10;

}  // namespace

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
  if (!HWnd || !HoldsCapture()) return;  // unbound: no capture to hold
  SetValue(law.DragValue(dragStartValue, dragStart.y, point.y, weight));
}

// A press grabs the thumb where it is, jumps it under the pointer when the
// press is on the track, or sets 0 dB with the 0 dB key; a drag continues
// from the value the press left.
void WFader::OnButtonDown(const WMessage& msg) {
  SetFocus(HWnd);
  BeginDrag();  // until the release: one undo step
  TakeCapture();
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

// Up and Page Up are louder; Home is the top of the travel, End silence.
void WFader::OnKeyDown(WPARAM key) {
  const StepScope run(StepJoin::kRun, ParameterId());
  switch (key) {
    case VK_UP:
      SetValue(law.StepValue(GetValue(), -1));
      break;
    case VK_DOWN:
      SetValue(law.StepValue(GetValue(), +1));
      break;
    case VK_PRIOR:
      SetValue(law.StepValue(GetValue(), -kPageRows));
      break;
    case VK_NEXT:
      SetValue(law.StepValue(GetValue(), +kPageRows));
      break;
    case VK_HOME:
      SetValue(law.MaxValue());
      break;
    case VK_END:
      SetValue(0.0);
      break;
    default:
      break;
  }
}

// A notch away from the user is one pixel up, or 0.05 dB louder with the
// fine key, as a fine drag moves per pixel.
void WFader::OnWheel(const WMessage& msg) {
  const int notches = wheel.Take(GET_WHEEL_DELTA_WPARAM(msg.wParam));
  if (notches == 0) return;
  const StepScope run(StepJoin::kRun, ParameterId());
  if (msg.IsModifierDown(KMXGetInteger(kPrefFadeFine)))
    SetValue(DbToGain(GainToDb(GetValue()) + notches * FaderLogic::kFineDbPerPixel));
  else
    SetValue(law.StepValue(GetValue(), -notches));
}

std::uint16_t WFader::ResetPreference() const { return kPrefFadeCenter; }

void WFader::Reset() {
  const StepScope reset(StepJoin::kNever, ParameterId());
  SetValue(1.0);
}

long WFader::AccRole() { return ROLE_SYSTEM_SLIDER; }

std::optional<std::string> WFader::AccValue() {
  const auto box = static_cast<std::uint16_t>(IDFADERTEXT | (ParameterId() & 0xF));
  return SpokenFaderText(KMXFormatValue(box, GetValue()));
}

void WFader::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(HWnd, &ps);
  const WBitmapItem items[] = {
      {trackBitmap, 0, kTrackTop, kOpaque},
      {thumbBitmap, thumbX, ThumbPos() - thumbOffset, static_cast<std::int32_t>(kThumbKey)},
  };
  DrawBitmapList(HWnd, dc, items, 2, scale);
  DrawFocusMarkIfDue(dc);
  EndPaint(HWnd, &ps);
}
