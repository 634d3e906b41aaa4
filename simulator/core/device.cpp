#include "simulator/core/device.h"

#include "simulator/core/bytes.h"
#include "simulator/core/signals.h"

namespace simulator::core {
namespace {

// A meter that has not been read for a while shows the recent past only.
constexpr std::uint64_t kMeterWindowUs = 100000;

// A unit joins its music somewhere in the first minutes, so that the meters
// move from the first read on and no two units start alike.
constexpr std::uint64_t kSongStartSpanUs = 180'000'000;

std::uint64_t SongTime(const Device* device, std::uint64_t nowUs) { return device->songUs + nowUs; }

// Latches every clip up to `nowUs`.
void CatchUp(Device* device, std::uint64_t nowUs) {
  std::uint16_t synthetic = 0;
  std::uint16_t pinnedClipping = 0;
  for (std::uint32_t c = 0; c < kMeteredChannels; ++c) {
    if (device->fixedLevel[c] < 0)
      synthetic = static_cast<std::uint16_t>(synthetic | 1u << c);
    else if (device->fixedLevel[c] >= 255)
      pinnedClipping = static_cast<std::uint16_t>(pinnedClipping | 1u << c);
  }
  std::uint16_t clips = pinnedClipping;
  if (nowUs > device->clipsCheckedUs) {
    clips = static_cast<std::uint16_t>(
        clips | (SignalClips(device->signalKey, SongTime(device, device->clipsCheckedUs),
                             SongTime(device, nowUs)) &
                 synthetic));
    device->clipsCheckedUs = nowUs;
  }
  device->overs = static_cast<std::uint16_t>(device->overs | clips);
}

std::uint8_t WriteParameter(Device* device, std::uint8_t parameter, std::uint8_t value) {
  switch (parameter) {
    case kParameterMixerEnable:
      if (value != 0xFF && value != 0x00) return kResponseRejected;
      device->mixerEnabled = value == 0xFF;
      return kResponseAccepted;
    case kParameterOverResetLow:
    case kParameterOverResetHigh: {
      const std::uint32_t half = parameter == kParameterOverResetLow ? 0 : 1;
      const std::uint32_t released =
          device->overResetWritten[half] & ~static_cast<std::uint32_t>(value);
      device->overs = static_cast<std::uint16_t>(device->overs & ~(released << (8 * half)));
      device->overResetWritten[half] = value;
      return kResponseAccepted;
    }
    default:
      return kResponseRejected;
  }
}

std::uint8_t LoadMix(Device* device, const std::uint8_t* payload) {
  const std::uint8_t mix = payload[2 * kGainsPerMix];
  if (mix >= kMixCount) return kResponseRejected;
  for (std::uint32_t g = 0; g < kGainsPerMix; ++g)
    device->mixes[mix][g] = LoadBe16(payload + 2 * g);
  return kResponseAccepted;
}

}  // namespace

void DevicePowerUp(Device* device, std::uint64_t signalKey, std::uint64_t nowUs) {
  // Pinned levels belong to the test's signal sources, not to the unit.
  const std::uint32_t generation = device->generation + 1;
  std::int16_t pinned[kMeteredChannels];
  CopyBytes(pinned, device->fixedLevel, sizeof pinned);
  FillBytes(device, 0, sizeof *device);
  device->present = true;
  device->generation = generation;
  device->signalKey = signalKey;
  device->songUs = signalKey % kSongStartSpanUs;
  device->clipsCheckedUs = nowUs;
  CopyBytes(device->fixedLevel, pinned, sizeof pinned);
}

void DevicePowerDown(Device* device) { device->present = false; }

std::uint16_t DeviceOvers(Device* device, std::uint64_t nowUs) {
  CatchUp(device, nowUs);
  return device->overs;
}

void DeviceReadMeters(Device* device, std::uint64_t nowUs, std::uint8_t* meters) {
  CatchUp(device, nowUs);
  std::uint64_t fromUs = device->metered ? device->meteredUs : 0;
  if (!device->metered || nowUs - fromUs > kMeterWindowUs)
    fromUs = nowUs > kMeterWindowUs ? nowUs - kMeterWindowUs : 0;
  FillBytes(meters, 0, kMeterDataSize);
  for (std::uint32_t c = 0; c < kMeteredChannels; ++c) {
    const std::int16_t fixed = device->fixedLevel[c];
    meters[c] = fixed >= 0 ? static_cast<std::uint8_t>(fixed > 255 ? 255 : fixed)
                           : SignalPeak(device->signalKey, c, SongTime(device, fromUs),
                                        SongTime(device, nowUs));
  }
  meters[kMeterInputOvers] = static_cast<std::uint8_t>(device->overs);
  meters[kMeterDawOvers] = static_cast<std::uint8_t>(device->overs >> 8);
  device->meteredUs = nowUs;
  device->metered = true;
}

std::uint32_t DeviceAnswer(Device* device, const std::uint8_t* command, std::uint32_t length,
                           std::uint8_t* response, std::uint64_t nowUs) {
  // The response echoes the command; only its first byte and, for a meter
  // read, the payload differ.
  CopyBytes(response, command, length);
  if (length < kAvcHeaderSize) {
    response[0] = kResponseRejected;
    return length;
  }
  if (command[0] != kCtypeControl || command[1] != kSubunitUnit ||
      command[2] != kOpcodeVendorDependent) {
    response[0] = kResponseNotImplemented;
    return length;
  }
  if (command[3] != kCompanyId[0] || command[4] != kCompanyId[1] || command[5] != kCompanyId[2]) {
    response[0] = kResponseRejected;
    return length;
  }
  const std::uint8_t* payload = command + kAvcPayload;
  std::uint8_t code;
  switch (command[6]) {
    case kCommandWriteParameter:
      CatchUp(device, nowUs);  // a clip before a reset is cleared by it, not latched after it
      code = length == kWriteParameterLength ? WriteParameter(device, payload[0], payload[1])
                                             : kResponseRejected;
      break;
    case kCommandReadMeters:
      code = kResponseRejected;
      if (length == kReadMetersLength) {
        DeviceReadMeters(device, nowUs, response + kAvcPayload);
        code = kResponseAccepted;
      }
      break;
    case kCommandLoadMix:
      code = length == kLoadMixLength ? LoadMix(device, payload) : kResponseRejected;
      break;
    default:
      code = kResponseNotImplemented;
      break;
  }
  response[0] = code;
  return length;
}

}  // namespace simulator::core
