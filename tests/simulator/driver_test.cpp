// The simulated driver's requests as the core answers them: sizes, statuses,
// time-outs, reply faults and pulled units, with the time given by the test.
#include "simulator/core/driver.h"

#include <gtest/gtest.h>

#include "tests/simulator/frames.h"

namespace {

using namespace simtest;
namespace core = simulator::core;

struct Driver {
  core::Machine machine;
  core::HandleRef unit0{};
  std::vector<std::uint32_t> received;  // the status of each frame the driver took

  explicit Driver(std::uint32_t devices = 1) {
    core::MachineInit(&machine, 1, devices, 0);
    machine.observer = {[](void* self, std::uint32_t, const std::uint8_t*, std::uint32_t,
                           std::uint32_t, std::uint64_t, std::uint32_t status) {
                          static_cast<Driver*>(self)->received.push_back(status);
                        },
                        this};
    core::OpenDeviceInterface(machine, 0, &unit0);
  }
  core::IoCompletion Call(const core::HandleRef& handle, std::uint32_t code, const void* in,
                          std::uint32_t inSize, void* out, std::uint32_t outSize,
                          std::uint64_t nowUs = 1000) {
    return core::Dispatch(&machine, handle,
                          {code, static_cast<const std::uint8_t*>(in), inSize,
                           static_cast<std::uint8_t*>(out), outSize, nowUs});
  }
  core::IoCompletion Version(const core::HandleRef& handle, Bytes* out,
                             std::uint64_t nowUs = 1000) {
    return Call(handle, core::kRequestVersion, nullptr, 0, out->data(),
                static_cast<std::uint32_t>(out->size()), nowUs);
  }
  core::IoCompletion Fcp(const FcpRequest& request, FcpResponse* response,
                         std::uint64_t nowUs = 1000) {
    return Call(unit0, core::kRequestFcp, &request, sizeof request, response, sizeof *response,
                nowUs);
  }
};

TEST(SimulatedDriver, VersionReplyCompletesAtOnce) {
  Driver driver;
  Bytes out(12, 0xCC);
  core::IoCompletion done = driver.Version(driver.unit0, &out, 777);
  EXPECT_EQ(done.status, 0u);
  EXPECT_EQ(done.bytes, 12u);
  EXPECT_EQ(done.completeAtUs, 777u);
  EXPECT_EQ(out, (Bytes{2, 10, 1, 5, 0xC9, 0x0B, 0, 0, 0, 0, 0, 0}));  // build 3017
  out.pop_back();
  const core::HandleRef control = core::OpenControl(driver.machine);
  EXPECT_EQ(driver.Version(control, &out).status, 0xE0000320u);
  // Neither kind of handle serves a request outside its table.
  EXPECT_EQ(driver.Call(driver.unit0, 0x80882808, nullptr, 0, out.data(), 11).status, 1u);
  EXPECT_EQ(driver.Call(control, core::kRequestFcp, nullptr, 0, nullptr, 0).status, 1u);
}

TEST(SimulatedDriver, FcpSizesAreCheckedBeforeTheUnitSeesAFrame) {
  Driver driver;
  FcpRequest request = Request(WriteParameter(0xD0, 0xFF));
  FcpResponse response{};
  EXPECT_EQ(driver.Call(driver.unit0, core::kRequestFcp, &request, 519, &response, 516).status,
            0xE0000305u);
  EXPECT_EQ(driver.Call(driver.unit0, core::kRequestFcp, &request, 520, &response, 515).status,
            0xE0000320u);
  for (std::uint32_t length : {0u, 513u}) {
    request.length = length;
    EXPECT_EQ(driver.Fcp(request, &response).status, 0xE0000304u) << length;
  }
  request.length = 9;
  request.timeoutMs = 0;
  EXPECT_EQ(driver.Fcp(request, &response).status, 0xE0000300u);
  EXPECT_TRUE(driver.received.empty());
  EXPECT_FALSE(driver.machine.devices[0].mixerEnabled);

  // A larger output buffer is fine: the record fills its first 516 bytes.
  request.timeoutMs = 2000;
  Bytes roomy(600, 0xEE);
  core::IoCompletion done =
      driver.Call(driver.unit0, core::kRequestFcp, &request, 520, roomy.data(), 600);
  EXPECT_EQ(done.status, 0u);
  EXPECT_EQ(done.bytes, 516u);
  EXPECT_EQ(Bytes(roomy.begin(), roomy.begin() + 6), (Bytes{9, 0, 0, 0, 0x09, 0xFF}));
  EXPECT_EQ(roomy[4 + 9], 0);
  EXPECT_EQ(roomy[516], 0xEE);
  EXPECT_EQ(driver.received, std::vector<std::uint32_t>{0});
}

TEST(SimulatedDriver, ASlowUnitAnswersAfterItsDelayUnlessTheDriverGivesUpFirst) {
  Driver driver;
  FcpResponse response{};
  driver.machine.driver.replyDelayMs = 2000;
  core::IoCompletion done = driver.Fcp(Request(WriteParameter(0xD0, 0xFF), 2000), &response, 5000);
  EXPECT_EQ(done.status, 0u);
  EXPECT_EQ(done.completeAtUs, 2'005'000u);

  driver.machine.driver.replyDelayMs = 2500;
  done = driver.Fcp(Request(WriteParameter(0xD0, 0x00), 2000), &response, 5000);
  EXPECT_EQ(done.status, 0xE0008003u);
  EXPECT_EQ(done.bytes, 0u);
  EXPECT_EQ(done.completeAtUs, 2'005'000u);
  // The late answer is dropped, but the unit did act on the frame.
  EXPECT_FALSE(driver.machine.devices[0].mixerEnabled);

  // A failing status fails at once, and the frame never reaches the unit.
  driver.machine.driver.fcpStatus = 0xE0000350;
  done = driver.Fcp(Request(WriteParameter(0xD0, 0xFF)), &response, 42);
  EXPECT_EQ(done.status, 0xE0000350u);
  EXPECT_EQ(done.completeAtUs, 42u);
  EXPECT_FALSE(driver.machine.devices[0].mixerEnabled);
  EXPECT_EQ(driver.received, (std::vector<std::uint32_t>{0, 0xE0008003, 0xE0000350}));
}

TEST(SimulatedDriver, ReplyFaultsBendTheResponseRecord) {
  Driver driver;
  FcpResponse response{};
  core::ReplyFaults& faults = driver.machine.driver.replyFaults;
  faults.lengthField = 600;
  driver.Fcp(Request(MeterRead()), &response);
  EXPECT_EQ(response.length, 600u);
  EXPECT_EQ(response.frame[0], 0x09);

  faults = {};
  faults.truncate = true;
  faults.truncateTo = 20;
  driver.machine.devices[0].fixedLevel[15] = 200;  // meter byte 15 lies beyond the cut
  std::memset(&response, 0xCC, sizeof response);
  driver.Fcp(Request(MeterRead()), &response);
  EXPECT_EQ(response.length, 20u);
  EXPECT_EQ(Bytes(response.frame + 20, response.frame + 512), Bytes(492, 0));

  faults = {};
  faults.byteCount = 4096;
  EXPECT_EQ(driver.Fcp(Request(MeterRead()), &response).bytes, 4096u);
  EXPECT_EQ(response.length, 43u);
}

TEST(SimulatedDriver, APulledUnitsHandlesStayDeadWhenItComesBack) {
  Driver driver(2);
  Bytes out(12, 0);
  core::HandleRef unit1{}, again{};
  ASSERT_TRUE(core::OpenDeviceInterface(driver.machine, 1, &unit1));
  driver.machine.devices[1].mixerEnabled = true;
  core::MachineSetDeviceCount(&driver.machine, 1, 2000);
  EXPECT_EQ(driver.Version(unit1, &out).status, 1617u);
  EXPECT_EQ(driver.Version(driver.unit0, &out).status, 0u);
  EXPECT_FALSE(core::OpenDeviceInterface(driver.machine, 1, &again));

  core::MachineSetDeviceCount(&driver.machine, 2, 3000);
  EXPECT_EQ(driver.Version(unit1, &out).status, 1617u);
  ASSERT_TRUE(core::OpenDeviceInterface(driver.machine, 1, &again));
  EXPECT_EQ(driver.Version(again, &out).status, 0u);
  EXPECT_FALSE(driver.machine.devices[1].mixerEnabled);  // a fresh unit
}

}  // namespace
