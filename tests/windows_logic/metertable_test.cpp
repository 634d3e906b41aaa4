#include "windows/metertable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <thread>

#include "korvaneobjects/metervalues.h"
#include "tests/support/eventually.h"

namespace {

TEST(MeterTable, UpdateFeedsEachMeterItsLevelAndOverFlag) {
  MeterTable table;
  double values[kMeterValueCount] = {};
  values[0] = 1.0;                  // meter 0 full scale
  values[kOutputLevels + 1] = 0.5;  // meter 9 at -24 dB
  values[kInputOvers + 3] = 1.0;
  values[kInputOvers + 4] = 0.9;  // truncated to 0
  values[kOutputOvers] = NAN;
  values[kInputOvers + 5] = 2.5;
  table.Update(values);
  EXPECT_EQ(table.Segments(0), 0x7FFFFEu);
  EXPECT_EQ(table.Segments(9), 0x7FF000u);
  EXPECT_EQ(table.Segments(3), 1u);
  EXPECT_EQ(table.Segments(4), 0u);
  EXPECT_EQ(table.Segments(8), 0u);
  EXPECT_EQ(table.Segments(5), 1u);
  EXPECT_EQ(table.Segments(10), 0u) << "no such meter";
  EXPECT_EQ(table.PeakText(-1), "-inf");

  values[kInputOvers + 3] = 0.0;
  table.Update(values);
  EXPECT_EQ(table.Segments(3), 0u);
}

TEST(MeterTable, SegmentRowsMatchTheMeterImage) {
  EXPECT_EQ(MeterSegmentTop(0), 1);
  EXPECT_EQ(MeterSegmentTop(1), 13);
  EXPECT_EQ(MeterSegmentTop(21), 193);  // rows 193-198 of the 200-row image
}

// The metering thread steps the table while the GUI thread paints a meter
// without a surface: the readers must only ever see whole states.
TEST(MeterTable, ReadersOnAnotherThreadSeeConsistentStates) {
  MeterTable table;
  std::atomic<int> updates{0};
  std::atomic<bool> stop{false};
  std::thread metering([&] {
    double values[kMeterValueCount] = {};
    for (int i = 0; !stop.load(); ++i) {
      for (int m = 0; m < MeterTable::kMeters; ++m) values[m] = (i + m) % 2 ? 1.0 : 0.5;
      values[kInputOvers] = i % 2;
      table.Update(values);
      updates.fetch_add(1);
    }
  });
  ASSERT_TRUE(testsupport::Eventually([&] { return updates.load() > 0; }));
  int reads = 0;
  bool allValid = true;
  while (updates.load() < 200 || reads < 200) {
    for (int m = 0; m < MeterTable::kMeters; ++m) {
      const std::uint32_t mask = table.Segments(m);
      // Bit 12 is lit at -24 dB and louder.
      allValid = allValid && (mask & ~0x7FFFFFu) == 0 && (mask & 0x1000u) != 0;
      const std::string text = table.PeakText(m);
      allValid = allValid && (text == "-inf" || text == "-24" || text == "-0.0");
    }
    ++reads;
  }
  stop = true;
  metering.join();
  EXPECT_TRUE(allValid);
}

}  // namespace
