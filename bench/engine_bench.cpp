// Speed of the mixer engine's hot paths on the simulated device.
//   Coalesce drain: a backlog of full mixes built while the device stalled.
//   Fader to frame: a fader write until its frame reaches the simulated driver.
//   Queue lock wait: how long the GUI thread waits to push while the device
//   stalls 2 s per transaction and 100 writes a second arrive.
//   Shutdown while metering: the engine's stop with both threads running.
//   Idle loop stop: stopping an interface loop that never got a message.
//   Slow device: how long a transaction waits for a unit that never answers
//   in time (the driver's 2 s time-out).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/korvanefwinterface.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "korvaneobjects/qdlctrl.h"
#include "platform/log.h"
#include "simulator/simulatedmachine.h"
#include "velmora/korvanemix8bus.h"

namespace {

using Clock = std::chrono::steady_clock;

void DiscardLog(const char*, void*) {}

double Percentile(std::vector<double> samples, double fraction) {
  if (samples.empty()) return 0.0;
  std::sort(samples.begin(), samples.end());
  const auto index = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
  return samples[index];
}

void BM_CoalesceDrain(benchmark::State& state) {
  platform::SetLogSink(&DiscardLog, nullptr);
  const auto backlog = static_cast<std::uint32_t>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    KorvaneFIFO fifo;
    FullMixRecord record{};
    for (std::uint32_t i = 0; i < backlog; ++i) fifo.Push(new FullMixMessage(record, i % 4));
    state.ResumeTiming();
    while (fifo.Coalesce()) {
    }
    benchmark::DoNotOptimize(fifo.Size());
  }
  platform::SetLogSink(nullptr, nullptr);
}
BENCHMARK(BM_CoalesceDrain)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMillisecond);

void BM_FaderToFrame(benchmark::State& state) {
  platform::SetLogSink(&DiscardLog, nullptr);
  simulator::ScopedMachine sim;
  KorvaneMasterControl* master = GetMasterControl();
  master->InitKorvaneMasterControl(nullptr);
  master->SetMixerEnable(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::vector<double> latenciesMs;
  int step = 0;
  for (auto _ : state) {
    sim->ClearFrames();
    const std::uint64_t written = sim->NowUs();
    master->SetFader(step % 8, (step % 100) / 50.0);
    ++step;
    std::vector<simulator::FrameRecord> frames;
    while ((frames = sim->Frames(0)).empty()) std::this_thread::yield();
    latenciesMs.push_back(static_cast<double>(frames.front().timeUs - written) / 1000.0);
  }
  state.counters["p50_ms"] = Percentile(latenciesMs, 0.50);
  state.counters["p99_ms"] = Percentile(latenciesMs, 0.99);
  DestroyMasterControl();
  platform::SetLogSink(nullptr, nullptr);
}
BENCHMARK(BM_FaderToFrame)->Iterations(10000)->Unit(benchmark::kMillisecond);

void BM_QueueLockWaitWhileDeviceStalls(benchmark::State& state) {
  platform::SetLogSink(&DiscardLog, nullptr);
  simulator::ScopedMachine sim;
  KorvaneMasterControl* master = GetMasterControl();
  master->InitKorvaneMasterControl(nullptr);
  master->SetMixerEnable(true);
  sim->SetReplyDelayMs(2000);
  master->StartMetering();
  std::vector<double> waitsMs;
  int step = 0;
  for (auto _ : state) {
    const auto next = Clock::now() + std::chrono::milliseconds(10);  // 100 writes a second
    const auto start = Clock::now();
    master->SetFader(step % 8, (step % 100) / 50.0);
    waitsMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    ++step;
    std::this_thread::sleep_until(next);
  }
  state.counters["p50_ms"] = Percentile(waitsMs, 0.50);
  state.counters["p99_ms"] = Percentile(waitsMs, 0.99);
  state.counters["max_ms"] = Percentile(waitsMs, 1.0);
  const auto shutdownStart = Clock::now();
  DestroyMasterControl();
  state.counters["shutdown_ms"] =
      std::chrono::duration<double, std::milli>(Clock::now() - shutdownStart).count();
  platform::SetLogSink(nullptr, nullptr);
}
BENCHMARK(BM_QueueLockWaitWhileDeviceStalls)->Iterations(600)->Unit(benchmark::kMillisecond);

bool HasMeterRead(const simulator::SimulatedMachine& sim) {
  for (const simulator::FrameRecord& record : sim.Frames(0))
    if (record.frame[6] == kCommandReadMeters) return true;
  return false;
}

void BM_ShutdownWhileMetering(benchmark::State& state) {
  platform::SetLogSink(&DiscardLog, nullptr);
  simulator::ScopedMachine sim;
  for (auto _ : state) {
    state.PauseTiming();
    sim->ClearFrames();
    KorvaneMasterControl* master = GetMasterControl();
    master->InitKorvaneMasterControl(nullptr);
    master->StartMetering();
    while (!HasMeterRead(sim.machine())) std::this_thread::yield();
    state.ResumeTiming();
    DestroyMasterControl();
  }
  platform::SetLogSink(nullptr, nullptr);
}
BENCHMARK(BM_ShutdownWhileMetering)->Iterations(20)->Unit(benchmark::kMillisecond);

KorvaneFWInterface* idleLoop = nullptr;
void RunIdleLoop() { idleLoop->interfaceLoopGo(); }

void BM_IdleLoopStop(benchmark::State& state) {
  platform::SetLogSink(&DiscardLog, nullptr);
  simulator::ScopedMachine sim;
  for (auto _ : state) {
    KorvaneFIFO fifo;
    KorvaneFWInterface fw(&fifo);
    idleLoop = &fw;
    fw.StartInterfaceLoop(&RunIdleLoop);
    // Somewhere in its wait for the first message.
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    const auto start = Clock::now();
    fw.StopInterfaceLoop();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    idleLoop = nullptr;
  }
  platform::SetLogSink(nullptr, nullptr);
}
BENCHMARK(BM_IdleLoopStop)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SlowDeviceTimeOut(benchmark::State& state) {
  platform::SetLogSink(&DiscardLog, nullptr);
  simulator::ScopedMachine sim;
  platform::DeviceInfoSet set = CreateDeviceList(&korvane::DeviceInterfaceGuid);
  CQdlCtrl client;
  client.OpenDevice(0, set, &korvane::DeviceInterfaceGuid);
  KorvaneDeviceControl device(&client);
  sim->SetReplyDelayMs(2100);
  for (auto _ : state) device.SetMixerEnable(true);
  DestroyDeviceList(set);
  platform::SetLogSink(nullptr, nullptr);
}
BENCHMARK(BM_SlowDeviceTimeOut)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
