// The panel's cache of the driver's configuration: what the pages show and
// edit, read from the driver by the Load calls and written back by the Store
// calls. Used from the GUI thread; the records are allocated one by one at
// their exact sizes, as the driver's records are.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "panel/drivercontrol.h"

class CDriverData : public CDriverControl {
 public:
  // The process's one cache. Tests make instances of their own.
  static CDriverData& Instance();

  CDriverData() = default;

  // Each Load empties its collection first, so a failed load never leaves
  // records of an earlier configuration behind. A record the driver does not
  // give is left out; the others are kept in the driver's order and the first
  // failure is returned.
  qdl::DriverStatus LoadDevices();
  qdl::DriverStatus LoadSyncInfo();
  // `direction`: 0 the inputs, anything else the outputs.
  qdl::DriverStatus LoadChannels(std::uint32_t direction);

  // Writes every cached record back, even past a failure; the first failure
  // is returned.
  qdl::DriverStatus StoreDevices();
  qdl::DriverStatus StoreSyncSources();

  std::uint32_t asioNameMode = 0;
  ClockMaster clockMaster{};
  std::vector<std::unique_ptr<DeviceInfo>> devices;
  std::vector<std::unique_ptr<SyncInfo>> syncInfos;
  std::vector<std::unique_ptr<ChannelInfo>> inputChannels;
  std::vector<std::unique_ptr<ChannelInfo>> outputChannels;
  // The identifier from the channel list that each record above was fetched
  // by, at the record's position. A record's own channelId is the driver's
  // business: a driver may leave it the same for every channel.
  std::vector<std::uint32_t> inputChannelIds;
  std::vector<std::uint32_t> outputChannelIds;
  std::uint32_t rateMode = 0;
  RateInfo rateInfo{};
};

// The record at `index` of one of the cache's lists (a list row's item data
// is such an index); null when `index` is none of its positions, as after a
// reload that left the list shorter.
template <typename Record>
Record* RecordAt(const std::vector<std::unique_ptr<Record>>& records, std::intptr_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= records.size()) return nullptr;
  return records[static_cast<std::size_t>(index)].get();
}

// The record of device `deviceId` in a list of one record per device
// (devices, syncInfos); null when the driver gave none.
template <typename Record>
Record* RecordOf(const std::vector<std::unique_ptr<Record>>& records, std::uint32_t deviceId) {
  for (const auto& record : records)
    if (record->deviceId == deviceId) return record.get();
  return nullptr;
}
