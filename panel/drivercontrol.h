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
  qdl::DriverStatus Open();
  // Safe on a closed instance.
  void Close();
  bool IsOpen() const;

  // One synchronous request: 0, the system's error or the driver's status.
  // kDriverNotOpen on a closed instance, with neither buffer touched. A
  // request that finds the driver gone closes the instance.
  qdl::DriverStatus Call(std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                         std::uint32_t outSize);

  // The typed requests. An output is written only when the request succeeds;
  // a reply shorter than its record reads as zeros past its end.
  // Lists whose count exceeds their record are cut to the record's capacity
  // (and logged), so whoever reads them stays inside the record.
  qdl::DriverStatus GetDriverVersion(qdl::DriverVersion* version);
  qdl::DriverStatus GetAsioNameMode(std::uint32_t* mode);
  qdl::DriverStatus SetAsioNameMode(std::uint32_t mode);
  // `eventWord`: platform::Event::Word() of the event the driver signals.
  qdl::DriverStatus RegisterNotifyEvent(std::uint32_t eventWord);
  qdl::DriverStatus GetNotification(DriverNotification* notification);
  qdl::DriverStatus GetDeviceList(DeviceList* list);
  qdl::DriverStatus GetChannelList(ChannelList* list);
  qdl::DriverStatus GetClockMaster(ClockMaster* master);
  qdl::DriverStatus SetClockMaster(const ClockMaster& master);
  qdl::DriverStatus GetRateMode(std::uint32_t* mode);
  qdl::DriverStatus SetRateMode(std::uint32_t mode);
  qdl::DriverStatus GetRateInfo(RateInfo* info);
  qdl::DriverStatus SetSampleRate(std::uint32_t rateHz);
  qdl::DriverStatus GetSyncInfo(std::uint32_t deviceId, SyncInfo* info);
  qdl::DriverStatus SetSyncSource(std::uint32_t deviceId, std::uint32_t type,
                                  std::uint32_t sourceId);
  qdl::DriverStatus GetDeviceInfo(std::uint32_t deviceId, DeviceInfo* info);
  qdl::DriverStatus SetDeviceInfo(const DeviceInfo& info);
  qdl::DriverStatus GetDeviceStreams(std::uint32_t deviceId, DeviceStreams* streams);
  qdl::DriverStatus GetChannelInfo(std::uint32_t channelId, ChannelInfo* info);
  qdl::DriverStatus SetChannelInfo(const ChannelInfo& info);
  qdl::DriverStatus StartStreaming();
  qdl::DriverStatus StopStreaming();
  qdl::DriverStatus GetStreamBuffer(BufferSetting* setting);
  qdl::DriverStatus SetStreamBuffer(const BufferSetting& setting);
  qdl::DriverStatus GetAsioBuffer(BufferSetting* setting);
  qdl::DriverStatus SetAsioBuffer(const BufferSetting& setting);
  qdl::DriverStatus GetWdmBuffer(BufferSetting* setting);
  qdl::DriverStatus SetWdmBuffer(const BufferSetting& setting);
  qdl::DriverStatus GetAsioStatistics(AsioStatistics* statistics);

 protected:
  // Guards `handle` (and what derived classes add); re-entrant because Open
  // issues a request while holding it.
  mutable std::recursive_mutex lock;
  platform::DeviceHandle handle = nullptr;  // null: closed
};
