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

const PreparedBitmap* BitmapCache::Prepared(int id, const WScale& scale, int key) {
  const PreparedKey index{id, scale.Dpi(), key};
  std::lock_guard<std::mutex> hold(lock);
  const auto found = prepared.find(index);
  if (found != prepared.end()) return found->second.get();
  std::unique_ptr<PreparedBitmap> made;
  if (GdiBitmap bitmap = LoadScaledBitmap(id, scale, key != kOpaque))
    made = std::make_unique<PreparedBitmap>(std::move(bitmap), key);
  // One that could not be made ready is dropped, and remembered as missing.
  if (made && !*made) made.reset();
  return prepared.emplace(index, std::move(made)).first->second.get();
}

const WOffscreen* BitmapCache::Surface(HWND hwnd) {
  RECT client{};
  if (!GetClientRect(hwnd, &client) || client.right <= 0 || client.bottom <= 0) return nullptr;
  const std::pair<LONG, LONG> size{client.right, client.bottom};
  std::lock_guard<std::mutex> hold(lock);
  const auto found = surfaces.find(size);
  if (found != surfaces.end()) return found->second.get();
  auto made = std::make_unique<WOffscreen>();
  if (!made->Create(hwnd)) return nullptr;  // tried again at the next paint
  return surfaces.emplace(size, std::move(made)).first->second.get();
}

void BitmapCache::Clear() {
  std::map<Key, GdiBitmap> gone;
  std::map<PreparedKey, std::unique_ptr<PreparedBitmap>> goneReady;
  std::map<std::pair<LONG, LONG>, std::unique_ptr<WOffscreen>> goneSurfaces;
  {
    std::lock_guard<std::mutex> hold(lock);
    gone.swap(bitmaps);
    goneReady.swap(prepared);
    goneSurfaces.swap(surfaces);
  }
}

int BitmapCache::Size() const {
  std::lock_guard<std::mutex> hold(lock);
  return static_cast<int>(bitmaps.size() + prepared.size() + surfaces.size());
}

BitmapCache& DrawnBitmaps() {
  static BitmapCache cache;
  return cache;
}
