#include "windows/bitmapcache.h"

#include <utility>

#include "windows/draw.h"

HBITMAP BitmapCache::Get(int id, const WScale& scale, bool keyed) {
  const Key key{id, scale.Dpi(), keyed};
  std::lock_guard<std::mutex> hold(lock);
  const auto found = bitmaps.find(key);
  if (found != bitmaps.end()) return found->second.Get();
  // A resource that is not there is remembered too: it would be looked for
  // again at every paint.
  return bitmaps.emplace(key, LoadScaledBitmap(id, scale, keyed)).first->second.Get();
}

void BitmapCache::Clear() {
  std::map<Key, GdiBitmap> gone;
  {
    std::lock_guard<std::mutex> hold(lock);
    gone.swap(bitmaps);
  }
}

int BitmapCache::Size() const {
  std::lock_guard<std::mutex> hold(lock);
  return static_cast<int>(bitmaps.size());
}

BitmapCache& DrawnBitmaps() {
  static BitmapCache cache;
  return cache;
}
