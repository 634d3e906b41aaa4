// The simulated machine behind the device seam, as a client sees it:
// enumeration, opening, pending transfers, records and concurrent callers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/errors.h"
#include "simulator/simulatedmachine.h"
#include "tests/simulator/frames.h"

namespace {

using namespace simtest;
using simulator::SimulatedMachine;
using Clock = std::chrono::steady_clock;

const platform::Guid kInterface = {
    0x73F85346, 0xAF20, 0x4235, {0xB6, 0x24, 0xB6, 0x9A, 0xE6, 0x79, 0x2F, 0x5B}};
constexpr std::uint32_t kVersion = 0x80882804;
constexpr std::uint32_t kFcp = 0x80883004;

simulator::Options Devices(std::uint32_t count) {
  simulator::Options options;
  options.devices = count;
  return options;
}

platform::DeviceHandle Open(SimulatedMachine& machine, std::uint32_t device,
                            bool overlapped = true) {
  return machine.OpenPath(SimulatedMachine::InterfacePath(device).c_str(), overlapped, nullptr);
}

std::uint32_t Version(SimulatedMachine& machine, platform::DeviceHandle handle, Bytes* reply) {
  reply->assign(12, 0);
  return machine.IoControl(handle, kVersion, nullptr, 0, reply->data(), 12, nullptr, nullptr);
}

// One transaction the way the mixer's client issues it.
std::uint32_t Transact(SimulatedMachine& machine, platform::DeviceHandle handle, const Bytes& frame,
                       FcpResponse* response) {
  const FcpRequest request = Request(frame);
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
  EXPECT_EQ(machine.EnumInterface(set, kInterface, 2, &data), 0u);
  EXPECT_EQ(machine.EnumInterface(set, kInterface, 3, &data), platform::kErrorNoMoreItems);
  data.size = 28;  // the 32-bit record
  EXPECT_EQ(machine.EnumInterface(set, kInterface, 0, &data), platform::kErrorInvalidUserBuffer);
  data.size = sizeof data;

  // Unit 2 is pulled: the old list still names it, but it no longer opens.
  machine.SetDeviceCount(2);
  EXPECT_EQ(machine.EnumInterface(set, kInterface, 2, &data), 0u);
  std::uint32_t error = 0;
  EXPECT_EQ(machine.OpenPath(SimulatedMachine::InterfacePath(2).c_str(), true, &error), nullptr);
  EXPECT_EQ(error, platform::kErrorFileNotFound);
  platform::DeviceInfoSet fresh = machine.GetClassDevs(kInterface);
  EXPECT_EQ(machine.EnumInterface(fresh, kInterface, 2, &data), platform::kErrorNoMoreItems);

  platform::Guid other = kInterface;
  other.data4[7] ^= 1;
  platform::DeviceInfoSet none = machine.GetClassDevs(other);
  EXPECT_EQ(machine.EnumInterface(none, other, 0, &data), platform::kErrorNoMoreItems);
  for (platform::DeviceInfoSet s : {set, fresh, none}) machine.DestroyDeviceList(s);
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
  EXPECT_EQ(machine.GetInterfaceDetail(set, &data, detail, 64, nullptr, &devInfo),
            platform::kErrorInsufficientBuffer);
  EXPECT_EQ(machine.GetInterfaceDetail(set, &data, detail, 65, nullptr, &devInfo), 0u);
  EXPECT_STREQ(detail->devicePath,
               "\\\\?\\root#xtamber#0000#{73f85346-af20-4235-b624-b69ae6792f5b}");
  EXPECT_NE(devInfo.devInst, 0u);

  devInfo.size = 28;
  EXPECT_EQ(machine.GetInterfaceDetail(set, &data, detail, 80, nullptr, &devInfo),
            platform::kErrorInvalidUserBuffer);
  detail->size = 5;  // the 32-bit record's size
  EXPECT_EQ(machine.GetInterfaceDetail(set, &data, detail, 80, nullptr, nullptr),
            platform::kErrorInvalidUserBuffer);
  machine.DestroyDeviceList(set);
}

TEST(SimulatedMachine, OpensUnitsAndTheControlDeviceByPathInAnyCase) {
  SimulatedMachine machine(Devices(2));
  Bytes version;
  for (const char* path : {"\\\\.\\ROOT#XTAMBER#0001#{73F85346-AF20-4235-B624-B69AE6792F5B}",
                           "\\\\.\\{73f85346-af20-4235-b624-b69ae6792f5b}"}) {
    platform::DeviceHandle handle = machine.OpenPath(path, false, nullptr);
    EXPECT_EQ(Version(machine, handle, &version), 0u) << path;
    EXPECT_EQ(version[1], 10);
    machine.CloseDevice(handle);
    EXPECT_EQ(Version(machine, handle, &version), platform::kErrorInvalidHandle);
  }
  machine.SetTransferEventFails(true);
  EXPECT_EQ(machine.NewTransferEvent(), nullptr);
}

TEST(SimulatedMachine, TheFcpTransactionPendsUntilTheUnitAnswersOrTheTimeOut) {
  SimulatedMachine machine;
  machine.SetReplyDelayMs(20);
  platform::DeviceHandle handle = Open(machine, 0);
  platform::Overlapped overlapped{};
  std::uint32_t bytes = 0;
  const FcpRequest request = Request(WriteParameter(0xD0, 0xFF));
  FcpResponse response{};
  auto start = Clock::now();
  ASSERT_EQ(machine.IoControl(handle, kFcp, &request, sizeof request, &response, sizeof response,
                              &bytes, &overlapped),
            platform::kErrorIoPending);
  EXPECT_EQ(response.length, 0u);  // nothing is handed back before completion
  EXPECT_EQ(machine.WaitIoResult(handle, &overlapped, &bytes), 0u);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(20));
  EXPECT_EQ(bytes, 516u);
  EXPECT_EQ(response.Frame(), (Bytes{0x09, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0xFF}));

  // A unit slower than the caller's 20 ms; without an OVERLAPPED the call itself waits.
  machine.SetReplyDelayMs(50);
  platform::DeviceHandle sync = Open(machine, 0, false);
  const FcpRequest impatient = Request(MeterRead(), 20);
  response = FcpResponse{};
  start = Clock::now();
  EXPECT_EQ(machine.IoControl(sync, kFcp, &impatient, sizeof impatient, &response, sizeof response,
                              &bytes, nullptr),
            0xE0008003u);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(20));
  EXPECT_EQ(bytes, 0u);
  EXPECT_EQ(response.length, 0u);
}

TEST(SimulatedMachine, NeverWritesPastTheCallersBuffer) {
  SimulatedMachine machine;
  platform::DeviceHandle handle = Open(machine, 0);
  machine.SetReplyByteCount(4096);
  Bytes guarded(sizeof(FcpResponse) + 64, 0xAB);
  const FcpRequest request = Request(MeterRead());
  std::uint32_t bytes = 0;
  EXPECT_EQ(machine.IoControl(handle, kFcp, &request, sizeof request, guarded.data(),
                              sizeof(FcpResponse), &bytes, nullptr),
            0u);
  EXPECT_EQ(bytes, 4096u);
  EXPECT_EQ(guarded[0], 43);
  EXPECT_EQ(Bytes(guarded.begin() + sizeof(FcpResponse), guarded.end()), Bytes(64, 0xAB));
  // A null buffer with a size never reaches the driver.
  EXPECT_EQ(machine.IoControl(handle, kFcp, nullptr, sizeof request, guarded.data(),
                              sizeof(FcpResponse), &bytes, nullptr),
            998u);
}

TEST(SimulatedMachine, RecordsRequestsAndFramesAndShowsTheUnitsState) {
  SimulatedMachine machine(Devices(2));
  platform::DeviceHandle handle = Open(machine, 1);
  FcpResponse response{};
  Bytes version;
  Version(machine, handle, &version);
  ASSERT_EQ(Transact(machine, handle, LoadMix(3, 0x7FFF), &response), 0u);
  machine.SetFixedLevel(1, 12, 255);
  ASSERT_EQ(Transact(machine, handle, MeterRead(), &response), 0u);
  EXPECT_EQ(response.frame[7 + 33], 0x10);

  const auto requests = machine.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].code, kVersion);
  EXPECT_EQ(requests[2].code, kFcp);
  EXPECT_EQ(requests[2].inSize + requests[2].outSize, 520u + 516u);
  EXPECT_EQ(requests[2].device, 1);
  const auto frames = machine.Frames(1);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].frame, LoadMix(3, 0x7FFF));
  EXPECT_EQ(frames[0].timeoutMs, 2000u);
  EXPECT_LE(frames[0].timeUs, frames[1].timeUs);

  const simulator::DeviceState state = machine.State(1);
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
  });
  std::thread reader([&] {
    platform::DeviceHandle handle = Open(machine, 0);
    FcpResponse response{};
    for (int i = 0; i < kEach; ++i)
      if (Transact(machine, handle, MeterRead(), &response) != 0 || response.length != 43)
        ++readFailures;
  });
  writer.join();
  reader.join();
  EXPECT_EQ(writeFailures, 0);
  EXPECT_EQ(readFailures, 0);
  EXPECT_EQ(machine.Frames(0).size(), 2u * kEach);
  for (int mix = 0; mix < 4; ++mix) EXPECT_EQ(machine.State(0).mixes[mix][0], kEach - 4 + mix);
}

}  // namespace
