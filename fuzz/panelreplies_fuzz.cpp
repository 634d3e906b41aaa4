// Fuzz target: the control panel's driver client fed scripted replies. The
// input is a script: the driver's answer to every request (status, byte
// count, bytes, see ScriptedDevices) interleaved with the client operations
// to run, the ones the pages run on a reload and on storing. A user relies on
// a reply reaching the panel's records only on success, on short replies
// reading as zeros, on every count the pages walk lying within its record,
// and on every name shown being the field's text, ended inside the field.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzzinput.h"
#include "fuzz/scripteddevices.h"
#include "panel/driverdata.h"
#include "panel/drivertext.h"

using namespace qdl;

namespace {

constexpr std::uint8_t kUntouched = 0xA5;
constexpr int kMaxSteps = 64;

void CheckName(const char (&field)[kNameField]) {
  const std::string text = NameText(field);
  FUZZ_CHECK(text.size() <= kNameMaxChars);
  FUZZ_CHECK(text.find('\0') == std::string::npos);
  FUZZ_CHECK(std::memcmp(text.data(), field, text.size()) == 0);
}

void CheckRates(std::uint32_t count) { FUZZ_CHECK(count <= kMaxRates); }

void CheckDevice(const DeviceInfo& info) {
  CheckName(info.name);
  NameIsSerialNumber(info);
}

void CheckSync(const SyncInfo& info) {
  FUZZ_CHECK(info.modeCount <= kMaxSyncModes);
  DescribeSource(info.current);
  for (std::uint32_t mode = 0; mode < info.modeCount; ++mode) {
    CheckName(info.modes[mode].name);
    DescribeSource(info.modes[mode]);
  }
}

void CheckChannel(const ChannelInfo& info, const CDriverData& data) {
  CheckName(info.hardwareName);
  CheckName(info.channelName);
  const std::string device = data.devices.empty() ? "" : NameText(data.devices[0]->name);
  FUZZ_CHECK(AsioDisplayName(true, device, NameText(info.channelName)).size() <= kAsioNameMaxChars);
}

void CheckStreams(const DeviceStreams& streams) {
  for (const PlugStatus& plug : streams.plugs) {
    CheckRates(plug.rateCount);
    PlugCellText(plug);
  }
  StreamsDetailText(streams);
}

// A typed request into a record the caller already holds: on failure the
// record keeps what it had; on success the bytes past the reply are zeros.
// The status is the driver's own, never success for a failed request. True on
// success.
template <typename Record, typename Request>
bool CheckedGet(CDriverData& data, const ScriptedDevices& devices, Record* record,
                Request request) {
  auto* bytes = reinterpret_cast<std::uint8_t*>(record);
  std::fill(bytes, bytes + sizeof *record, kUntouched);
  const bool open = data.IsOpen();
  const DriverStatus status = request();
  if (!open) FUZZ_CHECK(status == kDriverNotOpen);
  const auto end = bytes + sizeof *record;
  if (status != 0) {
    FUZZ_CHECK(std::all_of(bytes, end, [](std::uint8_t b) { return b == kUntouched; }));
    return false;
  }
  const ScriptedDevices::Reply& reply = devices.LastReply();
  FUZZ_CHECK(reply.status == 0);
  const std::uint32_t written = std::min<std::uint32_t>(reply.written, sizeof *record);
  FUZZ_CHECK(std::all_of(bytes + written, end, [](std::uint8_t b) { return b == 0; }));
  return true;
}

template <typename Record>
bool Get(CDriverData& data, const ScriptedDevices& devices,
         DriverStatus (CDriverControl::*get)(Record*), Record* record) {
  return CheckedGet(data, devices, record, [&] { return (data.*get)(record); });
}

template <typename Record>
bool Get(CDriverData& data, const ScriptedDevices& devices,
         DriverStatus (CDriverControl::*get)(std::uint32_t, Record*), std::uint32_t id,
         Record* record) {
  return CheckedGet(data, devices, record, [&] { return (data.*get)(id, record); });
}

void LoadAll(CDriverData& data, FuzzInput& input) {
  switch (input.Byte() % 3) {
    case 0:
      data.LoadDevices();
      FUZZ_CHECK(data.devices.size() <= kMaxListedDevices);
      for (const auto& device : data.devices) CheckDevice(*device);
      break;
    case 1:
      data.LoadSyncInfo();
      FUZZ_CHECK(data.syncInfos.size() <= kMaxListedDevices);
      for (const auto& sync : data.syncInfos) CheckSync(*sync);
      break;
    default: {
      const std::uint32_t direction = input.Byte() & 1;
      data.LoadChannels(direction);
      const auto& channels = direction == 0 ? data.inputChannels : data.outputChannels;
      FUZZ_CHECK(channels.size() <= kMaxListedChannels);
      for (const auto& channel : channels) CheckChannel(*channel, data);
      break;
    }
  }
}

void GetOne(CDriverData& data, const ScriptedDevices& devices, FuzzInput& input) {
  using C = CDriverControl;
  const std::uint32_t id = input.Byte();
  switch (input.Byte() % 12) {
    case 0: {
      DeviceList list;
      if (Get(data, devices, &C::GetDeviceList, &list)) FUZZ_CHECK(list.count <= kMaxListedDevices);
      break;
    }
    case 1: {
      ChannelList list;
      if (Get(data, devices, &C::GetChannelList, &list)) {
        FUZZ_CHECK(list.inputCount <= kMaxListedChannels);
        FUZZ_CHECK(list.outputCount <= kMaxListedChannels);
      }
      break;
    }
    case 2: {
      RateInfo info;
      if (Get(data, devices, &C::GetRateInfo, &info)) {
        CheckRates(info.rateCount);
        for (std::uint32_t rate = 0; rate < info.rateCount; ++rate) RateItemText(info.rates[rate]);
      }
      break;
    }
    case 3: {
      DeviceStreams streams;
      if (Get(data, devices, &C::GetDeviceStreams, id, &streams)) CheckStreams(streams);
      break;
    }
    case 4: {
      SyncInfo info;
      if (Get(data, devices, &C::GetSyncInfo, id, &info)) CheckSync(info);
      break;
    }
    case 5: {
      DeviceInfo info;
      if (Get(data, devices, &C::GetDeviceInfo, id, &info)) CheckDevice(info);
      break;
    }
    case 6: {
      ChannelInfo info;
      if (Get(data, devices, &C::GetChannelInfo, id, &info)) CheckChannel(info, data);
      break;
    }
    case 7: {
      BufferSetting setting;
      if (Get(data, devices, &C::GetAsioBuffer, &setting))
        DeviceBufferText(setting.words[DeviceBuffer::kDepth],
                         setting.words[DeviceBuffer::kGranularity], data.rateInfo.currentRate);
      break;
    }
    case 8: {
      // The rate mode is the second word of its reply: a reply that stops
      // before it reads as mode 0.
      std::uint32_t mode;
      if (Get(data, devices, &C::GetRateMode, &mode) && devices.LastReply().written <= 4)
        FUZZ_CHECK(mode == 0);
      break;
    }
    case 9: {
      ClockMaster master;
      Get(data, devices, &C::GetClockMaster, &master);
      break;
    }
    case 10: {
      DriverNotification notification;
      Get(data, devices, &C::GetNotification, &notification);
      break;
    }
    default: {
      AsioStatistics statistics;
      Get(data, devices, &C::GetAsioStatistics, &statistics);
      break;
    }
  }
}

// Renames the first device as the Devices page does and stores every record:
// the name sent is the text given, cut to the field and ended inside it.
void RenameAndStore(CDriverData& data, const ScriptedDevices& devices, FuzzInput& input) {
  std::string name(input.Byte() % 64, '\0');
  input.Bytes(name.data(), name.size());
  name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
  if (!data.devices.empty()) {
    SetName(data.devices[0]->name, name);
    FUZZ_CHECK(NameText(data.devices[0]->name) == name.substr(0, kNameMaxChars));
  }
  const DriverStatus status = data.StoreDevices();
  if (data.devices.size() == 1 && status == 0) {
    const auto& sent = devices.LastRequest().input;
    FUZZ_CHECK(sent.size() == sizeof(DeviceInfo));
    DeviceInfo info;
    std::memcpy(&info, sent.data(), sizeof info);
    FUZZ_CHECK(std::memchr(info.name, '\0', kNameField) != nullptr);
  }
  data.StoreSyncSources();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietLog();
  FuzzInput input(data, size);
  ScriptedDevices devices(input, 0);
  {
    CDriverData driver;
    const DriverStatus opened = driver.Open();
    FUZZ_CHECK(driver.IsOpen() == (opened == 0));
    FUZZ_CHECK(devices.OpenDevices() == (opened == 0 ? 1u : 0u));
    for (int step = 0; step < kMaxSteps && !input.Empty(); ++step) {
      switch (input.Byte() % 4) {
        case 0: LoadAll(driver, input); break;
        case 1: GetOne(driver, devices, input); break;
        case 2: RenameAndStore(driver, devices, input); break;
        default:
          driver.Close();
          FUZZ_CHECK(devices.OpenDevices() == 0);
          driver.Open();
          break;
      }
    }
  }
  FUZZ_CHECK(devices.OpenDevices() == 0);  // the client closed what it opened
  return 0;
}
