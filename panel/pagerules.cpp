#include "panel/pagerules.h"

#include <algorithm>
#include <cwctype>

#include "panel/driverdata.h"

bool HasAsioOption(std::wstring_view commandLine) {
  constexpr std::wstring_view kOption = L"-asio";
  std::size_t at = 0;
  while (at < commandLine.size()) {
    while (at < commandLine.size() && std::iswspace(static_cast<std::wint_t>(commandLine[at])))
      ++at;
    std::size_t end = at;
    while (end < commandLine.size() && !std::iswspace(static_cast<std::wint_t>(commandLine[end])))
      ++end;
    const std::wstring_view token = commandLine.substr(at, end - at);
    if (token.size() == kOption.size() &&
        std::equal(token.begin(), token.end(), kOption.begin(), [](wchar_t a, wchar_t b) {
          return std::towlower(static_cast<std::wint_t>(a)) == static_cast<std::wint_t>(b);
        }))
      return true;
    at = end;
  }
  return false;
}

namespace {
constexpr std::uint32_t kPageTags[kPanelPageCount] = {kPageTagSettings,      kPageTagDevices,
                                                      kPageTagInputChannels, kPageTagOutputChannels,
                                                      kPageTagStreams,       kPageTagSync};
}

std::uint32_t PageTag(PanelPage page) { return kPageTags[static_cast<int>(page)]; }

std::optional<PanelPage> PageOfItemData(std::uint64_t itemData) {
  // Only the low 32 bits are the item's data; the tag is their top byte.
  const std::uint32_t tag = static_cast<std::uint32_t>(itemData) & 0xFF000000u;
  for (int page = 0; page < kPanelPageCount; ++page)
    if (kPageTags[page] == tag) return static_cast<PanelPage>(page);
  return std::nullopt;
}

bool DrainNotifications(CDriverControl& notifier) {
  bool changed = false;
  for (int read = 0; read < kMaxNotificationsPerMessage; ++read) {
    DriverNotification notification{};
    if (notifier.GetNotification(&notification) != 0) break;
    if (notification.kind == 2 || notification.kind == 3) changed = true;
  }
  return changed;
}

std::optional<SliderScale> ScaleSlider(std::uint32_t unit, std::uint32_t lo, std::uint32_t hi,
                                       std::uint32_t value) {
  if (unit == 0 || hi < lo) return std::nullopt;
  const std::uint32_t frequency = std::max<std::uint32_t>(1, ((hi - lo) / unit) / 40);
  return SliderScale{lo / unit, hi / unit, frequency, value / unit};
}

std::optional<SliderScale> StreamSliderScale(const BufferSetting& stream) {
  return ScaleSlider(stream.words[StreamBuffer::kStep], stream.words[StreamBuffer::kMinimum],
                     stream.words[StreamBuffer::kMaximum], stream.words[StreamBuffer::kDepth]);
}

std::optional<SliderScale> DeviceSliderScale(const BufferSetting& buffer) {
  return ScaleSlider(kDeviceBufferUnitUs, kDeviceBufferMinUs, kDeviceBufferMaxUs,
                     buffer.words[DeviceBuffer::kDepth]);
}

ClockMasterCheck CheckClockMasterRow(int row, bool checked, int checkedRow) {
  if (checked && row != checkedRow) return {row, true, false, true};
  if (!checked && row == checkedRow) return {checkedRow, false, true, false};
  return {checkedRow, false, false, false};
}

bool ChooseClockMaster(std::intptr_t itemData,
                       const std::vector<std::unique_ptr<DeviceInfo>>& devices, ClockMaster* master,
                       std::uint32_t* rateMode) {
  if (itemData == kPcDriverRow) {
    master->kind = kClockMasterPc;
    master->deviceId = 0;
    // The PC driver has no clock to follow: its rate is set by hand.
    *rateMode = 0;
    return true;
  }
  if (itemData < 0 || static_cast<std::uint64_t>(itemData) > 0xFFFFFFFFu) return false;
  const DeviceInfo* device = RecordOf(devices, static_cast<std::uint32_t>(itemData));
  if (device == nullptr) return false;
  master->kind = kClockMasterDevice;
  master->deviceId = device->deviceId;
  return true;
}

int CurrentRateIndex(const RateInfo& info) {
  const std::uint32_t count = std::min(info.rateCount, kMaxRates);
  for (std::uint32_t i = 0; i < count; ++i)
    if (info.rates[i] == info.currentRate) return static_cast<int>(i);
  return -1;
}

int CurrentModeIndex(const SyncInfo& info) {
  const std::uint32_t count = std::min(info.modeCount, kMaxSyncModes);
  for (std::uint32_t i = 0; i < count; ++i)
    if (info.modes[i].sourceId == info.current.sourceId) return static_cast<int>(i);
  return -1;
}
