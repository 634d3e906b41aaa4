// One level meter's model: turns the levels read from the device into a mask
// of lit segments with a falling peak-hold segment, an over indicator and the
// held level that the read-out shows. Pure logic; not locked (MeterTable is).
//
// Bit 0 is the over indicator, bit 1 the topmost (loudest) level segment and
// bit `segments` the lowest. A level runs from -1 (full scale) to 0 (silence).
#pragma once

#include <cstdint>
#include <string>

class MeterState {
 public:
  // Updates a new peak stays put for before it starts to fall, and the
  // updates between two fall steps.
  static constexpr int kHoldUpdates = 20;
  static constexpr int kFallUpdates = 2;

  explicit MeterState(int segments);

  // One step of the ballistics. over is the device's over flag (0 or 1);
  // a negative over lights the indicator when the top segment is lit.
  void Update(double level, int over);
  // The bar for a level: the lowest segments that it exceeds. Records the
  // level's magnitude for the next fall step.
  std::uint32_t LevelMask(double level);
  std::uint32_t SegmentMask() const;
  // The held level in whole decibels ("-12"), tenths above -1 dB ("-0.5"), or "-inf".
  std::string PeakText() const;

  int Segments() const { return segments; }
  std::uint32_t AllMask() const { return allMask; }
  double HeldPeak() const { return heldPeak; }

 private:
  void FallStep();
  void PeakSearch();
  void SetOver(int over);

  std::int32_t segments;
  std::uint32_t levelMask = 0;
  std::uint32_t peakMask = 0;
  std::uint32_t overMask = 0;
  std::uint32_t allMask;
  std::uint32_t overBit = 1;
  double heldPeak = 0.0;
  double lastLevel = 0.0;
  std::int32_t holdCount = 0;
  std::int32_t fallCount = 0;
};
