// The simulated driver's requests, checked as the core answers them: sizes,
// statuses, time-outs and reply faults, with time given by the test.
#include "simulator/core/driver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

namespace core = simulator::core;
using Bytes = std::vector<std::uint8_t>;

struct Received {
  std::uint32_t device, length, timeoutMs, status;
  std::uint64_t nowUs;
};

struct Driver {
  core::Machine machine;
  core::HandleRef unit0{};
  std::vector<Received> received;

  explicit Driver(std::uint32_t devices = 1) {
    core::MachineInit(&machine, 1, devices, 0);
    machine.observer = {
        [](void* context, std::uint32_t device, const std::uint8_t*, std::uint32_t length,
           std::uint32_t timeoutMs, std::uint64_t nowUs, std::uint32_t status) {
          static_cast<Driver*>(context)->received.push_back(
              {device, length, timeoutMs, status, nowUs});
        },
        this};
    EXPECT_TRUE(core::OpenDeviceInterface(machine, 0, &unit0));
  }

  core::IoCompletion Call(const core::HandleRef& handle, std::uint32_t code, const Bytes& in,
                          Bytes* out, std::uint64_t nowUs = 1000) {
    return core::Dispatch(
        &machine, handle,
        {code, in.empty() ? nullptr : in.data(), static_cast<std::uint32_t>(in.size()),
         out->empty() ? nullptr : out->data(), static_cast<std::uint32_t>(out->size()), nowUs});
  }
};

// An FcpRequest record: timeoutMs, length, then the frame padded to 512 bytes.
Bytes FcpRequest(const Bytes& frame, std::uint32_t timeoutMs = 2000, std::uint32_t length = 0) {
  Bytes request(520, 0);
  if (length == 0) length = static_cast<std::uint32_t>(frame.size());
  std::memcpy(request.data(), &timeoutMs, 4);
  std::memcpy(request.data() + 4, &length, 4);
  std::memcpy(request.data() + 8, frame.data(), frame.size());
  return request;
}

const Bytes kMixerOn = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0xFF};

Bytes MeterRead() {
  Bytes frame = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x04};
  frame.resize(43, 0);
  return frame;
}

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

TEST(SimulatedDriver, VersionReplyOnBothKindsOfHandle) {
  Driver driver;
  Bytes out(12, 0xCC);
  core::IoCompletion done = driver.Call(driver.unit0, core::kRequestVersion, {}, &out, 777);
  EXPECT_EQ(done.status, 0u);
  EXPECT_EQ(done.bytes, 12u);
  EXPECT_EQ(done.completeAtUs, 777u);
  EXPECT_EQ(out, (Bytes{2, 10, 1, 5, 0xC9, 0x0B, 0, 0, 0, 0, 0, 0}));  // build 3017

  driver.machine.driver.interfaceMinor = 9;
  EXPECT_EQ(driver.Call(core::OpenControl(), core::kRequestVersion, {1, 2, 3, 4}, &out).status, 0u);
  EXPECT_EQ(out[1], 9);

  Bytes small(11, 0);
  EXPECT_EQ(driver.Call(driver.unit0, core::kRequestVersion, {}, &small).status, 0xE0000320u);
  // The control device has no FCP path; nothing has requests it does not list.
  Bytes reply(516, 0);
  EXPECT_EQ(
      driver.Call(core::OpenControl(), core::kRequestFcp, FcpRequest(kMixerOn), &reply).status, 1u);
  EXPECT_EQ(driver.Call(driver.unit0, 0x80882808, {}, &out).status, 1u);
}

TEST(SimulatedDriver, FcpSizesAreCheckedBeforeTheUnitSeesAFrame) {
  Driver driver;
  Bytes reply(516, 0);
  Bytes shortRequest = FcpRequest(kMixerOn);
  shortRequest.pop_back();
  EXPECT_EQ(driver.Call(driver.unit0, core::kRequestFcp, shortRequest, &reply).status, 0xE0000305u);
  Bytes shortReply(515, 0);
  EXPECT_EQ(driver.Call(driver.unit0, core::kRequestFcp, FcpRequest(kMixerOn), &shortReply).status,
            0xE0000320u);
  EXPECT_EQ(driver.Call(driver.unit0, core::kRequestFcp, FcpRequest({}, 2000, 0), &reply).status,
            0xE0000304u);
  EXPECT_EQ(
      driver.Call(driver.unit0, core::kRequestFcp, FcpRequest(kMixerOn, 2000, 513), &reply).status,
      0xE0000304u);
  EXPECT_EQ(driver.Call(driver.unit0, core::kRequestFcp, FcpRequest(kMixerOn, 0), &reply).status,
            0xE0000300u);
  EXPECT_TRUE(driver.received.empty());
  EXPECT_FALSE(driver.machine.devices[0].mixerEnabled);

  // A larger output buffer is fine; the record fills its first 516 bytes.
  Bytes roomy(600, 0xEE);
  core::IoCompletion done =
      driver.Call(driver.unit0, core::kRequestFcp, FcpRequest(kMixerOn), &roomy);
  EXPECT_EQ(done.status, 0u);
  EXPECT_EQ(done.bytes, 516u);
  EXPECT_EQ(Le32(roomy, 0), 9u);
  EXPECT_EQ(roomy[4], 0x09);
  EXPECT_EQ(roomy[4 + 9], 0);
  EXPECT_EQ(roomy[516], 0xEE);
  ASSERT_EQ(driver.received.size(), 1u);
  EXPECT_EQ(driver.received[0].length, 9u);
}

TEST(SimulatedDriver, ASlowUnitAnswersAfterItsDelayOrTheDriverGivesUp) {
  Driver driver;
  Bytes reply(516, 0);
  driver.machine.driver.replyDelayMs = 2000;
  core::IoCompletion done =
      driver.Call(driver.unit0, core::kRequestFcp, FcpRequest(kMixerOn), &reply, 5000);
  EXPECT_EQ(done.status, 0u);
  EXPECT_EQ(done.completeAtUs, 5000u + 2'000'000u);

  driver.machine.driver.replyDelayMs = 2500;
  done = driver.Call(driver.unit0, core::kRequestFcp, FcpRequest(kMixerOn, 2000), &reply, 5000);
  EXPECT_EQ(done.status, 0xE0008003u);
  EXPECT_EQ(done.bytes, 0u);
  EXPECT_EQ(done.completeAtUs, 5000u + 2'000'000u);
  ASSERT_EQ(driver.received.size(), 2u);
  EXPECT_EQ(driver.received[1].status, 0xE0008003u);
  EXPECT_EQ(driver.received[1].timeoutMs, 2000u);
}

TEST(SimulatedDriver, AnFcpStatusFaultFailsAtOnceAndLeavesTheUnitAlone) {
  Driver driver;
  Bytes reply(516, 0);
  driver.machine.driver.fcpStatus = 0xE0000350;
  core::IoCompletion done =
      driver.Call(driver.unit0, core::kRequestFcp, FcpRequest(kMixerOn), &reply, 42);
  EXPECT_EQ(done.status, 0xE0000350u);
  EXPECT_EQ(done.completeAtUs, 42u);
  EXPECT_FALSE(driver.machine.devices[0].mixerEnabled);
  ASSERT_EQ(driver.received.size(), 1u);
  EXPECT_EQ(driver.received[0].status, 0xE0000350u);
}

TEST(SimulatedDriver, ReplyFaultsBendTheResponseRecord) {
  Driver driver;
  Bytes reply(516, 0);
  driver.machine.driver.replyFaults.lengthField = 600;
  core::IoCompletion done =
      driver.Call(driver.unit0, core::kRequestFcp, FcpRequest(MeterRead()), &reply);
  EXPECT_EQ(Le32(reply, 0), 600u);
  EXPECT_EQ(reply[4], 0x09);

  driver.machine.driver.replyFaults = {};
  driver.machine.driver.replyFaults.truncate = true;
  driver.machine.driver.replyFaults.truncateTo = 20;
  driver.machine.devices[0].fixedLevel[15] = 200;  // meter byte 15 lies beyond the cut
  std::fill(reply.begin(), reply.end(), 0xCC);
  done = driver.Call(driver.unit0, core::kRequestFcp, FcpRequest(MeterRead()), &reply);
  EXPECT_EQ(Le32(reply, 0), 20u);
  EXPECT_EQ(reply[4 + 7 + 15], 0);
  EXPECT_EQ(Bytes(reply.begin() + 4 + 20, reply.end()), Bytes(512 - 20, 0));

  driver.machine.driver.replyFaults = {};
  driver.machine.driver.replyFaults.byteCount = 4096;
  done = driver.Call(driver.unit0, core::kRequestFcp, FcpRequest(MeterRead()), &reply);
  EXPECT_EQ(done.bytes, 4096u);
  EXPECT_EQ(Le32(reply, 0), 43u);
}

TEST(SimulatedDriver, APulledUnitsHandlesStayDeadWhenItComesBack) {
  Driver driver(2);
  Bytes out(12, 0);
  core::HandleRef unit1{};
  ASSERT_TRUE(core::OpenDeviceInterface(driver.machine, 1, &unit1));
  driver.machine.devices[1].mixerEnabled = true;

  core::MachineSetDeviceCount(&driver.machine, 1, 2000);
  EXPECT_EQ(driver.Call(unit1, core::kRequestVersion, {}, &out).status, 1617u);
  EXPECT_EQ(driver.Call(driver.unit0, core::kRequestVersion, {}, &out).status, 0u);
  core::HandleRef again{};
  EXPECT_FALSE(core::OpenDeviceInterface(driver.machine, 1, &again));

  core::MachineSetDeviceCount(&driver.machine, 2, 3000);
  EXPECT_EQ(driver.Call(unit1, core::kRequestVersion, {}, &out).status, 1617u);
  ASSERT_TRUE(core::OpenDeviceInterface(driver.machine, 1, &again));
  EXPECT_EQ(driver.Call(again, core::kRequestVersion, {}, &out).status, 0u);
  EXPECT_FALSE(driver.machine.devices[1].mixerEnabled);
  EXPECT_NE(driver.machine.devices[1].signalKey, driver.machine.devices[0].signalKey);
}

}  // namespace
