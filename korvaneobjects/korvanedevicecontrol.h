// The mixer's command channel to one X-Tamber: each request becomes an AV/C
// vendor-dependent CONTROL frame sent as one FCP transaction.
#pragma once

#include <atomic>
#include <cstdint>

#include "korvaneobjects/driverstatus.h"
#include "korvaneobjects/fcprecords.h"
#include "korvaneobjects/meterdata.h"
#include "platform/namedmutex.h"

class CQdlCtrl;

constexpr int kMixGainCount = 34;  // 16 sources into the left output, 16 into the right, 2 masters

// Vendor commands.
constexpr std::uint8_t kCommandWriteParameter = 2;
constexpr std::uint8_t kCommandReadMeters = 4;
constexpr std::uint8_t kCommandWriteMix = 9;

// Device parameters written with kCommandWriteParameter.
constexpr std::uint8_t kParameterMixerEnable = 0xD0;
constexpr std::uint8_t kParameterOverResetLow = 0xD5;   // over flags of channels 0..7
constexpr std::uint8_t kParameterOverResetHigh = 0xD6;  // over flags of channels 8..15

constexpr std::uint32_t kFcpTimeoutMs = 2000;
constexpr std::uint32_t kMeterLockWaitMs = 10;

extern const char* const kDeviceLockName;

// The 16-bit device unit of a gain (1.0 = 0x7FFF), truncated toward zero.
std::uint16_t GainToDeviceUnits(double gain);

class KorvaneDeviceControl {
 public:
  explicit KorvaneDeviceControl(CQdlCtrl* client);
  virtual ~KorvaneDeviceControl();
  KorvaneDeviceControl(const KorvaneDeviceControl&) = delete;
  KorvaneDeviceControl& operator=(const KorvaneDeviceControl&) = delete;

  void WriteParameter(std::uint8_t id, std::uint8_t value);
  void SetMixerEnable(bool on);
  // Clears the latched over flags of all 16 channels: a 1 bit, then 0.
  void ClearOvers();
  void WriteMix(std::uint8_t mixIndex, const double gains[kMixGainCount]);
  // False when the device lock was not free within 10 ms; nothing was sent.
  bool ReadMeters(MeterData* out);

  // True once a transaction ended with a status that says the unit has gone;
  // from then on nothing more is sent through this channel.
  bool DeviceGone() const { return gone.load(); }
  CQdlCtrl* Client() const { return client; }

 private:
  // Builds the frame of `command` with `payload` into `request` (which must be
  // held under the device lock) and sends it.
  korvane::DriverStatus Transact(std::uint8_t command, const std::uint8_t* payload,
                                 std::uint32_t payloadSize);

  CQdlCtrl* client;
  korvane::FcpRequest request;
  korvane::FcpResponse response;
  platform::NamedMutex deviceLock;
  std::atomic<bool> gone{false};
};
