#include "simulator/options.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/log.h"
#include "simulator/core/faults.h"
#include "simulator/core/protocol.h"

namespace simulator {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// A whole decimal or 0x-hexadecimal number no larger than `max`.
bool ParseNumber(std::string_view text, std::uint64_t max, std::uint64_t* value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 20) return false;
  std::uint64_t result = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    const auto d = static_cast<std::uint64_t>(digit);
    if (d > max || result > (max - d) / static_cast<std::uint64_t>(base)) return false;
    result = result * static_cast<std::uint64_t>(base) + d;
  }
  *value = result;
  return true;
}

template <typename T>
bool ParseInto(std::string_view text, std::uint64_t max, T* field) {
  std::uint64_t value;
  if (!ParseNumber(text, max, &value)) return false;
  *field = static_cast<T>(value);
  return true;
}

bool ParseVersion(std::string_view text, Options* options) {
  const std::size_t dot = text.find('.');
  if (dot == std::string_view::npos) return false;
  std::uint8_t major, minor;
  if (!ParseInto(text.substr(0, dot), 255, &major) || !ParseInto(text.substr(dot + 1), 255, &minor))
    return false;
  options->interfaceMajor = major;
  options->interfaceMinor = minor;
  return true;
}

// One option: how its value is read, and how it goes back to its default.
struct Setting {
  std::string_view key;
  bool (*apply)(std::string_view value, Options* options);
  void (*reset)(const Options& defaults, Options* options);
};

const Setting kSettings[] = {
    {"devices",
     [](std::string_view v, Options* o) { return ParseInto(v, core::kMaxDevices, &o->devices); },
     [](const Options& d, Options* o) { o->devices = d.devices; }},
    {"version", ParseVersion,
     [](const Options& d, Options* o) {
       o->interfaceMajor = d.interfaceMajor;
       o->interfaceMinor = d.interfaceMinor;
     }},
    {"delay", [](std::string_view v, Options* o) { return ParseInto(v, 0xFFFFFFFF, &o->delayMs); },
     [](const Options& d, Options* o) { o->delayMs = d.delayMs; }},
    {"fcpstatus",
     [](std::string_view v, Options* o) { return ParseInto(v, 0xFFFFFFFF, &o->fcpStatus); },
     [](const Options& d, Options* o) { o->fcpStatus = d.fcpStatus; }},
    {"replylength",
     [](std::string_view v, Options* o) { return ParseInto(v, 0xFFFFFFFF, &o->replyLength); },
     [](const Options& d, Options* o) { o->replyLength = d.replyLength; }},
    {"truncate",
     [](std::string_view v, Options* o) {
       std::uint32_t bytes;
       if (!ParseInto(v, core::kFcpFrameMax, &bytes)) return false;
       o->truncate = bytes;
       return true;
     },
     [](const Options& d, Options* o) { o->truncate = d.truncate; }},
    {"bytecount",
     [](std::string_view v, Options* o) { return ParseInto(v, 0xFFFFFFFF, &o->byteCount); },
     [](const Options& d, Options* o) { o->byteCount = d.byteCount; }},
    {"eventfail", [](std::string_view v, Options* o) { return ParseInto(v, 1, &o->eventFails); },
     [](const Options& d, Options* o) { o->eventFails = d.eventFails; }},
    {"seed", [](std::string_view v, Options* o) { return ParseInto(v, ~0ull, &o->seed); },
     [](const Options& d, Options* o) { o->seed = d.seed; }},
    {"nocontrol", [](std::string_view v, Options* o) { return ParseInto(v, 1, &o->noControl); },
     [](const Options& d, Options* o) { o->noControl = d.noControl; }},
    {"wdminuse", [](std::string_view v, Options* o) { return ParseInto(v, 1, &o->wdmInUse); },
     [](const Options& d, Options* o) { o->wdmInUse = d.wdmInUse; }},
    {"oversize", [](std::string_view v, Options* o) { return ParseInto(v, 1, &o->oversizeCounts); },
     [](const Options& d, Options* o) { o->oversizeCounts = d.oversizeCounts; }},
    {"unterminated",
     [](std::string_view v, Options* o) { return ParseInto(v, 1, &o->unterminatedNames); },
     [](const Options& d, Options* o) { o->unterminatedNames = d.unterminatedNames; }},
    {"channelid0",
     [](std::string_view v, Options* o) { return ParseInto(v, 1, &o->channelIdZero); },
     [](const Options& d, Options* o) { o->channelIdZero = d.channelIdZero; }},
    {"silent", [](std::string_view v, Options* o) { return ParseInto(v, 1, &o->silent); },
     [](const Options& d, Options* o) { o->silent = d.silent; }},
};

const Setting* FindSetting(std::string_view key) {
  for (const Setting& setting : kSettings)
    if (setting.key == key) return &setting;
  return nullptr;
}

}  // namespace

std::vector<FaultSetting> FaultSettings(const Options& options) {
  using namespace core;
  std::vector<FaultSetting> settings{
      {kFaultVersion, options.interfaceMajor, options.interfaceMinor},
      {kFaultFcpStatus, options.fcpStatus, 0},
      {kFaultReplyDelayMs, options.delayMs, 0},
      {kFaultReplyLength, options.replyLength, 0},
      {kFaultTruncate, options.truncate.has_value(), options.truncate.value_or(0)},
      {kFaultByteCount, options.byteCount, 0},
      {kFaultControlAbsent, options.noControl, 0},
      {kFaultWdmInUse, options.wdmInUse, 0},
      {kFaultOversizeCounts, options.oversizeCounts, 0},
      {kFaultUnterminatedNames, options.unterminatedNames, 0},
      {kFaultChannelIdZero, options.channelIdZero, 0},
  };
  // Without it every unit plays its music, as a fresh machine does anyway.
  if (options.silent) {
    for (std::uint32_t unit = 0; unit < kMaxDevices; ++unit)
      for (std::uint32_t channel = 0; channel < kMeteredChannels; ++channel)
        settings.push_back({kFaultFixedLevel, unit << 8 | channel, 0});
  }
  return settings;
}

Options ParseOptions(const char* text) {
  Options options;
  std::string_view rest = text ? text : "";
  if (Trim(rest) == "1") return options;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = Trim(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (item.empty()) continue;

    const std::size_t equals = item.find('=');
    const Setting* setting =
        equals == std::string_view::npos ? nullptr : FindSetting(Trim(item.substr(0, equals)));
    if (setting == nullptr) {
      platform::Log("%s: unknown option \"%s\"\n", kEnvironmentVariable, std::string(item).c_str());
      continue;
    }
    const std::string_view value = Trim(item.substr(equals + 1));
    if (!setting->apply(value, &options)) {
      // Not what an earlier item may have set: a bad value means the default.
      setting->reset(Options(), &options);
      platform::Log("%s: bad value \"%s\" for %s; using the default\n", kEnvironmentVariable,
                    std::string(value).c_str(), std::string(setting->key).c_str());
    }
  }
  return options;
}

std::optional<Options> OptionsFromEnvironment() {
  const char* text = std::getenv(kEnvironmentVariable);
  if (text == nullptr) return std::nullopt;
  return ParseOptions(text);
}

}  // namespace simulator
