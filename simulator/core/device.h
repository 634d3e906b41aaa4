// One simulated X-Tamber: the state its firmware keeps and its answers to
// AV/C vendor-dependent command frames.
#pragma once

#include <cstdint>

#include "simulator/core/protocol.h"

namespace simulator::core {

struct Device {
  bool present;
  std::uint32_t generation;  // counts power-ups: a handle opened before the last one is stale
  std::uint64_t signalKey;   // which music this unit plays (see signals.h)
  std::uint64_t songUs;      // where in its music the unit was when it was plugged in

  bool mixerEnabled;
  std::uint16_t mixes[kMixCount][kGainsPerMix];  // as last loaded, 0x7FFF = unity

  // Over flags latch until reset: a channel's flag clears when its bit in
  // 0xD5 (channels 0..7) or 0xD6 (8..15) goes from 1 to 0 between two writes.
  std::uint16_t overs;
  std::uint8_t overResetWritten[2];
  std::uint64_t clipsCheckedUs;  // clips up to here have been latched
  std::uint64_t meteredUs;       // the last meter read, where the next one's peak window starts
  bool metered;

  // Tests pin a channel to a constant level (255 clips); -1 plays the music.
  std::int16_t fixedLevel[kMeteredChannels];
};

// A unit that is plugged in: mixer off, silent mixes, no overs.
void DevicePowerUp(Device* device, std::uint64_t signalKey, std::uint64_t nowUs);
void DevicePowerDown(Device* device);

// Answers one command frame of `length` bytes (1..512) into `response` (room
// for 512 bytes) and returns the response's length.
std::uint32_t DeviceAnswer(Device* device, const std::uint8_t* command, std::uint32_t length,
                           std::uint8_t* response, std::uint64_t nowUs);

// The latched over flags at `nowUs`, bit n = channel n.
std::uint16_t DeviceOvers(Device* device, std::uint64_t nowUs);

// The 36 bytes of meter data a read at `nowUs` returns.
void DeviceReadMeters(Device* device, std::uint64_t nowUs, std::uint8_t* meters);

}  // namespace simulator::core
