#include "velmora/mixblock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/log.h"
#include "velmora/laws.h"
#include "velmora/mixwords.h"

namespace {

// A settings image begins with revision, device count, input and output count.
constexpr int kImageHeaderSize = 4;

// Where each part of a mix block begins.
constexpr int kMutesAt = 0;
constexpr int kSolosAt = 8;
constexpr int kFadersAt = 16;
constexpr int kPansAt = 32;
constexpr int kMastersAt = 48;

bool IsMix(int mix) {
  if (mix >= 0 && mix < kMixCount) return true;
  platform::Log("Mix block: there is no output pair %d.\n", mix);
  return false;
}

std::size_t BlockStart(int mix) { return kImageHeaderSize + kMixBlockSize * mix; }

// As the fader box shows it: silence below a gain of 0.001, else tenths of
// a dB. A fader set to 0 dB comes back from its word a hair below unity,
// which would read "-0.0 dB".
std::string FaderText(double gain) {
  if (!(gain > 0.001)) return "-inf dB";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f dB", GainToDb(gain));
  return std::string(text) == "-0.0 dB" ? "0.0 dB" : text;
}

// Whole 64ths of a side, truncated as the pan box shows them.
std::string PanText(double pan) {
  const long long steps = static_cast<long long>(std::abs(pan) * 64.0);
  if (steps == 0) return "centre";
  return std::to_string(steps) + (pan < 0.0 ? " left" : " right");
}

std::string OnOff(std::uint8_t flag) { return flag == 1 ? "on" : "off"; }

std::string ChannelLine(const MixBlock& block, int channel) {
  return "Ch " + std::to_string(channel + 1) + "\t" +
         FaderText(ReadFader(&block[kFadersAt + 2 * channel])) + "\t" +
         PanText(ReadPan(&block[kPansAt + 2 * channel])) + "\tsolo " +
         OnOff(block[kSolosAt + channel]) + "\tmute " + OnOff(block[kMutesAt + channel]) + "\r\n";
}

std::string FlagFault(const std::uint8_t* flags, const char* what) {
  for (int channel = 0; channel < kChannelCount; ++channel) {
    if (flags[channel] > 1) {
      return std::string("the ") + what + " byte of Ch " + std::to_string(channel + 1) + " is " +
             std::to_string(flags[channel]);
    }
  }
  return "";
}

}  // namespace

MixBlock MixBlockOf(const SettingsImage& image, int mix) {
  MixBlock block{};
  if (!IsMix(mix)) return block;
  std::copy_n(image.begin() + BlockStart(mix), kMixBlockSize, block.begin());
  return block;
}

void PutMixBlock(SettingsImage* image, int mix, const MixBlock& block) {
  if (image == nullptr || !IsMix(mix)) return;
  std::copy(block.begin(), block.end(), image->begin() + BlockStart(mix));
}

std::string MixBlockFault(const std::uint8_t* block) {
  const std::string mutes = FlagFault(block + kMutesAt, "mute");
  return mutes.empty() ? FlagFault(block + kSolosAt, "solo") : mutes;
}

bool ReadMixBlock(const void* data, std::size_t size, MixBlock* block) {
  if (data == nullptr || size != kMixBlockSize) {
    platform::Log("Mix block refused: %s bytes where a mix block has %d.\n",
                  std::to_string(data ? size : 0).c_str(), kMixBlockSize);
    return false;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  const std::string fault = MixBlockFault(bytes);
  if (!fault.empty()) {
    platform::Log("Mix block refused: %s.\n", fault.c_str());
    return false;
  }
  if (block != nullptr) std::copy_n(bytes, kMixBlockSize, block->begin());
  return true;
}

std::string MixBlockText(const MixBlock& block) {
  std::string text;
  for (int channel = 0; channel < kChannelCount; ++channel) text += ChannelLine(block, channel);
  text += "Master left\t" + FaderText(ReadMaster(&block[kMastersAt])) + "\r\n";
  text += "Master right\t" + FaderText(ReadMaster(&block[kMastersAt + 2])) + "\r\n";
  return text;
}
