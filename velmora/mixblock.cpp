#include "velmora/mixblock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/log.h"
#include "velmora/laws.h"
#include "velmora/mixwords.h"
#include "velmora/velmora.h"

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

namespace {

// Where parameter `id`'s byte or word lies in a block, and of which kind;
// -1 for an id a block does not hold.
enum class Field { kFader, kMaster, kPan, kFlag };

int FieldOffset(std::uint16_t id, Field* field) {
  const int index = id & 0xF;
  switch (id & 0xFFF0) {
    case IDFADER:
    case IDFADERTEXT:
      if (index < kChannelCount) return *field = Field::kFader, kFadersAt + 2 * index;
      if (index < kChannelCount + 2) return *field = Field::kMaster, kMastersAt + 2 * (index - 8);
      return -1;
    case IDPAN:
    case IDPANTEXT:
      return index < kChannelCount ? (*field = Field::kPan, kPansAt + 2 * index) : -1;
    case IDSOLO:
      return index < kChannelCount ? (*field = Field::kFlag, kSolosAt + index) : -1;
    case IDMUTE:
      return index < kChannelCount ? (*field = Field::kFlag, kMutesAt + index) : -1;
    default:
      return -1;
  }
}

}  // namespace

bool BlockValue(const MixBlock& block, std::uint16_t id, double* value) {
  Field field{};
  const int at = FieldOffset(id, &field);
  if (at < 0 || value == nullptr) return false;
  const std::uint8_t* where = &block[static_cast<std::size_t>(at)];
  switch (field) {
    case Field::kFader:
      *value = ReadFader(where);
      break;
    case Field::kMaster:
      *value = ReadMaster(where);
      break;
    case Field::kPan:
      *value = ReadPan(where);
      break;
    case Field::kFlag:
      *value = *where == 1 ? 1.0 : 0.0;
      break;
  }
  return true;
}

bool PutBlockValue(MixBlock* block, std::uint16_t id, double value) {
  Field field{};
  const int at = FieldOffset(id, &field);
  if (at < 0 || block == nullptr) return false;
  std::uint8_t* where = &(*block)[static_cast<std::size_t>(at)];
  switch (field) {
    case Field::kFader:
      PutFader(where, value);
      break;
    case Field::kMaster:
      PutMaster(where, value);
      break;
    case Field::kPan:
      PutPan(where, value);
      break;
    case Field::kFlag:
      *where = value != 0.0 ? 1 : 0;
      break;
  }
  return true;
}

std::string MixBlockText(const MixBlock& block) {
  std::string text;
  for (int channel = 0; channel < kChannelCount; ++channel) text += ChannelLine(block, channel);
  text += "Master left\t" + FaderText(ReadMaster(&block[kMastersAt])) + "\r\n";
  text += "Master right\t" + FaderText(ReadMaster(&block[kMastersAt + 2])) + "\r\n";
  return text;
}
