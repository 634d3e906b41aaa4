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

// The control device's requests, functions 0xA04 .. 0xAB2.
constexpr std::uint32_t kRequestGetAsioNameMode = 0x80882810;
constexpr std::uint32_t kRequestSetAsioNameMode = 0x80882814;
constexpr std::uint32_t kRequestRegisterNotifyEvent = 0x80882820;
constexpr std::uint32_t kRequestGetNotification = 0x80882828;
constexpr std::uint32_t kRequestGetDeviceList = 0x80882860;
constexpr std::uint32_t kRequestGetChannelList = 0x80882864;
constexpr std::uint32_t kRequestGetClockMaster = 0x80882880;
constexpr std::uint32_t kRequestSetClockMaster = 0x80882884;
constexpr std::uint32_t kRequestGetRateMode = 0x80882888;
constexpr std::uint32_t kRequestSetRateMode = 0x8088288C;
constexpr std::uint32_t kRequestGetRateInfo = 0x808828C0;
constexpr std::uint32_t kRequestSetSampleRate = 0x808828C4;
constexpr std::uint32_t kRequestGetSyncInfo = 0x80882900;
constexpr std::uint32_t kRequestSetSyncSource = 0x80882904;
constexpr std::uint32_t kRequestGetDeviceInfo = 0x80882920;
constexpr std::uint32_t kRequestSetDeviceInfo = 0x80882924;
constexpr std::uint32_t kRequestGetDeviceStreams = 0x80882928;
constexpr std::uint32_t kRequestGetChannelInfo = 0x80882980;
constexpr std::uint32_t kRequestSetChannelInfo = 0x80882984;
constexpr std::uint32_t kRequestStartStreaming = 0x80882A00;
constexpr std::uint32_t kRequestStopStreaming = 0x80882A04;
constexpr std::uint32_t kRequestGetStreamBuffer = 0x80882A80;
constexpr std::uint32_t kRequestSetStreamBuffer = 0x80882A84;
constexpr std::uint32_t kRequestGetAsioBuffer = 0x80882A88;
constexpr std::uint32_t kRequestSetAsioBuffer = 0x80882A8C;
constexpr std::uint32_t kRequestGetWdmBuffer = 0x80882A90;
constexpr std::uint32_t kRequestSetWdmBuffer = 0x80882A94;
constexpr std::uint32_t kRequestGetAsioStatistics = 0x80882AC8;

// The control device's record sizes.
constexpr std::uint32_t kDeviceListSize = 260;     // count, 64 identifiers
constexpr std::uint32_t kChannelListSize = 2056;   // count, 256 inputs, count, 256 outputs
constexpr std::uint32_t kDeviceInfoSize = 432;     // id, rank, name (40), serial number
constexpr std::uint32_t kChannelInfoSize = 92;     // id, device, direction, two names (40)
constexpr std::uint32_t kSyncSourceSize = 48;      // type, source id, name (40)
constexpr std::uint32_t kSyncInfoSize = 824;       // device, current source, count, 16 sources
constexpr std::uint32_t kClockMasterSize = 12;     // reserved, kind, device
constexpr std::uint32_t kRateInfoSize = 44;        // reserved, current, count, 8 rates
constexpr std::uint32_t kBufferSettingSize = 16;   // four words
constexpr std::uint32_t kPlugStatusSize = 52;      // state, error, stream, rate, count, 8 rates
constexpr std::uint32_t kDeviceStreamsSize = 212;  // a word, four plugs
constexpr std::uint32_t kAsioStatisticsSize = 60;  // fifteen words
constexpr std::uint32_t kNotificationSize = 12;    // kind, two words
constexpr std::uint32_t kListedDevicesMax = 64;
constexpr std::uint32_t kListedChannelsMax = 256;
constexpr std::uint32_t kSyncModesMax = 16;
constexpr std::uint32_t kRatesMax = 8;

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
constexpr std::uint32_t kWin32NoMoreItems = 259;  // STATUS_NO_MORE_ENTRIES
constexpr std::uint32_t kStatusFailed = 0xE0000001;
constexpr std::uint32_t kStatusWdmDeviceInUse = 0xE0000047;
constexpr std::uint32_t kStatusStartStreamingFailed = 0xE0000076;
constexpr std::uint32_t kStatusRateNotSupported = 0xE0000080;
constexpr std::uint32_t kStatusNoSuchInstance = 0xE0008010;

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
