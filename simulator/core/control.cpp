#include "simulator/core/control.h"

#include "simulator/core/bytes.h"
#include "simulator/core/driver.h"
#include "simulator/core/requests.h"

namespace simulator::core {
namespace {

constexpr std::uint32_t kRates[kRateCount] = {44100, 48000, 88200, 96000};

struct SyncMode {
  std::uint32_t type;  // 1 CSP, 2 SYT, 4 digital input, 5 external clock
  std::uint32_t sourceId;
  const char* name;
};

constexpr SyncMode kSyncModes[kSyncModeCount] = {
    {1, 1, "Internal"}, {2, 2, ""}, {5, 3, "Word Clock"}, {4, 4, "S/PDIF"}};

// Each unit's ASIO depth, WDM depth and stream depth may be set in these
// bounds (µs); the panel's sliders move in steps of 500 µs.
constexpr std::uint32_t kDeviceBufferMinUs = 500;
constexpr std::uint32_t kDeviceBufferMaxUs = 80000;

// The driver checks its ASIO watchdog every few seconds and now and then
// finds that a buffer came too late.
constexpr std::uint64_t kDropCheckUs = 4'000'000;
constexpr std::uint64_t kDropOneIn = 6;

// What a misbehaving driver puts into counts when the fault is set.
constexpr std::uint32_t kOversizeListCount = 1000;

// A name that does not end inside its field is padded with this.
constexpr std::uint8_t kUnterminatedPad = '*';

std::uint32_t TextLength(const char* text, std::uint32_t limit) {
  std::uint32_t length = 0;
  while (length < limit && text[length] != 0) ++length;
  return length;
}

void CopyText(char* field, std::uint32_t fieldSize, const char* text) {
  const std::uint32_t length = TextLength(text, fieldSize - 1);
  CopyBytes(field, text, length);
  FillBytes(field + length, 0, fieldSize - length);
}

// Writes a name field of a reply; under the fault it has no zero byte.
void PutName(const Control& control, std::uint8_t* field, const char* name) {
  CopyText(reinterpret_cast<char*>(field), kNameField, name);
  if (control.faults.unterminatedNames) {
    const std::uint32_t length = TextLength(name, kNameField - 1);
    FillBytes(field + length, kUnterminatedPad, kNameField - length);
  }
}

// Reads a name field of a request: the text up to its zero byte, at most 39
// characters, whatever the caller left in the rest of the field.
void TakeName(char* name, const std::uint8_t* field) {
  char text[kNameField];
  CopyBytes(text, field, kNameField - 1);
  text[kNameField - 1] = 0;
  CopyText(name, kNameField, text);
}

void AppendNumber(char* text, std::uint32_t fieldSize, std::uint32_t number) {
  char digits[10];
  std::uint32_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  std::uint32_t at = TextLength(text, fieldSize - 1);
  while (count > 0 && at < fieldSize - 1) text[at++] = digits[--count];
  text[at] = 0;
}

void HardwareName(std::uint32_t direction, std::uint32_t channel, char* name) {
  // Six analog channels and a stereo digital pair each way.
  static const char* const kAnalog[2] = {"Analog In ", "Analog Out "};
  static const char* const kDigital[2][2] = {{"Digital In L", "Digital In R"},
                                             {"Digital Out L", "Digital Out R"}};
  if (channel >= 6) {
    CopyText(name, kNameField, kDigital[direction][channel - 6]);
    return;
  }
  CopyText(name, kNameField, kAnalog[direction]);
  AppendNumber(name, kNameField, channel + 1);
}

// ---- Units by identifier and by ranking ----

constexpr std::uint32_t kDeviceIdTag = 0x58540000;
constexpr std::uint32_t kChannelIdTag = 0x43000000;

std::uint32_t Generation(const Machine& machine, std::uint32_t unit) {
  return machine.devices[unit].generation & 0xFF;
}

bool FindUnit(const Machine& machine, std::uint32_t deviceId, std::uint32_t* unit) {
  const std::uint32_t slot = deviceId & 0xFF;
  if (slot >= kMaxDevices || !machine.devices[slot].present) return false;
  if (deviceId != ControlDeviceId(machine, slot)) return false;
  *unit = slot;
  return true;
}

struct ChannelRef {
  std::uint32_t unit;
  std::uint32_t direction;
  std::uint32_t channel;
};

bool FindChannel(const Machine& machine, std::uint32_t channelId, ChannelRef* ref) {
  const ChannelRef found{(channelId >> 8) & 0xFF, (channelId >> 4) & 0xF, channelId & 0xF};
  if (found.unit >= kMaxDevices || !machine.devices[found.unit].present) return false;
  if (found.direction > 1 || found.channel >= kChannelsPerDirection) return false;
  if (channelId != ControlChannelId(machine, found.unit, found.direction, found.channel))
    return false;
  *ref = found;
  return true;
}

// The present units in the order of their ranking (ties by slot).
std::uint32_t RankedUnits(const Machine& machine, std::uint32_t* units) {
  std::uint32_t count = 0;
  for (std::uint32_t unit = 0; unit < kMaxDevices; ++unit) {
    if (!machine.devices[unit].present) continue;
    const std::uint32_t rank = machine.control.units[unit].rank;
    std::uint32_t at = count++;
    while (at > 0 && machine.control.units[units[at - 1]].rank > rank) {
      units[at] = units[at - 1];
      --at;
    }
    units[at] = unit;
  }
  return count;
}

std::uint32_t PresentUnits(const Machine& machine) {
  std::uint32_t units[kMaxDevices];
  return RankedUnits(machine, units);
}

// ---- Streaming ----

void AccrueDropOuts(Control* control, std::uint64_t nowUs) {
  if (!control->streaming) return;
  // A panel that slept for hours need not replay every check.
  if (nowUs > control->nextDropCheckUs + 1000 * kDropCheckUs)
    control->nextDropCheckUs = nowUs - 1000 * kDropCheckUs;
  for (; control->nextDropCheckUs <= nowUs; control->nextDropCheckUs += kDropCheckUs)
    if (Mix64(control->nextDropCheckUs ^ 0xA5105EEDull) % kDropOneIn == 0) ++control->dropOuts;
}

void SetStreaming(Machine* machine, bool streaming, std::uint64_t nowUs) {
  Control& control = machine->control;
  if (control.streaming == streaming) return;
  AccrueDropOuts(&control, nowUs);
  control.streaming = streaming;
  control.streamingSinceUs = nowUs;
  control.nextDropCheckUs = nowUs + kDropCheckUs;
  ControlNotify(machine, kNotifyStreaming);
}

// ---- Requests ----

IoCompletion Reply(const IoRequest& request, std::uint32_t bytes) {
  return AtOnce(request, kStatusSuccess, bytes);
}

IoCompletion Done(const IoRequest& request) { return AtOnce(request, kStatusSuccess); }

IoCompletion ReplyWord(const IoRequest& request, std::uint32_t value) {
  StoreLe32(request.out, value);
  return Reply(request, 4);
}

IoCompletion GetAsioNameMode(Machine* machine, const HandleRef&, const IoRequest& request) {
  return ReplyWord(request, machine->control.asioNameMode);
}

IoCompletion SetAsioNameMode(Machine* machine, const HandleRef&, const IoRequest& request) {
  machine->control.asioNameMode = LoadLe32(request.in);
  ControlNotify(machine, kNotifyDevices);
  return Done(request);
}

// A new listener hears of the changes from its registration on.
IoCompletion RegisterNotifyEvent(Machine* machine, const HandleRef&, const IoRequest& request) {
  machine->control.notifyEvent = LoadLe32(request.in);
  machine->control.notifyCount = 0;
  return Done(request);
}

IoCompletion GetNotification(Machine* machine, const HandleRef&, const IoRequest& request) {
  Control& control = machine->control;
  if (control.notifyCount == 0) return AtOnce(request, kWin32NoMoreItems);
  const std::uint32_t kind = control.notifications[control.notifyHead];
  control.notifyHead = (control.notifyHead + 1) % kNotificationQueue;
  --control.notifyCount;
  FillBytes(request.out, 0, kNotificationSize);
  StoreLe32(request.out, kind);
  return Reply(request, kNotificationSize);
}

IoCompletion GetDeviceList(Machine* machine, const HandleRef&, const IoRequest& request) {
  std::uint32_t units[kMaxDevices];
  const std::uint32_t count = RankedUnits(*machine, units);
  FillBytes(request.out, 0, kDeviceListSize);
  StoreLe32(request.out, machine->control.faults.oversizeCounts ? kOversizeListCount : count);
  for (std::uint32_t i = 0; i < count; ++i)
    StoreLe32(request.out + 4 + 4 * i, ControlDeviceId(*machine, units[i]));
  return Reply(request, kDeviceListSize);
}

IoCompletion GetChannelList(Machine* machine, const HandleRef&, const IoRequest& request) {
  std::uint32_t units[kMaxDevices];
  const std::uint32_t unitCount = RankedUnits(*machine, units);
  FillBytes(request.out, 0, kChannelListSize);
  // Inputs first, outputs in the second half; channels follow the ranking.
  for (std::uint32_t direction = 0; direction < 2; ++direction) {
    std::uint8_t* half = request.out + direction * (4 + 4 * kListedChannelsMax);
    const std::uint32_t count = unitCount * kChannelsPerDirection;
    StoreLe32(half, machine->control.faults.oversizeCounts ? kOversizeListCount : count);
    for (std::uint32_t i = 0; i < count; ++i)
      StoreLe32(half + 4 + 4 * i, ControlChannelId(*machine, units[i / kChannelsPerDirection],
                                                   direction, i % kChannelsPerDirection));
  }
  return Reply(request, kChannelListSize);
}

IoCompletion GetClockMaster(Machine* machine, const HandleRef&, const IoRequest& request) {
  const Control& control = machine->control;
  StoreLe32(request.out, control.clockMasterReserved);
  StoreLe32(request.out + 4, control.clockMasterKind);
  StoreLe32(request.out + 8, control.clockMasterDevice);
  return Reply(request, kClockMasterSize);
}

IoCompletion SetClockMaster(Machine* machine, const HandleRef&, const IoRequest& request) {
  Control& control = machine->control;
  const std::uint32_t kind = LoadLe32(request.in + 4);
  const std::uint32_t deviceId = LoadLe32(request.in + 8);
  std::uint32_t unit = 0;
  if (kind > 1) return AtOnce(request, kStatusInvalidParameter);
  if (kind == 1 && !FindUnit(*machine, deviceId, &unit))
    return AtOnce(request, kStatusNoSuchInstance);
  control.clockMasterKind = kind;
  control.clockMasterDevice = kind == 1 ? deviceId : 0;
  // A PC master sets the rate; only a unit can impose its own.
  if (kind == 0) control.rateMode = 0;
  ControlNotify(machine, kNotifySync);
  return Done(request);
}

IoCompletion GetRateMode(Machine* machine, const HandleRef&, const IoRequest& request) {
  StoreLe32(request.out, 0);
  StoreLe32(request.out + 4, machine->control.rateMode);
  return Reply(request, 8);
}

IoCompletion SetRateMode(Machine* machine, const HandleRef&, const IoRequest& request) {
  const std::uint32_t mode = LoadLe32(request.in + 4);
  if (mode > 1) return AtOnce(request, kStatusInvalidParameter);
  machine->control.rateMode = mode;
  ControlNotify(machine, kNotifySync);
  return Done(request);
}

void PutRates(const Control& control, std::uint8_t* at) {
  StoreLe32(at, control.currentRate);
  StoreLe32(at + 4, control.faults.oversizeCounts ? kRatesMax + 1 : kRateCount);
  for (std::uint32_t i = 0; i < kRateCount; ++i) StoreLe32(at + 8 + 4 * i, kRates[i]);
}

IoCompletion GetRateInfo(Machine* machine, const HandleRef&, const IoRequest& request) {
  FillBytes(request.out, 0, kRateInfoSize);
  PutRates(machine->control, request.out + 4);
  return Reply(request, kRateInfoSize);
}

IoCompletion SetSampleRate(Machine* machine, const HandleRef&, const IoRequest& request) {
  Control& control = machine->control;
  const std::uint32_t rate = LoadLe32(request.in + 4);
  if (control.faults.wdmInUse) return AtOnce(request, kStatusWdmDeviceInUse);
  bool supported = false;
  for (std::uint32_t known : kRates) supported = supported || known == rate;
  if (!supported) return AtOnce(request, kStatusRateNotSupported);
  control.currentRate = rate;
  ControlNotify(machine, kNotifySync);
  return Done(request);
}

void PutSyncSource(const Control& control, std::uint8_t* at, const SyncMode& mode) {
  StoreLe32(at, mode.type);
  StoreLe32(at + 4, mode.sourceId);
  PutName(control, at + 8, mode.name);
}

IoCompletion GetSyncInfo(Machine* machine, const HandleRef&, const IoRequest& request) {
  std::uint32_t unit = 0;
  const std::uint32_t deviceId = LoadLe32(request.in);
  if (!FindUnit(*machine, deviceId, &unit)) return AtOnce(request, kStatusNoSuchInstance);
  const Control& control = machine->control;
  FillBytes(request.out, 0, kSyncInfoSize);
  StoreLe32(request.out, deviceId);
  PutSyncSource(control, request.out + 4, kSyncModes[control.units[unit].syncMode]);
  StoreLe32(request.out + 52, control.faults.oversizeCounts ? kSyncModesMax + 1 : kSyncModeCount);
  for (std::uint32_t i = 0; i < kSyncModeCount; ++i)
    PutSyncSource(control, request.out + 56 + kSyncSourceSize * i, kSyncModes[i]);
  return Reply(request, kSyncInfoSize);
}

IoCompletion SetSyncSource(Machine* machine, const HandleRef&, const IoRequest& request) {
  std::uint32_t unit = 0;
  if (!FindUnit(*machine, LoadLe32(request.in), &unit))
    return AtOnce(request, kStatusNoSuchInstance);
  const std::uint32_t type = LoadLe32(request.in + 4);
  const std::uint32_t sourceId = LoadLe32(request.in + 8);
  for (std::uint32_t i = 0; i < kSyncModeCount; ++i) {
    if (kSyncModes[i].type == type && kSyncModes[i].sourceId == sourceId) {
      machine->control.units[unit].syncMode = i;
      ControlNotify(machine, kNotifySync);
      return Done(request);
    }
  }
  return AtOnce(request, kStatusInvalidParameter);
}

IoCompletion GetDeviceInfo(Machine* machine, const HandleRef&, const IoRequest& request) {
  std::uint32_t unit = 0;
  const std::uint32_t deviceId = LoadLe32(request.in);
  if (!FindUnit(*machine, deviceId, &unit)) return AtOnce(request, kStatusNoSuchInstance);
  const Control& control = machine->control;
  const UnitSettings& settings = control.units[unit];
  FillBytes(request.out, 0, kDeviceInfoSize);
  StoreLe32(request.out, deviceId);
  StoreLe32(request.out + 4, settings.rank);
  PutName(control, request.out + 8, settings.name);
  CopyText(reinterpret_cast<char*>(request.out + 48), sizeof settings.serialNumber,
           settings.serialNumber);
  return Reply(request, kDeviceInfoSize);
}

IoCompletion SetDeviceInfo(Machine* machine, const HandleRef&, const IoRequest& request) {
  std::uint32_t unit = 0;
  if (!FindUnit(*machine, LoadLe32(request.in), &unit))
    return AtOnce(request, kStatusNoSuchInstance);
  UnitSettings& settings = machine->control.units[unit];
  settings.rank = LoadLe32(request.in + 4);
  TakeName(settings.name, request.in + 8);
  ControlNotify(machine, kNotifyDevices);
  return Done(request);
}

// Which isochronous stream carries a plug while the machine streams. Audio
// goes both ways for every unit; the synch stream runs from the clock master.
void PutPlug(const Machine& machine, std::uint32_t unit, std::uint32_t position, std::uint32_t plug,
             std::uint8_t* at) {
  const Control& control = machine.control;
  const bool unitIsMaster =
      control.clockMasterKind == 1 && control.clockMasterDevice == ControlDeviceId(machine, unit);
  bool used = plug < 2;
  std::uint32_t stream = 2 * position + plug;
  if (plug == 2) used = unitIsMaster;   // synch out: this unit clocks the rest
  if (plug == 3) used = !unitIsMaster;  // synch in: the unit follows
  if (plug >= 2) stream = 16;
  FillBytes(at, 0, kPlugStatusSize);
  if (!control.streaming || !used) return;
  const std::uint32_t fault = control.units[unit].plugFault[plug];
  StoreLe32(at, fault != 0 ? kPlugConnectFailed : kPlugConnected);
  StoreLe32(at + 4, fault);
  StoreLe32(at + 8, fault != 0 ? 0 : stream);
  PutRates(control, at + 12);
}

IoCompletion GetDeviceStreams(Machine* machine, const HandleRef&, const IoRequest& request) {
  std::uint32_t unit = 0;
  const std::uint32_t deviceId = LoadLe32(request.in);
  if (!FindUnit(*machine, deviceId, &unit)) return AtOnce(request, kStatusNoSuchInstance);
  std::uint32_t units[kMaxDevices];
  const std::uint32_t count = RankedUnits(*machine, units);
  std::uint32_t position = 0;
  while (position < count && units[position] != unit) ++position;
  FillBytes(request.out, 0, kDeviceStreamsSize);
  StoreLe32(request.out, deviceId);
  for (std::uint32_t plug = 0; plug < kPlugCount; ++plug)
    PutPlug(*machine, unit, position, plug, request.out + 4 + kPlugStatusSize * plug);
  return Reply(request, kDeviceStreamsSize);
}

IoCompletion GetChannelInfo(Machine* machine, const HandleRef&, const IoRequest& request) {
  ChannelRef ref{};
  const std::uint32_t channelId = LoadLe32(request.in);
  if (!FindChannel(*machine, channelId, &ref)) return AtOnce(request, kStatusNoSuchInstance);
  const Control& control = machine->control;
  char hardwareName[kNameField];
  HardwareName(ref.direction, ref.channel, hardwareName);
  FillBytes(request.out, 0, kChannelInfoSize);
  StoreLe32(request.out, control.faults.channelIdZero ? 0 : channelId);
  StoreLe32(request.out + 4, ControlDeviceId(*machine, ref.unit));
  StoreLe32(request.out + 8, ref.direction);
  PutName(control, request.out + 12, hardwareName);
  PutName(control, request.out + 52,
          control.units[ref.unit].channelNames[ref.direction][ref.channel]);
  return Reply(request, kChannelInfoSize);
}

IoCompletion SetChannelInfo(Machine* machine, const HandleRef&, const IoRequest& request) {
  ChannelRef ref{};
  if (!FindChannel(*machine, LoadLe32(request.in), &ref))
    return AtOnce(request, kStatusNoSuchInstance);
  // Only the user's name is the panel's to change.
  TakeName(machine->control.units[ref.unit].channelNames[ref.direction][ref.channel],
           request.in + 52);
  ControlNotify(machine, kNotifyDevices);
  return Done(request);
}

IoCompletion StartStreaming(Machine* machine, const HandleRef&, const IoRequest& request) {
  if (PresentUnits(*machine) == 0) return AtOnce(request, kStatusStartStreamingFailed);
  SetStreaming(machine, true, request.nowUs);
  return Done(request);
}

IoCompletion StopStreaming(Machine* machine, const HandleRef&, const IoRequest& request) {
  SetStreaming(machine, false, request.nowUs);
  return Done(request);
}

IoCompletion ReplyBuffer(const IoRequest& request, const BufferWords& buffer) {
  for (std::uint32_t i = 0; i < 4; ++i) StoreLe32(request.out + 4 * i, buffer.words[i]);
  return Reply(request, kBufferSettingSize);
}

IoCompletion GetStreamBuffer(Machine* machine, const HandleRef&, const IoRequest& request) {
  return ReplyBuffer(request, machine->control.streamBuffer);
}

// The stream depth must lie on the driver's own grid; the other words are
// the driver's and stay as they are.
IoCompletion SetStreamBuffer(Machine* machine, const HandleRef&, const IoRequest& request) {
  BufferWords& buffer = machine->control.streamBuffer;
  const std::uint32_t depth = LoadLe32(request.in + 12);
  const std::uint32_t minimum = buffer.words[0], maximum = buffer.words[1], step = buffer.words[2];
  if (depth < minimum || depth > maximum || (depth - minimum) % step != 0)
    return AtOnce(request, kStatusInvalidParameter);
  buffer.words[3] = depth;
  ControlNotify(machine, kNotifyDevices);
  return Done(request);
}

IoCompletion SetDeviceBuffer(Machine* machine, BufferWords* buffer, const IoRequest& request) {
  const std::uint32_t depth = LoadLe32(request.in);
  if (depth < kDeviceBufferMinUs || depth > kDeviceBufferMaxUs)
    return AtOnce(request, kStatusInvalidParameter);
  buffer->words[0] = depth;
  ControlNotify(machine, kNotifyDevices);
  return Done(request);
}

IoCompletion GetAsioBuffer(Machine* machine, const HandleRef&, const IoRequest& request) {
  return ReplyBuffer(request, machine->control.asioBuffer);
}

IoCompletion SetAsioBuffer(Machine* machine, const HandleRef&, const IoRequest& request) {
  return SetDeviceBuffer(machine, &machine->control.asioBuffer, request);
}

IoCompletion GetWdmBuffer(Machine* machine, const HandleRef&, const IoRequest& request) {
  return ReplyBuffer(request, machine->control.wdmBuffer);
}

IoCompletion SetWdmBuffer(Machine* machine, const HandleRef&, const IoRequest& request) {
  return SetDeviceBuffer(machine, &machine->control.wdmBuffer, request);
}

IoCompletion GetAsioStatistics(Machine* machine, const HandleRef&, const IoRequest& request) {
  Control& control = machine->control;
  AccrueDropOuts(&control, request.nowUs);
  FillBytes(request.out, 0, kAsioStatisticsSize);
  const std::uint64_t streamedMs =
      control.streaming ? (request.nowUs - control.streamingSinceUs) / 1000 : 0;
  StoreLe32(request.out, static_cast<std::uint32_t>(streamedMs));  // milliseconds streamed
  StoreLe32(request.out + 4, control.asioBuffer.words[0]);         // buffer depth in use
  StoreLe32(request.out + 52, control.dropOuts);
  return Reply(request, kAsioStatisticsSize);
}

constexpr std::uint32_t kNone = 0;

constexpr RequestRule kControlRequests[] = {
    {kRequestVersion, kAnyInput, kVersionReplySize, ServeVersion},
    {kRequestGetAsioNameMode, kAnyInput, 4, GetAsioNameMode},
    {kRequestSetAsioNameMode, 4, kNone, SetAsioNameMode},
    {kRequestRegisterNotifyEvent, 4, kNone, RegisterNotifyEvent},
    {kRequestGetNotification, kAnyInput, kNotificationSize, GetNotification},
    {kRequestGetDeviceList, kAnyInput, kDeviceListSize, GetDeviceList},
    {kRequestGetChannelList, kAnyInput, kChannelListSize, GetChannelList},
    {kRequestGetClockMaster, kAnyInput, kClockMasterSize, GetClockMaster},
    {kRequestSetClockMaster, kClockMasterSize, kNone, SetClockMaster},
    {kRequestGetRateMode, kAnyInput, 8, GetRateMode},
    {kRequestSetRateMode, 8, kNone, SetRateMode},
    {kRequestGetRateInfo, kAnyInput, kRateInfoSize, GetRateInfo},
    {kRequestSetSampleRate, 8, kNone, SetSampleRate},
    {kRequestGetSyncInfo, 4, kSyncInfoSize, GetSyncInfo},
    {kRequestSetSyncSource, 12, kNone, SetSyncSource},
    {kRequestGetDeviceInfo, 4, kDeviceInfoSize, GetDeviceInfo},
    {kRequestSetDeviceInfo, kDeviceInfoSize, kNone, SetDeviceInfo},
    {kRequestGetDeviceStreams, 4, kDeviceStreamsSize, GetDeviceStreams},
    {kRequestGetChannelInfo, 4, kChannelInfoSize, GetChannelInfo},
    {kRequestSetChannelInfo, kChannelInfoSize, kNone, SetChannelInfo},
    {kRequestStartStreaming, kAnyInput, kNone, StartStreaming},
    {kRequestStopStreaming, kAnyInput, kNone, StopStreaming},
    {kRequestGetStreamBuffer, kAnyInput, kBufferSettingSize, GetStreamBuffer},
    {kRequestSetStreamBuffer, kBufferSettingSize, kNone, SetStreamBuffer},
    {kRequestGetAsioBuffer, kAnyInput, kBufferSettingSize, GetAsioBuffer},
    {kRequestSetAsioBuffer, kBufferSettingSize, kNone, SetAsioBuffer},
    {kRequestGetWdmBuffer, kAnyInput, kBufferSettingSize, GetWdmBuffer},
    {kRequestSetWdmBuffer, kBufferSettingSize, kNone, SetWdmBuffer},
    {kRequestGetAsioStatistics, kAnyInput, kAsioStatisticsSize, GetAsioStatistics},
};

}  // namespace

const RequestRule* FindControlRule(std::uint32_t code) {
  for (const RequestRule& rule : kControlRequests)
    if (rule.code == code) return &rule;
  return nullptr;
}

void ControlInit(Machine* machine, std::uint64_t nowUs) {
  Control& control = machine->control;
  FillBytes(&control, 0, sizeof control);
  control.currentRate = 48000;
  control.streamBuffer = BufferWords{{1000, 20000, 500, 4000}};
  control.asioBuffer = BufferWords{{5000, 2, 32, 0}};
  control.wdmBuffer = BufferWords{{10000, 2, 16, 0}};
  control.nextDropCheckUs = nowUs + kDropCheckUs;
}

void ControlUnitArrived(Machine* machine, std::uint32_t unit, std::uint64_t nowUs) {
  Control& control = machine->control;
  UnitSettings& settings = control.units[unit];
  std::uint32_t nextRank = 0;
  for (std::uint32_t other = 0; other < kMaxDevices; ++other)
    if (other != unit && machine->devices[other].present && control.units[other].rank >= nextRank)
      nextRank = control.units[other].rank + 1;
  FillBytes(&settings, 0, sizeof settings);
  // A serial number from the unit's own randomness; a unit the driver has
  // never seen is named after it until the user renames it.
  CopyText(settings.serialNumber, sizeof settings.serialNumber, "XTB");
  AppendNumber(settings.serialNumber, sizeof settings.serialNumber,
               1000000 + static_cast<std::uint32_t>(machine->devices[unit].signalKey % 9000000));
  CopyText(settings.name, kNameField, settings.serialNumber);
  settings.rank = nextRank;
  for (std::uint32_t direction = 0; direction < 2; ++direction)
    for (std::uint32_t channel = 0; channel < kChannelsPerDirection; ++channel)
      HardwareName(direction, channel, settings.channelNames[direction][channel]);
  ControlNotify(machine, kNotifyDevices);
  // The driver streams whenever it has a unit to stream to.
  SetStreaming(machine, true, nowUs);
}

void ControlUnitLeft(Machine* machine, std::uint32_t unit, std::uint64_t nowUs) {
  Control& control = machine->control;
  // The ranking closes up behind a unit that goes.
  std::uint32_t ranked[kMaxDevices];
  const std::uint32_t count = RankedUnits(*machine, ranked);
  for (std::uint32_t position = 0; position < count; ++position)
    control.units[ranked[position]].rank = position;
  ControlNotify(machine, kNotifyDevices);
  if (control.clockMasterKind == 1 && (control.clockMasterDevice & 0xFF) == unit) {
    control.clockMasterKind = 0;
    control.clockMasterDevice = 0;
    control.rateMode = 0;
    ControlNotify(machine, kNotifySync);
  }
  if (PresentUnits(*machine) == 0) SetStreaming(machine, false, nowUs);
}

void ControlNotify(Machine* machine, std::uint32_t kind) {
  Control& control = machine->control;
  // The panel reloads its pages once per entry: a change of the kind it has
  // not read yet adds nothing new.
  const std::uint32_t newest =
      (control.notifyHead + control.notifyCount + kNotificationQueue - 1) % kNotificationQueue;
  const bool repeated = control.notifyCount > 0 && control.notifications[newest] == kind;
  if (!repeated) {
    // A full queue forgets its oldest entry: the panel reloads everything on
    // any configuration change, so the latest ones matter most.
    if (control.notifyCount == kNotificationQueue) {
      control.notifyHead = (control.notifyHead + 1) % kNotificationQueue;
      --control.notifyCount;
    }
    control.notifications[(control.notifyHead + control.notifyCount) % kNotificationQueue] = kind;
    ++control.notifyCount;
  }
  if (control.notifyEvent != 0 && machine->notify.signal != nullptr)
    machine->notify.signal(machine->notify.context, control.notifyEvent);
}

void ControlDropNotifyEvent(Machine* machine) { machine->control.notifyEvent = 0; }

std::uint32_t ControlDeviceId(const Machine& machine, std::uint32_t unit) {
  return kDeviceIdTag | Generation(machine, unit) << 8 | unit;
}

std::uint32_t ControlChannelId(const Machine& machine, std::uint32_t unit, std::uint32_t direction,
                               std::uint32_t channel) {
  return kChannelIdTag | Generation(machine, unit) << 16 | unit << 8 | direction << 4 | channel;
}

}  // namespace simulator::core
