#include "windows/knoblogic.h"

#include <cmath>
#include <numbers>

#include "platform/assert.h"

namespace {

double DegreesToRadians(double degrees) { return 2 * std::numbers::pi * degrees / 360; }

double RadiansToDegrees(double radians) { return radians * 360 / (2 * std::numbers::pi); }

// Nearest pixel, halves upward.
int NearestPixel(double v) { return static_cast<int>(std::floor(v + 0.5)); }

}  // namespace

double ClampPan(double value) {
  if (!(value > -1.0)) return -1.0;  // NaN too
  return value > 1.0 ? 1.0 : value;
}

KnobPoint IndicatorPoint(double value) {
  const double r = DegreesToRadians(ClampPan(value) * kKnobTravelDegrees);
  return KnobPoint{NearestPixel(kKnobCentre.x + kKnobRadius * std::sin(r)),
                   NearestPixel(kKnobCentre.y - kKnobRadius * std::cos(r))};
}

double RotaryValue(KnobPoint point) {
  double d = RadiansToDegrees(std::atan2(point.x - kKnobCentre.x, kKnobCentre.y - point.y));
  if (d < -kKnobTravelDegrees) d = -kKnobTravelDegrees;
  if (d > kKnobTravelDegrees) d = kKnobTravelDegrees;
  return d / kKnobTravelDegrees;
}

double KnobDragValue(int mode, double startValue, KnobPoint start, KnobPoint point, int weight) {
  KORVANE_ASSERT(weight != 0, "weight");
  if (weight == 0) return ClampPan(startValue);
  const double scale = weight * kKnobPixelsPerUnit;
  switch (mode) {
    case kKnobHorizontal:
      return ClampPan(startValue + (point.x - start.x) / scale);
    case kKnobVertical:
      return ClampPan(startValue + (start.y - point.y) / scale);
    default:
      return ClampPan(RotaryValue(point));
  }
}
