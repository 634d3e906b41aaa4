#include "simulator/core/faults.h"

#include "simulator/core/driver.h"

namespace simulator::core {

void MachineSetFault(Machine* machine, std::uint32_t kind, std::uint32_t a, std::uint32_t b) {
  DriverConfig& driver = machine->driver;
  ControlFaults& control = machine->control.faults;
  const std::uint32_t unit = a >> 8 & 0xFF;
  const std::uint32_t index = a & 0xFF;
  // A table: one fault a line where it fits.
  // clang-format off
  switch (kind) {
    case kFaultVersion:
      driver.interfaceMajor = static_cast<std::uint8_t>(a);
      driver.interfaceMinor = static_cast<std::uint8_t>(b);
      break;
    case kFaultFcpStatus: driver.fcpStatus = a; break;
    case kFaultReplyDelayMs: driver.replyDelayMs = a; break;
    case kFaultReplyLength: driver.replyFaults.lengthField = a; break;
    case kFaultTruncate:
      driver.replyFaults.truncate = a != 0;
      driver.replyFaults.truncateTo = b;
      break;
    case kFaultByteCount: driver.replyFaults.byteCount = a; break;
    case kFaultControlAbsent: control.absent = a != 0; break;
    case kFaultWdmInUse: control.wdmInUse = a != 0; break;
    case kFaultRequestFailure:
      control.failCode = a;
      control.failStatus = b;
      break;
    case kFaultOversizeCounts: control.oversizeCounts = a != 0; break;
    case kFaultUnterminatedNames: control.unterminatedNames = a != 0; break;
    case kFaultChannelIdZero: control.channelIdZero = a != 0; break;
    case kFaultPlug:
      if (unit < kMaxDevices && index < kPlugCount) machine->control.units[unit].plugFault[index] = b;
      break;
    case kFaultFixedLevel:
      if (unit < kMaxDevices && index < kMeteredChannels) {
        const auto level = static_cast<std::int32_t>(b);
        machine->devices[unit].fixedLevel[index] =
            static_cast<std::int16_t>(level < 0 ? -1 : level > 255 ? 255 : level);
      }
      break;
    default: break;
  }
  // clang-format on
}

}  // namespace simulator::core
