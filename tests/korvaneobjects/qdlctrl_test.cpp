// The driver client against a scripted device seam: each step of opening and
// every request path, with answers no real driver gives on demand.
#include "korvaneobjects/qdlctrl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/errors.h"
#include "simulator/simulatedmachine.h"

using namespace korvane;

namespace {

const char kPath[] = "\\\\?\\root#test#0000#{73f85346-af20-4235-b624-b69ae6792f5b}";

class ScriptedDevices : public platform::DeviceApi {
 public:
  ScriptedDevices() { platform::InstallDeviceApi(this); }
  ~ScriptedDevices() override { platform::InstallDeviceApi(nullptr); }

  int interfaces = 1;
  std::uint32_t enumError = 0;         // instead of the interface
  std::uint32_t sizeQueryError = platform::kErrorInsufficientBuffer;
  std::uint32_t requiredSize = sizeof(std::uint32_t) + sizeof kPath;
  std::uint32_t detailError = 0;
  bool unterminatedPath = false;
  bool openFails = false;
  bool eventFails = false;
  std::uint8_t major = 2, minor = 10;
  std::uint32_t versionStatus = 0;
  bool pend = false;  // every request completes later, through WaitIoResult

  std::vector<std::uint32_t> codes;
  std::vector<platform::Overlapped*> overlappeds;
  int waits = 0, opens = 0, closes = 0, events = 0, closedEvents = 0;
  std::uint32_t detailSizeField = 0, devInfoSizeField = 0;

  platform::DeviceInfoSet GetClassDevs(const platform::Guid&) override { return this; }
  void DestroyDeviceList(platform::DeviceInfoSet) override {}
  std::uint32_t EnumInterface(platform::DeviceInfoSet, const platform::Guid&, std::uint32_t index,
                              platform::DeviceInterfaceData* data) override {
    if (data->size != sizeof(platform::DeviceInterfaceData)) return platform::kErrorInvalidUserBuffer;
    if (enumError) return enumError;
    return static_cast<int>(index) < interfaces ? 0 : platform::kErrorNoMoreItems;
  }
  std::uint32_t GetInterfaceDetail(platform::DeviceInfoSet, const platform::DeviceInterfaceData*,
                                   platform::DeviceInterfaceDetail* detail, std::uint32_t size,
                                   std::uint32_t* required,
                                   platform::DevInfoData* devInfo) override {
    if (detail == nullptr) {
      if (required) *required = requiredSize;
      return sizeQueryError;
    }
    detailSizeField = detail->size;
    devInfoSizeField = devInfo ? devInfo->size : 0;
    if (detailError) return detailError;
    const std::uint32_t room = size - sizeof(std::uint32_t);
    std::memcpy(detail->devicePath, kPath, std::min<std::uint32_t>(room, sizeof kPath));
    if (unterminatedPath) std::memset(detail->devicePath, 'x', room);
    return 0;
  }
  platform::DeviceHandle OpenPath(const char* path, bool overlapped, std::uint32_t*) override {
    EXPECT_TRUE(overlapped);
    openedPath = path;
    if (openFails) return nullptr;
    ++opens;
    return &handle;
  }
  void CloseDevice(platform::DeviceHandle) override { ++closes; }
  platform::EventHandle NewTransferEvent() override {
    if (eventFails) return nullptr;
    ++events;
    return &event;
  }
  void CloseTransferEvent(platform::EventHandle) override { ++closedEvents; }
  std::uint32_t IoControl(platform::DeviceHandle, std::uint32_t code, const void*, std::uint32_t,
                          void* out, std::uint32_t outSize, std::uint32_t* bytes,
                          platform::Overlapped* overlapped) override {
    codes.push_back(code);
    overlappeds.push_back(overlapped);
    if (code == kIoctlGetVersion) {
      if (versionStatus) return versionStatus;
      std::memset(out, 0, outSize);
      static_cast<DriverVersion*>(out)->interfaceMajor = major;
      static_cast<DriverVersion*>(out)->interfaceMinor = minor;
    }
    pendingBytes = outSize;
    if (pend) return platform::kErrorIoPending;
    if (bytes) *bytes = outSize;
    return 0;
  }
  std::uint32_t WaitIoResult(platform::DeviceHandle, platform::Overlapped*,
                             std::uint32_t* bytes) override {
    ++waits;
    if (bytes) *bytes = pendingBytes;
    return 0;
  }

  std::string openedPath;

 private:
  int handle = 0, event = 0;
  std::uint32_t pendingBytes = 0;
};

DriverStatus Open(CQdlCtrl& client, std::uint32_t index = 0) {
  return client.OpenDevice(index, CreateDeviceList(&DeviceInterfaceGuid), &DeviceInterfaceGuid);
}

TEST(CQdlCtrl, OpensTheInterfacePathAndKeepsItOpen) {
  ScriptedDevices devices;
  CQdlCtrl client;
  ASSERT_EQ(Open(client), kStatusSuccess);
  EXPECT_TRUE(client.IsOpen());
  EXPECT_EQ(devices.openedPath, kPath);
  EXPECT_STREQ(client.DevicePath(), kPath);
  EXPECT_EQ(devices.detailSizeField, sizeof(platform::DeviceInterfaceDetail));
  EXPECT_EQ(devices.devInfoSizeField, sizeof(platform::DevInfoData));
  EXPECT_EQ(devices.codes, std::vector<std::uint32_t>{kIoctlGetVersion});
  EXPECT_EQ(devices.events, 1);

  EXPECT_EQ(Open(client), kStatusRejected) << "an open client refuses a second open";
  EXPECT_TRUE(client.IsOpen());
}

TEST(CQdlCtrl, EachFailingStepOfOpeningHasItsStatus) {
  struct Case {
    const char* what;
    void (*script)(ScriptedDevices&);
    DriverStatus expected;
  };
  const Case cases[] = {
      {"end of the list", [](ScriptedDevices& d) { d.interfaces = 0; }, kStatusNoSuchInstance},
      {"enumeration error passes through", [](ScriptedDevices& d) { d.enumError = 1784; }, 1784},
      {"size query error passes through", [](ScriptedDevices& d) { d.sizeQueryError = 87; }, 87},
      {"a size too small for the fixed part",
       [](ScriptedDevices& d) { d.requiredSize = 2; }, platform::kErrorInsufficientBuffer},
      {"detail read error passes through", [](ScriptedDevices& d) { d.detailError = 13; }, 13},
      {"path that does not open", [](ScriptedDevices& d) { d.openFails = true; }, kStatusDeviceNotFound},
      {"no transfer event", [](ScriptedDevices& d) { d.eventFails = true; }, kStatusOutOfMemory},
      {"version request failing", [](ScriptedDevices& d) { d.versionStatus = 0xE0000305; }, 0xE0000305},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedDevices devices;
    c.script(devices);
    CQdlCtrl client;
    EXPECT_EQ(Open(client), c.expected);
    EXPECT_FALSE(client.IsOpen());
    EXPECT_EQ(devices.opens, devices.closes) << "whatever opened was closed again";
    EXPECT_EQ(devices.events, devices.closedEvents);
  }
}

TEST(CQdlCtrl, AnUnterminatedPathIsReadWithinItsBuffer) {
  ScriptedDevices devices;
  devices.unterminatedPath = true;
  CQdlCtrl client;
  ASSERT_EQ(Open(client), kStatusSuccess);
  EXPECT_EQ(devices.openedPath.size(), devices.requiredSize - sizeof(std::uint32_t) - 1);
}

TEST(CQdlCtrl, AcceptsInterfaceVersionTwoTenAndLater) {
  const struct {
    std::uint8_t major, minor;
    DriverStatus expected;
  } versions[] = {{2, 9, kStatusIncompatibleVersion}, {2, 10, kStatusSuccess},
                  {2, 11, kStatusSuccess},           {2, 255, kStatusSuccess},
                  {3, 0, kStatusIncompatibleVersion}, {3, 10, kStatusIncompatibleVersion},
                  {1, 10, kStatusIncompatibleVersion}, {2, 0, kStatusIncompatibleVersion}};
  for (const auto& v : versions) {
    SCOPED_TRACE(std::to_string(v.major) + "." + std::to_string(v.minor));
    ScriptedDevices devices;
    devices.major = v.major;
    devices.minor = v.minor;
    CQdlCtrl client;
    EXPECT_EQ(Open(client), v.expected);
    EXPECT_EQ(client.IsOpen(), v.expected == kStatusSuccess);
  }
}

TEST(CQdlCtrl, AFailedOpenLeavesTheClientReusable) {
  ScriptedDevices devices;
  devices.minor = 9;
  CQdlCtrl client;
  EXPECT_EQ(Open(client), kStatusIncompatibleVersion);
  devices.minor = 10;
  EXPECT_EQ(Open(client), kStatusSuccess);
}

TEST(CQdlCtrl, RequestsNeedAnOpenDevice) {
  ScriptedDevices devices;
  CQdlCtrl client;
  FcpRequest request{};
  FcpResponse response{};
  DriverVersion version{};
  std::uint32_t bytes = 0xDEADBEEF;
  EXPECT_EQ(client.SendFCPRequest(&request, &response), kStatusDeviceNotOpen);
  EXPECT_EQ(client.GetVersion(&version), kStatusDeviceNotOpen);
  EXPECT_EQ(client.IoControl(kIoctlGetVersion, nullptr, 0, &version, 12, &bytes),
            kStatusDeviceNotOpen);
  EXPECT_EQ(bytes, 0xDEADBEEFu) << "the byte count is not touched";
  EXPECT_TRUE(devices.codes.empty());

  ASSERT_EQ(Open(client), kStatusSuccess);
  client.CloseDevice();
  client.CloseDevice();  // safe twice
  EXPECT_EQ(client.SendFCPRequest(&request, &response), kStatusDeviceNotOpen);
}

TEST(CQdlCtrl, PendingRequestsAreAwaitedThroughTheSharedOverlapped) {
  ScriptedDevices devices;
  devices.pend = true;
  CQdlCtrl client;
  ASSERT_EQ(Open(client), kStatusSuccess);
  FcpRequest request{};
  FcpResponse response{};
  std::uint32_t bytes = 0;
  EXPECT_EQ(client.IoControl(kIoctlFcpTransaction, &request, sizeof request, &response,
                             sizeof response, &bytes),
            kStatusSuccess);
  EXPECT_EQ(bytes, sizeof(FcpResponse));
  EXPECT_EQ(devices.waits, 2) << "the version request and the transaction";
  ASSERT_EQ(devices.overlappeds.size(), 2u);
  EXPECT_NE(devices.overlappeds[0], nullptr);
  EXPECT_EQ(devices.overlappeds[0], devices.overlappeds[1]);
  EXPECT_NE(devices.overlappeds[0]->event, nullptr);
}

}  // namespace

// The same client against the simulated driver.
namespace {

TEST(CQdlCtrlOnTheSimulatedDriver, OpensEveryInterfaceByIndexUntilTheListEnds) {
  simulator::Options options;
  options.devices = 3;
  simulator::ScopedMachine sim(options);
  platform::DeviceInfoSet set = CreateDeviceList(&DeviceInterfaceGuid);
  ASSERT_NE(set, nullptr);
  CQdlCtrl clients[4];
  for (std::uint32_t i = 0; i < 3; ++i) {
    ASSERT_EQ(clients[i].OpenDevice(i, set, &DeviceInterfaceGuid), kStatusSuccess);
    EXPECT_EQ(clients[i].DevicePath(), simulator::SimulatedMachine::InterfacePath(i));
  }
  EXPECT_EQ(clients[3].OpenDevice(3, set, &DeviceInterfaceGuid), kStatusNoSuchInstance);
  EXPECT_EQ(clients[3].OpenDevice(0, nullptr, &DeviceInterfaceGuid), kStatusInvalidArgument);
  EXPECT_EQ(clients[3].OpenDevice(0, set, nullptr), kStatusInvalidArgument);
  DestroyDeviceList(set);
  DestroyDeviceList(nullptr);
}

TEST(CQdlCtrlOnTheSimulatedDriver, RefusesADriverOfAnotherInterfaceVersion) {
  simulator::ScopedMachine sim;
  sim->SetInterfaceVersion(2, 9);
  platform::DeviceInfoSet set = CreateDeviceList(&DeviceInterfaceGuid);
  CQdlCtrl client;
  EXPECT_EQ(client.OpenDevice(0, set, &DeviceInterfaceGuid), kStatusIncompatibleVersion);
  EXPECT_FALSE(client.IsOpen());
  sim->SetInterfaceVersion(2, 10);
  EXPECT_EQ(client.OpenDevice(0, set, &DeviceInterfaceGuid), kStatusSuccess);
  DestroyDeviceList(set);
}

TEST(CQdlCtrlOnTheSimulatedDriver, TwoThreadsTransactStrictlyOneAtATime) {
  simulator::ScopedMachine sim;
  sim->SetReplyDelayMs(30);
  platform::DeviceInfoSet set = CreateDeviceList(&DeviceInterfaceGuid);
  CQdlCtrl client;
  ASSERT_EQ(client.OpenDevice(0, set, &DeviceInterfaceGuid), kStatusSuccess);
  sim->ClearFrames();

  auto transact = [&](std::uint8_t value) {
    FcpRequest request{};
    FcpResponse response{};
    const std::uint8_t frame[] = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, value};
    std::memcpy(request.frame, frame, sizeof frame);
    request.length = sizeof frame;
    request.timeoutMs = 2000;
    EXPECT_EQ(client.SendFCPRequest(&request, &response), kStatusSuccess);
    EXPECT_EQ(response.length, sizeof frame);
    EXPECT_EQ(response.frame[8], value) << "each thread got its own answer";
  };
  std::thread first(transact, 0xFF);
  std::thread second(transact, 0x00);
  first.join();
  second.join();

  const auto frames = sim->Frames(0);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_GE(frames[1].timeUs - frames[0].timeUs, 29000u)
      << "the second request reached the driver only after the first completed";
  DestroyDeviceList(set);
}

}  // namespace
