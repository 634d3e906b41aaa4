#include "korvaneobjects/korvanedevicecontrol.h"

#include <cstring>

#include "korvaneobjects/qdlctrl.h"
#include "platform/log.h"

// One FCP transaction at a time on the whole machine through this path: every
// object of every process opens the same name.
const char* const kDeviceLockName = "KORVANEDEVICECONTROL_DEVICELOCK_MUTEX_NAME";

using namespace korvane;

namespace {

constexpr std::uint8_t kFrameHeader[6] = {
    0x00,              // command type CONTROL
    0xFF,              // subunit: the unit itself
    0x00,              // opcode VENDOR-DEPENDENT
    0x00, 0x4E, 0x71,  // the maker's company ID, high byte first
};
constexpr std::uint32_t kPayloadOffset = sizeof kFrameHeader + 1;
constexpr std::uint32_t kMeterPayloadSize = sizeof(MeterData);

// Holds the device lock for one transaction.
class DeviceLockHold {
 public:
  DeviceLockHold(platform::NamedMutex& mutex, std::uint32_t timeoutMs)
      : mutex_(mutex), held_(mutex.Lock(timeoutMs)) {}
  ~DeviceLockHold() {
    if (held_) mutex_.Unlock();
  }
  bool Held() const { return held_; }

 private:
  platform::NamedMutex& mutex_;
  bool held_;
};

}  // namespace

std::uint16_t GainToDeviceUnits(double gain) {
  // Gains live in 0..2. Anything outside (or NaN) would wrap in 16 bits into a
  // loud value, so it is held to the range first.
  if (!(gain > 0.0)) return 0;
  if (gain > 2.0) gain = 2.0;
  return static_cast<std::uint16_t>(static_cast<std::int32_t>(gain * 32767.0) & 0xFFFF);
}

KorvaneDeviceControl::KorvaneDeviceControl(CQdlCtrl* client)
    : client(client), request{}, response{}, deviceLock(kDeviceLockName) {}

KorvaneDeviceControl::~KorvaneDeviceControl() = default;

DriverStatus KorvaneDeviceControl::Transact(std::uint8_t command, const std::uint8_t* payload,
                                            std::uint32_t payloadSize) {
  std::memset(&request, 0, sizeof request);
  std::memset(&response, 0, sizeof response);
  std::memcpy(request.frame, kFrameHeader, sizeof kFrameHeader);
  request.frame[sizeof kFrameHeader] = command;
  std::memcpy(request.frame + kPayloadOffset, payload, payloadSize);
  request.length = kPayloadOffset + payloadSize;
  request.timeoutMs = kFcpTimeoutMs;
  // A unit that has gone never answers again: the rest of a series of writes
  // (ClearOvers, a queue still full of mixes) would only pile up failures.
  if (gone) return kStatusDeviceNotOpen;
  const DriverStatus status = client->SendFCPRequest(&request, &response);
  if (MeansDeviceGone(status)) gone = true;
  return status;
}

void KorvaneDeviceControl::WriteParameter(std::uint8_t id, std::uint8_t value) {
  if (gone) return;  // its removal is logged once, where the unit is dropped
  DeviceLockHold hold(deviceLock, platform::kInfinite);
  const std::uint8_t payload[2] = {id, value};
  if (Transact(kCommandWriteParameter, payload, sizeof payload) != kStatusSuccess)
    platform::Log("SendFCPRequest Failed.");
}

void KorvaneDeviceControl::SetMixerEnable(bool on) {
  WriteParameter(kParameterMixerEnable, on ? 0xFF : 0x00);
}

void KorvaneDeviceControl::ClearOvers() {
  // Each write takes the lock on its own, so meter reads run in between.
  for (int channel = 0; channel < 16; ++channel) {
    const std::uint8_t parameter = channel < 8 ? kParameterOverResetLow : kParameterOverResetHigh;
    const std::uint8_t bit = static_cast<std::uint8_t>(1u << (channel % 8));
    WriteParameter(parameter, bit);
    WriteParameter(parameter, 0);
  }
}

void KorvaneDeviceControl::WriteMix(std::uint8_t mixIndex, const double gains[kMixGainCount]) {
  DeviceLockHold hold(deviceLock, platform::kInfinite);
  std::uint8_t payload[kMixGainCount * 2 + 1];
  for (int i = 0; i < kMixGainCount; ++i) {
    const std::uint16_t units = GainToDeviceUnits(gains[i]);
    payload[2 * i] = static_cast<std::uint8_t>(units >> 8);
    payload[2 * i + 1] = static_cast<std::uint8_t>(units & 0xFF);
  }
  payload[kMixGainCount * 2] = mixIndex;
  Transact(kCommandWriteMix, payload, sizeof payload);
}

bool KorvaneDeviceControl::ReadMeters(MeterData* out) {
  DeviceLockHold hold(deviceLock, kMeterLockWaitMs);
  if (!hold.Held()) return false;
  const std::uint8_t payload[kMeterPayloadSize] = {};
  // A failed read leaves the cleared response: silence without overs.
  Transact(kCommandReadMeters, payload, sizeof payload);
  std::memcpy(out, response.frame + kPayloadOffset, kMeterPayloadSize);
  return true;
}
