// A level meter of the mixer window (window class "ZWMETER"): a column of LED
// segments with the over indicator on top, drawn from an image that shows
// every segment lit. The metering thread refreshes it: the segments of the
// meter table's mask are copied from the image into the off-screen surface,
// the others filled dark green, and the area of those segments noted to be
// shown (or the window invalidated). A refresh whose mask is the one already
// drawn does neither.
#pragma once

#include <cstdint>

#include "windows/gdiobject.h"
#include "windows/gdiselection.h"
#include "windows/memorydc.h"
#include "windows/accessiblesource.h"
#include "windows/shownpicture.h"
#include "windows/wbufferedwindow.h"

// Screen readers read it on demand as an indicator whose value is its
// read-out's, described "over" while the over indicator is lit; it raises no
// events, which at the metering rate would drown speech.
class WMeter : public WBufferedWindow, public AccessibleSource {
 public:
  // Unlit segments: red 0, green 0x33, blue 0.
  static constexpr COLORREF kUnlit = RGB(0, 0x33, 0);

  // segments: how many are drawn, the over indicator included; bitmap: the
  // resource id of the image, drawn at `scale`.
  WMeter(int segments, int bitmap, const WScale& scale = WScale());

  bool Update() override;
  // The image and the segments follow the new scale.
  void Rescale(const WScale& newScale, const WScaledRect& rect) override;
  void Draw(HDC hdc) override;
  void DrawBackground(HDC hdc) override;
  const char* ClassName() const override { return "ZWMETER"; }

  long AccRole() override;
  std::optional<std::string> AccName() override;
  std::optional<std::string> AccValue() override;
  std::optional<std::string> AccDescription() override;

 private:
  int Index() const { return CreatedId() & 0xF; }
  // The segments of `redraw` as `mask` has them, lit or dark.
  void DrawSegments(HDC hdc, std::uint32_t mask, std::uint32_t redraw);
  // The smallest rectangle that holds the segments of `redraw`.
  RECT SegmentsArea(std::uint32_t redraw) const;

  // Where segment i lies in device pixels: the logical segment scaled as the
  // image is, so a lit segment copies exactly the segment's own pixels.
  RECT SegmentRect(int i) const;

  int segments;
  int bitmapId;
  // Declared so that the selection ends before the image and its context go.
  // The image, its selection and size change with the scale under the
  // surface's lock: the metering thread copies lit segments from them.
  MemoryDc imageDc;
  GdiBitmap image;
  GdiSelection imageSelection;
  SIZE imageSize{};
  GdiBrush unlitBrush;
  ShownPicture<std::uint32_t> shown;  // under the surface's lock
};
