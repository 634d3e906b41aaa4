#include "windows/draw.h"

#include <utility>

#include "resources/velmora_bitmaps.h"
#include "windows/bitmapcache.h"
#include "windows/gdiselection.h"
#include "windows/memorydc.h"

namespace {

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

// An image of the given size with its own memory context, selected there
// until it goes.
class Scratch {
 public:
  // compatibleWith null: monochrome.
  Scratch(HDC compatibleWith, SIZE size)
      : dc_(compatibleWith),
        bitmap_(compatibleWith ? CreateCompatibleBitmap(compatibleWith, size.cx, size.cy)
                               : CreateBitmap(size.cx, size.cy, 1, 1, nullptr)),
        selection_(dc_.Get(), bitmap_.Get()) {}
  HDC Dc() const { return dc_.Get(); }
  explicit operator bool() const { return static_cast<bool>(selection_); }

 private:
  MemoryDc dc_;
  GdiBitmap bitmap_;
  GdiSelection selection_;
};

void DrawItem(HDC hdc, const WBitmapItem& item, const WScale& scale) {
  // The list is composed off-screen, where a keyed bitmap may be drawn in two steps.
  if (const PreparedBitmap* bitmap = DrawnBitmaps().Prepared(item.bitmap, scale, item.key))
    bitmap->Draw(hdc, scale.Edge(item.x), scale.Edge(item.y));
}

}  // namespace

GdiBitmap LoadBitmapResource(int id) {
  return GdiBitmap(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
}

// The program's bitmaps are drawn at these scales too (per cent of 96 dpi),
// the one at drawnPercent[k] with the resource id plus k steps.
constexpr int kDrawnPercent[] = {100, 125, 150, 175, 200};
constexpr int kScaleStep = IDB_SCALE_STEP;

// The drawn scale nearest at or above `scale` (the largest above them all):
// a picture is scaled down, never up, where one exists.
int DrawnStep(const WScale& scale) {
  constexpr int kSteps = static_cast<int>(sizeof kDrawnPercent / sizeof kDrawnPercent[0]);
  for (int k = 0; k < kSteps; ++k)
    if (kDrawnPercent[k] * WScale::kBaseDpi >= scale.Dpi() * 100) return k;
  return kSteps - 1;
}

// The device pixels that cover a logical length wherever it starts: a
// control's scaled edges may lie a pixel further apart than its rounded
// length, and a bitmap one pixel short of its window leaves a column of the
// white it is composed on.
namespace {
int CoveringLength(const WScale& scale, int logical) {
  return static_cast<int>((static_cast<long long>(logical) * scale.Dpi() + WScale::kBaseDpi - 1) /
                          WScale::kBaseDpi);
}
}  // namespace

GdiBitmap LoadScaledBitmap(int id, const WScale& scale, bool keyed) {
  if (scale.IsIdentity()) return LoadBitmapResource(id);
  const int step = DrawnStep(scale);
  GdiBitmap original = LoadBitmapResource(id + step * kScaleStep);
  // A bitmap drawn only at 96 dpi (a test's own) is scaled from there.
  const WScale drawnAt(step > 0 && original ? kDrawnPercent[step] * WScale::kBaseDpi / 100
                                            : WScale::kBaseDpi);
  if (!original) original = LoadBitmapResource(id);
  if (!original) return original;
  const SIZE from = BitmapSize(original.Get());
  const SIZE to{CoveringLength(scale, drawnAt.ToLogical(from.cx)),
                CoveringLength(scale, drawnAt.ToLogical(from.cy))};
  if (to.cx == from.cx && to.cy == from.cy) return original;  // drawn at this very scale
  HDC screen = GetDC(nullptr);
  GdiBitmap scaled(CreateCompatibleBitmap(screen, to.cx, to.cy));
  {
    MemoryDc source(screen), target(screen);
    GdiSelection sourceSelection(source.Get(), original.Get());
    GdiSelection targetSelection(target.Get(), scaled.Get());
    if (scaled && sourceSelection && targetSelection) {
      SetStretchBltMode(target.Get(), keyed ? COLORONCOLOR : HALFTONE);
      SetBrushOrgEx(target.Get(), 0, 0, nullptr);
      StretchBlt(target.Get(), 0, 0, to.cx, to.cy, source.Get(), 0, 0, from.cx, from.cy, SRCCOPY);
    }
  }
  ReleaseDC(nullptr, screen);
  // Without the copy, the bitmap at its own size is better than none.
  return scaled ? std::move(scaled) : std::move(original);
}

int DrawBitmapList(HWND hwnd, HDC hdc, const WBitmapItem* items, int count, const WScale& scale) {
  const WOffscreen* surface = DrawnBitmaps().Surface(hwnd);
  // Without a surface the list goes straight onto hdc: flicker, but a picture.
  HDC target = surface ? surface->Dc() : hdc;
  if (surface) FillRect(target, &surface->Rect(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  for (int i = 0; i < count; ++i) DrawItem(target, items[i], scale);
  if (surface) surface->BlitTo(hdc);
  return 1;
}

void DrawOpaque(HDC hdc, HBITMAP bitmap, int x, int y) {
  MemoryDc source(hdc);
  GdiSelection selection(source.Get(), bitmap);
  if (!selection) return;
  const SIZE size = BitmapSize(bitmap);
  BitBlt(hdc, x, y, size.cx, size.cy, source.Get(), 0, 0, SRCCOPY);
}

// The mask method: the key-coloured pixels become a mask that keeps the
// destination, the others a mask that keeps the bitmap, and the two are
// combined off-screen before one copy to hdc.
void DrawTransparent(HDC hdc, HBITMAP bitmap, int x, int y, COLORREF key) {
  MemoryDc source(hdc);
  GdiSelection selected(source.Get(), bitmap);
  if (!selected) return;
  const SIZE bitmapSize = BitmapSize(bitmap);
  POINT extent{bitmapSize.cx, bitmapSize.cy};
  DPtoLP(source.Get(), &extent, 1);
  SetMapMode(source.Get(), GetMapMode(hdc));
  const SIZE size{extent.x, extent.y};

  Scratch backMask(nullptr, size), objectMask(nullptr, size), work(hdc, size), save(hdc, size);
  if (!backMask || !objectMask || !work || !save) return;
  const int w = size.cx, h = size.cy;
  BitBlt(save.Dc(), 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);
  const COLORREF background = SetBkColor(source.Get(), key);
  BitBlt(objectMask.Dc(), 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);  // key pixels 1, others 0
  SetBkColor(source.Get(), background);
  BitBlt(backMask.Dc(), 0, 0, w, h, objectMask.Dc(), 0, 0, NOTSRCCOPY);
  BitBlt(work.Dc(), 0, 0, w, h, hdc, x, y, SRCCOPY);
  BitBlt(work.Dc(), 0, 0, w, h, objectMask.Dc(), 0, 0, SRCAND);
  BitBlt(source.Get(), 0, 0, w, h, backMask.Dc(), 0, 0, SRCAND);
  BitBlt(work.Dc(), 0, 0, w, h, source.Get(), 0, 0, SRCPAINT);
  BitBlt(hdc, x, y, w, h, work.Dc(), 0, 0, SRCCOPY);
  BitBlt(source.Get(), 0, 0, w, h, save.Dc(), 0, 0, SRCCOPY);  // the caller's bitmap as it was
}

bool DrawResourceTransparent(HDC hdc, int id, int x, int y, COLORREF key, const WScale& scale) {
  const HBITMAP bitmap = DrawnBitmaps().Get(id, scale, true);
  if (!bitmap) return false;
  DrawTransparent(hdc, bitmap, x, y, key);
  return true;
}
