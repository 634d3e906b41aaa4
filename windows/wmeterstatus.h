// The read-out under a meter (window class "ZWMETERSTATUS"): the meter's held
// level in decibels, light grey on grey. Refreshed by the metering thread
// like the meter; a refresh whose text is the one already drawn neither draws
// nor invalidates. The grey brush is made once, with the widget.
#pragma once

#include <string>

#include "windows/gdiobject.h"
#include "windows/accessiblesource.h"
#include "windows/shownpicture.h"
#include "windows/wbufferedwindow.h"

// Screen readers read it on demand as static text.
class WMeterStatus : public WBufferedWindow, public AccessibleSource {
 public:
  static constexpr COLORREF kBackground = RGB(0x9B, 0x9B, 0x9B);
  static constexpr COLORREF kInk = RGB(0xE6, 0xE6, 0xE6);

  WMeterStatus();

  bool Update() override;
  void Draw(HDC hdc) override;
  void DrawBackground(HDC hdc) override;
  const char* ClassName() const override { return "ZWMETERSTATUS"; }

  long AccRole() override;
  std::optional<std::string> AccName() override;
  std::optional<std::string> AccValue() override;

 private:
  int Index() const { return CreatedId() & 0xF; }
  RECT Area() const;
  void Fill(HDC hdc);
  void DrawReadOut(HDC hdc, const std::string& text);

  GdiBrush grey;
  ShownPicture<std::string> shown;  // under the surface's lock
};
