#include "remote/remoteaddress.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "velmora/laws.h"
#include "velmora/velmora.h"

namespace {

constexpr int kMixes = 4;
constexpr int kChannels = 8;
constexpr int kMasterLeft = 8;  // the master sides' index in a fader id
constexpr double kChannelTopGain = 2.0;
constexpr double kMasterTopGain = 1.0;
constexpr char kPrefix[] = "/velmora/";

double TravelOf(bool isMaster) { return isMaster ? kMasterTravel : kChannelTravel; }
double TopGainOf(bool isMaster) { return isMaster ? kMasterTopGain : kChannelTopGain; }

std::vector<std::string_view> Segments(std::string_view path) {
  std::vector<std::string_view> segments;
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = path.find('/', start);
    segments.push_back(path.substr(start, slash == std::string_view::npos ? path.npos : slash - start));
    if (slash == std::string_view::npos) return segments;
    start = slash + 1;
  }
}

// A 1-based index on the wire: -1 when the segment is no number at all (the
// address is unknown), 0 when it is a number out of 1..count.
int WireIndex(std::string_view segment, int count) {
  if (segment.empty() || segment.size() > 9) return segment.empty() ? -1 : 0;
  int value = 0;
  for (char c : segment) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= count ? value : 0;
}

bool IsFloatTag(char tag) { return tag == 'f' || tag == 'd'; }
bool IsIntegerTag(char tag) { return tag == 'i' || tag == 'h'; }

enum class ArgumentShape { kNone, kFloat, kInteger, kSwitch };

// The single argument's value as the address reads it, or a refusal.
std::string ReadArgument(const OscMessage& message, ArgumentShape shape, double& value) {
  const std::size_t wanted = shape == ArgumentShape::kNone ? 0 : 1;
  if (message.arguments.size() != wanted) return "wrong argument count";
  if (wanted == 0) return {};
  const OscArgument& argument = message.arguments[0];
  const char tag = argument.tag;
  const bool switchTag = tag == 'T' || tag == 'F' || IsFloatTag(tag) || IsIntegerTag(tag);
  if ((shape == ArgumentShape::kFloat && !IsFloatTag(tag)) ||
      (shape == ArgumentShape::kInteger && !IsIntegerTag(tag)) ||
      (shape == ArgumentShape::kSwitch && !switchTag))
    return "wrong argument type";
  if (IsFloatTag(tag) && !std::isfinite(argument.number)) return "NaN or infinity";
  if (shape == ArgumentShape::kSwitch) {
    value = IsFloatTag(tag) ? (argument.number >= 0.5 ? 1 : 0) : (argument.integer != 0 ? 1 : 0);
  } else {
    value = IsFloatTag(tag) ? argument.number : static_cast<double>(argument.integer);
  }
  return {};
}

RemoteDispatch Refusal(std::string reason) { return RemoteDispatch{{}, std::move(reason)}; }

RemoteDispatch Command(const OscMessage& message, ArgumentShape shape, RemoteCommand command) {
  double value = 0.0;
  std::string refusal = ReadArgument(message, shape, value);
  if (!refusal.empty()) return Refusal(std::move(refusal));
  command.value = value;
  return RemoteDispatch{command, {}};
}

// A fader's value from its .../fader or .../db argument.
RemoteDispatch Fader(const OscMessage& message, std::string_view leaf, int mix, int index) {
  const bool isMaster = index >= kMasterLeft;
  RemoteDispatch dispatch = Command(
      message, ArgumentShape::kFloat,
      {RemoteCommandKind::kSetFloat, static_cast<std::uint16_t>(IDFADER | index), mix, 0.0});
  if (dispatch.Refused()) return dispatch;
  double& value = dispatch.command.value;
  value = leaf == "db" ? RemoteDbToGain(value, isMaster) : FractionToGain(value, isMaster);
  return dispatch;
}

// /velmora/mix/M/ch/C/leaf and /velmora/mix/M/master/side/leaf.
RemoteDispatch MixAddress(const OscMessage& message, const std::vector<std::string_view>& at) {
  const bool channel = at[2] == "ch";
  const std::string_view leaf = at[4];
  const bool fader = leaf == "fader" || leaf == "db";
  const bool known = channel ? fader || leaf == "pan" || leaf == "solo" || leaf == "mute"
                             : at[2] == "master" && fader && (at[3] == "left" || at[3] == "right");
  const int mix = WireIndex(at[1], kMixes);
  const int wireChannel = channel ? WireIndex(at[3], kChannels) : 1;
  if (!known || mix < 0 || wireChannel < 0) return Refusal("unknown address");
  if (mix == 0 || wireChannel == 0) return Refusal("index out of range");
  const int index = channel ? wireChannel - 1 : at[3] == "left" ? kMasterLeft : kMasterLeft + 1;
  if (fader) return Fader(message, leaf, mix - 1, index);
  if (leaf == "pan") {
    RemoteDispatch dispatch =
        Command(message, ArgumentShape::kFloat,
                {RemoteCommandKind::kSetFloat, static_cast<std::uint16_t>(IDPAN | index), mix - 1});
    dispatch.command.value = std::clamp(dispatch.command.value, -1.0, 1.0);
    return dispatch;
  }
  const std::uint16_t group = leaf == "solo" ? IDSOLO : IDMUTE;
  return Command(message, ArgumentShape::kSwitch,
                 {RemoteCommandKind::kSetInteger, static_cast<std::uint16_t>(group | index), mix - 1});
}

RemoteDispatch GlobalAddress(const OscMessage& message, std::string_view name) {
  if (name == "output") {
    RemoteDispatch dispatch =
        Command(message, ArgumentShape::kInteger, {RemoteCommandKind::kOutput, IDMIXSELECT});
    if (dispatch.Refused()) return dispatch;
    const double output = dispatch.command.value;
    if (output < 1 || output > kMixes) return Refusal("value out of range");
    dispatch.command.value = output - 1;
    return dispatch;
  }
  if (name == "clearovers")
    return Command(message, ArgumentShape::kNone, {RemoteCommandKind::kClearOvers, IDCLEAROVERS});
  if (name == "refresh") return Command(message, ArgumentShape::kNone, {RemoteCommandKind::kRefresh});
  if (name != "active" && name != "meters") return Refusal("unknown address");
  const bool active = name == "active";
  RemoteDispatch dispatch =
      Command(message, ArgumentShape::kInteger,
              {active ? RemoteCommandKind::kActive : RemoteCommandKind::kMeters,
               active ? IDMIXERACTIVE : std::uint16_t{0}});
  dispatch.command.value = dispatch.command.value != 0 ? 1 : 0;
  return dispatch;
}

OscMessage FloatMessage(std::string address, double value) {
  return OscMessage{std::move(address), {OscArgument::Float(static_cast<float>(value))}};
}

OscMessage IntMessage(std::string address, int value) {
  return OscMessage{std::move(address), {OscArgument::Int(value)}};
}

std::string MixPath(int mix, int index) {
  const std::string mixPath = kPrefix + std::string("mix/") + std::to_string(mix + 1);
  if (index >= kMasterLeft) return mixPath + (index == kMasterLeft ? "/master/left/" : "/master/right/");
  return mixPath + "/ch/" + std::to_string(index + 1) + "/";
}

std::vector<OscMessage> MixFeedback(std::uint16_t group, int index, int mix, double value) {
  const bool isMaster = index >= kMasterLeft;
  if (group == IDFADER || group == IDFADERTEXT) {
    if (index > kMasterLeft + 1) return {};
    return {FloatMessage(MixPath(mix, index) + "fader", GainToFraction(value, isMaster)),
            FloatMessage(MixPath(mix, index) + "db", GainToRemoteDb(value))};
  }
  if (isMaster) return {};
  if (group == IDPAN || group == IDPANTEXT)
    return {FloatMessage(MixPath(mix, index) + "pan", std::clamp(value, -1.0, 1.0))};
  if (group == IDSOLO) return {IntMessage(MixPath(mix, index) + "solo", value != 0)};
  if (group == IDMUTE) return {IntMessage(MixPath(mix, index) + "mute", value != 0)};
  return {};
}

}  // namespace

RemoteDispatch DispatchRemoteMessage(const OscMessage& message) {
  const std::string_view address = message.address;
  if (address.substr(0, sizeof kPrefix - 1) != kPrefix) return Refusal("unknown address");
  const std::vector<std::string_view> at = Segments(address.substr(sizeof kPrefix - 1));
  if (at.size() == 1) return GlobalAddress(message, at[0]);
  if (at.size() == 5 && at[0] == "mix") return MixAddress(message, at);
  return Refusal("unknown address");
}

std::vector<OscMessage> RemoteFeedback(std::uint16_t id, int mix, double value) {
  if (!std::isfinite(value)) return {};
  if (id == IDMIXSELECT) {
    if (value < 0 || value >= kMixes) return {};
    return {IntMessage(kPrefix + std::string("output"), static_cast<int>(value) + 1)};
  }
  if (id == IDMIXERACTIVE) return {IntMessage(kPrefix + std::string("active"), value != 0)};
  if (mix < 0 || mix >= kMixes) return {};
  return MixFeedback(static_cast<std::uint16_t>(id & 0xFFF0), id & 0xF, mix, value);
}

std::vector<std::uint16_t> RemoteMixParameterIds() {
  std::vector<std::uint16_t> ids;
  for (int index = 0; index < kMasterLeft + 2; ++index) ids.push_back(static_cast<std::uint16_t>(IDFADER | index));
  for (std::uint16_t group : {IDPAN, IDSOLO, IDMUTE})
    for (int channel = 0; channel < kChannels; ++channel)
      ids.push_back(static_cast<std::uint16_t>(group | channel));
  return ids;
}

OscMessage MeterLevelMessage(int channel, double level) {
  return FloatMessage(kPrefix + std::string("meter/") + std::to_string(channel + 1), level);
}

OscMessage MeterOverMessage(int channel, bool over) {
  return IntMessage(kPrefix + std::string("meter/") + std::to_string(channel + 1) + "/over", over);
}

OscMessage OutputMeterMessage(int side, double level) {
  return FloatMessage(kPrefix + std::string(side == 0 ? "meter/out/left" : "meter/out/right"), level);
}

double FractionToGain(double fraction, bool isMaster) {
  if (!(fraction > 0)) return 0.0;  // NaN too
  if (fraction >= 1) return TopGainOf(isMaster);
  return PositionToGain((1.0 - fraction) * TravelOf(isMaster), isMaster);
}

double GainToFraction(double gain, bool isMaster) {
  if (!(gain > 0)) return 0.0;
  return 1.0 - GainToPosition(gain, isMaster) / TravelOf(isMaster);
}

double RemoteDbToGain(double db, bool isMaster) {
  if (!(db > kRemoteSilenceDb)) return 0.0;
  if (db >= GainToDb(TopGainOf(isMaster))) return TopGainOf(isMaster);
  return DbToGain(db);
}

double GainToRemoteDb(double gain) {
  if (!(gain > DbToGain(kRemoteSilenceDb))) return kRemoteSilenceDb;
  return GainToDb(gain);
}
