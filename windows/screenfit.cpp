#include "windows/screenfit.h"

#include <algorithm>

#include "windows/wscale.h"

namespace {

int Scaled(int value, int from, int to) { return WScale::Rescale(value, from, to); }

// The start that keeps [start, start + length) inside [low, high), or `low`
// where it cannot be kept inside.
int KeptStart(int start, int length, int low, int high) {
  return std::max(low, std::min(start, high - length));
}

}  // namespace

ScreenSize OuterSizeAt(const ScreenFit& fit, int dpi) {
  const int from = fit.layoutDpi > 0 ? fit.layoutDpi : WScale::kBaseDpi;
  return {std::max(Scaled(fit.layout.cx, from, dpi) + fit.frame.cx,
                   Scaled(fit.minimumOuter.cx, WScale::kBaseDpi, dpi)),
          std::max(Scaled(fit.layout.cy, from, dpi) + fit.frame.cy,
                   Scaled(fit.minimumOuter.cy, WScale::kBaseDpi, dpi))};
}

int FittingDpi(int monitorDpi, ScreenSize workArea, ScreenSize frame,
               const std::function<ScreenSize(int dpi)>& clientAt) {
  for (int dpi = monitorDpi; dpi > WScale::kBaseDpi; --dpi) {
    const ScreenSize client = clientAt(dpi);
    if (client.cx + frame.cx <= workArea.cx && client.cy + frame.cy <= workArea.cy) return dpi;
  }
  return std::min(monitorDpi, WScale::kBaseDpi);
}

int FittingDpi(const ScreenFit& fit) {
  // The frame is in the outer size already.
  return FittingDpi(fit.monitorDpi, fit.workArea, ScreenSize{},
                    [&fit](int dpi) { return OuterSizeAt(fit, dpi); });
}

ScreenRect KeptInside(const ScreenRect& window, const ScreenRect& area) {
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int left = KeptStart(window.left, width, area.left, area.right);
  const int top = KeptStart(window.top, height, area.top, area.bottom);
  return {left, top, left + width, top + height};
}
