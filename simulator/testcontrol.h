// The simulator's own test-control device: how tests and the run command set
// up the simulated machine hosted in the kernel-mode driver, and read back
// what its units received. Its name and codes are the simulator's, never the
// product's; the programs under test know nothing of it.
//
// Records are byte-exact (little-endian, no padding) in every build.
#pragma once

#include <cstdint>

#include "simulator/core/faults.h"

namespace simulator::testcontrol {

// Opened as "\\.\XTamberSimulator".
inline constexpr char kDevicePath[] = "\\\\.\\XTamberSimulator";

// Device type 0x8A7E, functions 0x900.., buffered, any access.
constexpr std::uint32_t Code(std::uint32_t function) { return 0x8A7E0000u | (function << 2); }
constexpr std::uint32_t kReset = Code(0x900);           // in Reset
constexpr std::uint32_t kSetDeviceCount = Code(0x901);  // in word
constexpr std::uint32_t kSetFault = Code(0x902);        // in Fault
constexpr std::uint32_t kGetFrames = Code(0x903);       // in word (first), out FramesReply + frames
constexpr std::uint32_t kGetState = Code(0x904);        // in word (unit), out UnitState
constexpr std::uint32_t kGetRequests =
    Code(0x905);                                   // in word (first), out RequestsReply + requests
constexpr std::uint32_t kClearLogs = Code(0x906);  // no buffers
// Answered by the kernel driver only: out word, a bit per unit whose device
// node has started (all eight once the driver is fully up).
constexpr std::uint32_t kGetStartedNodes = Code(0x907);
// in word: 0 takes the driver's control device away, as its driver unloading
// would (its handles die, its units leave), 1 brings it back with fresh units.
constexpr std::uint32_t kSetControlPresent = Code(0x908);

// A fresh machine: the driver as loaded, `devices` units plugged in.
struct Reset {
  std::uint64_t seed;
  std::uint32_t devices;
  std::uint32_t reserved;
};
static_assert(sizeof(Reset) == 16);

// Fault kinds and their words: see simulator/core/faults.h.
using FaultKind = core::FaultKind;
using enum core::FaultKind;

struct Fault {
  std::uint32_t kind;
  std::uint32_t a;
  std::uint32_t b;
};
static_assert(sizeof(Fault) == 12);

// The driver keeps the last kFrameLog frames and kRequestLog requests.
constexpr std::uint32_t kFrameLog = 512;
constexpr std::uint32_t kRequestLog = 2048;

struct FrameEntry {
  std::uint64_t timeUs;
  std::uint32_t unit;
  std::uint32_t timeoutMs;
  std::uint32_t status;
  std::uint32_t length;
  std::uint8_t frame[512];
};
static_assert(sizeof(FrameEntry) == 536);

// `total` counts every frame since the last reset or clear; entries from
// `first` on follow as far as the output buffer and the log reach.
struct FramesReply {
  std::uint32_t total;
  std::uint32_t count;
};
static_assert(sizeof(FramesReply) == 8);

struct RequestEntry {
  std::uint64_t timeUs;
  std::uint32_t code;
  std::uint32_t inSize;
  std::uint32_t outSize;
  std::int32_t unit;  // -1: the control device
  std::uint32_t status;
  std::uint32_t reserved;
};
static_assert(sizeof(RequestEntry) == 32);

struct RequestsReply {
  std::uint32_t total;
  std::uint32_t count;
};
static_assert(sizeof(RequestsReply) == 8);

struct UnitState {
  std::uint32_t present;
  std::uint32_t mixerEnabled;
  std::uint16_t mixes[4][34];
  std::uint16_t overs;
  std::uint16_t reserved;
};
static_assert(sizeof(UnitState) == 284);

}  // namespace simulator::testcontrol
