#include "windows/wmeterstatus.h"

#include <oleacc.h>

#include "windows/accessibletext.h"
#include "windows/wdrawncontrol.h"
#include "windows/gdiselection.h"
#include "windows/metertable.h"

WMeterStatus::WMeterStatus() : grey(CreateSolidBrush(kBackground)) {}

// On the metering thread. The text is read before the lock: the table has its own.
bool WMeterStatus::Update() {
  const std::string text = MeterPeakText(Index());
  auto hold = surface.Hold();
  if (!shown.Changed(text)) return false;
  if (buffered) DrawReadOut(surface.Dc(), text);
  NoteChanged(surface.Rect());
  return true;
}

void WMeterStatus::Draw(HDC hdc) { DrawReadOut(hdc, MeterPeakText(Index())); }

void WMeterStatus::DrawBackground(HDC hdc) {
  Fill(hdc);
  // The empty box now covers the text: the next refresh must draw it.
  if (buffered) shown.Forget();
}

// The surface has the client area's size; asking the window for it would be a
// round trip to the system on every pass of the metering thread.
RECT WMeterStatus::Area() const {
  if (buffered) return surface.Rect();
  RECT client{};
  GetClientRect(HWnd, &client);
  return client;
}

void WMeterStatus::Fill(HDC hdc) {
  const RECT client = Area();
  FillRect(hdc, &client, grey.Get());
}

// Centred from the second row down.
void WMeterStatus::DrawReadOut(HDC hdc, const std::string& text) {
  RECT rect = Area();
  rect.top += 1;
  GdiSelection font(hdc, FontFor(scale));
  Fill(hdc);
  SetBkColor(hdc, kBackground);
  SetTextColor(hdc, kInk);
  DrawTextA(hdc, text.c_str(), -1, &rect, DT_CENTER | DT_VCENTER);
}

long WMeterStatus::AccRole() { return ROLE_SYSTEM_STATICTEXT; }

std::optional<std::string> WMeterStatus::AccName() {
  return MixerControlName(static_cast<std::uint16_t>(GetId()));
}

std::optional<std::string> WMeterStatus::AccValue() {
  return SpokenLevelText(MeterPeakText(Index()));
}
