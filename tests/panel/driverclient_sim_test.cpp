// The panel's driver client against the simulated driver: what a program
// without any window can do with the control device, and what the driver
// sees while it does.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "panel/driverdata.h"
#include "panel/drivernotifier.h"
#include "panel/drivertext.h"
#include "panel/notifypost.h"
#include "platform/log.h"
#include "simulator/simulatedmachine.h"
#include "tests/support/posthook.h"

using namespace qdl;

namespace {

using simulator::ScopedMachine;

simulator::Options Devices(std::uint32_t count) {
  simulator::Options options;
  options.devices = count;
  return options;
}

struct Seen {
  std::uint32_t code, inSize, outSize;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> ControlRequests(const simulator::SimulatedMachine& machine) {
  std::vector<Seen> seen;
  for (const simulator::RequestRecord& request : machine.Requests())
    if (request.device == -1) seen.push_back({request.code, request.inSize, request.outSize});
  return seen;
}

TEST(DriverClientOnTheSimulator, LoadsTheMachineAndSendsExactlyTheTablesRequests) {
  ScopedMachine machine(Devices(3));
  CDriverData data;
  ASSERT_EQ(data.Open(), 0u);
  machine->ClearFrames();

  ASSERT_EQ(data.LoadDevices(), 0u);
  ASSERT_EQ(data.devices.size(), 3u);
  EXPECT_TRUE(NameIsSerialNumber(*data.devices[0]));
  EXPECT_EQ(ControlRequests(machine.machine()),
            (std::vector<Seen>{{0x80882860, 0, 260},
                               {0x80882920, 4, 432},
                               {0x80882920, 4, 432},
                               {0x80882920, 4, 432}}));

  ASSERT_EQ(data.LoadSyncInfo(), 0u);
  ASSERT_EQ(data.syncInfos.size(), 3u);
  EXPECT_EQ(data.syncInfos[1]->deviceId, data.devices[1]->deviceId);
  EXPECT_EQ(DescribeSource(data.syncInfos[1]->current), "CSP (Internal)");
  EXPECT_EQ(data.syncInfos[1]->modeCount, 4u);

  machine->ClearFrames();
  ASSERT_EQ(data.LoadChannels(1), 0u);
  EXPECT_EQ(data.outputChannels.size(), 24u);
  EXPECT_TRUE(data.inputChannels.empty());
  const std::vector<Seen> seen = ControlRequests(machine.machine());
  ASSERT_EQ(seen.size(), 25u);
  EXPECT_EQ(seen[0], (Seen{0x80882864, 0, 2056}));
  EXPECT_EQ(seen[24], (Seen{0x80882980, 4, 92}));
  EXPECT_EQ(NameText(data.outputChannels[7]->hardwareName), "Digital Out R");
  EXPECT_EQ(data.outputChannels[8]->deviceId, data.devices[1]->deviceId);
}

TEST(DriverClientOnTheSimulator, ChangesEverySettingThePanelOffers) {
  ScopedMachine machine(Devices(2));
  CDriverData data;
  ASSERT_EQ(data.Open(), 0u);
  ASSERT_EQ(data.LoadDevices(), 0u);
  ASSERT_EQ(data.LoadSyncInfo(), 0u);
  ASSERT_EQ(data.LoadChannels(0), 0u);

  // The Devices page: default name, then the second unit ranked first.
  SetName(data.devices[0]->name, kDefaultDeviceName);
  data.devices[0]->rank = 1;
  data.devices[1]->rank = 0;
  EXPECT_EQ(data.StoreDevices(), 0u);
  // A Channels page: a channel renamed, the ASIO names with the device.
  SetName(data.inputChannels[0]->channelName, DefaultChannelName(0, 0));
  EXPECT_EQ(data.SetChannelInfo(*data.inputChannels[0]), 0u);
  EXPECT_EQ(data.SetAsioNameMode(1), 0u);
  // The Synchronisation page: the second unit is clock master on word clock,
  // the rate follows it.
  data.syncInfos[1]->current = data.syncInfos[1]->modes[2];
  EXPECT_EQ(data.StopStreaming(), 0u);
  EXPECT_EQ(data.SetClockMaster(ClockMaster{0, kClockMasterDevice, data.devices[1]->deviceId}), 0u);
  EXPECT_EQ(data.SetRateMode(1), 0u);
  EXPECT_EQ(data.StoreSyncSources(), 0u);
  EXPECT_EQ(data.StartStreaming(), 0u);
  EXPECT_EQ(data.SetSampleRate(88200), 0u);
  // The Settings page: the three buffers.
  BufferSetting stream{}, asio{}, wdm{};
  ASSERT_EQ(data.GetStreamBuffer(&stream), 0u);
  ASSERT_EQ(data.GetAsioBuffer(&asio), 0u);
  ASSERT_EQ(data.GetWdmBuffer(&wdm), 0u);
  stream.words[StreamBuffer::kDepth] = stream.words[StreamBuffer::kMinimum] +
                                       2 * stream.words[StreamBuffer::kStep];
  asio.words[DeviceBuffer::kDepth] = 2500;
  wdm.words[DeviceBuffer::kDepth] = 80000;
  EXPECT_EQ(data.SetStreamBuffer(stream), 0u);
  EXPECT_EQ(data.SetAsioBuffer(asio), 0u);
  EXPECT_EQ(data.SetWdmBuffer(wdm), 0u);

  const simulator::core::Control state = machine->ControlState();
  EXPECT_STREQ(state.units[0].name, "Korvane X-Tamber");
  EXPECT_EQ(state.units[0].rank, 1u);
  EXPECT_STREQ(state.units[0].channelNames[0][0], "In1");
  EXPECT_EQ(state.asioNameMode, 1u);
  EXPECT_EQ(state.clockMasterKind, 1u);
  EXPECT_EQ(state.rateMode, 1u);
  EXPECT_EQ(state.units[1].syncMode, 2u);
  EXPECT_EQ(state.currentRate, 88200u);
  EXPECT_EQ(state.asioBuffer.words[0], 2500u);
  EXPECT_EQ(state.wdmBuffer.words[0], 80000u);
  EXPECT_EQ(state.streamBuffer.words[3], stream.words[StreamBuffer::kDepth]);

  // What the pages read back.
  ASSERT_EQ(data.LoadDevices(), 0u);
  EXPECT_EQ(NameText(data.devices[1]->name), "Korvane X-Tamber");  // now ranked second
  DeviceStreams streams{};
  ASSERT_EQ(data.GetDeviceStreams(data.devices[0]->deviceId, &streams), 0u);
  EXPECT_EQ(PlugCellText(streams.plugs[2]), "connected (16)");  // the master sends sync
  EXPECT_EQ(RateItemText(streams.plugs[0].currentRate), "88.2 kHz");
  AsioStatistics statistics{};
  EXPECT_EQ(data.GetAsioStatistics(&statistics), 0u);
  std::uint32_t mode = 0;
  ASSERT_EQ(data.GetRateMode(&mode), 0u);
  EXPECT_EQ(mode, 1u);
}

TEST(DriverClientOnTheSimulator, ReportsTheDriversRefusalsAndAbsence) {
  ScopedMachine machine(Devices(1));
  CDriverData data;
  machine->SetControlAbsent(true);
  EXPECT_EQ(data.Open(), 2u);  // ERROR_FILE_NOT_FOUND
  EXPECT_EQ(data.LoadDevices(), kDriverNotOpen);

  machine->SetControlAbsent(false);
  machine->SetInterfaceVersion(2, 9);
  EXPECT_EQ(data.Open(), kDriverIncompatibleVersion);
  EXPECT_FALSE(data.IsOpen());
  machine->SetInterfaceVersion(2, 11);
  ASSERT_EQ(data.Open(), 0u);

  EXPECT_EQ(data.SetSampleRate(22050), 0xE0000080u);  // not a rate of the device
  machine->SetWdmInUse(true);
  EXPECT_EQ(data.SetSampleRate(44100), kDriverWdmDeviceInUse);
  machine->SetRequestFailure(DriverRequest::kGetDeviceList, 0xE0000001);
  EXPECT_EQ(data.LoadDevices(), 0xE0000001u);
  EXPECT_TRUE(data.devices.empty());
}

TEST(DriverClientOnTheSimulator, ADeviceThatVanishesMidLoadIsLeftOut) {
  ScopedMachine machine(Devices(3));
  CDriverData data;
  ASSERT_EQ(data.Open(), 0u);
  // The last unit is ranked into the middle, then pulled right after the
  // device list was read: of three listed, the first and third remain.
  ASSERT_EQ(data.LoadDevices(), 0u);
  data.devices[2]->rank = 1;
  data.devices[1]->rank = 2;
  ASSERT_EQ(data.StoreDevices(), 0u);
  const std::uint32_t first = machine->ControlDeviceId(0), middle = machine->ControlDeviceId(2),
                      third = machine->ControlDeviceId(1);
  machine->SetRequestHook([&](const simulator::RequestRecord& request) {
    if (request.code == DriverRequest::kGetDeviceList) machine->SetDeviceCount(2);
  });
  EXPECT_EQ(data.LoadDevices(), 0xE0008010u);  // no such device instance
  machine->SetRequestHook(nullptr);
  ASSERT_EQ(data.devices.size(), 2u);
  EXPECT_EQ(data.devices[0]->deviceId, first);
  EXPECT_EQ(data.devices[1]->deviceId, third);
  EXPECT_NE(data.devices[1]->deviceId, middle);
  // The ranking closed up behind the unit that went.
  EXPECT_EQ(data.devices[1]->rank, 1u);
}

TEST(DriverClientOnTheSimulator, ReadsMisbehavingRepliesOnlyWithinTheirRecords) {
  ScopedMachine machine(Devices(2));
  machine->SetOversizeCounts(true);
  machine->SetUnterminatedNames(true);
  platform::LogCapture log;
  CDriverData data;
  ASSERT_EQ(data.Open(), 0u);
  // The list claims 1000 devices; the 62 empty identifiers past the two
  // real ones are refused by the driver one by one.
  EXPECT_EQ(data.LoadDevices(), 0xE0008010u);
  EXPECT_EQ(data.devices.size(), 2u);
  EXPECT_EQ(NameText(data.devices[0]->name).size(), kNameMaxChars);
  ASSERT_EQ(data.LoadSyncInfo(), 0xE0008010u);
  EXPECT_EQ(data.syncInfos[0]->modeCount, kMaxSyncModes);
  EXPECT_EQ(DescribeSource(data.syncInfos[0]->current).size(),
            std::string("CSP (").size() + kNameMaxChars + 1);
  RateInfo rates{};
  ASSERT_EQ(data.GetRateInfo(&rates), 0u);
  EXPECT_EQ(rates.rateCount, kMaxRates);
  bool logged = false;
  for (const std::string& line : log.Lines()) logged = logged || line.find("1000") != std::string::npos;
  EXPECT_TRUE(logged);
}

TEST(DriverClientOnTheSimulator, NotificationsArriveOnTheNotifiersThread) {
  ScopedMachine machine(Devices(1));
  PostHook hook;
  int window = 0;
  {
    CDriverNotifier notifier;
    CDriverData data;
    ASSERT_EQ(data.Open(), 0u);
    notifier.SetTarget(&window, WM_DRIVER_NOTIFY, 0, 0);
    ASSERT_EQ(notifier.Start(), 0u);

    machine->SetDeviceCount(2);  // a unit arrives
    const std::vector<Posted> first = PostHook::WaitForPosts(1);
    ASSERT_GE(first.size(), 1u);
    EXPECT_EQ(first[0], (Posted{&window, 0x414, 0, 0}));
    EXPECT_EQ(data.SetSampleRate(44100), 0u);  // a change made by the panel itself
    ASSERT_GE(PostHook::WaitForPosts(2).size(), 2u);

    // The window's thread drains the queue on the notifier until it fails.
    std::vector<std::uint32_t> kinds;
    DriverNotification notification{};
    while (notifier.GetNotification(&notification) == 0) kinds.push_back(notification.kind);
    EXPECT_EQ(kinds, (std::vector<std::uint32_t>{2, 3}));
    EXPECT_EQ(notifier.Stop(), 0u);
    EXPECT_FALSE(notifier.IsOpen());
  }
}

}  // namespace
