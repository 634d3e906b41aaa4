// The ten meters of the mixer window: 0-7 the channels, 8 and 9 the selected
// output pair. The metering thread steps them with UpdateMeters; the meter
// widgets read their masks and texts on whichever thread draws them, so every
// access goes through one lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "windows/meterstate.h"

class MeterTable {
 public:
  static constexpr int kMeters = 10;
  static constexpr int kSegments = 22;

  MeterTable();

  // values: the 20 meter values (10 levels 0..1, then 10 over flags 0.0 or 1.0).
  void Update(const double* values);
  // Meters outside 0-9 are dark and read "-inf".
  std::uint32_t Segments(int meter) const;
  std::string PeakText(int meter) const;
  void Reset();

 private:
  static bool Valid(int meter) { return meter >= 0 && meter < kMeters; }

  mutable std::mutex lock;
  MeterState meters[kMeters];
};

// Where segment i of a meter widget lies (bit i of its mask; 0 is the over
// indicator): columns 1 to 16, six rows from MeterSegmentTop(i). After the
// over segment the step is 12 rows, then 9.
constexpr int kMeterSegmentLeft = 1;
constexpr int kMeterSegmentRight = 17;  // exclusive
constexpr int kMeterSegmentRows = 6;
constexpr int MeterSegmentTop(int segment) { return segment == 0 ? 1 : 13 + 9 * (segment - 1); }

// The process's table, made before the main window and living for the whole run.
MeterTable& Meters();
void UpdateMeters(const double* values);
std::uint32_t MeterSegments(int meter);
std::string MeterPeakText(int meter);
