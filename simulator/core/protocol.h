// What the X-Tamber's driver and device exchange with their clients: request
// codes, record sizes, status codes and the AV/C vendor frames. Shared by the
// simulated driver (driver.cpp) and device (device.cpp).
#pragma once

#include <cstdint>

namespace simulator::core {

// The driver's device-interface class {73F85346-AF20-4235-B624-B69AE6792F5B}.
struct InterfaceClass {
  static constexpr std::uint32_t kData1 = 0x73F85346;
  static constexpr std::uint16_t kData2 = 0xAF20;
  static constexpr std::uint16_t kData3 = 0x4235;
  static constexpr std::uint8_t kData4[8] = {0xB6, 0x24, 0xB6, 0x9A, 0xE6, 0x79, 0x2F, 0x5B};
};

constexpr std::uint32_t kMaxDevices = 8;

// I/O-control requests: device type 0x8088, buffered, any access.
constexpr std::uint32_t kRequestVersion = 0x80882804;  // function 0xA01
constexpr std::uint32_t kRequestFcp = 0x80883004;      // function 0xC01

constexpr std::uint32_t kVersionReplySize = 12;
constexpr std::uint32_t kFcpFrameMax = 512;
constexpr std::uint32_t kFcpRequestSize = 8 + kFcpFrameMax;   // timeoutMs, length, frame
constexpr std::uint32_t kFcpResponseSize = 4 + kFcpFrameMax;  // length, frame

// Completion codes as the caller of DeviceIoControl sees them: the driver's
// own statuses pass through unchanged, the system's are Win32 error codes. A
// kernel host maps the few system ones back to the NTSTATUS it completes with.
constexpr std::uint32_t kStatusSuccess = 0;
constexpr std::uint32_t kWin32InvalidFunction = 1;   // STATUS_INVALID_DEVICE_REQUEST
constexpr std::uint32_t kWin32DeviceRemoved = 1617;  // STATUS_DEVICE_REMOVED
constexpr std::uint32_t kStatusInvalidParameter = 0xE0000300;
constexpr std::uint32_t kStatusByteCountMismatch = 0xE0000304;
constexpr std::uint32_t kStatusBufferSizeInvalid = 0xE0000305;
constexpr std::uint32_t kStatusOutputTooSmall = 0xE0000320;
constexpr std::uint32_t kStatusRequestTimeout = 0xE0008003;

// AV/C vendor-dependent frames: ctype, subunit, opcode, company ID (3 bytes),
// vendor command, payload.
constexpr std::uint32_t kAvcHeaderSize = 7;  // up to and including the vendor command
constexpr std::uint32_t kAvcPayload = 7;     // frame offset of the payload
constexpr std::uint8_t kCtypeControl = 0x00;
constexpr std::uint8_t kSubunitUnit = 0xFF;
constexpr std::uint8_t kOpcodeVendorDependent = 0x00;
constexpr std::uint8_t kCompanyId[3] = {0x00, 0x4E, 0x71};

constexpr std::uint8_t kResponseNotImplemented = 0x08;
constexpr std::uint8_t kResponseAccepted = 0x09;
constexpr std::uint8_t kResponseRejected = 0x0A;

constexpr std::uint8_t kCommandWriteParameter = 2;
constexpr std::uint8_t kCommandReadMeters = 4;
constexpr std::uint8_t kCommandLoadMix = 9;

constexpr std::uint32_t kWriteParameterLength = 9;  // header, parameter id, value
constexpr std::uint32_t kReadMetersLength = 43;     // header, 36 zero bytes
constexpr std::uint32_t kLoadMixLength = 76;        // header, 34 gains, mix index

constexpr std::uint8_t kParameterMixerEnable = 0xD0;
constexpr std::uint8_t kParameterOverResetLow = 0xD5;   // bit n: channel n
constexpr std::uint8_t kParameterOverResetHigh = 0xD6;  // bit n: channel 8 + n

constexpr std::uint32_t kMixCount = 4;
constexpr std::uint32_t kGainsPerMix = 34;  // 16 sources into left, 16 into right, two masters

// The 36 meter bytes of a read-meters response.
constexpr std::uint32_t kMeterDataSize = 36;
constexpr std::uint32_t kMeterInputLevels = 0;  // 8 bytes, inputs 1..8
constexpr std::uint32_t kMeterDawLevels = 8;    // 8 bytes, pair p at 8 + 2p and 9 + 2p
constexpr std::uint32_t kMeterInputOvers = 32;  // bit n: input n + 1
constexpr std::uint32_t kMeterDawOvers = 33;    // bit n: channel 8 + n

// The device meters sixteen channels: the eight inputs, then the eight DAW
// playback signals (four stereo pairs). Over flags use the same numbering.
constexpr std::uint32_t kInputChannels = 8;
constexpr std::uint32_t kDawChannels = 8;
constexpr std::uint32_t kMeteredChannels = kInputChannels + kDawChannels;

}  // namespace simulator::core
