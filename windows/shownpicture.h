// What a widget last drew into its surface, so that a refresh whose picture
// would not change neither draws nor invalidates. Meters refresh every 50 ms
// and mostly show what they showed before. Not locked: the widget keeps it
// under its surface's lock.
#pragma once

#include <utility>

template <typename Picture>
class ShownPicture {
 public:
  // True, and remembered, when now differs from what was drawn (or nothing was).
  bool Changed(const Picture& now) {
    if (known && now == shown) return false;
    shown = now;
    known = true;
    return true;
  }
  // The surface was drawn over by something else: the next picture must be drawn.
  void Forget() { known = false; }
  // What was drawn last; meaningful only while Known().
  bool Known() const { return known; }
  const Picture& Shown() const { return shown; }

 private:
  Picture shown{};
  bool known = false;
};
