// The control panel's client of the audio driver's control device: opens it
// synchronously, checks the driver's interface version and issues the typed
// requests of its table. Every request on one instance runs under the
// instance's lock, so threads sharing an instance take turns.
#pragma once

#include <cstdint>
#include <mutex>

#include "panel/driverrecords.h"
#include "platform/deviceio.h"

// Whether a request failed because the driver's device is no longer there (it
// was removed or its driver unloaded): the handle is then useless.
bool DriverIsGone(std::uint32_t status);

class CDriverControl {
 public:
  CDriverControl() = default;
  virtual ~CDriverControl();
  CDriverControl(const CDriverControl&) = delete;
  CDriverControl& operator=(const CDriverControl&) = delete;

  // Opens the control device and accepts interface versions 2.10 and later
  // 2.x; kDriverIncompatibleVersion otherwise, and the device is closed again.
  // An open instance answers 0 without asking the driver.
  DriverStatus Open();
  // Safe on a closed instance.
  void Close();
  bool IsOpen() const;

  // One synchronous request: 0, the system's error or the driver's status.
  // kDriverNotOpen on a closed instance, with neither buffer touched. A
  // request that finds the driver gone closes the instance.
  DriverStatus Call(std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                    std::uint32_t outSize);

  // The typed requests. An output is written only when the request succeeds;
  // a reply shorter than its record reads as zeros past its end.
  // Lists whose count exceeds their record are cut to the record's capacity
  // (and logged), so whoever reads them stays inside the record.
  DriverStatus GetDriverVersion(DriverVersion* version);
  DriverStatus GetAsioNameMode(std::uint32_t* mode);
  DriverStatus SetAsioNameMode(std::uint32_t mode);
  // `eventWord`: platform::Event::Word() of the event the driver signals.
  DriverStatus RegisterNotifyEvent(std::uint32_t eventWord);
  DriverStatus GetNotification(DriverNotification* notification);
  DriverStatus GetDeviceList(DeviceList* list);
  DriverStatus GetChannelList(ChannelList* list);
  DriverStatus GetClockMaster(ClockMaster* master);
  DriverStatus SetClockMaster(const ClockMaster& master);
  DriverStatus GetRateMode(std::uint32_t* mode);
  DriverStatus SetRateMode(std::uint32_t mode);
  DriverStatus GetRateInfo(RateInfo* info);
  DriverStatus SetSampleRate(std::uint32_t rateHz);
  DriverStatus GetSyncInfo(std::uint32_t deviceId, SyncInfo* info);
  DriverStatus SetSyncSource(std::uint32_t deviceId, std::uint32_t type, std::uint32_t sourceId);
  DriverStatus GetDeviceInfo(std::uint32_t deviceId, DeviceInfo* info);
  DriverStatus SetDeviceInfo(const DeviceInfo& info);
  DriverStatus GetDeviceStreams(std::uint32_t deviceId, DeviceStreams* streams);
  DriverStatus GetChannelInfo(std::uint32_t channelId, ChannelInfo* info);
  DriverStatus SetChannelInfo(const ChannelInfo& info);
  DriverStatus StartStreaming();
  DriverStatus StopStreaming();
  DriverStatus GetStreamBuffer(BufferSetting* setting);
  DriverStatus SetStreamBuffer(const BufferSetting& setting);
  DriverStatus GetAsioBuffer(BufferSetting* setting);
  DriverStatus SetAsioBuffer(const BufferSetting& setting);
  DriverStatus GetWdmBuffer(BufferSetting* setting);
  DriverStatus SetWdmBuffer(const BufferSetting& setting);
  DriverStatus GetAsioStatistics(AsioStatistics* statistics);

 protected:
  // Guards `handle` (and what derived classes add); re-entrant because Open
  // issues a request while holding it.
  mutable std::recursive_mutex lock;
  platform::DeviceHandle handle = nullptr;  // null: closed
};
