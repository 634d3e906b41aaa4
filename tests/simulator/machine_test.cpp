// The simulated machine behind the device seam: enumeration, opening,
// pending transfers, faults and concurrent callers, as a client sees them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/errors.h"
#include "simulator/simulatedmachine.h"

namespace {

using simulator::Options;
using simulator::ScopedMachine;
using simulator::SimulatedMachine;
using Bytes = std::vector<std::uint8_t>;

const platform::Guid kInterface = {
    0x73F85346, 0xAF20, 0x4235, {0xB6, 0x24, 0xB6, 0x9A, 0xE6, 0x79, 0x2F, 0x5B}};
const char kPath0[] = "\\\\?\\root#xtamber#0000#{73f85346-af20-4235-b624-b69ae6792f5b}";

constexpr std::uint32_t kVersion = 0x80882804;
constexpr std::uint32_t kFcp = 0x80883004;

Options Devices(std::uint32_t count) {
  Options options;
  options.devices = count;
  return options;
}

struct FcpRequest {
  std::uint32_t timeoutMs;
  std::uint32_t length;
  std::uint8_t frame[512];
};

struct FcpResponse {
  std::uint32_t length;
  std::uint8_t frame[512];
};

FcpRequest Request(const Bytes& frame, std::uint32_t timeoutMs = 2000) {
  FcpRequest request{};
  request.timeoutMs = timeoutMs;
  request.length = static_cast<std::uint32_t>(frame.size());
  std::memcpy(request.frame, frame.data(), frame.size());
  return request;
}

Bytes WriteParameter(std::uint8_t parameter, std::uint8_t value) {
  return {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, parameter, value};
}

Bytes MeterRead() {
  Bytes frame = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x04};
  frame.resize(43, 0);
  return frame;
}

Bytes LoadMix(std::uint8_t mix, std::uint16_t gain) {
  Bytes frame = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x09};
  for (int g = 0; g < 34; ++g) {
    frame.push_back(static_cast<std::uint8_t>(gain >> 8));
    frame.push_back(static_cast<std::uint8_t>(gain));
  }
  frame.push_back(mix);
  return frame;
}

// Opens unit `device` through the seam, as the mixer's client does.
platform::DeviceHandle Open(SimulatedMachine& machine, std::uint32_t device,
                            bool overlapped = true) {
  return machine.OpenPath(SimulatedMachine::InterfacePath(device).c_str(), overlapped, nullptr);
}

std::uint32_t Transact(SimulatedMachine& machine, platform::DeviceHandle handle, const Bytes& frame,
                       FcpResponse* response, std::uint32_t timeoutMs = 2000) {
  const FcpRequest request = Request(frame, timeoutMs);
  platform::Overlapped overlapped{};
  std::uint32_t bytes = 0;
  std::uint32_t status = machine.IoControl(handle, kFcp, &request, sizeof request, response,
                                           sizeof *response, &bytes, &overlapped);
  if (status == platform::kErrorIoPending)
    status = machine.WaitIoResult(handle, &overlapped, &bytes);
  return status;
}

TEST(SimulatedMachine, ListsOneInterfacePerUnitAsASnapshot) {
  SimulatedMachine machine(Devices(3));
  platform::DeviceInfoSet set = machine.GetClassDevs(kInterface);
  platform::DeviceInterfaceData data{};
  data.size = sizeof data;
  for (std::uint32_t i = 0; i < 3; ++i)
    EXPECT_EQ(machine.EnumInterface(set, kInterface, i, &data), 0u);
  EXPECT_EQ(data.flags, 1u);
  EXPECT_TRUE(data.interfaceClassGuid == kInterface);
  EXPECT_EQ(machine.EnumInterface(set, kInterface, 3, &data), platform::kErrorNoMoreItems);
  data.size = 28;
  EXPECT_EQ(machine.EnumInterface(set, kInterface, 0, &data), platform::kErrorInvalidUserBuffer);
  data.size = sizeof data;

  // Unit 2 is pulled: the old list still names it, but it no longer opens.
  machine.SetDeviceCount(2);
  EXPECT_EQ(machine.EnumInterface(set, kInterface, 2, &data), 0u);
  std::uint32_t error = 0;
  EXPECT_EQ(machine.OpenPath(SimulatedMachine::InterfacePath(2).c_str(), true, &error), nullptr);
  EXPECT_EQ(error, platform::kErrorFileNotFound);
  machine.DestroyDeviceList(set);

  set = machine.GetClassDevs(kInterface);
  EXPECT_EQ(machine.EnumInterface(set, kInterface, 2, &data), platform::kErrorNoMoreItems);
  machine.DestroyDeviceList(set);

  platform::Guid other = kInterface;
  other.data4[7] ^= 1;
  set = machine.GetClassDevs(other);
  EXPECT_EQ(machine.EnumInterface(set, other, 0, &data), platform::kErrorNoMoreItems);
  machine.DestroyDeviceList(set);

  machine.SetDeviceCount(0);
  set = machine.GetClassDevs(kInterface);
  EXPECT_EQ(machine.EnumInterface(set, kInterface, 0, &data), platform::kErrorNoMoreItems);
  machine.DestroyDeviceList(set);
}

TEST(SimulatedMachine, InterfaceDetailAsksForItsSizeFirst) {
  SimulatedMachine machine;
  platform::DeviceInfoSet set = machine.GetClassDevs(kInterface);
  platform::DeviceInterfaceData data{};
  data.size = sizeof data;
  ASSERT_EQ(machine.EnumInterface(set, kInterface, 0, &data), 0u);

  // The fixed part (4 bytes), the 60-character path and its zero.
  std::uint32_t required = 0;
  EXPECT_EQ(machine.GetInterfaceDetail(set, &data, nullptr, 0, &required, nullptr),
            platform::kErrorInsufficientBuffer);
  EXPECT_EQ(required, 65u);

  alignas(8) char buffer[80] = {};
  auto* detail = reinterpret_cast<platform::DeviceInterfaceDetail*>(buffer);
  detail->size = sizeof(platform::DeviceInterfaceDetail);
  platform::DevInfoData devInfo{};
  devInfo.size = sizeof devInfo;
  required = 0;
  EXPECT_EQ(machine.GetInterfaceDetail(set, &data, detail, 64, &required, &devInfo),
            platform::kErrorInsufficientBuffer);
  EXPECT_EQ(required, 65u);
  EXPECT_EQ(machine.GetInterfaceDetail(set, &data, detail, 65, nullptr, &devInfo), 0u);
  EXPECT_STREQ(detail->devicePath, kPath0);
  EXPECT_NE(devInfo.devInst, 0u);

  detail->size = 5;  // the 32-bit record's size
  EXPECT_EQ(machine.GetInterfaceDetail(set, &data, detail, 80, nullptr, nullptr),
            platform::kErrorInvalidUserBuffer);
  detail->size = sizeof(platform::DeviceInterfaceDetail);
  devInfo.size = 28;
  EXPECT_EQ(machine.GetInterfaceDetail(set, &data, detail, 80, nullptr, &devInfo),
            platform::kErrorInvalidUserBuffer);
  machine.DestroyDeviceList(set);
}

TEST(SimulatedMachine, OpensUnitsAndTheControlDeviceByPath) {
  SimulatedMachine machine(Devices(2));
  std::uint32_t error = 0;
  EXPECT_EQ(machine.OpenPath("\\\\?\\root#xtamber#0002#{73f85346-af20-4235-b624-b69ae6792f5b}",
                             true, &error),
            nullptr);
  EXPECT_EQ(error, platform::kErrorFileNotFound);

  Bytes version(12, 0);
  for (const char* path : {"\\\\.\\ROOT#XTAMBER#0001#{73F85346-AF20-4235-B624-B69AE6792F5B}",
                           "\\\\.\\{73f85346-af20-4235-b624-b69ae6792f5b}"}) {
    platform::DeviceHandle handle = machine.OpenPath(path, false, &error);
    ASSERT_NE(handle, nullptr) << path;
    EXPECT_EQ(machine.IoControl(handle, kVersion, nullptr, 0, version.data(), 12, nullptr, nullptr),
              0u);
    EXPECT_EQ(version[1], 10);
    machine.CloseDevice(handle);
    EXPECT_EQ(machine.IoControl(handle, kVersion, nullptr, 0, version.data(), 12, nullptr, nullptr),
              platform::kErrorInvalidHandle);
  }
  EXPECT_NE(machine.NewTransferEvent(), nullptr);
  machine.SetTransferEventFails(true);
  EXPECT_EQ(machine.NewTransferEvent(), nullptr);
}

TEST(SimulatedMachine, TheFcpTransactionPendsUntilTheUnitAnswers) {
  SimulatedMachine machine;
  machine.SetReplyDelayMs(20);
  platform::DeviceHandle handle = Open(machine, 0);
  platform::Overlapped overlapped{};
  std::uint32_t bytes = 0;
  // The version request completes at once even on an overlapped handle.
  Bytes version(12, 0);
  EXPECT_EQ(
      machine.IoControl(handle, kVersion, nullptr, 0, version.data(), 12, &bytes, &overlapped), 0u);
  EXPECT_EQ(bytes, 12u);

  const FcpRequest request = Request(WriteParameter(0xD0, 0xFF));
  FcpResponse response{};
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(machine.IoControl(handle, kFcp, &request, sizeof request, &response, sizeof response,
                              &bytes, &overlapped),
            platform::kErrorIoPending);
  EXPECT_EQ(response.length, 0u);  // nothing is handed back before completion
  EXPECT_NE(overlapped.internal, 0u);
  EXPECT_EQ(machine.WaitIoResult(handle, &overlapped, &bytes), 0u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
  EXPECT_EQ(bytes, 516u);
  EXPECT_EQ(response.length, 9u);
  EXPECT_EQ(Bytes(response.frame, response.frame + 9),
            (Bytes{0x09, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0xFF}));
  EXPECT_TRUE(machine.State(0).mixerEnabled);
  // Collected once; asking again gives the same result.
  EXPECT_EQ(machine.WaitIoResult(handle, &overlapped, &bytes), 0u);
  EXPECT_EQ(bytes, 516u);
  machine.CloseDevice(handle);
}

TEST(SimulatedMachine, TheDriverGivesUpAfterTheCallersTimeOut) {
  SimulatedMachine machine;
  machine.SetReplyDelayMs(50);
  platform::DeviceHandle overlappedHandle = Open(machine, 0);
  FcpResponse response{};
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Transact(machine, overlappedHandle, MeterRead(), &response, 20), 0xE0008003u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
  EXPECT_EQ(response.length, 0u);

  // Without an OVERLAPPED the call itself waits.
  platform::DeviceHandle syncHandle = Open(machine, 0, false);
  const FcpRequest request = Request(MeterRead(), 20);
  std::uint32_t bytes = 99;
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(machine.IoControl(syncHandle, kFcp, &request, sizeof request, &response,
                              sizeof response, &bytes, nullptr),
            0xE0008003u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
  EXPECT_EQ(bytes, 0u);

  const auto frames = machine.Frames(0);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].timeoutMs, 20u);
  EXPECT_EQ(frames[0].status, 0xE0008003u);
  EXPECT_EQ(frames[0].frame, MeterRead());
  EXPECT_LE(frames[0].timeUs, frames[1].timeUs);
}

TEST(SimulatedMachine, FaultsAndBadBuffersNeverWritePastTheCaller) {
  SimulatedMachine machine;
  platform::DeviceHandle handle = Open(machine, 0);
  machine.SetReplyByteCount(4096);
  Bytes guarded(sizeof(FcpResponse) + 64, 0xAB);
  const FcpRequest request = Request(MeterRead());
  platform::Overlapped overlapped{};
  std::uint32_t bytes = 0;
  EXPECT_EQ(machine.IoControl(handle, kFcp, &request, sizeof request, guarded.data(),
                              sizeof(FcpResponse), &bytes, &overlapped),
            0u);
  EXPECT_EQ(bytes, 4096u);
  EXPECT_EQ(Bytes(guarded.begin() + sizeof(FcpResponse), guarded.end()), Bytes(64, 0xAB));
  EXPECT_EQ(guarded[0], 43);

  machine.SetReplyByteCount(0);
  machine.SetReplyLengthField(1000);
  FcpResponse response{};
  EXPECT_EQ(Transact(machine, handle, MeterRead(), &response), 0u);
  EXPECT_EQ(response.length, 1000u);
  machine.SetReplyLengthField(0);
  machine.SetReplyTruncation(10);
  EXPECT_EQ(Transact(machine, handle, MeterRead(), &response), 0u);
  EXPECT_EQ(response.length, 10u);
  machine.SetReplyTruncation(std::nullopt);

  machine.SetFcpStatus(0xE0008003);
  EXPECT_EQ(Transact(machine, handle, WriteParameter(0xD0, 0xFF), &response), 0xE0008003u);
  EXPECT_FALSE(machine.State(0).mixerEnabled);
  machine.SetFcpStatus(0);

  EXPECT_EQ(machine.IoControl(handle, kFcp, nullptr, sizeof request, &response, sizeof response,
                              &bytes, nullptr),
            998u);
  machine.SetInterfaceVersion(3, 0);
  Bytes version(12, 0);
  EXPECT_EQ(machine.IoControl(handle, kVersion, nullptr, 0, version.data(), 12, nullptr, nullptr),
            0u);
  EXPECT_EQ(version[0], 3);
  EXPECT_EQ(version[1], 0);
}

TEST(SimulatedMachine, RecordsRequestsAndShowsTheUnitsState) {
  SimulatedMachine machine(Devices(2));
  platform::DeviceHandle handle = Open(machine, 1);
  FcpResponse response{};
  Bytes version(12, 0);
  machine.IoControl(handle, kVersion, nullptr, 0, version.data(), 12, nullptr, nullptr);
  ASSERT_EQ(Transact(machine, handle, LoadMix(3, 0x7FFF), &response), 0u);
  machine.SetFixedLevel(1, 12, 255);
  ASSERT_EQ(Transact(machine, handle, MeterRead(), &response), 0u);
  EXPECT_EQ(response.frame[7 + 33], 0x10);

  const auto requests = machine.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].code, kVersion);
  EXPECT_EQ(requests[0].outSize, 12u);
  EXPECT_EQ(requests[1].code, kFcp);
  EXPECT_EQ(requests[1].inSize, 520u);
  EXPECT_EQ(requests[1].outSize, 516u);
  EXPECT_EQ(requests[2].device, 1);
  EXPECT_TRUE(machine.Frames(0).empty());
  ASSERT_EQ(machine.Frames(1).size(), 2u);
  EXPECT_EQ(machine.Frames(1)[0].frame, LoadMix(3, 0x7FFF));

  const simulator::DeviceState state = machine.State(1);
  EXPECT_TRUE(state.present);
  EXPECT_EQ(state.mixes[3][0], 0x7FFF);
  EXPECT_EQ(state.mixes[3][33], 0x7FFF);
  EXPECT_EQ(state.mixes[2][0], 0);
  EXPECT_EQ(state.overs, 0x1000);

  machine.ClearFrames();
  EXPECT_TRUE(machine.Frames(1).empty());
  EXPECT_TRUE(machine.Requests().empty());
}

// The mixer's two workers: the interface loop writing mixes, the metering
// thread reading meters, each through its own handle to the same unit.
TEST(SimulatedMachine, TwoThreadsTransactAtOnce) {
  SimulatedMachine machine;
  machine.SetReplyDelayMs(1);
  constexpr int kEach = 40;
  int writeFailures = 0, readFailures = 0;
  std::thread writer([&] {
    platform::DeviceHandle handle = Open(machine, 0);
    FcpResponse response{};
    for (int i = 0; i < kEach; ++i) {
      const Bytes frame = LoadMix(static_cast<std::uint8_t>(i % 4), static_cast<std::uint16_t>(i));
      if (Transact(machine, handle, frame, &response) != 0 || response.frame[0] != 0x09 ||
          std::memcmp(response.frame + 1, frame.data() + 1, frame.size() - 1) != 0)
        ++writeFailures;
    }
    machine.CloseDevice(handle);
  });
  std::thread reader([&] {
    platform::DeviceHandle handle = Open(machine, 0);
    FcpResponse response{};
    for (int i = 0; i < kEach; ++i)
      if (Transact(machine, handle, MeterRead(), &response) != 0 || response.length != 43)
        ++readFailures;
    machine.CloseDevice(handle);
  });
  writer.join();
  reader.join();
  EXPECT_EQ(writeFailures, 0);
  EXPECT_EQ(readFailures, 0);
  EXPECT_EQ(machine.Frames(0).size(), 2u * kEach);
  const simulator::DeviceState state = machine.State(0);
  for (int mix = 0; mix < 4; ++mix) EXPECT_EQ(state.mixes[mix][0], kEach - 4 + mix) << mix;
}

TEST(SimulatedMachine, AScopedMachineIsInstalledForItsLifeOnly) {
  platform::DeviceApi* before = &platform::Devices();
  {
    ScopedMachine scoped(Devices(2));
    EXPECT_EQ(&platform::Devices(), &scoped.machine());
    platform::DeviceInfoSet set = platform::Devices().GetClassDevs(kInterface);
    platform::DeviceInterfaceData data{};
    data.size = sizeof data;
    EXPECT_EQ(platform::Devices().EnumInterface(set, kInterface, 1, &data), 0u);
    platform::Devices().DestroyDeviceList(set);
  }
  EXPECT_EQ(&platform::Devices(), before);
}

}  // namespace
