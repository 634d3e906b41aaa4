#include "windows/accessibletext.h"

#include "velmora/velmora.h"

namespace {

constexpr int kChannels = 8;
constexpr int kLeftMaster = 8;
constexpr int kRightMaster = 9;

std::string Channel(int index) { return "Ch " + std::to_string(index + 1); }

// A mix outside 0..3 (never selected by the window) names the first pair.
int FirstOutput(int mix) { return 2 * (mix >= 0 && mix < 4 ? mix : 0) + 1; }

std::string OutputPair(int mix) {
  const int first = FirstOutput(mix);
  return "Output " + std::to_string(first) + " & " + std::to_string(first + 1);
}

std::string MasterName(int side, int mix) {
  return OutputPair(mix) + (side == kLeftMaster ? " master left" : " master right");
}

// Channel meters and their read-outs, then the two of the selected pair.
std::string LevelName(int index, int mix) {
  if (index < kChannels) return Channel(index) + " level";
  return "Output " + std::to_string(FirstOutput(mix) + index - kLeftMaster) + " level";
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string AccessibleControlName(std::uint16_t id, int mix) {
  const int index = id & 0xF;
  const bool channel = index < kChannels;
  const bool side = index == kLeftMaster || index == kRightMaster;
  switch (id & 0xFFF0) {
    case IDFADER:
      return channel ? Channel(index) + " fader" : side ? MasterName(index, mix) : "";
    case IDFADERTEXT:
      return channel ? Channel(index) + " fader level"
             : side  ? MasterName(index, mix) + " level"
                     : "";
    case IDPAN:
      return channel ? Channel(index) + " pan" : "";
    case IDPANTEXT:
      return channel ? Channel(index) + " pan value" : "";
    case IDSOLO:
      return channel ? Channel(index) + " solo" : "";
    case IDMUTE:
      return channel ? Channel(index) + " mute" : "";
    case IDMETER:
      return channel || side ? LevelName(index, mix) : "";
    case IDMETERSTATUS:
      return channel || side ? LevelName(index, mix) + " read-out" : "";
    default:
      return "";
  }
}

std::string SpokenFaderText(const std::string& boxText) { return Trimmed(boxText) + " dB"; }

std::string SpokenPanText(const std::string& boxText) {
  const std::string text = Trimmed(boxText);
  if (text == "<0>") return "centre";
  if (text.size() > 1 && text.front() == '<') return text.substr(1) + " left";
  if (text.size() > 1 && text.back() == '>') return text.substr(0, text.size() - 1) + " right";
  return text;
}

std::string SpokenLevelText(const std::string& readOut) { return Trimmed(readOut) + " dB"; }
