// Bitmap drawing utilities of the toolkit. Bitmaps are resources of the
// program's own module, loaded at their first draw at a scale and kept in
// DrawnBitmaps (windows/bitmapcache.h), with the surfaces draw lists are
// composed in; every other GDI object made here is released before the call
// returns.
#pragma once

#include <windows.h>

#include <cstdint>

#include "windows/gdiobject.h"
#include "windows/woffscreen.h"
#include "windows/wscale.h"

// One entry of a draw list.
struct WBitmapItem {
  std::int32_t bitmap;  // resource id
  std::int32_t x;       // top-left corner in logical client pixels, may be negative
  std::int32_t y;
  std::int32_t key;  // colour 0x00BBGGRR drawn transparent, or kOpaque
};
constexpr std::int32_t kOpaque = -1;

// The bitmap resource `id` of the program, or an empty owner when there is none.
GdiBitmap LoadBitmapResource(int id);
// The bitmap `id` at a scale: the resource itself at 96 dpi, elsewhere a copy
// of its size times the scale. A keyed bitmap is resampled without blending,
// so that its key colour stays exact at the edges of what it shows.
GdiBitmap LoadScaledBitmap(int id, const WScale& scale, bool keyed);

// Composes the items off-screen on white, later items over earlier ones, and
// copies the picture to (0, 0) of hdc. An item whose bitmap cannot be loaded
// is skipped. The items' positions are logical: each bitmap goes to the scaled
// corner at the scaled size. Returns 1.
int DrawBitmapList(HWND hwnd, HDC hdc, const WBitmapItem* items, int count,
                   const WScale& scale = WScale());
// Pixels of the colour key leave hdc unchanged; all others are copied.
void DrawTransparent(HDC hdc, HBITMAP bitmap, int x, int y, COLORREF key);
void DrawOpaque(HDC hdc, HBITMAP bitmap, int x, int y);
// False, and nothing drawn, when the resource cannot be loaded. x and y are
// device pixels, the bitmap is drawn at the scale.
bool DrawResourceTransparent(HDC hdc, int id, int x, int y, COLORREF key,
                             const WScale& scale = WScale());
