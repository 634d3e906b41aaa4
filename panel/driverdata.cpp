#include "panel/driverdata.h"

using namespace qdl;

namespace {

// The typed request that fills the record of one identifier.
template <typename Record>
using GetById = DriverStatus (CDriverControl::*)(std::uint32_t id, Record* record);

// Requests that go on past a failure report the first one.
void KeepFirstFailure(DriverStatus* first, DriverStatus status) {
  if (*first == 0) *first = status;
}

// `fetchedIds`, when given, gets the id of each record kept, in step.
template <typename Record>
DriverStatus LoadRecords(CDriverControl& driver, GetById<Record> get, const std::uint32_t* ids,
                         std::uint32_t count, std::vector<std::unique_ptr<Record>>& records,
                         std::vector<std::uint32_t>* fetchedIds = nullptr) {
  DriverStatus first = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    auto record = std::make_unique<Record>();
    const DriverStatus status = (driver.*get)(ids[i], record.get());
    if (status == 0) {
      records.push_back(std::move(record));
      if (fetchedIds) fetchedIds->push_back(ids[i]);
    } else
      KeepFirstFailure(&first, status);
  }
  return first;
}

// One record per device of a device list of its own.
template <typename Record>
DriverStatus LoadPerDevice(CDriverControl& driver, GetById<Record> get,
                           std::vector<std::unique_ptr<Record>>& records) {
  records.clear();
  DeviceList list{};
  const DriverStatus status = driver.GetDeviceList(&list);
  if (status) return status;
  return LoadRecords(driver, get, list.deviceIds, list.count, records);
}

}  // namespace

CDriverData& CDriverData::Instance() {
  static CDriverData instance;
  return instance;
}

DriverStatus CDriverData::LoadDevices() {
  return LoadPerDevice(*this, &CDriverControl::GetDeviceInfo, devices);
}

DriverStatus CDriverData::LoadSyncInfo() {
  return LoadPerDevice(*this, &CDriverControl::GetSyncInfo, syncInfos);
}

DriverStatus CDriverData::LoadChannels(std::uint32_t direction) {
  auto& channels = direction == 0 ? inputChannels : outputChannels;
  auto& fetchedIds = direction == 0 ? inputChannelIds : outputChannelIds;
  channels.clear();
  fetchedIds.clear();
  ChannelList list{};
  DriverStatus status = GetChannelList(&list);
  if (status) return status;
  const std::uint32_t* ids = direction == 0 ? list.inputIds : list.outputIds;
  const std::uint32_t count = direction == 0 ? list.inputCount : list.outputCount;
  return LoadRecords(*this, &CDriverControl::GetChannelInfo, ids, count, channels, &fetchedIds);
}

DriverStatus CDriverData::StoreDevices() {
  DriverStatus first = 0;
  for (const auto& device : devices) KeepFirstFailure(&first, SetDeviceInfo(*device));
  return first;
}

DriverStatus CDriverData::StoreSyncSources() {
  DriverStatus first = 0;
  for (const auto& sync : syncInfos)
    KeepFirstFailure(&first,
                     SetSyncSource(sync->deviceId, sync->current.type, sync->current.sourceId));
  return first;
}
