// A level meter of the mixer window (window class "ZWMETER"): a column of LED
// segments with the over indicator on top, drawn from an image that shows
// every segment lit. The metering thread refreshes it: the segments of the
// meter table's mask are copied from the image into the off-screen surface,
// the others filled dark green, and the window invalidated. A refresh whose
// mask is the one already drawn does neither.
#pragma once

#include <cstdint>

#include "windows/gdiobject.h"
#include "windows/gdiselection.h"
#include "windows/memorydc.h"
#include "windows/shownpicture.h"
#include "windows/wbufferedwindow.h"

class WMeter : public WBufferedWindow {
 public:
  // Unlit segments: red 0, green 0x33, blue 0.
  static constexpr COLORREF kUnlit = RGB(0, 0x33, 0);

  // segments: how many are drawn, the over indicator included; bitmap: the
  // resource id of the image.
  WMeter(int segments, int bitmap);

  void Refresh() override;
  void Draw(HDC hdc) override;
  void DrawBackground(HDC hdc) override;
  const char* ClassName() const override { return "ZWMETER"; }

 private:
  int Index() const { return CreatedId() & 0xF; }
  // The segments of `redraw` as `mask` has them, lit or dark.
  void DrawSegments(HDC hdc, std::uint32_t mask, std::uint32_t redraw);

  int segments;
  // Declared so that the selection ends before the image and its context go.
  MemoryDc imageDc;
  GdiBitmap image;
  GdiSelection imageSelection;
  SIZE imageSize{};
  GdiBrush unlitBrush;
  ShownPicture<std::uint32_t> shown;  // under the surface's lock
};
