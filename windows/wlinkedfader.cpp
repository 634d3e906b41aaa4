#include "windows/wlinkedfader.h"

WLinkedFader::WLinkedFader(int trackBitmap, int thumbBitmap, int thumbX, int maxValue)
    : WFader(trackBitmap, thumbBitmap, thumbX, maxValue) {}

// The partner's window may outlive this one while the main window is torn
// down: it must not be left pointing here.
WLinkedFader::~WLinkedFader() {
  if (partner && partner->partner == this) partner->partner = nullptr;
}

bool WLinkedFader::HandleMessage(WMessage& msg) {
  constexpr int kControl = 1;  // the modifier code of the Control key
  if (msg.msg == WM_LBUTTONDOWN) linked = !msg.IsModifierDown(kControl);
  if (msg.msg == WM_LBUTTONUP) linked = true;
  return WFader::HandleMessage(msg);
}

void WLinkedFader::SetValue(double v) {
  if (!IsLinked()) {
    WFader::SetValue(v);
    return;
  }
  const LinkedGains gains = law.MoveLinked(v, GetValue(), partner->GetValue());
  SetFloat(gains.self);
  partner->SetFloat(gains.partner);
  Invalidate();
  partner->Invalidate();
}
