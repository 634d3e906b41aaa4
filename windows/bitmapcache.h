// The program's bitmaps as the toolkit draws them, each loaded (and, between
// drawn scales, resampled) once per resource id, scale and kind instead of at
// every paint: a window of eighty controls paints some sixty bitmaps the
// first time it shows, and a fader paints two at every pointer move.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <utility>

#include "windows/gdiobject.h"
#include "windows/preparedbitmap.h"
#include "windows/woffscreen.h"
#include "windows/wscale.h"

class BitmapCache {
 public:
  // The bitmap `id` at the scale, as LoadScaledBitmap makes it, or null when
  // there is no such resource. The cache keeps it until Clear: a caller may
  // select it into a context of its own for the length of a draw, never
  // delete it or keep it selected.
  HBITMAP Get(int id, const WScale& scale, bool keyed);
  // The bitmap `id` at the scale ready for draw lists, drawn transparent in
  // the colour key or opaque (kOpaque); null when there is no such resource
  // or it could not be made ready. A copy of its own: Get's bitmap stays free
  // to be selected elsewhere.
  const PreparedBitmap* Prepared(int id, const WScale& scale, int key);
  // A surface of the client size of hwnd to compose a draw list in, shared
  // by every window of that size and kept like the bitmaps: one made at each
  // paint cost a window context, a memory context and a bitmap. Null when it
  // cannot be made. For the GUI thread's paints only.
  const WOffscreen* Surface(HWND hwnd);
  // Every bitmap given back to the system, the missing ones forgotten.
  void Clear();
  int Size() const;

 private:
  // A keyed bitmap is resampled without blending, an opaque one with it: the
  // two copies of one resource differ at other scales than 96 dpi.
  using Key = std::tuple<int, int, bool>;         // id, dpi, keyed
  using PreparedKey = std::tuple<int, int, int>;  // id, dpi, key colour or kOpaque

  // Drawing is the GUI thread's; the lock only keeps the map whole should
  // another thread look a bitmap up. (A bitmap that another context holds
  // selected cannot be selected for a draw, which is then skipped.)
  mutable std::mutex lock;
  std::map<Key, GdiBitmap> bitmaps;
  std::map<PreparedKey, std::unique_ptr<PreparedBitmap>> prepared;
  std::map<std::pair<LONG, LONG>, std::unique_ptr<WOffscreen>> surfaces;  // by width, height
};

// The cache the toolkit's drawing functions use, for the whole process. The
// main window empties it when it goes and when it moves to another scale.
BitmapCache& DrawnBitmaps();
