// Holds a window's device context (GetDC) and gives it back when it goes.
// WithChildren: one whose drawing is not clipped by the window's children,
// so that children can be drawn through their parent's context.
#pragma once

#include <windows.h>

#include "windows/gdicount.h"

class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
    if (dc_) gdi::CountMade();
  }
  struct WithChildren {};
  WindowDc(HWND hwnd, WithChildren) : hwnd_(hwnd), dc_(GetDCEx(hwnd, nullptr, DCX_CACHE)) {
    if (dc_) gdi::CountMade();
  }
  ~WindowDc() {
    if (dc_ && ReleaseDC(hwnd_, dc_)) gdi::CountReleased();
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};
