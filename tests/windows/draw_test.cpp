// Drawing: the pixels bitmaps leave on the screen, GDI objects given back
// after every paint, and a surface the metering thread draws into while the
// GUI thread paints it.
#include "windows/draw.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/windows/toolkitfixture.h"
#include "windows/gdicount.h"
#include "windows/wbufferedwindow.h"
#include "windows/wimage.h"
#include "windows/wsolobutton.h"

namespace toolkittest {
namespace {

// A window that paints a draw list.
class ListWindow : public WWindow {
 public:
  explicit ListWindow(std::vector<WBitmapItem> items) : items(std::move(items)) {}
  const char* ClassName() const override { return "KorvaneToolkitListWindow"; }
  bool HandleMessage(WMessage& msg) override {
    if (msg.msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(HWnd, &ps);
    DrawBitmapList(HWnd, dc, items.data(), static_cast<int>(items.size()));
    EndPaint(HWnd, &ps);
    return true;
  }

 private:
  std::vector<WBitmapItem> items;
};

using Drawing = ToolkitTest;

TEST_F(Drawing, ADrawListLayersOpaqueAndKeyedBitmapsOnWhite) {
  const std::vector<WBitmapItem> items = {
      {kHalvesBitmap, 0, 0, kOpaque},
      {999, 0, 0, kOpaque},  // no such resource: skipped
      {kFramedBitmap, 0, 0, static_cast<std::int32_t>(kFramedKey)},
      {kHalvesBitmap, 10, -3, kOpaque},  // partly above the window
  };
  auto* list = Make<ListWindow>(1, {0, 0, 24, 12}, "", 0, 0, items);
  ASSERT_TRUE(list);
  HWND hwnd = list->Handle();
  EXPECT_EQ(Pixel(hwnd, 0, 0), kHalvesLeft) << "the key-coloured frame shows what was under it";
  EXPECT_EQ(Pixel(hwnd, 7, 5), kHalvesRight);
  EXPECT_EQ(Pixel(hwnd, 2, 2), kFramedCentre);
  EXPECT_EQ(Pixel(hwnd, 5, 3), kFramedCentre);
  EXPECT_EQ(Pixel(hwnd, 8, 8), RGB(255, 255, 255)) << "uncovered area";
  EXPECT_EQ(Pixel(hwnd, 10, 0), kHalvesLeft) << "row 3 of the bitmap";
  EXPECT_EQ(Pixel(hwnd, 17, 2), kHalvesRight);
  EXPECT_EQ(Pixel(hwnd, 17, 3), RGB(255, 255, 255)) << "below the shifted bitmap";
}

TEST_F(Drawing, AnImageShowsTheParentThroughItsKeyColour) {
  auto* image = Make<WImage>(108, {20, 20, 28, 26}, "", 0, 0, kFramedBitmap, kFramedKey);
  ASSERT_TRUE(image);
  // The parent paints under its children (no WS_CLIPCHILDREN), then the image over it.
  RedrawWindow(Parent(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_EQ(Pixel(image->Handle(), 0, 0), kParentColour);
  EXPECT_EQ(Pixel(image->Handle(), 7, 5), kParentColour);
  EXPECT_EQ(Pixel(image->Handle(), 3, 2), kFramedCentre);
  HDC dc = GetDC(image->Handle());
  EXPECT_FALSE(DrawResourceTransparent(dc, 999, 0, 0, kFramedKey));
  ReleaseDC(image->Handle(), dc);
}

TEST_F(Drawing, TheOwnersCountWhatTheyHold) {
  const int before = gdi::LiveObjects();
  {
    WOffscreen surface;
    ASSERT_TRUE(surface.Create(Parent()));
    EXPECT_EQ(gdi::LiveObjects(), before + 2) << "a memory context and a bitmap";
    GdiBitmap bitmap = LoadBitmapResource(kHalvesBitmap);
    ASSERT_TRUE(bitmap);
    MemoryDc dc(nullptr);
    {
      GdiSelection selected(dc.Get(), bitmap.Get());
      EXPECT_EQ(gdi::LiveObjects(), before + 4);
    }
  }
  EXPECT_EQ(gdi::LiveObjects(), before);
}

TEST_F(Drawing, ASurfaceThatCannotBeMadeKeepsNothing) {
  // Far too big for a bitmap: the context is made, the bitmap is not.
  HWND huge = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 0x7FFF0, 0x7FFF0, Parent(), nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(huge, nullptr);
  const int before = gdi::LiveObjects();
  WOffscreen surface;
  if (surface.Create(huge)) GTEST_SKIP() << "this system made the bitmap after all";
  EXPECT_FALSE(surface.IsCreated());
  EXPECT_EQ(gdi::LiveObjects(), before);
}

// Fills its surface in two halves of one colour, changing colour at each
// Refresh, and counts the refreshes.
class TwoHalves : public WBufferedWindow {
 public:
  const char* ClassName() const override { return "KorvaneToolkitTwoHalves"; }
  void Draw(HDC dc) override {
    const COLORREF colour = (++draws % 2) ? RGB(255, 0, 0) : RGB(0, 0, 255);
    RECT client;
    GetClientRect(HWnd, &client);
    RECT top = client, bottom = client;
    top.bottom = bottom.top = client.bottom / 2;
    GdiBrush brush(CreateSolidBrush(colour));
    FillRect(dc, &top, brush.Get());
    // Widen the window between the halves in which a paint could copy them
    // mixed, unless it waits for the drawing to finish.
    for (int i = 0; i < 20; ++i) GdiFlush();
    std::this_thread::yield();
    FillRect(dc, &bottom, brush.Get());
  }
  void DrawBackground(HDC dc) override {
    RECT client;
    GetClientRect(HWnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  }
  std::atomic<int> draws{0};
};

TEST_F(Drawing, APaintNeverCopiesAHalfDrawnSurface) {
  TwoHalves* meter = new TwoHalves;
  ASSERT_TRUE(meter->Create(Parent(), IDMETER, 0, 0, 20, 40, 0));
  ASSERT_TRUE(meter->IsBuffered());
  HWND hwnd = meter->Handle();
  EXPECT_EQ(Pixel(hwnd, 5, 5), RGB(128, 128, 128)) << "the first paint shows the background";

  std::atomic<bool> stop{false};
  std::thread metering([meter, &stop] {
    while (!stop) meter->Refresh();  // draws and invalidates only
  });
  int mixed = 0;
  constexpr int kPaints = 300;
  for (int i = 0; i < kPaints; ++i) {
    testsupport::PumpPending();
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);  // both pixels of one paint
    if (GetPixel(dc, 5, 5) != GetPixel(dc, 5, 35)) ++mixed;
    ReleaseDC(hwnd, dc);
  }
  stop = true;
  metering.join();
  EXPECT_EQ(mixed, 0) << "of " << kPaints << " paints";
  const COLORREF last = meter->draws % 2 ? RGB(255, 0, 0) : RGB(0, 0, 255);
  EXPECT_EQ(Pixel(hwnd, 5, 5), last) << "the last refresh's colour";
  EXPECT_EQ(Pixel(hwnd, 5, 35), last);
}

TEST_F(Drawing, WithoutASurfaceEveryPaintDrawsBackgroundAndForeground) {
  TwoHalves* meter = new TwoHalves;
  // The window alone, as when its surface could not be made.
  ASSERT_TRUE(meter->WWindow::Create(Parent(), IDMETER, 0, 0, 20, 40, "", 0, 0));
  ASSERT_FALSE(meter->IsBuffered());
  for (int paint = 1; paint <= 2; ++paint) {
    RedrawWindow(meter->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(meter->draws, paint);
    EXPECT_EQ(Pixel(meter->Handle(), 5, 35), paint % 2 ? RGB(255, 0, 0) : RGB(0, 0, 255));
  }
  meter->Refresh();  // nothing to draw into: a repaint only
  EXPECT_EQ(Pixel(meter->Handle(), 5, 35), RGB(255, 0, 0));
  EXPECT_EQ(meter->draws, 3);
}

TEST_F(Drawing, AThousandPaintsGiveBackEveryObject) {
  auto* solo = Make<WSoloButton>(0x4080, {0, 0, 34, 17}, "", 0, 0);
  auto* image = Make<WImage>(108, {40, 0, 48, 6}, "", 0, 0, kFramedBitmap, kFramedKey);
  TwoHalves* meter = new TwoHalves;
  ASSERT_TRUE(solo && image && meter->Create(Parent(), IDMETER, 60, 0, 20, 40, 0));
  testsupport::PumpPending();
  const int before = gdi::LiveObjects();
  for (int i = 0; i < 1000; ++i) {
    for (HWND hwnd : {solo->Handle(), image->Handle()})
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    meter->Refresh();
    UpdateWindow(meter->Handle());
  }
  EXPECT_EQ(gdi::LiveObjects(), before);
  EXPECT_EQ(Pixel(solo->Handle(), 3, 3), RGB(0x80, 0x80, 0x80)) << "still drawing";
}

}  // namespace
}  // namespace toolkittest
