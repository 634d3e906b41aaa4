#include "windows/meterstate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/assert.h"

namespace {

// Masks are 32 bits wide: bit 0 is the over indicator, so at most 31 segments.
constexpr int kMaxSegments = 31;

int ValidSegments(int segments) {
  KORVANE_ASSERT(segments > 0 && segments <= kMaxSegments, "segments > 0 && segments <= 31");
  if (segments < 1) return 1;
  return segments > kMaxSegments ? kMaxSegments : segments;
}

// The read-out's dB scale: a held level of 1 is 0 dB, 0 is -48 dB.
constexpr double kRangeDb = 48.0;

}  // namespace

MeterState::MeterState(int segments)
    : segments(ValidSegments(segments)), allMask(((std::uint32_t{1} << this->segments) - 1) << 1) {}

std::uint32_t MeterState::LevelMask(double level) {
  // A level outside -1..0 (or NaN) from a faulty producer still lights a
  // sane bar and keeps the read-out's number in range.
  const double lit = (level + 1.0) * segments;
  int n = segments;
  if (lit < segments) n = lit > 0 ? static_cast<int>(lit) : 0;
  // The read-out agrees with the bar: beyond full scale reads full scale
  // ("-0.0"), a level on the silent side of 0 reads silence ("-inf").
  lastLevel = std::isnan(level) ? 0.0 : std::clamp(-level, 0.0, 1.0);
  return (allMask << n) & allMask;
}

void MeterState::FallStep() {
  if (holdCount > 0) --holdCount;
  if (holdCount != 0) return;
  if (fallCount == 0) {
    fallCount = kFallUpdates;
    peakMask <<= 1;
    heldPeak = lastLevel;
  } else {
    --fallCount;
  }
}

// From the top segment down: a peak at or above the bar's top stays; else
// the bar's top becomes the new peak with a fresh hold.
void MeterState::PeakSearch() {
  for (std::uint32_t bit = 2; bit != 0 && (bit & allMask) != 0; bit <<= 1) {
    if (bit & peakMask) return;
    if (bit & levelMask) {
      peakMask = bit;
      holdCount = kHoldUpdates;
      fallCount = kFallUpdates;
      return;
    }
  }
}

void MeterState::SetOver(int over) {
  if (over < 0) {
    if (levelMask & 2) overMask = overBit;
  } else {
    overMask = over != 0 ? overBit : 0;
  }
}

void MeterState::Update(double level, int over) {
  FallStep();
  levelMask = LevelMask(level);
  PeakSearch();
  SetOver(over);
}

std::uint32_t MeterState::SegmentMask() const {
  return ((levelMask | peakMask) & allMask) | overMask;
}

std::string MeterState::PeakText() const {
  if (heldPeak == 0.0) return "-inf";
  double d = kRangeDb * heldPeak - kRangeDb;
  if (d > 0) d = -d;
  char text[16];
  // Above -1 dB the read-out shows tenths ("-0.5"); below, whole dB, truncated toward zero.
  if (d > -1.0) {
    std::snprintf(text, sizeof text, "-0.%d", static_cast<int>(-d * 10));
  } else {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(d));
  }
  return text;
}
