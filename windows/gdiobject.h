// Owns one GDI handle the toolkit made, and releases it when it goes: objects
// (bitmaps, brushes) with DeleteObject, memory contexts (MemoryDc) with
// DeleteDC. Select an object into a context only through a GdiSelection that
// ends first: a selected object cannot be deleted (and would stay counted).
#pragma once

#include <windows.h>

#include <utility>

#include "windows/gdicount.h"

template <typename Handle, auto Delete>
class GdiOwner {
 public:
  GdiOwner() = default;
  // Takes over a handle the caller just made; null means the making failed.
  explicit GdiOwner(Handle handle) : handle_(handle) {
    if (handle_) gdi::CountMade();
  }
  ~GdiOwner() { Reset(); }
  GdiOwner(const GdiOwner&) = delete;
  GdiOwner& operator=(const GdiOwner&) = delete;
  GdiOwner(GdiOwner&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiOwner& operator=(GdiOwner&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

  // Counted down only when the system confirms the release.
  void Reset() {
    if (handle_ && Delete(handle_)) gdi::CountReleased();
    handle_ = nullptr;
  }

 private:
  Handle handle_ = nullptr;
};

inline BOOL DeleteGdiObject(HGDIOBJ object) { return DeleteObject(object); }

using GdiBitmap = GdiOwner<HBITMAP, &DeleteGdiObject>;
using GdiBrush = GdiOwner<HBRUSH, &DeleteGdiObject>;
