// The engine's device side: discovers and opens every X-Tamber, then runs the
// interface loop (queued messages to the devices) and the metering thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "korvaneobjects/meterdata.h"
#include "korvaneobjects/metervalues.h"
#include "platform/deviceio.h"

class CQdlCtrl;
class EngineMessage;
class KorvaneDeviceControl;
class KorvaneFIFO;

using MeterCallback = void (*)();

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
  // Ends the loop once what is queued has gone out, and waits for it.
  void StopInterfaceLoop();
  void StartMetering();
  void StopMetering();

  void SetSelectedMix(std::uint32_t mix) { selectedMix.store(mix & 3); }
  void SetMeterCallback(MeterCallback callback) { meterCallback.store(callback); }
  double* GetMeterValues() { return meterValues; }
  std::uint32_t GetDeviceCount() const { return deviceCount; }

  // The FW interface registered by discovery, or null.
  static KorvaneFWInterface* Registered();

 private:
  void Discover();
  void CarryOut(const EngineMessage& message);
  static void MeterThreadEntry();
  void meterUpdateThreadProc();
  void UpdateMeterValues();

  KorvaneFIFO* fifo;
  platform::DeviceInfoSet devInfoSet = nullptr;
  std::vector<CQdlCtrl*> clients;
  std::vector<KorvaneDeviceControl*> devices;
  std::uint32_t deviceCount = 0;
  KorvaneDeviceControl* currentDevice = nullptr;
  std::atomic<std::uint32_t> selectedMix{0};
  MeterData meterRaw{};
  double meterValues[kMeterValueCount] = {};
  std::atomic<MeterCallback> meterCallback{nullptr};
  std::atomic<bool> loopRun{false}, loopRunning{false};
  std::atomic<bool> meterRun{false}, meterRunning{false};
  std::thread loopThread, meterThread;
};
