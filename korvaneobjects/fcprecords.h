// The records that the bus-access driver exchanges with the mixer. Byte-exact
// in every build: the driver reads and writes them as they are.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/deviceio.h"

// In the engine's namespace: the control panel has a DriverVersion of another
// layout, so a program or test that links both cannot mix them up.
namespace korvane {

// The driver's device-interface class.
extern const platform::Guid DeviceInterfaceGuid;

constexpr std::uint32_t kIoctlGetVersion = 0x80882804;      // device type 0x8088, function 0xA01
constexpr std::uint32_t kIoctlFcpTransaction = 0x80883004;  // device type 0x8088, function 0xC01

// The reply of the version request.
struct DriverVersion {
  std::uint8_t interfaceMajor;  // must be 2
  std::uint8_t interfaceMinor;  // must be 10 or more
  std::uint8_t driverMajor;
  std::uint8_t driverMinor;
  std::uint32_t driverBuild;
  std::uint32_t reserved;
};
static_assert(sizeof(DriverVersion) == 12);

constexpr std::size_t kFcpFrameSize = 512;

// Input of the FCP transaction: one command frame for the device.
struct FcpRequest {
  std::uint32_t timeoutMs;  // how long the driver waits for the device's response
  std::uint32_t length;     // valid bytes in frame
  std::uint8_t frame[kFcpFrameSize];
};
static_assert(sizeof(FcpRequest) == 520);
static_assert(offsetof(FcpRequest, frame) == 8);

// Output of the FCP transaction: the device's response frame.
struct FcpResponse {
  std::uint32_t length;
  std::uint8_t frame[kFcpFrameSize];
};
static_assert(sizeof(FcpResponse) == 516);
static_assert(offsetof(FcpResponse, frame) == 4);

}  // namespace korvane
