#include "panel/drivercontrol.h"

#include <string>

#include "platform/log.h"

namespace {

// Counts come from the driver. One too large would have every page that walks
// the list read past the end of the record, so it is cut here, once, for all
// of them. No count is ever sent back, so nothing is lost by cutting.
void BoundCount(std::uint32_t& count, std::uint32_t capacity, const char* what) {
  if (count <= capacity) return;
  platform::Log("Driver reply: %s %u exceeds %u; reading %u.\n", what, count, capacity, capacity);
  count = capacity;
}

}  // namespace

CDriverControl::~CDriverControl() { Close(); }

DriverStatus CDriverControl::Open() {
  std::lock_guard<std::recursive_mutex> hold(lock);
  if (handle) return 0;

  const std::string path = std::string("\\\\.\\") + kDriverInterfaceId;
  std::uint32_t error = 0;
  platform::DeviceHandle opened = platform::Devices().OpenPath(path.c_str(), false, &error);
  // A refusal without a reason must still not read as success.
  if (opened == nullptr) return error ? error : kDriverFailed;
  handle = opened;

  DriverVersion version{};
  DriverStatus status = GetDriverVersion(&version);
  if (status) {
    Close();
    return status;
  }
  // Version 2.10 introduced the records this client exchanges; a 3.x driver
  // may lay them out differently.
  if (version.interfaceMajor != 2 || version.interfaceMinor < 10) {
    platform::Log("Driver interface version %u.%u is not supported.\n",
                  static_cast<unsigned>(version.interfaceMajor),
                  static_cast<unsigned>(version.interfaceMinor));
    Close();
    return kDriverIncompatibleVersion;
  }
  return 0;
}

void CDriverControl::Close() {
  std::lock_guard<std::recursive_mutex> hold(lock);
  if (handle) platform::Devices().CloseDevice(handle);
  handle = nullptr;
}

bool CDriverControl::IsOpen() const {
  std::lock_guard<std::recursive_mutex> hold(lock);
  return handle != nullptr;
}

DriverStatus CDriverControl::Call(std::uint32_t code, const void* in, std::uint32_t inSize,
                                  void* out, std::uint32_t outSize) {
  std::lock_guard<std::recursive_mutex> hold(lock);
  if (handle == nullptr) return kDriverNotOpen;
  std::uint32_t bytes = 0;
  return platform::Devices().IoControl(handle, code, in, inSize, out, outSize, &bytes, nullptr);
}

DriverStatus CDriverControl::GetDriverVersion(DriverVersion* version) {
  return Call(DriverRequest::kGetDriverVersion, nullptr, 0, version, sizeof(DriverVersion));
}

DriverStatus CDriverControl::GetAsioNameMode(std::uint32_t* mode) {
  return Call(DriverRequest::kGetAsioNameMode, nullptr, 0, mode, sizeof *mode);
}

DriverStatus CDriverControl::SetAsioNameMode(std::uint32_t mode) {
  return Call(DriverRequest::kSetAsioNameMode, &mode, sizeof mode, nullptr, 0);
}

DriverStatus CDriverControl::RegisterNotifyEvent(std::uint32_t eventWord) {
  return Call(DriverRequest::kRegisterNotifyEvent, &eventWord, sizeof eventWord, nullptr, 0);
}

DriverStatus CDriverControl::GetNotification(DriverNotification* notification) {
  return Call(DriverRequest::kGetNotification, nullptr, 0, notification,
              sizeof(DriverNotification));
}

DriverStatus CDriverControl::GetDeviceList(DeviceList* list) {
  DriverStatus status = Call(DriverRequest::kGetDeviceList, nullptr, 0, list, sizeof(DeviceList));
  if (status == 0) BoundCount(list->count, kMaxListedDevices, "device count");
  return status;
}

DriverStatus CDriverControl::GetChannelList(ChannelList* list) {
  DriverStatus status =
      Call(DriverRequest::kGetChannelList, nullptr, 0, list, sizeof(ChannelList));
  if (status == 0) {
    BoundCount(list->inputCount, kMaxListedChannels, "input channel count");
    BoundCount(list->outputCount, kMaxListedChannels, "output channel count");
  }
  return status;
}

DriverStatus CDriverControl::GetClockMaster(ClockMaster* master) {
  return Call(DriverRequest::kGetClockMaster, nullptr, 0, master, sizeof(ClockMaster));
}

DriverStatus CDriverControl::SetClockMaster(const ClockMaster& master) {
  return Call(DriverRequest::kSetClockMaster, &master, sizeof master, nullptr, 0);
}

DriverStatus CDriverControl::GetRateMode(std::uint32_t* mode) {
  DriverValuePair reply{};
  DriverStatus status = Call(DriverRequest::kGetRateMode, nullptr, 0, &reply, sizeof reply);
  if (status == 0) *mode = reply.value;
  return status;
}

DriverStatus CDriverControl::SetRateMode(std::uint32_t mode) {
  const DriverValuePair request{0, mode};
  return Call(DriverRequest::kSetRateMode, &request, sizeof request, nullptr, 0);
}

DriverStatus CDriverControl::GetRateInfo(RateInfo* info) {
  DriverStatus status = Call(DriverRequest::kGetRateInfo, nullptr, 0, info, sizeof(RateInfo));
  if (status == 0) BoundCount(info->rateCount, kMaxRates, "rate count");
  return status;
}

DriverStatus CDriverControl::SetSampleRate(std::uint32_t rateHz) {
  const DriverValuePair request{0, rateHz};
  return Call(DriverRequest::kSetSampleRate, &request, sizeof request, nullptr, 0);
}

DriverStatus CDriverControl::GetSyncInfo(std::uint32_t deviceId, SyncInfo* info) {
  DriverStatus status =
      Call(DriverRequest::kGetSyncInfo, &deviceId, sizeof deviceId, info, sizeof(SyncInfo));
  if (status == 0) BoundCount(info->modeCount, kMaxSyncModes, "sync mode count");
  return status;
}

DriverStatus CDriverControl::SetSyncSource(std::uint32_t deviceId, std::uint32_t type,
                                           std::uint32_t sourceId) {
  const SyncSourceSelection request{deviceId, type, sourceId};
  return Call(DriverRequest::kSetSyncSource, &request, sizeof request, nullptr, 0);
}

DriverStatus CDriverControl::GetDeviceInfo(std::uint32_t deviceId, DeviceInfo* info) {
  return Call(DriverRequest::kGetDeviceInfo, &deviceId, sizeof deviceId, info,
              sizeof(DeviceInfo));
}

DriverStatus CDriverControl::SetDeviceInfo(const DeviceInfo& info) {
  return Call(DriverRequest::kSetDeviceInfo, &info, sizeof info, nullptr, 0);
}

DriverStatus CDriverControl::GetDeviceStreams(std::uint32_t deviceId, DeviceStreams* streams) {
  static const char* const kPlugRateCounts[kPlugCount] = {
      "audio out plug rate count", "audio in plug rate count", "synch out plug rate count",
      "synch in plug rate count"};
  DriverStatus status = Call(DriverRequest::kGetDeviceStreams, &deviceId, sizeof deviceId,
                             streams, sizeof(DeviceStreams));
  if (status == 0) {
    for (int plug = 0; plug < kPlugCount; ++plug)
      BoundCount(streams->plugs[plug].rateCount, kMaxRates, kPlugRateCounts[plug]);
  }
  return status;
}

DriverStatus CDriverControl::GetChannelInfo(std::uint32_t channelId, ChannelInfo* info) {
  return Call(DriverRequest::kGetChannelInfo, &channelId, sizeof channelId, info,
              sizeof(ChannelInfo));
}

DriverStatus CDriverControl::SetChannelInfo(const ChannelInfo& info) {
  return Call(DriverRequest::kSetChannelInfo, &info, sizeof info, nullptr, 0);
}

DriverStatus CDriverControl::StartStreaming() {
  return Call(DriverRequest::kStartStreaming, nullptr, 0, nullptr, 0);
}

DriverStatus CDriverControl::StopStreaming() {
  return Call(DriverRequest::kStopStreaming, nullptr, 0, nullptr, 0);
}

DriverStatus CDriverControl::GetStreamBuffer(BufferSetting* setting) {
  return Call(DriverRequest::kGetStreamBuffer, nullptr, 0, setting, sizeof(BufferSetting));
}

DriverStatus CDriverControl::SetStreamBuffer(const BufferSetting& setting) {
  return Call(DriverRequest::kSetStreamBuffer, &setting, sizeof setting, nullptr, 0);
}

DriverStatus CDriverControl::GetAsioBuffer(BufferSetting* setting) {
  return Call(DriverRequest::kGetAsioBuffer, nullptr, 0, setting, sizeof(BufferSetting));
}

DriverStatus CDriverControl::SetAsioBuffer(const BufferSetting& setting) {
  return Call(DriverRequest::kSetAsioBuffer, &setting, sizeof setting, nullptr, 0);
}

DriverStatus CDriverControl::GetWdmBuffer(BufferSetting* setting) {
  return Call(DriverRequest::kGetWdmBuffer, nullptr, 0, setting, sizeof(BufferSetting));
}

DriverStatus CDriverControl::SetWdmBuffer(const BufferSetting& setting) {
  return Call(DriverRequest::kSetWdmBuffer, &setting, sizeof setting, nullptr, 0);
}

DriverStatus CDriverControl::GetAsioStatistics(AsioStatistics* statistics) {
  return Call(DriverRequest::kGetAsioStatistics, nullptr, 0, statistics, sizeof(AsioStatistics));
}
