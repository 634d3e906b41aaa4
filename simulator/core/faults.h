// The faults a test can give the simulated machine, one setting at a time:
// the in-process machine, the kernel-mode driver's test-control device and the
// options of KORVANE_SIMULATOR all set them through here.
#pragma once

#include <cstdint>

namespace simulator::core {

struct Machine;

enum FaultKind : std::uint32_t {
  kFaultVersion = 1,        // a = major, b = minor
  kFaultFcpStatus,          // a = status (0 none)
  kFaultReplyDelayMs,       // a = milliseconds
  kFaultReplyLength,        // a = length field (0 honest)
  kFaultTruncate,           // a = on, b = frame bytes
  kFaultByteCount,          // a = bytes (0 honest)
  kFaultControlAbsent,      // a = on
  kFaultWdmInUse,           // a = on
  kFaultRequestFailure,     // a = request code (0 none), b = status
  kFaultOversizeCounts,     // a = on
  kFaultUnterminatedNames,  // a = on
  kFaultPlug,               // a = unit << 8 | plug, b = error (0 none)
  kFaultFixedLevel,         // a = unit << 8 | channel, b = level (negative: music, 255 clips)
  kFaultChannelIdZero,      // a = on: channel records come back with channelId 0
};

// Sets one fault; an unknown kind, unit, plug or channel changes nothing.
void MachineSetFault(Machine* machine, std::uint32_t kind, std::uint32_t a, std::uint32_t b);

}  // namespace simulator::core
