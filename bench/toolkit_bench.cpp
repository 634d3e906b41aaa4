// Speed of the widgets' arithmetic that runs all the time or per pointer move.
//   Meter pass: one metering pass, the ten meters stepped and every widget's
//   mask and read-out text taken, as MeterUpdate does every 50 ms.
//   Fader drag step: one coarse drag step of a channel fader (two law
//   conversions) and the thumb row it is drawn at.
#include <benchmark/benchmark.h>

#include <cmath>

#include "korvaneobjects/metervalues.h"
#include "windows/faderlogic.h"
#include "windows/metertable.h"

namespace {

void BM_MeterPass(benchmark::State& state) {
  MeterTable table;
  double values[kMeterValueCount] = {};
  int pass = 0;
  for (auto _ : state) {
    for (int m = 0; m < MeterTable::kMeters; ++m) values[m] = 0.5 + 0.45 * std::sin(0.3 * pass + m);
    table.Update(values);
    for (int m = 0; m < MeterTable::kMeters; ++m) {
      benchmark::DoNotOptimize(table.Segments(m));
      benchmark::DoNotOptimize(table.PeakText(m));
    }
    ++pass;
  }
}
BENCHMARK(BM_MeterPass);

void BM_FaderDragStep(benchmark::State& state) {
  const FaderLogic fader(2);
  int y = 0;
  for (auto _ : state) {
    const double value = fader.DragValue(1.0, 100, 100 + (y++ % 60), 1);
    benchmark::DoNotOptimize(fader.ThumbPos(value));
  }
}
BENCHMARK(BM_FaderDragStep);

}  // namespace

BENCHMARK_MAIN();
