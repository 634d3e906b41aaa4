// One meter pass of the mixer as its metering thread makes it every 50 ms:
// UpdateMeters steps the ten meter levels, then the ten meters and ten level
// read-outs of the real mixer window redraw into their off-screen surfaces
// (ChannelStrips::MeterUpdate). The levels alternate between two sets, so
// every pass changes what each meter and read-out shows. Beside it, the parts
// of a pass alone: the models, the drawing into the surfaces, what twenty
// invalidations would cost, and the pass with the copies to the screen that
// follow on the window's thread; and a pass whose levels do not change.
// Windows build only; run it under Wine:
//
//   scripts/wine-run --prefix build/windows/wineprefix build/windows/bench/meterpass_bench.exe
#include <benchmark/benchmark.h>
#include <windows.h>

#include <vector>

#include "gui/channelstrips.h"
#include "gui/mainwindow.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "simulator/simulatedmachine.h"
#include "velmora/velmora.h"
#include "windows/metertable.h"
#include "windows/wbufferedwindow.h"

namespace {

void PumpPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// The mixer window on a simulated unit, without the metering thread: the
// benchmarks make the passes themselves, from meter values of their own.
class MixerUnderTest {
 public:
  explicit MixerUnderTest(benchmark::State& state) {
    if (GetMasterControl()->InitKorvaneMasterControl(&ChannelStrips::MeterUpdate) == 0) {
      state.SkipWithError("no simulated X-Tamber");
      return;
    }
    window = MainWindow::Create(GetModuleHandleA(nullptr));
    *ChannelStrips::MeterTarget() = values;
    if (window == nullptr) {
      state.SkipWithError("no mixer window");
      return;
    }
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    for (int meter = 0; meter < 10; ++meter) {
      meters.push_back(GetDlgItem(window, IDMETER + meter));
      meters.push_back(GetDlgItem(window, IDMETERSTATUS + meter));
    }
  }
  ~MixerUnderTest() {
    *ChannelStrips::MeterTarget() = nullptr;
    PumpPending();
    savedFlag = true;
    if (window)
      DestroyWindow(window);  // shuts the master control down
    else
      DestroyMasterControl();
    PumpPending();
  }
  bool Ready() const { return window != nullptr; }
  // Levels that differ from the last call's, for every meter.
  void NextLevels() {
    loud = !loud;
    for (int meter = 0; meter < 10; ++meter) values[meter] = loud ? 0.9 - 0.05 * meter : 0.02;
  }

  simulator::ScopedMachine machine;  // made before the window, gone after it
  HWND window = nullptr;
  std::vector<HWND> meters;  // each meter, then its read-out
  double values[20] = {};    // ten levels, then ten over flags
  bool loud = false;
};

void BM_MeterPass(benchmark::State& state) {
  MixerUnderTest mixer(state);
  if (!mixer.Ready()) return;
  for (auto _ : state) {
    mixer.NextLevels();
    ChannelStrips::MeterUpdate();
  }
}
BENCHMARK(BM_MeterPass);

// The same levels every pass: nothing changes, so nothing is to be drawn.
void BM_MeterPassUnchanged(benchmark::State& state) {
  MixerUnderTest mixer(state);
  if (!mixer.Ready()) return;
  for (int meter = 0; meter < 10; ++meter) mixer.values[meter] = 0.02;
  for (auto _ : state) ChannelStrips::MeterUpdate();
}
BENCHMARK(BM_MeterPassUnchanged);

void BM_MeterModels(benchmark::State& state) {
  MixerUnderTest mixer(state);
  if (!mixer.Ready()) return;
  for (auto _ : state) {
    mixer.NextLevels();
    UpdateMeters(mixer.values);
  }
}
BENCHMARK(BM_MeterModels);

// Every widget's foreground into a memory context of the window's format.
void BM_MeterDrawing(benchmark::State& state) {
  MixerUnderTest mixer(state);
  if (!mixer.Ready()) return;
  HDC screen = GetDC(mixer.window);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 256);
  HGDIOBJ old = SelectObject(memory, bitmap);
  for (auto _ : state) {
    mixer.NextLevels();
    UpdateMeters(mixer.values);
    for (HWND meter : mixer.meters)
      if (auto* widget = dynamic_cast<WBufferedWindow*>(WWindow::Get(meter))) widget->Draw(memory);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(mixer.window, screen);
}
BENCHMARK(BM_MeterDrawing);

void BM_MeterInvalidation(benchmark::State& state) {
  MixerUnderTest mixer(state);
  if (!mixer.Ready()) return;
  for (auto _ : state)
    for (HWND meter : mixer.meters) InvalidateRect(meter, nullptr, FALSE);
}
BENCHMARK(BM_MeterInvalidation);

// A pass and the copies to the screen it leaves the window's thread.
void BM_MeterPassAndPaints(benchmark::State& state) {
  MixerUnderTest mixer(state);
  if (!mixer.Ready()) return;
  for (auto _ : state) {
    mixer.NextLevels();
    ChannelStrips::MeterUpdate();
    PumpPending();
  }
}
BENCHMARK(BM_MeterPassAndPaints);

}  // namespace

BENCHMARK_MAIN();
