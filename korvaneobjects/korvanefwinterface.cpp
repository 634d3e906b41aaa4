#include "korvaneobjects/korvanefwinterface.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <new>
#include <optional>

#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/korvaneunit.h"
#include "korvaneobjects/qdlctrl.h"
#include "platform/log.h"
#include "platform/messagebox.h"
#include "platform/pause.h"

using namespace korvane;

namespace {

std::atomic<KorvaneFWInterface*> registered{nullptr};
std::atomic<KorvaneFWInterface::LoopPointHook> loopPointHook{nullptr};

void LoopReached(KorvaneFWInterface::LoopPoint point) {
  if (KorvaneFWInterface::LoopPointHook hook = loopPointHook.load()) hook(point);
}

constexpr std::uint32_t kMeterPeriodMs = 50;
// While nobody sees the meters: one wake-up and one read in this many periods,
// 400 ms, well inside the meters' 1 s peak hold.
constexpr int kUnseenReadEvery = 8;
constexpr auto kLoopPause = std::chrono::milliseconds(1);
constexpr auto kStopPoll = std::chrono::milliseconds(1);
// How long a stop goes on carrying out what is queued: a unit that answers
// gets the last state, one that has stalled does not hold up the program's end.
constexpr auto kStopDrainLimit = std::chrono::milliseconds(500);
// Should the start gate stay shut after the first push, the loop retries it in
// slices, so that a stop request still ends the loop.
constexpr std::uint32_t kStartGateSliceMs = 20;
// More interfaces than the driver ever lists: an enumeration that keeps
// failing without reaching the end of the list still ends.
constexpr std::uint32_t kMaxInterfaces = 64;

void LogDriverVersion(CQdlCtrl& client) {
  DriverVersion version{};
  client.GetVersion(&version);
  platform::Log("Korvane Driver Version: %i.%i.%i \n.", version.driverMajor, version.driverMinor,
                static_cast<int>(version.driverBuild));
}

}  // namespace

double MeterDisplayValue(std::uint8_t level) {
  if (level == 0) return 0.0;
  const double db = 20.0 * std::log10(level / 255.0);
  if (db < -48.0) return 0.0;
  return (db + 48.0) / 48.0;
}

KorvaneFWInterface* KorvaneFWInterface::Registered() { return registered.load(); }

void KorvaneFWInterface::SetLoopPointHook(LoopPointHook hook) { loopPointHook.store(hook); }

KorvaneFWInterface::KorvaneFWInterface(KorvaneFIFO* fifo) : fifo(fifo) {
  Discover();
  if (deviceCount > 0) {
    currentDevice = units.front();
    connected = deviceCount;
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
  {
    std::lock_guard<std::mutex> hold(currentLock);
    currentDevice.reset();
  }
  units.clear();  // closes their devices
}

void KorvaneFWInterface::Discover() {
  devInfoSet = CreateDeviceList(&DeviceInterfaceGuid);
  if (devInfoSet == nullptr) platform::Log("CreateDeviceList failed\n");
  deviceCount = 0;
  units.clear();

  // The enumeration index is always the count opened so far: the n-th
  // interface is tried only after the one before it opened.
  DriverStatus status = kStatusSuccess;
  while (status == kStatusSuccess) {
    std::unique_ptr<CQdlCtrl> client(new (std::nothrow) CQdlCtrl);
    if (client == nullptr) {
      platform::Log("Can not create CQdlCtrl instance");
      return;
    }
    status = client->OpenDevice(deviceCount, devInfoSet, &DeviceInterfaceGuid);
    if (status == kStatusSuccess) {
      ++deviceCount;
      LogDriverVersion(*client);
      Insert(std::make_shared<KorvaneUnit>(std::move(client)));
    } else if (status == kStatusNoSuchInstance && deviceCount == 0) {
      platform::Log("No Korvane detected.\n");
      platform::ShowMessageBox(nullptr, "No Korvane found.", "No Korvane", platform::kMbOk);
    }
  }
}

// Opens, as discovery does, every present interface that no unit of the list
// has open. The notice names one interface, but the list is read whole: a
// notice missed or folded into another must not leave a unit unopened.
void KorvaneFWInterface::OpenArrivedUnits() {
  // A unit pulled and plugged back at once may still be listed with the
  // handle of its former power-up, which never works again.
  DropUnitsThatLeft(true);
  platform::DeviceInfoSet set = CreateDeviceList(&DeviceInterfaceGuid);
  if (set == nullptr) {
    platform::Log("CreateDeviceList failed\n");
    return;
  }
  bool opened = false;
  for (std::uint32_t index = 0; index < kMaxInterfaces; ++index) {
    std::unique_ptr<CQdlCtrl> client(new (std::nothrow) CQdlCtrl);
    if (client == nullptr) break;
    const DriverStatus status = client->OpenDevice(index, set, &DeviceInterfaceGuid);
    if (status == kStatusNoSuchInstance) break;
    if (status != kStatusSuccess) {
      platform::Log("Korvane unit %u cannot be opened: 0x%08X\n", static_cast<unsigned>(index),
                    static_cast<unsigned>(status));
      continue;
    }
    if (IsOpen(client->DevicePath())) continue;  // the client closes its second handle
    LogDriverVersion(*client);
    auto unit = std::make_shared<KorvaneUnit>(std::move(client));
    platform::Log("Korvane unit arrived: %s\n", unit->Path().c_str());
    Insert(std::move(unit));
    opened = true;
  }
  DestroyDeviceList(set);
  if (opened) UnitsChanged(false);
}

bool KorvaneFWInterface::IsOpen(const std::string& path) const {
  return std::any_of(units.begin(), units.end(),
                     [&](const UnitPtr& unit) { return SameDevicePath(unit->Path(), path); });
}

// `ask`: ask the driver about each unit, not only look at what the last
// transactions said.
void KorvaneFWInterface::DropUnitsThatLeft(bool ask) {
  bool dropped = false;
  for (auto unit = units.begin(); unit != units.end();) {
    if (ask ? (*unit)->StillThere() : !(*unit)->Gone()) {
      ++unit;
      continue;
    }
    platform::Log("Korvane unit left: %s\n", (*unit)->Path().c_str());
    unit = units.erase(unit);
    dropped = true;
  }
  if (dropped) UnitsChanged(true);
}

// Keeps `units` in the order their paths were first seen.
void KorvaneFWInterface::Insert(UnitPtr unit) {
  auto rank = [this](const std::string& path) {
    for (std::size_t i = 0; i < knownPaths.size(); ++i)
      if (SameDevicePath(knownPaths[i], path)) return i;
    knownPaths.push_back(path);
    return knownPaths.size() - 1;
  };
  const std::size_t place = rank(unit->Path());
  auto after = std::find_if(units.begin(), units.end(),
                            [&](const UnitPtr& other) { return rank(other->Path()) > place; });
  units.insert(after, std::move(unit));
}

// The first unit of the list is the current device. One that becomes current
// because the one before it left gets the mixer enable that one had; after an
// arrival the master control's queued state brings it.
void KorvaneFWInterface::UnitsChanged(bool giveMixerEnable) {
  UnitPtr first = units.empty() ? nullptr : units.front();
  UnitPtr before;
  {
    std::lock_guard<std::mutex> hold(currentLock);
    before = currentDevice;
    currentDevice = first;
  }
  connected = static_cast<std::uint32_t>(units.size());
  if (giveMixerEnable && first && first != before && mixerEnableSent >= 0)
    first->Control().SetMixerEnable(mixerEnableSent == 1);
  if (UnitsChangedCallback callback = unitsChanged.load()) callback();
}

KorvaneFWInterface::UnitPtr KorvaneFWInterface::CurrentUnit() {
  std::lock_guard<std::mutex> hold(currentLock);
  return currentDevice;
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
  if (!WaitForStart()) {
    loopRunning = false;
    return;
  }
  std::optional<std::chrono::steady_clock::time_point> drainUntil;
  for (;;) {
    while (fifo->Coalesce()) {
    }
    EngineMessage* message = fifo->Pop();
    if (message != nullptr) {
      CarryOut(*message);
      delete message;
    }
    // A transaction of this pass, or a meter read, may have found its unit gone.
    DropUnitsThatLeft(false);
    // A stop lets what is queued go out first, within a limit: the unit keeps
    // the last state the window showed when the program closed or the
    // session ended. Once stopping the loop never waits: a push and the
    // stop's wake may have folded into one signal that an earlier wait used
    // up, so no further signal is coming.
    if (!loopRun) {
      const auto now = std::chrono::steady_clock::now();
      if (!drainUntil) drainUntil = now + kStopDrainLimit;
      if (message == nullptr || now >= *drainUntil) break;
      continue;
    }
    // An empty queue: nothing is locked or polled until a push or a stop, and
    // the message that ends the wait goes out at once. While messages are
    // queued the pause lets newer ones replace older ones, and the device
    // gets one transaction a pass. A stop that lands after the check above
    // sets the flag before its wake, so the wait below ends at once.
    LoopReached(LoopPoint::kBeforeIdleCheck);
    if (message == nullptr || fifo->Size() == 0) {
      LoopReached(LoopPoint::kBeforeWait);
      fifo->WaitForWork();
      LoopReached(LoopPoint::kAfterWait);
    } else {
      std::this_thread::sleep_for(kLoopPause);
    }
  }
  loopRunning = false;
}

// The loop starts with the queue's first push (or ends, asked to stop before
// one). Until something is pushed it only waits; should the gate still be
// held after that (another queue of the process holds the shared name), it
// is retried in slices, so a stop still ends the loop. A first push whose
// wake folded into the stop's still starts the loop, which carries it out.
bool KorvaneFWInterface::WaitForStart() {
  if (fifo->WaitForFirstPush(0)) return true;
  LoopReached(LoopPoint::kBeforeStartWait);
  if (loopRun) fifo->WaitForWork();
  if (fifo->WaitForFirstPush(0)) return true;
  while (loopRun)
    if (fifo->WaitForFirstPush(kStartGateSliceMs)) return true;
  return false;
}

void KorvaneFWInterface::CarryOut(const EngineMessage& message) {
  switch (message.kind) {
    case kMessageMixerEnable:
      mixerEnableSent = static_cast<const MixerEnableMessage&>(message).value == 1 ? 1 : 0;
      if (!units.empty()) units.front()->Control().SetMixerEnable(mixerEnableSent == 1);
      break;
    case kMessageClearOvers:
      for (const UnitPtr& unit : units) unit->Control().ClearOvers();
      break;
    case kMessageFullMix: {
      const auto& mix = static_cast<const FullMixMessage&>(message);
      for (const UnitPtr& unit : units)
        unit->Control().WriteMix(static_cast<std::uint8_t>(mix.mixIndex), mix.record.gains);
      break;
    }
    case kMessageUnitArrived:
      OpenArrivedUnits();
      break;
    case kMessageUnitLeft:
      DropUnitsThatLeft(true);
      break;
    default:
      break;
  }
}

void KorvaneFWInterface::StopInterfaceLoop() {
  loopRun = false;
  // After the flag: a loop about to wait sees either the flag or the wake.
  // Without a loop there is nothing to wake (and the queue may be gone: the
  // master control ends the loop, deletes the queue, then this object).
  if (loopThread.joinable()) fifo->Wake();
  while (loopRunning && loopThread.joinable()) std::this_thread::sleep_for(kStopPoll);
  if (loopThread.joinable()) loopThread.join();
  loopRunning = false;
}

void KorvaneFWInterface::StartMetering() {
  if (meterThread.joinable()) return;
  meterRun = true;
  meterRunning = true;
  meterWake.Reset();  // a wake left from the last stop
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
    if (metersSeen.load())
      SeenPass();
    else
      UnseenPass();
  } while (meterRun);
  meterRunning = false;
}

void KorvaneFWInterface::SeenPass() {
  if (ReadMeterValues()) CallMeterCallback();
  platform::Pause(kMeterPeriodMs);
}

// kUnseenReadEvery periods in one wake-up: a busy device lock costs the pass
// its read and its first step, as it would have cost the first seen pass.
void KorvaneFWInterface::UnseenPass() {
  const bool read = ReadMeterValues();
  for (int step = read ? 0 : 1; step < kUnseenReadEvery; ++step) CallMeterCallback();
  platform::Event* wake[] = {&meterWake};
  if (platform::WaitForEvents(wake, 1, kMeterPeriodMs * kUnseenReadEvery) == platform::kWaitFailed)
    platform::Pause(kMeterPeriodMs * kUnseenReadEvery);
}

void KorvaneFWInterface::CallMeterCallback() {
  if (MeterCallback callback = meterCallback.load()) callback();
}

void KorvaneFWInterface::SetMetersSeen(bool seen) {
  const bool wasSeen = metersSeen.exchange(seen);
  if (seen && !wasSeen) meterWake.Set();
  // A seen pass never waits on the wake, so one set while the meters were
  // briefly seen would cut the next unseen pause short.
  if (!seen && wasSeen) meterWake.Reset();
}

// False when the device lock was busy: the values stay as they were.
bool KorvaneFWInterface::ReadMeterValues() {
  const UnitPtr unit = CurrentUnit();
  const bool read = unit == nullptr || unit->Control().ReadMeters(&meterRaw);
  // A read that found the unit gone: the waiting interface loop drops it.
  if (unit && unit->Gone()) fifo->Wake();
  if (!read) return false;
  // Without a unit the meters are fed silence, so that they fall as they
  // would with the sound stopped and the overs go out.
  if (unit)
    UpdateMeterValues();
  else
    ShowSilence();
  return true;
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

void KorvaneFWInterface::ShowSilence() {
  for (double& value : meterValues) value = 0.0;
}

void KorvaneFWInterface::StopMetering() {
  meterRun = false;
  meterWake.Set();  // after the flag: an unseen pass's pause ends with it
  // A thread that found no registered FW interface ends without clearing the flag.
  while (meterRunning && meterThread.joinable() && Registered() == this)
    std::this_thread::sleep_for(kStopPoll);
  if (meterThread.joinable()) meterThread.join();
  meterRunning = false;
}
