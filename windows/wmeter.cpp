#include "windows/wmeter.h"

#include <oleacc.h>

#include "windows/accessibletext.h"
#include "windows/draw.h"
#include "windows/wdrawncontrol.h"
#include "windows/metertable.h"

namespace {

// Masks are 32 bits wide.
constexpr int kMaxSegments = 32;
constexpr std::uint32_t kEverySegment = ~std::uint32_t{0};

SIZE SizeOf(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace

// Without its image the meter still works: lit segments copy nothing and the
// background draws nothing, unlit ones are still filled.
WMeter::WMeter(int segments, int bitmap, const WScale& scale)
    : segments(segments < kMaxSegments ? segments : kMaxSegments),
      bitmapId(bitmap),
      imageDc(nullptr),
      image(LoadScaledBitmap(bitmap, scale, false)),
      imageSelection(imageDc.Get(), image.Get()),
      imageSize(SizeOf(image.Get())),
      unlitBrush(CreateSolidBrush(kUnlit)) {
  SetScale(scale);
}

void WMeter::Rescale(const WScale& newScale, const WScaledRect& rect) {
  {
    auto hold = surface.Hold();
    imageSelection.Reset();
    image = LoadScaledBitmap(bitmapId, newScale, false);
    imageSelection = GdiSelection(imageDc.Get(), image.Get());
    imageSize = SizeOf(image.Get());
  }
  WBufferedWindow::Rescale(newScale, rect);
}

RECT WMeter::SegmentRect(int i) const {
  const WScaledRect r = scale.Rect(kMeterSegmentLeft, MeterSegmentTop(i),
                                   kMeterSegmentRight - kMeterSegmentLeft, kMeterSegmentRows);
  return RECT{r.left, r.top, r.right, r.bottom};
}

// On the metering thread. The mask is read before the lock: the table has its own.
bool WMeter::Update() {
  const std::uint32_t mask = MeterSegments(Index());
  auto hold = surface.Hold();
  // Only the segments that went on or off are drawn again and shown: a
  // moving level changes a few of them a pass.
  const std::uint32_t redraw = shown.Known() ? shown.Shown() ^ mask : kEverySegment;
  if (!shown.Changed(mask)) return false;
  if (buffered) DrawSegments(surface.Dc(), mask, redraw);
  NoteChanged(SegmentsArea(redraw));
  return true;
}

RECT WMeter::SegmentsArea(std::uint32_t redraw) const {
  RECT area{};
  for (int i = 0; i < segments; ++i) {
    if ((redraw & (std::uint32_t{1} << i)) == 0) continue;
    const RECT rect = SegmentRect(i);
    UnionRect(&area, &area, &rect);
  }
  return area;
}

void WMeter::Draw(HDC hdc) { DrawSegments(hdc, MeterSegments(Index()), kEverySegment); }

// Into the surface at the first paint (under the surface's lock), or straight
// onto the screen at every paint without a surface.
void WMeter::DrawBackground(HDC hdc) {
  if (imageSelection) BitBlt(hdc, 0, 0, imageSize.cx, imageSize.cy, imageDc.Get(), 0, 0, SRCCOPY);
  // The full image now covers the segments: the next refresh must draw them.
  if (buffered) shown.Forget();
}

void WMeter::DrawSegments(HDC hdc, std::uint32_t mask, std::uint32_t redraw) {
  for (int i = 0; i < segments; ++i) {
    if ((redraw & (std::uint32_t{1} << i)) == 0) continue;
    const RECT rect = SegmentRect(i);
    if (mask & (std::uint32_t{1} << i)) {
      if (imageSelection) {
        BitBlt(hdc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               imageDc.Get(), rect.left, rect.top, SRCCOPY);
      }
    } else {
      FillRect(hdc, &rect, unlitBrush.Get());
    }
  }
}

long WMeter::AccRole() { return ROLE_SYSTEM_INDICATOR; }

std::optional<std::string> WMeter::AccName() {
  return MixerControlName(static_cast<std::uint16_t>(GetId()));
}

std::optional<std::string> WMeter::AccValue() { return SpokenLevelText(MeterPeakText(Index())); }

// Bit 0 of the mask is the over indicator.
std::optional<std::string> WMeter::AccDescription() {
  return std::string((MeterSegments(Index()) & 1u) != 0 ? "over" : "");
}
