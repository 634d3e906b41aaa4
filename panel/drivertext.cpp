#include "panel/drivertext.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>

using namespace qdl;

namespace {

struct ErrorText {
  DriverStatus code;
  const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {0xE0000022, kErrorFcpNegativeResponse},
    {0xE0000072, kErrorChannelAllocation},
    {0xE0000073, kErrorBandwidthAllocation},
    {0xE0000074, kErrorIsoResourceAllocation},
    {0xE0000076, kErrorStartStreaming},
    {0xE0000077, kErrorChannelChanged},
    {0xE0000080, kErrorRateNotSupported},
};

// The rates a plug can list; any other value is shown as unknown.
constexpr std::uint32_t kListedRates[] = {32000, 44100, 48000, 88200, 96000, 176400, 192000};
constexpr const char* kListedRateTexts[] = {"32000", "44100", "48000", "88200",
                                            "96000", "176400", "192000"};
static_assert(std::size(kListedRates) == std::size(kListedRateTexts));

// A driver may fill a text field to its last byte without a zero; the text
// then ends one byte short of the field, as if the last byte were the zero.
std::string BoundedText(const char* field, std::size_t fieldSize) {
  const std::size_t limit = fieldSize - 1;
  const void* zero = std::memchr(field, '\0', limit);
  const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : limit;
  return std::string(field, length);
}

const char* ListedRateText(std::uint32_t rate) {
  for (std::size_t i = 0; i < std::size(kListedRates); ++i)
    if (kListedRates[i] == rate) return kListedRateTexts[i];
  return kUnknownRateWord;
}

std::string RateListText(const PlugStatus& status) {
  std::string text = kSupportedRatesLabel;
  // A count beyond the record's capacity is the driver's fault; show what fits.
  const std::uint32_t count = std::min(status.rateCount, kMaxRates);
  for (std::uint32_t i = 0; i < count; ++i) {
    const bool current = status.rates[i] == status.currentRate;
    if (current) text += '[';
    text += ListedRateText(status.rates[i]);
    if (current) text += ']';
    text += "  ";
  }
  return text;
}

}  // namespace

std::string DescribeError(DriverStatus code) {
  const char* message = "";
  for (const ErrorText& entry : kErrorTexts)
    if (entry.code == code) message = entry.text;
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "%s 0x%08X: %s", kErrorCodeWord, static_cast<unsigned>(code),
                message);
  return buffer;
}

std::string DescribeSource(const SyncSource& source) {
  std::string text;
  if (source.type < std::size(kSyncSourceTypeNames)) text = kSyncSourceTypeNames[source.type];
  const std::string name = NameText(source.name);
  if (!name.empty()) text += " (" + name + ")";
  return text;
}

std::string NameText(const char (&field)[kNameField]) { return BoundedText(field, kNameField); }

bool SameName(const char (&a)[kNameField], const char (&b)[kNameField]) {
  return NameText(a) == NameText(b);
}

bool NameIsSerialNumber(const DeviceInfo& info) {
  return NameText(info.name) == BoundedText(info.serialNumber, sizeof info.serialNumber);
}

void SetName(char (&field)[kNameField], std::string_view text) {
  const std::size_t length = std::min(text.size(), kNameMaxChars);
  if (length) std::memcpy(field, text.data(), length);  // an empty view may have no data
  std::memset(field + length, 0, kNameField - length);
}

std::string DefaultChannelName(std::uint32_t direction, int index) {
  // Widened so that the last int row still numbers correctly.
  const long long number = static_cast<long long>(index) + 1;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%s%lld",
                direction == 0 ? kInputChannelPrefix : kOutputChannelPrefix, number);
  return buffer;
}

// "<value / 1000>.<one decimal> <unit>": truncated, not rounded, so a value
// never reads larger than it is.
static std::string ThousandsText(std::uint32_t value, const char* unit) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%u.%u %s", static_cast<unsigned>(value / 1000),
                static_cast<unsigned>(value % 1000 / 100), unit);
  return buffer;
}

std::string RateItemText(std::uint32_t rateHz) { return ThousandsText(rateHz, kKilohertzWord); }

std::uint32_t SampleCount(std::uint32_t depthUs, std::uint32_t granularity, std::uint32_t rateHz) {
  // Both factors below 2^32, so the product and the rounding below stay well
  // inside 64 bits.
  std::uint64_t samples = std::uint64_t{depthUs} * rateHz / 1000000;
  if (granularity != 0) samples = (samples + granularity - 1) / granularity * granularity;
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>(samples, std::numeric_limits<std::uint32_t>::max()));
}

std::string DepthText(std::uint32_t depthUs) { return ThousandsText(depthUs, kMillisecondsWord); }

std::string DeviceBufferText(std::uint32_t depthUs, std::uint32_t granularity, std::uint32_t rateHz) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "\n%u %s",
                static_cast<unsigned>(SampleCount(depthUs, granularity, rateHz)), kSamplesWord);
  return DepthText(depthUs) + buffer;
}

std::string AsioDisplayName(bool includeDevice, std::string_view deviceName,
                            std::string_view channelName) {
  std::string name;
  if (includeDevice) {
    name += deviceName;
    name += " - ";
  }
  name += channelName;
  if (name.size() > kAsioNameMaxChars) name.resize(kAsioNameMaxChars);
  return name;
}

const char* PlugName(int plug) {
  if (plug < 0 || plug >= kPlugCount) return "";
  return kPlugNames[plug];
}

std::string PlugCellText(const PlugStatus& status) {
  char buffer[64];
  switch (status.state) {
    case kPlugConnected:
      std::snprintf(buffer, sizeof buffer, "%s (%u)", kPlugConnectedWord,
                    static_cast<unsigned>(status.streamNumber));
      return buffer;
    case kPlugConnectFailed:
      return kPlugConnectFailedWord;
    default:
      return {};
  }
}

std::string PlugDetailText(int plug, const PlugStatus& status) {
  const std::string head = std::string(PlugName(plug)) + ": ";
  switch (status.state) {
    case kPlugConnected: {
      char number[16];
      std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(status.streamNumber));
      return head + kPlugSuccessfullyConnectedWord + "\n   " + kStreamNumberLabel + ": " + number +
             "\n   " + RateListText(status);
    }
    case kPlugConnectFailed:
      return head + kPlugConnectFailedWord + " (" + DescribeError(status.error) + ")";
    default:
      return {};
  }
}

std::string StreamsDetailText(const DeviceStreams& streams) {
  std::string text;
  for (int plug = 0; plug < kPlugCount; ++plug) {
    if (plug != 0) text += '\n';
    text += PlugDetailText(plug, streams.plugs[plug]);
  }
  return text;
}
