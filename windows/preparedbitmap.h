// A bitmap made ready to be copied at every paint: selected into a memory
// context of its own for good, and for a key colour, split once into what
// the mask method computes at each draw (the key pixels as a monochrome mask,
// and the bitmap with them cleared). Under Wine, selecting a bitmap into a
// context costs more than the copy itself, and a keyed draw used to make and
// select five contexts.
#pragma once

#include <windows.h>

#include "windows/gdiobject.h"
#include "windows/gdiselection.h"
#include "windows/memorydc.h"

class PreparedBitmap {
 public:
  // Takes the bitmap over. key: the colour drawn transparent, or -1 (kOpaque)
  // for an opaque copy. Check the result with bool: without its contexts it
  // draws nothing.
  PreparedBitmap(GdiBitmap bitmap, int key);
  PreparedBitmap(const PreparedBitmap&) = delete;
  PreparedBitmap& operator=(const PreparedBitmap&) = delete;

  explicit operator bool() const { return ready_; }

  // The bitmap with its top-left corner at (x, y) of hdc, in device pixels:
  // as DrawOpaque or DrawTransparent draw it, pixel for pixel. hdc is drawn
  // on twice for a keyed bitmap: draw into an off-screen surface.
  void Draw(HDC hdc, int x, int y) const;

 private:
  SIZE size_{0, 0};
  bool keyed_;
  // Declared owners first, selections after them, so these end first.
  MemoryDc imageDc_;
  GdiBitmap image_;  // for a key, its key pixels black
  MemoryDc maskDc_;
  GdiBitmap mask_;  // 1 where the bitmap shows the key
  GdiSelection imageSelection_;
  GdiSelection maskSelection_;
  bool ready_ = false;
};
