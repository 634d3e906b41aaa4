// An off-screen drawing surface of a window's client size. The metering
// thread draws into a meter's surface while the GUI thread copies it to the
// screen, so whoever draws into a shared surface or copies it holds Hold():
// a paint then never copies a half-drawn picture.
#pragma once

#include <windows.h>

#include <mutex>

#include "windows/gdiobject.h"
#include "windows/gdiselection.h"
#include "windows/memorydc.h"

class WOffscreen {
 public:
  WOffscreen() = default;
  ~WOffscreen() { Release(); }
  WOffscreen(const WOffscreen&) = delete;
  WOffscreen& operator=(const WOffscreen&) = delete;

  // For the client area of hwnd; false (and nothing kept) when any part of it
  // cannot be made.
  bool Create(HWND hwnd);
  // The whole surface to (0, 0) of hdc; nothing when not created.
  void BlitTo(HDC hdc) const;
  void Release();

  bool IsCreated() const { return HWnd != nullptr; }
  HDC Dc() const { return dc.Get(); }
  const RECT& Rect() const { return rect; }
  std::unique_lock<std::mutex> Hold() const { return std::unique_lock<std::mutex>(lock); }

 private:
  // Destroyed in reverse: the selection ends before the bitmap and the context go.
  MemoryDc dc;
  RECT rect{};
  HWND HWnd = nullptr;
  GdiBitmap bitmap;
  GdiSelection previousBitmap;
  mutable std::mutex lock;
};
