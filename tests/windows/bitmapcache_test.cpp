// The bitmaps the toolkit draws are made once per resource, scale and kind,
// and all given back when the cache is emptied.
#include "windows/bitmapcache.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/windows/toolkitfixture.h"
#include "windows/draw.h"
#include "windows/gdicount.h"

namespace toolkittest {
namespace {

SIZE SizeOf(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

using BitmapCaching = ToolkitTest;

TEST_F(BitmapCaching, OneBitmapForEachResourceScaleAndKind) {
  BitmapCache cache;
  const HBITMAP at96 = cache.Get(kHalvesBitmap, WScale(), false);
  ASSERT_NE(at96, nullptr);
  EXPECT_EQ(cache.Get(kHalvesBitmap, WScale(), false), at96) << "the same draw again";
  EXPECT_EQ(SizeOf(at96).cx, 8);

  // Moved to a monitor of 144 dpi: a copy of one and a half times the size.
  const HBITMAP at144 = cache.Get(kHalvesBitmap, WScale(144), false);
  ASSERT_NE(at144, nullptr);
  EXPECT_NE(at144, at96);
  EXPECT_EQ(SizeOf(at144).cx, 12);
  EXPECT_EQ(SizeOf(at144).cy, 9);
  EXPECT_EQ(SizeOf(cache.Get(kHalvesBitmap, WScale(), false)).cx, 8) << "and back at 96 dpi";
  // At a scale a window was fitted to, 137 dpi, 8 pixels are 11.4; but a
  // control 8 pixels wide from x = 1 spans 13 - 1 = 12 (12.8 and 1.4 rounded).
  // Its bitmap covers it, leaving no column of the white it is composed on.
  const HBITMAP at137 = cache.Get(kHalvesBitmap, WScale(137), false);
  EXPECT_EQ(SizeOf(at137).cx, 12);
  EXPECT_EQ(SizeOf(at137).cy, 9);  // 8.6

  // A keyed picture is resampled without blending, so it is a copy of its own.
  const HBITMAP keyed = cache.Get(kFramedBitmap, WScale(144), true);
  ASSERT_NE(keyed, nullptr);
  EXPECT_NE(keyed, cache.Get(kFramedBitmap, WScale(144), false));
  HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, keyed);
  int blended = 0;  // pixels neither of the key nor of the centre
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) {
      const COLORREF pixel = GetPixel(dc, x, y);
      if (pixel != kFramedKey && pixel != kFramedCentre) ++blended;
    }
  EXPECT_EQ(blended, 0) << "the key stays exact at the edges of what it frames";
  SelectObject(dc, old);
  DeleteDC(dc);

  EXPECT_EQ(cache.Get(999, WScale(), false), nullptr) << "no such resource";
  EXPECT_EQ(cache.Get(999, WScale(), false), nullptr);
}

TEST_F(BitmapCaching, EmptyingItGivesBackEveryBitmap) {
  const int before = gdi::LiveObjects();
  {
    BitmapCache cache;
    for (int dpi : {96, 120, 144, 192}) {
      ASSERT_NE(cache.Get(kHalvesBitmap, WScale(dpi), false), nullptr);
      ASSERT_NE(cache.Get(kFramedBitmap, WScale(dpi), true), nullptr);
    }
    EXPECT_EQ(gdi::LiveObjects(), before + 8);
    cache.Clear();
    EXPECT_EQ(gdi::LiveObjects(), before);
    // Emptied, it makes them again.
    EXPECT_EQ(SizeOf(cache.Get(kHalvesBitmap, WScale(120), false)).cx, 10);
    EXPECT_EQ(gdi::LiveObjects(), before + 1);
  }
  EXPECT_EQ(gdi::LiveObjects(), before) << "and a cache that goes takes its bitmaps along";
}

TEST_F(BitmapCaching, DrawListsOfWindowsOfOneSizeShareOneSurface) {
  const auto child = [](int width) {
    return CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, width, 20, Parent(), nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  };
  HWND first = child(10), second = child(10), wider = child(12);
  ASSERT_TRUE(first && second && wider);
  const int before = gdi::LiveObjects();
  {
    BitmapCache cache;
    const WOffscreen* surface = cache.Surface(first);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->Rect().right, 10);
    EXPECT_EQ(cache.Surface(second), surface);
    const WOffscreen* other = cache.Surface(wider);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, surface);
    EXPECT_EQ(other->Rect().right, 12);
    cache.Clear();
    EXPECT_EQ(gdi::LiveObjects(), before);
  }
  for (HWND hwnd : {first, second, wider}) DestroyWindow(hwnd);
}

// A surface striped in two colours that differ from the test bitmaps', with
// a picture drawn at (x, y) one way or the other; its pixels.
template <typename DrawOnto>
std::vector<COLORREF> StripesWith(DrawOnto draw) {
  constexpr int kWidth = 16, kHeight = 12;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP surface = CreateCompatibleBitmap(screen, kWidth, kHeight);
  ReleaseDC(nullptr, screen);
  const HGDIOBJ old = SelectObject(dc, surface);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      SetPixel(dc, x, y, (x + y) % 2 ? RGB(0xFF, 0x00, 0xFF) : RGB(0x10, 0x20, 0x30));
  // Colours a draw must not depend on: the mask method's monochrome steps
  // take the destination's text and background colours.
  SetTextColor(dc, RGB(0x40, 0x80, 0xC0));
  SetBkColor(dc, RGB(0x90, 0x90, 0x00));
  draw(dc);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) pixels.push_back(GetPixel(dc, x, y));
  EXPECT_EQ(GetTextColor(dc), RGB(0x40, 0x80, 0xC0)) << "the colours are given back";
  SelectObject(dc, old);
  DeleteObject(surface);
  DeleteDC(dc);
  return pixels;
}

TEST_F(BitmapCaching, APreparedBitmapDrawsAsTheMaskMethodAndTheOpaqueCopyDo) {
  BitmapCache cache;
  for (int dpi : {96, 144}) {
    const WScale scale(dpi);
    const PreparedBitmap* keyed = cache.Prepared(kFramedBitmap, scale, kFramedKey);
    const PreparedBitmap* opaque = cache.Prepared(kHalvesBitmap, scale, kOpaque);
    ASSERT_TRUE(keyed && opaque) << dpi;
    EXPECT_EQ(StripesWith([&](HDC dc) { keyed->Draw(dc, 3, 2); }), StripesWith([&](HDC dc) {
                DrawTransparent(dc, cache.Get(kFramedBitmap, scale, true), 3, 2, kFramedKey);
              }))
        << "keyed at " << dpi;
    EXPECT_EQ(StripesWith([&](HDC dc) { opaque->Draw(dc, -2, 5); }), StripesWith([&](HDC dc) {
                DrawOpaque(dc, cache.Get(kHalvesBitmap, scale, false), -2, 5);
              }))
        << "opaque at " << dpi;
  }
  EXPECT_EQ(cache.Prepared(999, WScale(), kOpaque), nullptr) << "no such resource";
}

}  // namespace
}  // namespace toolkittest
