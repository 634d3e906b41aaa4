#include "windows/preparedbitmap.h"

#include <utility>

namespace {

SIZE SizeOf(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace

PreparedBitmap::PreparedBitmap(GdiBitmap bitmap, int key)
    : size_(SizeOf(bitmap.Get())),
      keyed_(key != -1),
      imageDc_(nullptr),
      image_(std::move(bitmap)),
      maskDc_(keyed_ ? MemoryDc(nullptr) : MemoryDc()),
      mask_(keyed_ ? CreateBitmap(size_.cx, size_.cy, 1, 1, nullptr) : nullptr),
      imageSelection_(imageDc_.Get(), image_.Get()),
      maskSelection_(maskDc_.Get(), mask_.Get()) {
  if (!imageSelection_ || (keyed_ && !maskSelection_)) return;
  if (keyed_) {
    const int w = size_.cx, h = size_.cy;
    // Colour to monochrome: the pixels of the background colour become 1.
    const COLORREF background = SetBkColor(imageDc_.Get(), static_cast<COLORREF>(key));
    BitBlt(maskDc_.Get(), 0, 0, w, h, imageDc_.Get(), 0, 0, SRCCOPY);
    SetBkColor(imageDc_.Get(), background);
    // Monochrome to colour: 1 becomes the background (white), 0 the text
    // colour (black), so this clears the key pixels and keeps the others.
    const COLORREF text = SetTextColor(imageDc_.Get(), RGB(0, 0, 0));
    const COLORREF back = SetBkColor(imageDc_.Get(), RGB(255, 255, 255));
    BitBlt(imageDc_.Get(), 0, 0, w, h, maskDc_.Get(), 0, 0, 0x00220326);  // DSna: dest AND NOT mask
    SetTextColor(imageDc_.Get(), text);
    SetBkColor(imageDc_.Get(), back);
  }
  ready_ = true;
}

void PreparedBitmap::Draw(HDC hdc, int x, int y) const {
  if (!ready_) return;
  const int w = size_.cx, h = size_.cy;
  if (!keyed_) {
    BitBlt(hdc, x, y, w, h, imageDc_.Get(), 0, 0, SRCCOPY);
    return;
  }
  // The destination keeps its pixels where the mask is 1 and is cleared
  // elsewhere, then takes the bitmap's own pixels there.
  const COLORREF text = SetTextColor(hdc, RGB(0, 0, 0));
  const COLORREF back = SetBkColor(hdc, RGB(255, 255, 255));
  BitBlt(hdc, x, y, w, h, maskDc_.Get(), 0, 0, SRCAND);
  SetTextColor(hdc, text);
  SetBkColor(hdc, back);
  BitBlt(hdc, x, y, w, h, imageDc_.Get(), 0, 0, SRCPAINT);
}
