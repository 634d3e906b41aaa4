#include "velmora/laws.h"

#include <cmath>

namespace {

// Both fader laws have the form dB = top + 1 - B^(p^u): a power curve that sinks
// to about -60.4 dB at the bottom of its travel. K = log10(B) is chosen so that
// B^(p^u) reaches A + 1 at the reference position: 0 dB at 41 on a channel
// fader, -A (gain 0.5) at 48 on a master.
struct FaderLaw {
  double top;  // dB at position 0
  double u;    // exponent
  double K;    // log10(B)
  double B;
  double limit;  // full travel
};

// a: 20*log10(2), the channel fader's top in dB (gain 2.0).
FaderLaw MakeLaw(double a, double top, double u, double referencePosition, double limit) {
  const double K = std::log10(a + 1.0) / std::pow(referencePosition, u);
  return FaderLaw{top, u, K, std::pow(10.0, K), limit};
}

// Floating-point residue at the reference position would otherwise show as a
// gain a hair away from unity.
constexpr double kSnapDb = 1e-10;

// Function-local statics: computed on first use, so code running in other
// files' static initialisation already gets the finished constants.
const FaderLaw& LawOf(bool isMaster) {
  static const double a = 20.0 * std::log10(2.0);
  static const FaderLaw channel = MakeLaw(a, a, 0.61, 41.0, kChannelTravel);
  static const FaderLaw master = MakeLaw(a, 0.0, 0.588821, 48.0, kMasterTravel);
  return isMaster ? master : channel;
}

}  // namespace

double GainToDb(double gain) { return 20.0 * std::log10(gain); }

double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

double PositionToGain(double position, bool isMaster) {
  const FaderLaw& law = LawOf(isMaster);
  double db = law.top;
  if (position > 0) {
    db = law.top + 1.0 - std::pow(law.B, std::pow(position, law.u));
    if (std::fabs(db) < kSnapDb) db = 0.0;
  }
  return DbToGain(db);
}

double GainToPosition(double gain, bool isMaster) {
  const FaderLaw& law = LawOf(isMaster);
  // Zero, negative and NaN gains all sit at the bottom; a NaN position would
  // become undefined behaviour once a fader turns it into pixels.
  if (!(gain > 0)) return law.limit;
  double db = GainToDb(gain);
  if (db > law.top) db = law.top;
  double position = std::pow(std::log10(law.top + 1.0 - db) / law.K, 1.0 / law.u);
  if (!(position <= law.limit)) position = law.limit;
  return position;
}
