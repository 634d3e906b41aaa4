// Owns a memory device context made compatible with another (or the screen).
#pragma once

#include <windows.h>

#include "windows/gdiobject.h"

inline BOOL DeleteMemoryDc(HDC dc) { return DeleteDC(dc); }

class MemoryDc : public GdiOwner<HDC, &DeleteMemoryDc> {
 public:
  MemoryDc() = default;
  // Null: compatible with the screen. Check the result with bool.
  explicit MemoryDc(HDC compatibleWith) : GdiOwner(CreateCompatibleDC(compatibleWith)) {}
};
