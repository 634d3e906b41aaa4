#include "panel/driverdata.h"

namespace {

// Reads one record per id; `get` is the typed request that fills it.
template <typename Record, typename Get>
DriverStatus LoadRecords(std::vector<std::unique_ptr<Record>>& records, const std::uint32_t* ids,
                         std::uint32_t count, Get get) {
  DriverStatus first = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    auto record = std::make_unique<Record>();
    DriverStatus status = get(ids[i], record.get());
    if (status == 0)
      records.push_back(std::move(record));
    else if (first == 0)
      first = status;
  }
  return first;
}

}  // namespace

CDriverData& CDriverData::Instance() {
  static CDriverData instance;
  return instance;
}

DriverStatus CDriverData::LoadDevices() {
  devices.clear();
  DeviceList list{};
  DriverStatus status = GetDeviceList(&list);
  if (status) return status;
  return LoadRecords(devices, list.deviceIds, list.count, [this](std::uint32_t id, DeviceInfo* info) {
    return GetDeviceInfo(id, info);
  });
}

DriverStatus CDriverData::LoadSyncInfo() {
  syncInfos.clear();
  DeviceList list{};
  DriverStatus status = GetDeviceList(&list);
  if (status) return status;
  return LoadRecords(syncInfos, list.deviceIds, list.count, [this](std::uint32_t id, SyncInfo* info) {
    return GetSyncInfo(id, info);
  });
}

DriverStatus CDriverData::LoadChannels(std::uint32_t direction) {
  auto& channels = direction == 0 ? inputChannels : outputChannels;
  channels.clear();
  ChannelList list{};
  DriverStatus status = GetChannelList(&list);
  if (status) return status;
  const std::uint32_t* ids = direction == 0 ? list.inputIds : list.outputIds;
  const std::uint32_t count = direction == 0 ? list.inputCount : list.outputCount;
  return LoadRecords(channels, ids, count, [this](std::uint32_t id, ChannelInfo* info) {
    return GetChannelInfo(id, info);
  });
}

DriverStatus CDriverData::StoreDevices() {
  DriverStatus first = 0;
  for (const auto& device : devices) {
    DriverStatus status = SetDeviceInfo(*device);
    if (first == 0) first = status;
  }
  return first;
}

DriverStatus CDriverData::StoreSyncSources() {
  DriverStatus first = 0;
  for (const auto& sync : syncInfos) {
    DriverStatus status = SetSyncSource(sync->deviceId, sync->current.type, sync->current.sourceId);
    if (first == 0) first = status;
  }
  return first;
}
