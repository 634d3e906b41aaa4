// One meter pass of the mixer as its metering thread makes it every 50 ms:
// UpdateMeters steps the ten meter levels, then the ten meters and ten level
// read-outs of the real mixer window redraw into their off-screen surfaces
// (ChannelStrips::MeterUpdate). The levels alternate between two sets, so
// every pass changes what each meter and read-out shows. Windows build only;
// run it under Wine:
//
//   scripts/wine-run --prefix build/windows/wineprefix build/windows/bench/meterpass_bench.exe
#include <benchmark/benchmark.h>
#include <windows.h>

#include "gui/channelstrips.h"
#include "gui/mainwindow.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "simulator/simulatedmachine.h"
#include "velmora/velmora.h"

namespace {

void PumpPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

void BM_MeterPass(benchmark::State& state) {
  simulator::ScopedMachine machine;
  // The program's start-up without its metering thread: the benchmark makes
  // the passes itself, from meter values of its own.
  if (GetMasterControl()->InitKorvaneMasterControl(&ChannelStrips::MeterUpdate) == 0) {
    state.SkipWithError("no simulated X-Tamber");
    return;
  }
  HWND window = MainWindow::Create(GetModuleHandleA(nullptr));
  double values[20] = {};  // ten levels, then ten over flags
  *ChannelStrips::MeterTarget() = values;
  if (window == nullptr) {
    state.SkipWithError("no mixer window");
    DestroyMasterControl();
    return;
  }
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  bool loud = false;
  for (auto _ : state) {
    loud = !loud;
    for (int meter = 0; meter < 10; ++meter) values[meter] = loud ? 0.9 - 0.05 * meter : 0.02;
    ChannelStrips::MeterUpdate();
  }
  *ChannelStrips::MeterTarget() = nullptr;
  PumpPending();
  savedFlag = true;
  DestroyWindow(window);  // shuts the master control down
  PumpPending();
}
BENCHMARK(BM_MeterPass);

}  // namespace

BENCHMARK_MAIN();
