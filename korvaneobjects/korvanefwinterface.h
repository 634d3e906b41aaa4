// The engine's device side: discovers and opens every X-Tamber, then runs the
// interface loop (queued messages to the devices) and the metering thread.
// Units that arrive or leave later are opened and dropped by the interface
// loop, which alone changes the list of units.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "korvaneobjects/meterdata.h"
#include "korvaneobjects/metervalues.h"
#include "platform/deviceio.h"
#include "platform/event.h"

class EngineMessage;
class KorvaneFIFO;
class KorvaneUnit;

using MeterCallback = void (*)();
// Told on the interface loop's thread, after a unit was opened or dropped.
using UnitsChangedCallback = void (*)();

class KorvaneFWInterface {
 public:
  // Runs discovery on the calling thread; may show the "No Korvane found." box.
  explicit KorvaneFWInterface(KorvaneFIFO* fifo);
  ~KorvaneFWInterface();
  KorvaneFWInterface(const KorvaneFWInterface&) = delete;
  KorvaneFWInterface& operator=(const KorvaneFWInterface&) = delete;

  // Starts a thread that runs `entry`, which is to call interfaceLoopGo.
  void StartInterfaceLoop(void (*entry)());
  void interfaceLoopGo();
  // Ends the loop once what is queued has gone out (for half a second at
  // most: a stalled unit is not waited for), and waits for it.
  void StopInterfaceLoop();
  void StartMetering();
  void StopMetering();

  void SetSelectedMix(std::uint32_t mix) { selectedMix.store(mix & 3); }
  void SetMeterCallback(MeterCallback callback) { meterCallback.store(callback); }
  // Whether anyone sees the meters. While nobody does, the metering thread
  // wakes on every eighth period only: it reads the device once and calls the
  // callback eight times over with that reading, so the meters' hold and fall
  // keep their length in passes. The unit's levels are peaks since the last
  // read and its overs stay latched, so a slower read loses neither. Seen
  // again, the thread wakes at once and the next pass reads.
  void SetMetersSeen(bool seen);
  bool MetersSeen() const { return metersSeen.load(); }
  void SetUnitsChangedCallback(UnitsChangedCallback callback) { unitsChanged.store(callback); }
  double* GetMeterValues() { return meterValues; }
  // The units discovery opened at start-up.
  std::uint32_t GetDeviceCount() const { return deviceCount; }
  // The units open now.
  std::uint32_t ConnectedCount() const { return connected.load(); }

  // The FW interface registered by discovery, or null.
  static KorvaneFWInterface* Registered();

  // Where the interface loop stands around its wait for work. A hook set here
  // runs on the loop's thread at each point, so a test can land a push and a
  // stop exactly there; null (the default) runs nothing.
  enum class LoopPoint { kBeforeStartWait, kBeforeIdleCheck, kBeforeWait, kAfterWait };
  using LoopPointHook = void (*)(LoopPoint);
  static void SetLoopPointHook(LoopPointHook hook);

 private:
  using UnitPtr = std::shared_ptr<KorvaneUnit>;

  void Discover();
  bool WaitForStart();
  void CarryOut(const EngineMessage& message);
  void OpenArrivedUnits();
  bool IsOpen(const std::string& path) const;
  void DropUnitsThatLeft(bool ask);
  void Insert(UnitPtr unit);
  void UnitsChanged(bool giveMixerEnable);
  UnitPtr CurrentUnit();
  static void MeterThreadEntry();
  void meterUpdateThreadProc();
  void SeenPass();
  void UnseenPass();
  void CallMeterCallback();
  bool ReadMeterValues();
  void UpdateMeterValues();
  void ShowSilence();

  KorvaneFIFO* fifo;
  platform::DeviceInfoSet devInfoSet = nullptr;
  // In the order their paths were first seen: a unit that comes back takes its
  // old place, and the first of them is the current device.
  std::vector<UnitPtr> units;
  std::vector<std::string> knownPaths;
  std::uint32_t deviceCount = 0;
  std::atomic<std::uint32_t> connected{0};
  // The device whose meters are read and whose mixer-enable is set.
  std::mutex currentLock;
  UnitPtr currentDevice;
  // The last mixer enable carried out, for a unit that becomes the current
  // device when the one before it leaves.
  int mixerEnableSent = -1;
  std::atomic<std::uint32_t> selectedMix{0};
  MeterData meterRaw{};
  double meterValues[kMeterValueCount] = {};
  std::atomic<MeterCallback> meterCallback{nullptr};
  std::atomic<bool> metersSeen{true};
  // Ends an unseen pass's long pause: the meters are seen again, or metering stops.
  platform::Event meterWake;
  std::atomic<UnitsChangedCallback> unitsChanged{nullptr};
  std::atomic<bool> loopRun{false}, loopRunning{false};
  std::atomic<bool> meterRun{false}, meterRunning{false};
  std::thread loopThread, meterThread;
};
