// The bitmaps the toolkit draws are made once per resource, scale and kind,
// and all given back when the cache is emptied.
#include "windows/bitmapcache.h"

#include <gtest/gtest.h>

#include "tests/windows/toolkitfixture.h"
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

}  // namespace
}  // namespace toolkittest
