#include "windows/faderlogic.h"

#include "platform/assert.h"
#include "velmora/laws.h"

namespace {

// The law's inverse lands a hair below whole pixels (0 dB on a channel fader
// comes back as position 40.999999999999993); truncating that would draw the
// thumb one row too high. Positions this close below a pixel count as that pixel.
constexpr double kPixelSnap = 1e-6;

}  // namespace

FaderLogic::FaderLogic(double maxValue) : maxValue(maxValue) {}

double FaderLogic::Travel() const { return IsMaster() ? kMasterTravel : kChannelTravel; }

double FaderLogic::Clamp(double value) const {
  if (!(value > 0)) return 0;  // NaN too
  return value > maxValue ? maxValue : value;
}

double FaderLogic::ValueToPos(double value) const { return GainToPosition(value, IsMaster()); }

double FaderLogic::PosToValue(double position) const {
  return PositionToGain(position, IsMaster());
}

int FaderLogic::ThumbPos(double value) const {
  return static_cast<int>(ValueToPos(value) + kThumbOffset + kPixelSnap);
}

FaderRows FaderLogic::ThumbRows(double value) const {
  const int pos = ThumbPos(value);
  return FaderRows{pos - kHitAbove, pos + kHitBelow};
}

bool FaderLogic::OnThumb(double value, int y) const {
  const FaderRows rows = ThumbRows(value);
  return y >= rows.top && y < rows.bottom;
}

double FaderLogic::DragValue(double startValue, int startY, int y, int weight) const {
  KORVANE_ASSERT(weight != 0, "weight");
  if (weight == 0) return startValue;
  if (weight == 1) return PosToValue(ValueToPos(startValue) + (y - startY) / weight);
  // A gain of 0 is minus infinity dB and stays there, whatever the travel.
  return DbToGain(GainToDb(startValue) + (startY - y) * kFineDbPerPixel);
}

LinkedGains FaderLogic::MoveLinked(double target, double selfValue, double partnerValue) const {
  const double offset = ValueToPos(partnerValue) - ValueToPos(selfValue);
  double p = ValueToPos(Clamp(target));
  double q = p + offset;
  const double travel = Travel();
  if (q >= travel) {
    q = travel;
    p = travel - offset;
  } else if (q <= 0) {
    q = 0;
    p = 0 - offset;
  }
  return LinkedGains{PosToValue(p), PosToValue(q)};
}
