#include "windows/metertable.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kOverFlags = MeterTable::kMeters;  // index of meter 0's over flag

// The over flag is truncated to an integer (0.9 counts as 0). Only its sign
// and whether it is 0 matter, so anything huge or NaN is brought into int range first.
int TruncatedOver(double over) {
  if (std::isnan(over)) return 0;
  return static_cast<int>(std::clamp(over, -1.0, 1.0));
}

}  // namespace

MeterTable::MeterTable()
    : meters{MeterState(kSegments), MeterState(kSegments), MeterState(kSegments),
             MeterState(kSegments), MeterState(kSegments), MeterState(kSegments),
             MeterState(kSegments), MeterState(kSegments), MeterState(kSegments),
             MeterState(kSegments)} {}

void MeterTable::Update(const double* values) {
  std::lock_guard<std::mutex> hold(lock);
  for (int i = 0; i < kMeters; ++i) {
    meters[i].Update(-values[i], TruncatedOver(values[kOverFlags + i]));
  }
}

std::uint32_t MeterTable::Segments(int meter) const {
  if (!Valid(meter)) return 0;
  std::lock_guard<std::mutex> hold(lock);
  return meters[meter].SegmentMask();
}

std::string MeterTable::PeakText(int meter) const {
  if (!Valid(meter)) return "-inf";
  std::lock_guard<std::mutex> hold(lock);
  return meters[meter].PeakText();
}

void MeterTable::Reset() {
  std::lock_guard<std::mutex> hold(lock);
  for (MeterState& meter : meters) meter = MeterState(kSegments);
}

MeterTable& Meters() {
  static MeterTable table;
  return table;
}

void UpdateMeters(const double* values) { Meters().Update(values); }

std::uint32_t MeterSegments(int meter) { return Meters().Segments(meter); }

std::string MeterPeakText(int meter) { return Meters().PeakText(meter); }
