// The records the audio driver's control device exchanges with the control
// panel, and the codes of its requests. Byte-exact in every build: the driver
// reads and writes them as they are. Fields the panel does not interpret keep
// whatever the driver put there, so a record read and written back is intact.
#pragma once

#include <cstddef>
#include <cstdint>

// The panel's own names: the mixer's engine has a DriverStatus and a
// DriverVersion of another layout, so a program or test that links both
// cannot mix them up.
namespace qdl {

// The result of every driver operation: 0 for success, a 0xE000xxxx code of
// the driver, or a Windows system error code passed through.
using DriverStatus = std::uint32_t;

constexpr DriverStatus kDriverFailed = 0xE0000001;   // also: the wait thread did not end
constexpr DriverStatus kDriverNotOpen = 0xE0000013;  // a request on a closed instance
// The interface version is not 2.10 or a later 2.x.
constexpr DriverStatus kDriverIncompatibleVersion = 0xE0000014;
constexpr DriverStatus kDriverWdmDeviceInUse = 0xE0000047;  // the rate cannot change now

struct DriverVersion {
  std::uint8_t interfaceMajor;  // must be 2
  std::uint8_t interfaceMinor;  // must be 10 or more
  std::uint8_t unused[10];
};
static_assert(sizeof(DriverVersion) == 12);

}  // namespace qdl

// The control device, opened as "\\.\" followed by this identifier.
constexpr char kDriverInterfaceId[] = "{73F85346-AF20-4235-B624-B69AE6792F5B}";

// Request codes: device type 0x8088, buffered transfer, any access.
namespace DriverRequest {
constexpr std::uint32_t kGetDriverVersion = 0x80882804;
constexpr std::uint32_t kGetAsioNameMode = 0x80882810;
constexpr std::uint32_t kSetAsioNameMode = 0x80882814;
constexpr std::uint32_t kRegisterNotifyEvent = 0x80882820;
constexpr std::uint32_t kGetNotification = 0x80882828;
constexpr std::uint32_t kGetDeviceList = 0x80882860;
constexpr std::uint32_t kGetChannelList = 0x80882864;
constexpr std::uint32_t kGetClockMaster = 0x80882880;
constexpr std::uint32_t kSetClockMaster = 0x80882884;
constexpr std::uint32_t kGetRateMode = 0x80882888;
constexpr std::uint32_t kSetRateMode = 0x8088288C;
constexpr std::uint32_t kGetRateInfo = 0x808828C0;
constexpr std::uint32_t kSetSampleRate = 0x808828C4;
constexpr std::uint32_t kGetSyncInfo = 0x80882900;
constexpr std::uint32_t kSetSyncSource = 0x80882904;
constexpr std::uint32_t kGetDeviceInfo = 0x80882920;
constexpr std::uint32_t kSetDeviceInfo = 0x80882924;
constexpr std::uint32_t kGetDeviceStreams = 0x80882928;
constexpr std::uint32_t kGetChannelInfo = 0x80882980;
constexpr std::uint32_t kSetChannelInfo = 0x80882984;
constexpr std::uint32_t kStartStreaming = 0x80882A00;
constexpr std::uint32_t kStopStreaming = 0x80882A04;
constexpr std::uint32_t kGetStreamBuffer = 0x80882A80;
constexpr std::uint32_t kSetStreamBuffer = 0x80882A84;
constexpr std::uint32_t kGetAsioBuffer = 0x80882A88;
constexpr std::uint32_t kSetAsioBuffer = 0x80882A8C;
constexpr std::uint32_t kGetWdmBuffer = 0x80882A90;
constexpr std::uint32_t kSetWdmBuffer = 0x80882A94;
constexpr std::uint32_t kGetAsioStatistics = 0x80882AC8;
}  // namespace DriverRequest

// Names are 8-bit text ending in a zero byte inside the field: at most 39
// characters. A driver that leaves no zero byte is read within the field only.
constexpr std::size_t kNameField = 40;
constexpr std::size_t kNameMaxChars = kNameField - 1;

// Capacities of the lists inside the records.
constexpr std::uint32_t kMaxListedDevices = 64;
constexpr std::uint32_t kMaxListedChannels = 256;  // per direction
constexpr std::uint32_t kMaxSyncModes = 16;
constexpr std::uint32_t kMaxRates = 8;

struct DeviceList {
  std::uint32_t count;
  std::uint32_t deviceIds[kMaxListedDevices];
};
static_assert(sizeof(DeviceList) == 260);

struct ChannelList {
  std::uint32_t inputCount;
  std::uint32_t inputIds[kMaxListedChannels];
  std::uint32_t outputCount;
  std::uint32_t outputIds[kMaxListedChannels];
};
static_assert(sizeof(ChannelList) == 2056);
static_assert(offsetof(ChannelList, outputCount) == 1028);
static_assert(offsetof(ChannelList, outputIds) == 1032);

struct DeviceInfo {
  std::uint32_t deviceId;
  std::uint32_t rank;  // position in the ranking, 0 first
  char name[kNameField];
  char serialNumber[384];  // zero-terminated
};
static_assert(sizeof(DeviceInfo) == 432);
static_assert(offsetof(DeviceInfo, name) == 8);
static_assert(offsetof(DeviceInfo, serialNumber) == 48);

struct ChannelInfo {
  std::uint32_t channelId;
  std::uint32_t deviceId;
  std::uint32_t direction;  // 0 input, otherwise output
  char hardwareName[kNameField];
  char channelName[kNameField];
};
static_assert(sizeof(ChannelInfo) == 92);
static_assert(offsetof(ChannelInfo, hardwareName) == 12);
static_assert(offsetof(ChannelInfo, channelName) == 52);

// Source types: 0 unspecified, 1 CSP, 2 and 3 SYT, 4 digital input, 5 external clock.
struct SyncSource {
  std::uint32_t type;
  std::uint32_t sourceId;
  char name[kNameField];  // may be empty
};
static_assert(sizeof(SyncSource) == 48);

struct SyncInfo {
  std::uint32_t deviceId;
  SyncSource current;
  std::uint32_t modeCount;
  SyncSource modes[kMaxSyncModes];  // the selectable modes
};
static_assert(sizeof(SyncInfo) == 824);
static_assert(offsetof(SyncInfo, current) == 4);
static_assert(offsetof(SyncInfo, modeCount) == 52);
static_assert(offsetof(SyncInfo, modes) == 56);

constexpr std::uint32_t kClockMasterPc = 0;      // the PC driver is clock master
constexpr std::uint32_t kClockMasterDevice = 1;  // a device is, named by deviceId

struct ClockMaster {
  std::uint32_t reserved;  // passed back as read
  std::uint32_t kind;
  std::uint32_t deviceId;  // 0 unless kind is kClockMasterDevice
};
static_assert(sizeof(ClockMaster) == 12);

struct RateInfo {
  std::uint32_t reserved;
  std::uint32_t currentRate;  // Hz
  std::uint32_t rateCount;
  std::uint32_t rates[kMaxRates];  // Hz
};
static_assert(sizeof(RateInfo) == 44);

// The stream buffer uses all four words (microseconds). The ASIO and WDM
// buffers use word 0 (depth, microseconds) and word 2 (sample granularity,
// 0 = none); words 1 and 3 go back to the driver as read.
struct BufferSetting {
  std::uint32_t words[4];
};
static_assert(sizeof(BufferSetting) == 16);

namespace StreamBuffer {
constexpr int kMinimum = 0, kMaximum = 1, kStep = 2, kDepth = 3;
}
namespace DeviceBuffer {
constexpr int kDepth = 0, kGranularity = 2;
}

constexpr std::uint32_t kPlugConnected = 3;
constexpr std::uint32_t kPlugConnectFailed = 4;

struct PlugStatus {
  std::uint32_t state;  // kPlugConnected, kPlugConnectFailed, anything else: not connected
  std::uint32_t error;  // the driver's code of a failed connect
  std::uint32_t streamNumber;
  std::uint32_t currentRate;  // Hz
  std::uint32_t rateCount;
  std::uint32_t rates[kMaxRates];  // Hz
};
static_assert(sizeof(PlugStatus) == 52);

// The four plugs of a device: audio out, audio in, synch out, synch in.
constexpr int kPlugCount = 4;

struct DeviceStreams {
  std::uint32_t unused;
  PlugStatus plugs[kPlugCount];
};
static_assert(sizeof(DeviceStreams) == 212);
static_assert(offsetof(DeviceStreams, plugs) == 4);

struct AsioStatistics {
  std::uint32_t words[15];
};
static_assert(sizeof(AsioStatistics) == 60);
constexpr int kAsioDropOuts = 13;  // the word counting detected drop-outs

struct DriverNotification {
  std::uint32_t kind;  // 2 and 3: the configuration changed
  std::uint32_t unused[2];
};
static_assert(sizeof(DriverNotification) == 12);

// Input of GetRateMode's reply and SetRateMode / SetSampleRate: word 0 is 0.
struct DriverValuePair {
  std::uint32_t zero;
  std::uint32_t value;
};
static_assert(sizeof(DriverValuePair) == 8);

struct SyncSourceSelection {
  std::uint32_t deviceId;
  std::uint32_t type;
  std::uint32_t sourceId;
};
static_assert(sizeof(SyncSourceSelection) == 12);
