// The driver's control device as the control panel meets it: its records, the
// way settings change and are announced, and the faults tests can set.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/event.h"
#include "simulator/core/driver.h"
#include "simulator/simulatedmachine.h"

namespace {

using simulator::SimulatedMachine;
using Bytes = std::vector<std::uint8_t>;
namespace core = simulator::core;

std::uint32_t Word(const Bytes& bytes, std::size_t at) {
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

Bytes Words(std::initializer_list<std::uint32_t> words) {
  Bytes bytes(words.size() * 4);
  std::memcpy(bytes.data(), std::data(words), bytes.size());
  return bytes;
}

std::string Text(const Bytes& bytes, std::size_t at, std::size_t field) {
  const char* begin = reinterpret_cast<const char*>(bytes.data() + at);
  return std::string(begin, strnlen(begin, field));
}

simulator::Options Devices(std::uint32_t count) {
  simulator::Options options;
  options.devices = count;
  return options;
}

// A control-device client speaking the raw requests.
class Panel {
 public:
  explicit Panel(SimulatedMachine& machine) : machine_(machine) {
    handle_ = machine_.OpenPath(SimulatedMachine::kControlPath, false, nullptr);
  }
  ~Panel() { machine_.CloseDevice(handle_); }

  std::uint32_t Call(std::uint32_t code, const Bytes& in, Bytes* out, std::uint32_t outSize) {
    Bytes ignored;
    if (out == nullptr) out = &ignored;
    out->assign(outSize, 0xCD);
    return machine_.IoControl(handle_, code, in.empty() ? nullptr : in.data(),
                              static_cast<std::uint32_t>(in.size()),
                              outSize ? out->data() : nullptr, outSize, nullptr, nullptr);
  }
  Bytes Get(std::uint32_t code, std::uint32_t size, const Bytes& in = {}) {
    Bytes out;
    EXPECT_EQ(Call(code, in, &out, size), 0u) << std::hex << code;
    return out;
  }
  std::vector<std::uint32_t> DeviceIds() {
    const Bytes list = Get(core::kRequestGetDeviceList, 260);
    std::vector<std::uint32_t> ids;
    for (std::uint32_t i = 0; i < Word(list, 0) && i < 64; ++i) ids.push_back(Word(list, 4 + 4 * i));
    return ids;
  }
  Bytes DeviceInfo(std::uint32_t id) { return Get(core::kRequestGetDeviceInfo, 432, Words({id})); }
  std::uint32_t Notification() {
    Bytes out;
    const std::uint32_t status = Call(core::kRequestGetNotification, {}, &out, 12);
    return status == 0 ? Word(out, 0) : status;
  }

 private:
  SimulatedMachine& machine_;
  platform::DeviceHandle handle_;
};

TEST(ControlDevice, ListsUnitsByRankWithTheirChannelsAndFirstSeenNames) {
  SimulatedMachine machine(Devices(3));
  Panel panel(machine);
  const std::vector<std::uint32_t> ids = panel.DeviceIds();
  ASSERT_EQ(ids.size(), 3u);
  EXPECT_EQ(ids[0], machine.ControlDeviceId(0));

  // A unit the driver has never seen carries its serial number as its name.
  Bytes info = panel.DeviceInfo(ids[2]);
  EXPECT_EQ(Word(info, 4), 2u);
  EXPECT_EQ(Text(info, 8, 40), Text(info, 48, 384));
  EXPECT_EQ(Text(info, 48, 384).substr(0, 3), "XTB");

  // Renaming with a 50-character name keeps 39; ranking the last unit first
  // reorders the device list and the channel list.
  std::memset(info.data() + 8, 'n', 40);
  std::memcpy(info.data() + 4, "\0\0\0\0", 4);
  EXPECT_EQ(panel.Call(core::kRequestSetDeviceInfo, info, nullptr, 0), 0u);
  Bytes first = panel.DeviceInfo(ids[0]);
  std::uint32_t rank = 1;
  std::memcpy(first.data() + 4, &rank, 4);
  EXPECT_EQ(panel.Call(core::kRequestSetDeviceInfo, first, nullptr, 0), 0u);
  EXPECT_EQ(Text(panel.DeviceInfo(ids[2]), 8, 40), std::string(39, 'n'));
  EXPECT_EQ(panel.DeviceIds(), (std::vector<std::uint32_t>{ids[2], ids[0], ids[1]}));

  const Bytes channels = panel.Get(core::kRequestGetChannelList, 2056);
  EXPECT_EQ(Word(channels, 0), 24u);
  EXPECT_EQ(Word(channels, 1028), 24u);
  const Bytes in1 = panel.Get(core::kRequestGetChannelInfo, 92, Words({Word(channels, 4)}));
  EXPECT_EQ(Word(in1, 4), ids[2]);
  EXPECT_EQ(Word(in1, 8), 0u);
  EXPECT_EQ(Text(in1, 12, 40), "Analog In 1");
  EXPECT_EQ(Text(in1, 52, 40), "Analog In 1");
  const Bytes out8 = panel.Get(core::kRequestGetChannelInfo, 92, Words({Word(channels, 1032 + 28)}));
  EXPECT_EQ(Word(out8, 8), 1u);
  EXPECT_EQ(Text(out8, 12, 40), "Digital Out R");
}

TEST(ControlDevice, SignalsTheRegisteredEventWithQueuedChanges) {
  SimulatedMachine machine(Devices(1));
  Panel panel(machine);
  platform::Event event;
  platform::Event* events[] = {&event};
  EXPECT_EQ(panel.Notification(), core::kWin32NoMoreItems);  // a fresh driver has nothing to say
  EXPECT_EQ(panel.Call(core::kRequestRegisterNotifyEvent, Words({event.Word()}), nullptr, 0), 0u);

  EXPECT_EQ(panel.Call(core::kRequestSetSampleRate, Words({0, 96000}), nullptr, 0), 0u);
  EXPECT_EQ(platform::WaitForEvents(events, 1, 1000), 0);
  machine.SetDeviceCount(2);
  EXPECT_EQ(platform::WaitForEvents(events, 1, 1000), 0);
  EXPECT_EQ(panel.Notification(), core::kNotifySync);
  EXPECT_EQ(panel.Notification(), core::kNotifyDevices);
  EXPECT_EQ(panel.Notification(), core::kWin32NoMoreItems);
  EXPECT_EQ(Word(panel.Get(core::kRequestGetRateInfo, 44), 4), 96000u);

  // A unit that goes takes its identifiers with it, also when it comes back.
  const std::uint32_t gone = machine.ControlDeviceId(1);
  machine.SetDeviceCount(1);
  machine.SetDeviceCount(2);
  Bytes out;
  EXPECT_EQ(panel.Call(core::kRequestGetDeviceInfo, Words({gone}), &out, 432),
            core::kStatusNoSuchInstance);
  EXPECT_NE(machine.ControlDeviceId(1), gone);
}

TEST(ControlDevice, AnnouncesEachKindOfChangeOnceUntilItIsRead) {
  SimulatedMachine machine(Devices(2));
  Panel panel(machine);
  platform::Event event;
  EXPECT_EQ(panel.Call(core::kRequestSetAsioNameMode, Words({1}), nullptr, 0), 0u);  // before anyone listens
  ASSERT_EQ(panel.Call(core::kRequestRegisterNotifyEvent, Words({event.Word()}), nullptr, 0), 0u);
  EXPECT_EQ(panel.Notification(), core::kWin32NoMoreItems) << "a new listener starts afresh";

  const std::uint32_t second = machine.ControlDeviceId(1);
  const Bytes info = panel.DeviceInfo(second);
  EXPECT_EQ(panel.Call(core::kRequestSetDeviceInfo, info, nullptr, 0), 0u);
  EXPECT_EQ(panel.Call(core::kRequestSetWdmBuffer, Words({2000, 0, 0, 0}), nullptr, 0), 0u);
  EXPECT_EQ(panel.Call(core::kRequestSetClockMaster, Words({0, 1, second}), nullptr, 0), 0u);
  EXPECT_EQ(panel.Call(core::kRequestSetRateMode, Words({0, 1}), nullptr, 0), 0u);
  EXPECT_EQ(panel.Notification(), core::kNotifyDevices);  // the two device changes, once
  EXPECT_EQ(panel.Notification(), core::kNotifySync);
  EXPECT_EQ(panel.Notification(), core::kWin32NoMoreItems);

  // The clock master leaves: the PC takes over and sets the rate again.
  machine.SetDeviceCount(1);
  EXPECT_EQ(panel.Notification(), core::kNotifyDevices);
  EXPECT_EQ(panel.Notification(), core::kNotifySync);
  const core::Control state = machine.ControlState();
  EXPECT_EQ(state.clockMasterKind, 0u);
  EXPECT_EQ(state.rateMode, 0u);
}

TEST(ControlDevice, LetsGoOfTheEventWhenTheRegisteringHandleCloses) {
  SimulatedMachine machine(Devices(1));
  platform::Event event;
  platform::Event* events[] = {&event};
  {
    Panel listener(machine);
    ASSERT_EQ(listener.Call(core::kRequestRegisterNotifyEvent, Words({event.Word()}), nullptr, 0), 0u);
  }
  Panel panel(machine);
  EXPECT_EQ(panel.Call(core::kRequestSetSampleRate, Words({0, 44100}), nullptr, 0), 0u);
  EXPECT_EQ(platform::WaitForEvents(events, 1, 50), platform::kWaitTimeout);
  EXPECT_EQ(machine.ControlState().notifyEvent, 0u);
}

TEST(ControlDevice, RefusesSettingsItCannotTake) {
  SimulatedMachine machine(Devices(1));
  Panel panel(machine);
  const std::uint32_t id = panel.DeviceIds()[0];
  EXPECT_EQ(panel.Call(core::kRequestSetSampleRate, Words({0, 22050}), nullptr, 0),
            core::kStatusRateNotSupported);
  machine.SetWdmInUse(true);
  EXPECT_EQ(panel.Call(core::kRequestSetSampleRate, Words({0, 44100}), nullptr, 0),
            core::kStatusWdmDeviceInUse);
  EXPECT_EQ(panel.Call(core::kRequestSetSyncSource, Words({id, 2, 99}), nullptr, 0),
            core::kStatusInvalidParameter);
  EXPECT_EQ(panel.Call(core::kRequestSetSyncSource, Words({id, 5, 3}), nullptr, 0), 0u);
  EXPECT_EQ(Text(panel.Get(core::kRequestGetSyncInfo, 824, Words({id})), 12, 40), "Word Clock");
  EXPECT_EQ(panel.Call(core::kRequestSetClockMaster, Words({0, 1, id + 1}), nullptr, 0),
            core::kStatusNoSuchInstance);
  // The stream depth must sit on the driver's 500 µs grid.
  EXPECT_EQ(panel.Call(core::kRequestSetStreamBuffer, Words({0, 0, 0, 4250}), nullptr, 0),
            core::kStatusInvalidParameter);
  EXPECT_EQ(panel.Call(core::kRequestSetStreamBuffer, Words({0, 0, 0, 4500}), nullptr, 0), 0u);
  EXPECT_EQ(Word(panel.Get(core::kRequestGetStreamBuffer, 16), 12), 4500u);
  // Sizes are checked before contents.
  EXPECT_EQ(panel.Call(core::kRequestSetDeviceInfo, Bytes(431), nullptr, 0),
            core::kStatusBufferSizeInvalid);
  Bytes small;
  EXPECT_EQ(panel.Call(core::kRequestGetDeviceList, {}, &small, 259), core::kStatusOutputTooSmall);

  machine.SetRequestFailure(core::kRequestGetClockMaster, 0xE0000030);
  EXPECT_EQ(panel.Call(core::kRequestGetClockMaster, {}, &small, 12), 0xE0000030u);
  machine.SetControlAbsent(true);
  std::uint32_t error = 0;
  EXPECT_EQ(machine.OpenPath(SimulatedMachine::kControlPath, false, &error), nullptr);
  EXPECT_EQ(error, platform::kErrorFileNotFound);
}

TEST(ControlDevice, ShowsMisbehavingRepliesWhenAskedTo) {
  SimulatedMachine machine(Devices(1));
  Panel panel(machine);
  machine.SetOversizeCounts(true);
  machine.SetUnterminatedNames(true);
  const Bytes list = panel.Get(core::kRequestGetDeviceList, 260);
  EXPECT_GT(Word(list, 0), 64u);
  const Bytes info = panel.DeviceInfo(Word(list, 4));
  EXPECT_EQ(std::memchr(info.data() + 8, 0, 40), nullptr);
  EXPECT_GT(Word(panel.Get(core::kRequestGetRateInfo, 44), 8), 8u);
  EXPECT_GT(Word(panel.Get(core::kRequestGetSyncInfo, 824, Words({Word(list, 4)})), 52), 16u);

  // A channel fetched by its identifier names itself 0.
  machine.SetChannelIdZero(true);
  const Bytes channels = panel.Get(core::kRequestGetChannelList, 2056);
  const Bytes channel = panel.Get(core::kRequestGetChannelInfo, 92, Words({Word(channels, 4)}));
  EXPECT_NE(Word(channels, 4), 0u);
  EXPECT_EQ(Word(channel, 0), 0u);
}

// What a control panel meets when the driver is restarted under it.
TEST(ControlDevice, GoneWithItsDriverItsHandlesStayDeadAndItsUnitsComeBackAsNewOnes) {
  SimulatedMachine machine(Devices(2));
  Panel before(machine);
  const std::vector<std::uint32_t> ids = before.DeviceIds();
  ASSERT_EQ(ids.size(), 2u);
  machine.SetControlPresent(false);
  Bytes out;
  EXPECT_EQ(before.Call(core::kRequestGetDeviceList, {}, &out, 260), platform::kErrorDeviceRemoved);
  std::uint32_t error = 0;
  EXPECT_EQ(machine.OpenPath(SimulatedMachine::kControlPath, false, &error), nullptr);

  machine.SetControlPresent(true);
  EXPECT_EQ(before.Call(core::kRequestGetDeviceList, {}, &out, 260), platform::kErrorDeviceRemoved);
  Panel after(machine);
  const std::vector<std::uint32_t> fresh = after.DeviceIds();
  ASSERT_EQ(fresh.size(), 2u);
  EXPECT_NE(fresh[0], ids[0]);
  EXPECT_EQ(after.Call(core::kRequestGetDeviceInfo, Words({ids[0]}), &out, 432),
            core::kStatusNoSuchInstance);
}

// Streaming, plugs and drop-outs, on the core with a clock of the test's own.
TEST(ControlDevice, PlugsFollowStreamingAndDropOutsGrowWhileItRuns) {
  core::Machine machine;
  core::MachineInit(&machine, 7, 2, 0);
  const core::HandleRef control = core::OpenControl(machine);
  std::uint8_t out[212];
  auto call = [&](std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize,
                  std::uint32_t outSize, std::uint64_t nowUs) {
    return core::Dispatch(&machine, control, core::IoRequest{code, in, inSize, out, outSize, nowUs})
        .status;
  };
  const std::uint32_t second = core::ControlDeviceId(machine, 1);
  std::uint8_t id[4];
  std::memcpy(id, &second, 4);
  machine.control.units[1].plugFault[1] = 0xE0000073;

  ASSERT_EQ(call(core::kRequestGetDeviceStreams, id, 4, 212, 0), 0u);
  std::uint32_t words[53];
  std::memcpy(words, out, sizeof out);
  EXPECT_EQ(words[1], core::kPlugConnected);  // audio out, on the second unit's stream
  EXPECT_EQ(words[1 + 2], 2u);
  EXPECT_EQ(words[14], core::kPlugConnectFailed);  // audio in
  EXPECT_EQ(words[14 + 1], 0xE0000073u);
  EXPECT_EQ(words[27], core::kPlugIdle);           // synch out: the PC is clock master
  EXPECT_EQ(words[40], core::kPlugConnected);      // synch in
  EXPECT_EQ(words[40 + 4], 4u);                    // four rates

  ASSERT_EQ(call(core::kRequestGetAsioStatistics, nullptr, 0, 60, 0), 0u);
  std::uint32_t dropOuts;
  std::memcpy(&dropOuts, out + 52, 4);
  EXPECT_EQ(dropOuts, 0u);
  ASSERT_EQ(call(core::kRequestGetAsioStatistics, nullptr, 0, 60, 600'000'000), 0u);
  std::memcpy(&dropOuts, out + 52, 4);
  EXPECT_GT(dropOuts, 5u);  // some of 150 checks, not all
  EXPECT_LT(dropOuts, 75u);

  ASSERT_EQ(call(core::kRequestStopStreaming, nullptr, 0, 0, 600'000'001), 0u);
  ASSERT_EQ(call(core::kRequestGetDeviceStreams, id, 4, 212, 600'000'002), 0u);
  std::memcpy(words, out, sizeof out);
  EXPECT_EQ(words[1], core::kPlugIdle);
  EXPECT_EQ(words[14], core::kPlugIdle);
  ASSERT_EQ(call(core::kRequestGetAsioStatistics, nullptr, 0, 60, 900'000'000), 0u);
  std::uint32_t stopped;
  std::memcpy(&stopped, out + 52, 4);
  EXPECT_EQ(stopped, dropOuts);
}

}  // namespace
