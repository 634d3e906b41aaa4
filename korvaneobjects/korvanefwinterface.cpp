#include "korvaneobjects/korvanefwinterface.h"

#include <chrono>
#include <cmath>
#include <new>

#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/qdlctrl.h"
#include "platform/log.h"
#include "platform/messagebox.h"

using namespace korvane;

namespace {

std::atomic<KorvaneFWInterface*> registered{nullptr};

constexpr auto kMeterPeriod = std::chrono::milliseconds(50);
constexpr auto kLoopPause = std::chrono::milliseconds(1);
constexpr auto kStopPoll = std::chrono::milliseconds(1);
// The loop waits for the first queued message in slices, so that a stop
// request still ends a loop that never got one.
constexpr std::uint32_t kStartGateSliceMs = 20;

}  // namespace

double MeterDisplayValue(std::uint8_t level) {
  if (level == 0) return 0.0;
  const double db = 20.0 * std::log10(level / 255.0);
  if (db < -48.0) return 0.0;
  return (db + 48.0) / 48.0;
}

KorvaneFWInterface* KorvaneFWInterface::Registered() { return registered.load(); }

KorvaneFWInterface::KorvaneFWInterface(KorvaneFIFO* fifo) : fifo(fifo) {
  Discover();
  if (deviceCount > 0) {
    currentDevice = devices.front();
    platform::Log("Starting metering timer.\n");
    registered.store(this);
  }
}

KorvaneFWInterface::~KorvaneFWInterface() {
  // Threads that outlive a caller's stop would run on a destroyed object.
  StopMetering();
  StopInterfaceLoop();
  KorvaneFWInterface* self = this;
  registered.compare_exchange_strong(self, nullptr);
  DestroyDeviceList(devInfoSet);
  for (KorvaneDeviceControl* device : devices) delete device;
  for (CQdlCtrl* client : clients) delete client;  // closes their devices
  devices.clear();
  clients.clear();
}

void KorvaneFWInterface::Discover() {
  devInfoSet = CreateDeviceList(&DeviceInterfaceGuid);
  if (devInfoSet == nullptr) platform::Log("CreateDeviceList failed\n");
  deviceCount = 0;
  devices.clear();

  // The enumeration index is always the count opened so far: the n-th
  // interface is tried only after the one before it opened.
  DriverStatus status = kStatusSuccess;
  while (status == kStatusSuccess) {
    CQdlCtrl* client = new (std::nothrow) CQdlCtrl;
    if (client == nullptr) {
      platform::Log("Can not create CQdlCtrl instance");
      return;
    }
    clients.push_back(client);
    status = client->OpenDevice(deviceCount, devInfoSet, &DeviceInterfaceGuid);
    if (status == kStatusSuccess) {
      ++deviceCount;
      DriverVersion version{};
      client->GetVersion(&version);
      platform::Log("Korvane Driver Version: %i.%i.%i \n.", version.driverMajor,
                    version.driverMinor, static_cast<int>(version.driverBuild));
      devices.push_back(new KorvaneDeviceControl(client));
    } else if (status == kStatusNoSuchInstance && deviceCount == 0) {
      platform::Log("No Korvane detected.\n");
      platform::ShowMessageBox(nullptr, "No Korvane found.", "No Korvane", platform::kMbOk);
    }
  }
}

void KorvaneFWInterface::StartInterfaceLoop(void (*entry)()) {
  if (loopThread.joinable()) return;
  // Raised before the thread exists, so that a stop right after the start
  // cannot be overwritten by the thread's own start.
  loopRun = true;
  loopRunning = true;
  loopThread = std::thread(entry);
}

void KorvaneFWInterface::interfaceLoopGo() {
  loopRunning = true;
  platform::Log("Running Thread: KorvaneFWInterface::interfaceLoopGo()\n");
  bool started = false;
  while (!started && loopRun) started = fifo->WaitForFirstPush(kStartGateSliceMs);
  while (started) {
    while (fifo->Coalesce()) {
    }
    EngineMessage* message = fifo->Pop();
    if (message != nullptr) {
      CarryOut(*message);
      delete message;
    }
    // A stop lets what is queued go out first: the unit keeps the last
    // state the window showed when the program closed or the session ended.
    if (!loopRun && message == nullptr) break;
    std::this_thread::sleep_for(kLoopPause);
  }
  loopRunning = false;
}

void KorvaneFWInterface::CarryOut(const EngineMessage& message) {
  switch (message.kind) {
    case kMessageMixerEnable:
      if (currentDevice)
        currentDevice->SetMixerEnable(static_cast<const MixerEnableMessage&>(message).value == 1);
      break;
    case kMessageClearOvers:
      for (KorvaneDeviceControl* device : devices) device->ClearOvers();
      break;
    case kMessageFullMix: {
      const auto& mix = static_cast<const FullMixMessage&>(message);
      for (KorvaneDeviceControl* device : devices)
        device->WriteMix(static_cast<std::uint8_t>(mix.mixIndex), mix.record.gains);
      break;
    }
    default:
      break;
  }
}

void KorvaneFWInterface::StopInterfaceLoop() {
  loopRun = false;
  while (loopRunning && loopThread.joinable()) std::this_thread::sleep_for(kStopPoll);
  if (loopThread.joinable()) loopThread.join();
  loopRunning = false;
}

void KorvaneFWInterface::StartMetering() {
  if (meterThread.joinable()) return;
  meterRun = true;
  meterRunning = true;
  platform::Log("Calling meterUpdateThreadProc.\n");
  meterThread = std::thread(&KorvaneFWInterface::MeterThreadEntry);
}

void KorvaneFWInterface::MeterThreadEntry() {
  KorvaneFWInterface* fw = Registered();
  if (fw == nullptr) {
    platform::Log(
        "Can't launch meter update thread, KorvaneFWInterface wasn't instantiated yet.\n");
    return;
  }
  fw->meterUpdateThreadProc();
}

void KorvaneFWInterface::meterUpdateThreadProc() {
  meterRunning = true;
  platform::Log("LAUNCHING METER THREAD\n");
  do {
    if (currentDevice && currentDevice->ReadMeters(&meterRaw)) {
      UpdateMeterValues();
      if (MeterCallback callback = meterCallback.load()) callback();
    }
    std::this_thread::sleep_for(kMeterPeriod);
  } while (meterRun);
  meterRunning = false;
}

void KorvaneFWInterface::UpdateMeterValues() {
  const std::uint32_t mix = selectedMix.load();
  for (int n = 0; n < 8; ++n) {
    meterValues[kInputLevels + n] = MeterDisplayValue(meterRaw.inputLevel[n]);
    meterValues[kInputOvers + n] = (meterRaw.inputOver >> n) & 1 ? 1.0 : 0.0;
  }
  for (int k = 0; k < 2; ++k) {
    meterValues[kOutputLevels + k] = MeterDisplayValue(meterRaw.outputLevel[2 * mix + k]);
    meterValues[kOutputOvers + k] = (meterRaw.outputOver >> k) & 1 ? 1.0 : 0.0;
  }
}

void KorvaneFWInterface::StopMetering() {
  meterRun = false;
  // A thread that found no registered FW interface ends without clearing the flag.
  while (meterRunning && meterThread.joinable() && Registered() == this)
    std::this_thread::sleep_for(kStopPoll);
  if (meterThread.joinable()) meterThread.join();
  meterRunning = false;
}
