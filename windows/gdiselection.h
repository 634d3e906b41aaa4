// Selects an object into a device context and puts the previous one back when
// it goes, so the object can then be deleted. Declare it after the owners of
// the context and the object, so it ends before either of them.
#pragma once

#include <windows.h>

#include <utility>

class GdiSelection {
 public:
  GdiSelection() = default;
  GdiSelection(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {
    if (!previous_) dc_ = nullptr;  // nothing was selected, nothing to restore
  }
  ~GdiSelection() { Reset(); }
  GdiSelection(const GdiSelection&) = delete;
  GdiSelection& operator=(const GdiSelection&) = delete;
  GdiSelection(GdiSelection&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)),
        previous_(std::exchange(other.previous_, nullptr)) {}
  GdiSelection& operator=(GdiSelection&& other) noexcept {
    if (this != &other) {
      Reset();
      dc_ = std::exchange(other.dc_, nullptr);
      previous_ = std::exchange(other.previous_, nullptr);
    }
    return *this;
  }

  explicit operator bool() const { return dc_ != nullptr; }

  void Reset() {
    if (dc_) SelectObject(dc_, previous_);
    dc_ = nullptr;
    previous_ = nullptr;
  }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};
