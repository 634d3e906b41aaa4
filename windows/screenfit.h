// A window of fixed size that is scaled with its monitor may not fit that
// monitor's work area: a 1080p laptop at 150 % leaves about 1020 rows above
// the taskbar for a mixer 1040 rows high. Such a window takes the largest
// scale at which it fits, never less than its 96-dpi layout, and is kept
// inside the work area. Plain arithmetic, so that every screen can be tried
// on the host.
#pragma once

#include <functional>

struct ScreenSize {
  int cx = 0;
  int cy = 0;
};

struct ScreenRect {
  int left, top, right, bottom;
};

// What a window needs on one monitor.
struct ScreenFit {
  int monitorDpi = 96;
  // The monitor's work area, device pixels.
  ScreenSize workArea;
  // What the caption, menu bar and borders add to the client area at the
  // monitor's DPI: the system draws them at that DPI whatever the contents'.
  ScreenSize frame;
  // The client area the contents need, given at layoutDpi and scaled with
  // them; its edges are scaled as WScale scales them.
  ScreenSize layout;
  int layoutDpi = 96;
  // The outer size at 96 dpi that the window never goes below (the mixer's
  // classic size), scaled with the contents; zero for none.
  ScreenSize minimumOuter;
};

// The outer size of the window when its contents are at `dpi`.
ScreenSize OuterSizeAt(const ScreenFit& fit, int dpi);
// The DPI the contents take: the monitor's, or, where the window would not
// fit the work area there, the largest at which it fits, down to 96 at the
// least (a window that does not fit even then is shown at 96 dpi). A
// monitor below 96 dpi keeps its own.
int FittingDpi(const ScreenFit& fit);
// The same for contents whose size does not scale as edges do (a dialog's
// follows its font, which grows in whole points): `clientAt` gives the client
// area they need at a DPI; the frame is added to it.
int FittingDpi(int monitorDpi, ScreenSize workArea, ScreenSize frame,
               const std::function<ScreenSize(int dpi)>& clientAt);
// `window` moved as little as brings it inside `area`; one larger than the
// area keeps the area's top or left edge, so its caption stays reachable.
ScreenRect KeptInside(const ScreenRect& window, const ScreenRect& area);
