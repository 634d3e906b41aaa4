#include "panel/drivercontrol.h"

#include <string>

#include "platform/errors.h"
#include "platform/log.h"

using namespace qdl;

namespace {

// Counts come from the driver. One too large would have every page that walks
// the list read past the end of the record, so it is cut here, once, for all
// of them. No count is ever sent back, so nothing is lost by cutting.
void BoundCount(std::uint32_t& count, std::uint32_t capacity, const char* what) {
  if (count <= capacity) return;
  platform::Log("Driver reply: %s %u exceeds %u; reading %u.\n", what, count, capacity, capacity);
  count = capacity;
}

// Records without a count have nothing to cut.
template <typename Record>
void BoundCounts(Record&) {}

void BoundCounts(DeviceList& list) { BoundCount(list.count, kMaxListedDevices, "device count"); }

void BoundCounts(ChannelList& list) {
  BoundCount(list.inputCount, kMaxListedChannels, "input channel count");
  BoundCount(list.outputCount, kMaxListedChannels, "output channel count");
}

void BoundCounts(RateInfo& info) { BoundCount(info.rateCount, kMaxRates, "rate count"); }

void BoundCounts(SyncInfo& info) { BoundCount(info.modeCount, kMaxSyncModes, "sync mode count"); }

void BoundCounts(DeviceStreams& streams) {
  static const char* const kPlugRateCounts[kPlugCount] = {
      "audio out plug rate count", "audio in plug rate count", "synch out plug rate count",
      "synch in plug rate count"};
  for (int plug = 0; plug < kPlugCount; ++plug)
    BoundCount(streams.plugs[plug].rateCount, kMaxRates, kPlugRateCounts[plug]);
}

// A reply lands in a zeroed record of its own and reaches the caller only when
// the request succeeded. A driver may fill the buffer and still fail (more
// data, say): the caller's record, often a cached one, then keeps what it had
// instead of an unchecked half reply. A short reply reads as zeros past its
// end.
template <typename Record>
DriverStatus Fetch(CDriverControl& control, std::uint32_t code, const void* in,
                   std::uint32_t inSize, Record* out) {
  Record reply{};
  const DriverStatus status = control.Call(code, in, inSize, &reply, sizeof reply);
  if (status) return status;
  BoundCounts(reply);
  *out = reply;
  return 0;
}

template <typename Record>
DriverStatus Fetch(CDriverControl& control, std::uint32_t code, Record* out) {
  return Fetch(control, code, nullptr, 0, out);
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
  const std::uint32_t status =
      platform::Devices().IoControl(handle, code, in, inSize, out, outSize, &bytes, nullptr);
  // A handle to a driver that went away never works again; closed, the
  // instance can be opened anew when the driver comes back.
  if (DriverIsGone(status)) {
    platform::Log("Driver request %08X: the driver is gone (%u); closing.\n", code, status);
    Close();
  }
  return status;
}

bool DriverIsGone(std::uint32_t status) {
  return status == platform::kErrorInvalidHandle || status == platform::kErrorDevNotExist ||
         status == platform::kErrorDeviceNotConnected || status == platform::kErrorDeviceRemoved;
}

DriverStatus CDriverControl::GetDriverVersion(DriverVersion* version) {
  return Fetch(*this, DriverRequest::kGetDriverVersion, version);
}

DriverStatus CDriverControl::GetAsioNameMode(std::uint32_t* mode) {
  return Fetch(*this, DriverRequest::kGetAsioNameMode, mode);
}

DriverStatus CDriverControl::SetAsioNameMode(std::uint32_t mode) {
  return Call(DriverRequest::kSetAsioNameMode, &mode, sizeof mode, nullptr, 0);
}

DriverStatus CDriverControl::RegisterNotifyEvent(std::uint32_t eventWord) {
  return Call(DriverRequest::kRegisterNotifyEvent, &eventWord, sizeof eventWord, nullptr, 0);
}

DriverStatus CDriverControl::GetNotification(DriverNotification* notification) {
  return Fetch(*this, DriverRequest::kGetNotification, notification);
}

DriverStatus CDriverControl::GetDeviceList(DeviceList* list) {
  return Fetch(*this, DriverRequest::kGetDeviceList, list);
}

DriverStatus CDriverControl::GetChannelList(ChannelList* list) {
  return Fetch(*this, DriverRequest::kGetChannelList, list);
}

DriverStatus CDriverControl::GetClockMaster(ClockMaster* master) {
  return Fetch(*this, DriverRequest::kGetClockMaster, master);
}

DriverStatus CDriverControl::SetClockMaster(const ClockMaster& master) {
  return Call(DriverRequest::kSetClockMaster, &master, sizeof master, nullptr, 0);
}

DriverStatus CDriverControl::GetRateMode(std::uint32_t* mode) {
  DriverValuePair reply{};
  const DriverStatus status = Fetch(*this, DriverRequest::kGetRateMode, &reply);
  if (status == 0) *mode = reply.value;
  return status;
}

DriverStatus CDriverControl::SetRateMode(std::uint32_t mode) {
  const DriverValuePair request{0, mode};
  return Call(DriverRequest::kSetRateMode, &request, sizeof request, nullptr, 0);
}

DriverStatus CDriverControl::GetRateInfo(RateInfo* info) {
  return Fetch(*this, DriverRequest::kGetRateInfo, info);
}

DriverStatus CDriverControl::SetSampleRate(std::uint32_t rateHz) {
  const DriverValuePair request{0, rateHz};
  return Call(DriverRequest::kSetSampleRate, &request, sizeof request, nullptr, 0);
}

DriverStatus CDriverControl::GetSyncInfo(std::uint32_t deviceId, SyncInfo* info) {
  return Fetch(*this, DriverRequest::kGetSyncInfo, &deviceId, sizeof deviceId, info);
}

DriverStatus CDriverControl::SetSyncSource(std::uint32_t deviceId, std::uint32_t type,
                                           std::uint32_t sourceId) {
  const SyncSourceSelection request{deviceId, type, sourceId};
  return Call(DriverRequest::kSetSyncSource, &request, sizeof request, nullptr, 0);
}

DriverStatus CDriverControl::GetDeviceInfo(std::uint32_t deviceId, DeviceInfo* info) {
  return Fetch(*this, DriverRequest::kGetDeviceInfo, &deviceId, sizeof deviceId, info);
}

DriverStatus CDriverControl::SetDeviceInfo(const DeviceInfo& info) {
  return Call(DriverRequest::kSetDeviceInfo, &info, sizeof info, nullptr, 0);
}

DriverStatus CDriverControl::GetDeviceStreams(std::uint32_t deviceId, DeviceStreams* streams) {
  return Fetch(*this, DriverRequest::kGetDeviceStreams, &deviceId, sizeof deviceId, streams);
}

DriverStatus CDriverControl::GetChannelInfo(std::uint32_t channelId, ChannelInfo* info) {
  return Fetch(*this, DriverRequest::kGetChannelInfo, &channelId, sizeof channelId, info);
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
  return Fetch(*this, DriverRequest::kGetStreamBuffer, setting);
}

DriverStatus CDriverControl::SetStreamBuffer(const BufferSetting& setting) {
  return Call(DriverRequest::kSetStreamBuffer, &setting, sizeof setting, nullptr, 0);
}

DriverStatus CDriverControl::GetAsioBuffer(BufferSetting* setting) {
  return Fetch(*this, DriverRequest::kGetAsioBuffer, setting);
}

DriverStatus CDriverControl::SetAsioBuffer(const BufferSetting& setting) {
  return Call(DriverRequest::kSetAsioBuffer, &setting, sizeof setting, nullptr, 0);
}

DriverStatus CDriverControl::GetWdmBuffer(BufferSetting* setting) {
  return Fetch(*this, DriverRequest::kGetWdmBuffer, setting);
}

DriverStatus CDriverControl::SetWdmBuffer(const BufferSetting& setting) {
  return Call(DriverRequest::kSetWdmBuffer, &setting, sizeof setting, nullptr, 0);
}

DriverStatus CDriverControl::GetAsioStatistics(AsioStatistics* statistics) {
  return Fetch(*this, DriverRequest::kGetAsioStatistics, statistics);
}
