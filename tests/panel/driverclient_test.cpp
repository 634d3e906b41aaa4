// The panel's driver-control client against a scripted control device: the
// open and its version check, the bytes of every request, the cache's loading
// rules, replies whose counts overrun their records, and the notification
// thread, including one that is stuck when asked to stop.
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "panel/drivercontrol.h"
#include "panel/driverdata.h"
#include "panel/drivernotifier.h"
#include "panel/notifypost.h"
#include "platform/log.h"
#include "tests/panel/fakedriver.h"
#include "tests/support/eventually.h"
#include "tests/support/posthook.h"

using namespace qdl;

namespace {

using namespace DriverRequest;
using Words = std::vector<std::uint32_t>;

TEST(CDriverControl, OpensTheControlDeviceSynchronouslyAndOnlyOnce) {
  FakeDriver driver;
  CDriverControl control;
  ASSERT_EQ(control.Open(), 0u);
  EXPECT_EQ(driver.openedPath, "\\\\.\\{73F85346-AF20-4235-B624-B69AE6792F5B}");
  EXPECT_FALSE(driver.openedOverlapped);
  EXPECT_EQ(control.Open(), 0u);
  EXPECT_EQ(driver.Codes(), Words{kGetDriverVersion}) << "an open instance asks nothing";
  EXPECT_EQ(driver.requests[0].outSize, 12u);
  control.Close();
  control.Close();
  EXPECT_FALSE(control.IsOpen());
  EXPECT_TRUE(driver.openHandles.empty());
}

TEST(CDriverControl, AcceptsInterfaceVersionTwoTenAndLaterTwoX) {
  const struct {
    std::uint8_t major, minor;
    bool accepted;
  } versions[] = {{2, 10, true}, {2, 11, true}, {2, 255, true}, {2, 9, false}, {3, 0, false}};
  for (const auto& v : versions) {
    const std::string text = std::to_string(v.major) + "." + std::to_string(v.minor);
    SCOPED_TRACE(text);
    FakeDriver driver;
    driver.Reply(kGetDriverVersion, DriverVersion{v.major, v.minor, {}});
    platform::LogCapture log;
    CDriverControl control;
    EXPECT_EQ(control.Open(), v.accepted ? 0u : kDriverIncompatibleVersion);
    EXPECT_EQ(driver.openHandles.size(), v.accepted ? 1u : 0u);
    EXPECT_EQ(log.Count("Driver interface version " + text + " is not supported.\n"), !v.accepted);
  }
}

TEST(CDriverControl, AFailedOpenLeavesAClosedInstanceThatTouchesNoBuffer) {
  for (bool refused : {true, false}) {
    SCOPED_TRACE(refused ? "open refused" : "version request failing");
    FakeDriver driver;
    driver.openError = refused ? 5 : 0;
    driver.Fail(kGetDriverVersion, -1, 0xE0000305);
    CDriverControl control;
    EXPECT_EQ(control.Open(), refused ? 5u : 0xE0000305u);
    EXPECT_TRUE(driver.openHandles.empty());

    driver.requests.clear();
    DeviceInfo info;
    std::memset(&info, 0xAB, sizeof info);
    std::uint32_t mode = 77;
    EXPECT_EQ(control.GetDeviceInfo(1, &info), kDriverNotOpen);
    EXPECT_EQ(control.GetRateMode(&mode), kDriverNotOpen);
    EXPECT_EQ(control.StartStreaming(), kDriverNotOpen);
    EXPECT_EQ(mode, 77u);
    EXPECT_EQ(info.deviceId, 0xABABABABu);
    EXPECT_TRUE(driver.requests.empty());
  }
}

TEST(CDriverControl, EachTypedRequestSendsItsCodeAndSizes) {
  DriverVersion version{};
  DriverNotification note{};
  DeviceList devices{};
  ChannelList channels{};
  ClockMaster master{9, kClockMasterDevice, 7};
  RateInfo rates{};
  SyncInfo sync{};
  DeviceInfo device{7, 2, {}, {}};
  DeviceStreams streams{};
  ChannelInfo channel{33, 7, 1, {}, {}};
  BufferSetting buffer{{1, 2, 3, 4}};
  AsioStatistics statistics{};
  std::uint32_t word = 0;
  struct {  // where the gets land, apart from what the sets send
    ClockMaster master;
    DeviceInfo device;
    ChannelInfo channel;
    BufferSetting buffer;
  } read{};
  const struct {
    const char* name;
    std::function<DriverStatus(CDriverControl&)> call;
    std::uint32_t code, inSize, outSize;
    Words input;
  } rows[] = {  // codes as the driver defines them, not as the client spells them
      {"GetDriverVersion", [&](auto& c) { return c.GetDriverVersion(&version); }, 0x80882804, 0, 12, {}},
      {"GetAsioNameMode", [&](auto& c) { return c.GetAsioNameMode(&word); }, 0x80882810, 0, 4, {}},
      {"SetAsioNameMode", [&](auto& c) { return c.SetAsioNameMode(1); }, 0x80882814, 4, 0, {1}},
      {"RegisterNotifyEvent", [&](auto& c) { return c.RegisterNotifyEvent(0x1234); }, 0x80882820, 4, 0, {0x1234}},
      {"GetNotification", [&](auto& c) { return c.GetNotification(&note); }, 0x80882828, 0, 12, {}},
      {"GetDeviceList", [&](auto& c) { return c.GetDeviceList(&devices); }, 0x80882860, 0, 260, {}},
      {"GetChannelList", [&](auto& c) { return c.GetChannelList(&channels); }, 0x80882864, 0, 2056, {}},
      {"GetClockMaster", [&](auto& c) { return c.GetClockMaster(&read.master); }, 0x80882880, 0, 12, {}},
      {"SetClockMaster", [&](auto& c) { return c.SetClockMaster(master); }, 0x80882884, 12, 0, {9, 1, 7}},
      {"GetRateMode", [&](auto& c) { return c.GetRateMode(&word); }, 0x80882888, 0, 8, {}},
      {"SetRateMode", [&](auto& c) { return c.SetRateMode(2); }, 0x8088288C, 8, 0, {0, 2}},
      {"GetRateInfo", [&](auto& c) { return c.GetRateInfo(&rates); }, 0x808828C0, 0, 44, {}},
      {"SetSampleRate", [&](auto& c) { return c.SetSampleRate(96000); }, 0x808828C4, 8, 0, {0, 96000}},
      {"GetSyncInfo", [&](auto& c) { return c.GetSyncInfo(7, &sync); }, 0x80882900, 4, 824, {7}},
      {"SetSyncSource", [&](auto& c) { return c.SetSyncSource(7, 4, 2); }, 0x80882904, 12, 0, {7, 4, 2}},
      {"GetDeviceInfo", [&](auto& c) { return c.GetDeviceInfo(7, &read.device); }, 0x80882920, 4, 432, {7}},
      {"SetDeviceInfo", [&](auto& c) { return c.SetDeviceInfo(device); }, 0x80882924, 432, 0, {7, 2}},
      {"GetDeviceStreams", [&](auto& c) { return c.GetDeviceStreams(7, &streams); }, 0x80882928, 4, 212, {7}},
      {"GetChannelInfo", [&](auto& c) { return c.GetChannelInfo(33, &read.channel); }, 0x80882980, 4, 92, {33}},
      {"SetChannelInfo", [&](auto& c) { return c.SetChannelInfo(channel); }, 0x80882984, 92, 0, {33, 7, 1}},
      {"StartStreaming", [&](auto& c) { return c.StartStreaming(); }, 0x80882A00, 0, 0, {}},
      {"StopStreaming", [&](auto& c) { return c.StopStreaming(); }, 0x80882A04, 0, 0, {}},
      {"GetStreamBuffer", [&](auto& c) { return c.GetStreamBuffer(&read.buffer); }, 0x80882A80, 0, 16, {}},
      {"SetStreamBuffer", [&](auto& c) { return c.SetStreamBuffer(buffer); }, 0x80882A84, 16, 0, {1, 2, 3, 4}},
      {"GetAsioBuffer", [&](auto& c) { return c.GetAsioBuffer(&read.buffer); }, 0x80882A88, 0, 16, {}},
      {"SetAsioBuffer", [&](auto& c) { return c.SetAsioBuffer(buffer); }, 0x80882A8C, 16, 0, {1, 2, 3, 4}},
      {"GetWdmBuffer", [&](auto& c) { return c.GetWdmBuffer(&read.buffer); }, 0x80882A90, 0, 16, {}},
      {"SetWdmBuffer", [&](auto& c) { return c.SetWdmBuffer(buffer); }, 0x80882A94, 16, 0, {1, 2, 3, 4}},
      {"GetAsioStatistics", [&](auto& c) { return c.GetAsioStatistics(&statistics); }, 0x80882AC8, 0, 60, {}},
  };
  FakeDriver driver;
  CDriverControl control;
  ASSERT_EQ(control.Open(), 0u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    driver.requests.clear();
    EXPECT_EQ(row.call(control), 0u);
    ASSERT_EQ(driver.requests.size(), 1u);
    const auto& sent = driver.requests[0];
    EXPECT_EQ(sent.code, row.code);
    EXPECT_EQ(sent.inSize, row.inSize);
    EXPECT_EQ(sent.outSize, row.outSize);
    EXPECT_EQ(sent.inNull, row.inSize == 0);
    EXPECT_EQ(sent.outNull, row.outSize == 0);
    EXPECT_EQ(Words(sent.input.begin(), sent.input.begin() + row.input.size()), row.input);
  }
  driver.Reply(kGetRateMode, DriverValuePair{5, 3});
  EXPECT_EQ(control.GetRateMode(&word), 0u);
  EXPECT_EQ(word, 3u) << "the mode is the reply's second word";
}

TEST(CDriverControl, CountsBeyondTheirRecordsAreCutToCapacityAndLogged) {
  FakeDriver driver;
  DeviceList devices{1000, {}};
  ChannelList channels{300, {}, 300, {}};
  SyncInfo sync{};
  sync.modeCount = 17;
  RateInfo rates{0, 48000, 9, {}};
  DeviceStreams streams{};
  streams.plugs[0].rateCount = 3;
  streams.plugs[2].rateCount = 0xFFFFFFFF;
  driver.Reply(kGetDeviceList, devices);
  driver.Reply(kGetChannelList, channels);
  driver.Reply(kGetSyncInfo, sync);
  driver.Reply(kGetRateInfo, rates);
  driver.Reply(kGetDeviceStreams, streams);
  CDriverControl control;
  ASSERT_EQ(control.Open(), 0u);
  platform::LogCapture log;
  ASSERT_EQ(control.GetDeviceList(&devices), 0u);
  ASSERT_EQ(control.GetChannelList(&channels), 0u);
  ASSERT_EQ(control.GetSyncInfo(1, &sync), 0u);
  ASSERT_EQ(control.GetRateInfo(&rates), 0u);
  ASSERT_EQ(control.GetDeviceStreams(1, &streams), 0u);
  EXPECT_EQ(devices.count, 64u);
  EXPECT_EQ(channels.inputCount, 256u);
  EXPECT_EQ(channels.outputCount, 256u);
  EXPECT_EQ(sync.modeCount, 16u);
  EXPECT_EQ(rates.rateCount, 8u);
  EXPECT_EQ(streams.plugs[0].rateCount, 3u);
  EXPECT_EQ(streams.plugs[2].rateCount, 8u);
  EXPECT_EQ(log.Lines(),
            (std::vector<std::string>{
                "Driver reply: device count 1000 exceeds 64; reading 64.\n",
                "Driver reply: input channel count 300 exceeds 256; reading 256.\n",
                "Driver reply: output channel count 300 exceeds 256; reading 256.\n",
                "Driver reply: sync mode count 17 exceeds 16; reading 16.\n",
                "Driver reply: rate count 9 exceeds 8; reading 8.\n",
                "Driver reply: synch out plug rate count 4294967295 exceeds 8; reading 8.\n"}));

  // The cache walks the list it was given: under ASan, a walk past its end
  // would be caught here.
  CDriverData data;
  ASSERT_EQ(data.Open(), 0u);
  EXPECT_EQ(data.LoadDevices(), 0u);
  EXPECT_EQ(data.LoadChannels(1), 0u);
  EXPECT_EQ(data.devices.size(), 64u);
  EXPECT_EQ(data.outputChannels.size(), 256u);

  driver.Reply(kGetDeviceList, DeviceList{64, {}});
  log.Clear();
  ASSERT_EQ(control.GetDeviceList(&devices), 0u);
  EXPECT_EQ(devices.count, 64u);
  EXPECT_TRUE(log.Lines().empty()) << "a full list is no overrun";
}

TEST(CDriverControl, ARecordReceivesOnlyASuccessfulReplyAndAShortOneReadsAsZeros) {
  FakeDriver driver;
  CDriverControl control;
  ASSERT_EQ(control.Open(), 0u);
  // A driver that fills the buffer and then fails: the cached record keeps
  // what it had, and the oversized count never reaches it.
  driver.writeBeforeFailing = true;
  driver.Reply(kGetRateInfo, RateInfo{0, 96000, 0xFFFFFFFF, {1, 2, 3, 4, 5, 6, 7, 8}});
  driver.Fail(kGetRateInfo, 0, platform::kErrorMoreData);
  RateInfo cached{0, 48000, 2, {44100, 48000}};
  EXPECT_EQ(control.GetRateInfo(&cached), platform::kErrorMoreData);
  EXPECT_EQ(cached.currentRate, 48000u);
  EXPECT_EQ(cached.rateCount, 2u);
  EXPECT_EQ(cached.rates[2], 0u);

  // A reply that stops after its count: the old entries behind it are gone.
  struct {
    std::uint32_t count, firstId;
  } shortList{3, 21};
  driver.Reply(kGetDeviceList, shortList);
  DeviceList devices{5, {1, 2, 3, 4, 5}};
  ASSERT_EQ(control.GetDeviceList(&devices), 0u);
  EXPECT_EQ(devices.count, 3u);
  EXPECT_EQ(devices.deviceIds[0], 21u);
  EXPECT_EQ(devices.deviceIds[1], 0u);
  EXPECT_EQ(devices.deviceIds[4], 0u);
}

class CDriverDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(data.Open(), 0u);
    driver.requests.clear();
  }
  // Devices with these ids, ranked in this order, each synchronised to source
  // type 4 numbered 100 + id.
  void ListDevices(const Words& ids) {
    DeviceList list{static_cast<std::uint32_t>(ids.size()), {}};
    for (std::uint32_t i = 0; i < ids.size(); ++i) {
      list.deviceIds[i] = ids[i];
      driver.Reply(kGetDeviceInfo, DeviceInfo{ids[i], i, {}, {}}, ids[i]);
      driver.Reply(kGetSyncInfo, SyncInfo{ids[i], {4, 100 + ids[i], {}}, 0, {}}, ids[i]);
    }
    driver.Reply(kGetDeviceList, list);
  }
  Words Sent(std::uint32_t code) const {
    Words words;
    const std::size_t length = code == kSetSyncSource ? 3 : 1;  // the selection, or the id
    for (const auto& r : driver.requests)
      if (r.code == code) words.insert(words.end(), r.input.begin(), r.input.begin() + length);
    return words;
  }
  // Every record starts with its id.
  template <typename Record>
  static Words Ids(const std::vector<std::unique_ptr<Record>>& records) {
    Words ids;
    for (const auto& r : records) ids.push_back(*reinterpret_cast<const std::uint32_t*>(r.get()));
    return ids;
  }

  FakeDriver driver;
  CDriverData data;
};

TEST_F(CDriverDataTest, ARecordTheDriverRefusesIsLeftOutAndTheFirstFailureReturned) {
  ListDevices({});
  EXPECT_EQ(data.LoadDevices(), 0u);
  EXPECT_TRUE(data.devices.empty());
  EXPECT_EQ(driver.Codes(), Words{kGetDeviceList});

  ListDevices({4, 9, 2});
  driver.Fail(kGetDeviceInfo, 1, 0xE0000030);
  EXPECT_EQ(data.LoadDevices(), 0xE0000030u);
  EXPECT_EQ(Ids(data.devices), (Words{4, 2}));
  EXPECT_EQ(data.devices[1]->rank, 2u);
  EXPECT_EQ(Sent(kGetDeviceInfo), (Words{4, 9, 2}));

  driver.Fail(kGetSyncInfo, 0, 0xE0000031);
  driver.Fail(kGetSyncInfo, 2, 0xE0000032);
  EXPECT_EQ(data.LoadSyncInfo(), 0xE0000031u);
  EXPECT_EQ(Ids(data.syncInfos), Words{9});
}

TEST_F(CDriverDataTest, AFailedListEmptiesTheCollection) {
  ListDevices({4, 9});
  ASSERT_EQ(data.LoadDevices(), 0u);
  ASSERT_EQ(data.LoadSyncInfo(), 0u);
  driver.Fail(kGetDeviceList, -1, 0xE0000305);
  EXPECT_EQ(data.LoadDevices(), 0xE0000305u);
  EXPECT_EQ(data.LoadSyncInfo(), 0xE0000305u);
  EXPECT_TRUE(data.devices.empty()) << "no record of an earlier configuration stays";
  EXPECT_TRUE(data.syncInfos.empty());
}

TEST_F(CDriverDataTest, EachDirectionLoadsItsOwnHalfOfTheChannelList) {
  ChannelList list{2, {10, 11}, 3, {20, 21, 22}};
  driver.Reply(kGetChannelList, list);
  for (std::uint32_t id : {10, 11, 20, 21, 22}) driver.Reply(kGetChannelInfo, ChannelInfo{id, 1, id >= 20, {}, {}}, id);

  EXPECT_EQ(data.LoadChannels(0), 0u);
  EXPECT_EQ(Ids(data.inputChannels), (Words{10, 11}));
  EXPECT_TRUE(data.outputChannels.empty());
  EXPECT_EQ(data.LoadChannels(5), 0u) << "any non-zero direction is output";
  EXPECT_EQ(Ids(data.outputChannels), (Words{20, 21, 22}));
  EXPECT_EQ(data.inputChannels.size(), 2u);

  driver.Fail(kGetChannelList, -1, 0xE0000305);
  EXPECT_EQ(data.LoadChannels(0), 0xE0000305u);
  EXPECT_TRUE(data.inputChannels.empty());
  EXPECT_EQ(data.outputChannels.size(), 3u);
}

TEST_F(CDriverDataTest, StoringWritesEveryRecordPastAFailureAndReturnsTheFirst) {
  ListDevices({4, 9, 2});
  ASSERT_EQ(data.LoadDevices(), 0u);
  ASSERT_EQ(data.LoadSyncInfo(), 0u);
  data.syncInfos[2]->current = SyncSource{5, 0, {}};
  driver.requests.clear();
  driver.Fail(kSetDeviceInfo, 0, 0xE0000031);
  driver.Fail(kSetDeviceInfo, 1, 0xE0000032);
  driver.Fail(kSetSyncSource, 1, 0xE0000033);
  EXPECT_EQ(data.StoreDevices(), 0xE0000031u);
  EXPECT_EQ(Sent(kSetDeviceInfo), (Words{4, 9, 2}));
  EXPECT_EQ(data.StoreSyncSources(), 0xE0000033u);
  EXPECT_EQ(Sent(kSetSyncSource), (Words{4, 4, 104, 9, 4, 109, 2, 5, 0}));
}

// The notification thread posts through this hook, which can be made to
// block as a window thread that never takes its messages would.
class TestNotifier : public CDriverNotifier {
 public:
  using CDriverNotifier::LiveWaitThreads;
  using CDriverNotifier::SetStopWaitMs;
  static bool WaitUntilThreadsAlive(int count) {
    return testsupport::Eventually([&] { return LiveWaitThreads() == count; });
  }
};

std::uint32_t RegisteredWord(const FakeDriver& driver) {
  std::uint32_t word = 0;
  for (const auto& r : driver.requests)
    if (r.code == kRegisterNotifyEvent) word = r.input.at(0);
  return word;
}

int window = 0;

TEST(CDriverNotifier, PostsTheTargetMessageForEachNotificationOnAHandleOfItsOwn) {
  FakeDriver driver;
  PostHook hook;
  CDriverData data;
  ASSERT_EQ(data.Open(), 0u);
  driver.requests.clear();
  std::uint32_t word;
  {
    TestNotifier notifier;
    notifier.SetTarget(&window, WM_DRIVER_NOTIFY, 7, 0x55);
    ASSERT_EQ(notifier.Start(), 0u);
    ASSERT_EQ(driver.Codes(), (Words{kGetDriverVersion, kRegisterNotifyEvent}));
    EXPECT_EQ(driver.requests[1].inSize, 4u);
    EXPECT_EQ(driver.openHandles.size(), 2u);
    word = RegisteredWord(driver);
    ASSERT_TRUE(FakeDriver::Notify(word));
    EXPECT_EQ(PostHook::WaitForPosts(1), (std::vector<Posted>{{&window, 0x414, 7, 0x55}}));
    ASSERT_TRUE(FakeDriver::Notify(word));
    EXPECT_EQ(PostHook::WaitForPosts(2).size(), 2u);
    DriverNotification note;
    EXPECT_EQ(notifier.GetNotification(&note), 0u);
    EXPECT_EQ(driver.requests.back().handle, driver.requests[1].handle);
  }
  EXPECT_EQ(TestNotifier::LiveWaitThreads(), 0) << "destroying a started notifier stops it";
#ifndef _WIN32
  // Windows hands a closed handle's value to the next object at once, so only
  // the host's events can tell that this one is gone.
  EXPECT_FALSE(FakeDriver::Notify(word)) << "and closes its event";
#endif
  EXPECT_EQ(driver.openHandles.size(), 1u);
  EXPECT_TRUE(data.IsOpen()) << "the cache's handle is not the notifier's";
}

TEST(CDriverNotifier, ANotificationBeforeStopIsHandledAndNoWindowMeansNoPost) {
  FakeDriver driver;
  PostHook hook;
  TestNotifier notifier;
  EXPECT_EQ(notifier.Stop(), 0u) << "never started";
  ASSERT_EQ(notifier.Open(), 0u);
  EXPECT_FALSE(notifier.IsRunning());
  EXPECT_EQ(notifier.Stop(), 0u) << "idle, but open";
  EXPECT_FALSE(notifier.IsOpen()) << "an idle notifier's Stop still closes its handle";
  const struct {
    void* window;
    std::size_t posts;
  } steps[] = {{nullptr, 0}, {&window, 1}, {nullptr, 1}};
  for (const auto& step : steps) {
    notifier.SetTarget(step.window, WM_DRIVER_NOTIFY, 1, 2);
    ASSERT_EQ(notifier.Start(), 0u);
    ASSERT_TRUE(FakeDriver::Notify(RegisteredWord(driver)));
    EXPECT_EQ(notifier.Stop(), 0u);
    EXPECT_FALSE(notifier.IsOpen());
    std::lock_guard<std::mutex> hold(PostHook::mutex);
    EXPECT_EQ(PostHook::posts.size(), step.posts);
  }
  EXPECT_TRUE(driver.openHandles.empty());
}

TEST(CDriverNotifier, AFailedStartLeavesNothingOpenOrRunning) {
  for (bool refused : {true, false}) {
    SCOPED_TRACE(refused ? "open refused" : "registration refused");
    FakeDriver driver;
    driver.openError = refused ? 2 : 0;
    driver.Fail(kRegisterNotifyEvent, -1, 0xE0000030);
    TestNotifier notifier;
    EXPECT_EQ(notifier.Start(), refused ? 2u : 0xE0000030u);
    EXPECT_TRUE(driver.openHandles.empty());
    EXPECT_EQ(TestNotifier::LiveWaitThreads(), 0);
  }
}

TEST(CDriverNotifier, AThreadStuckInPostingIsLeftBehindAndARestartUsesFreshEvents) {
  FakeDriver driver;
  PostHook hook;
  platform::LogCapture log;
  PostHook::Block(true);
  {
    TestNotifier notifier;
    notifier.SetTarget(&window, WM_DRIVER_NOTIFY, 0, 0);
    ASSERT_EQ(notifier.Start(), 0u);
    const std::uint32_t first = RegisteredWord(driver);
    ASSERT_TRUE(FakeDriver::Notify(first));
    ASSERT_EQ(PostHook::WaitForPosts(1).size(), 1u);
    TestNotifier::SetStopWaitMs(100);
    EXPECT_EQ(notifier.Stop(), kDriverFailed);
    TestNotifier::SetStopWaitMs(10000);
    EXPECT_EQ(log.Count("Notification thread did not end; left detached.\n"), 1);
    EXPECT_TRUE(driver.openHandles.empty());

    ASSERT_EQ(notifier.Start(), 0u);
    EXPECT_NE(RegisteredWord(driver), first);
    EXPECT_EQ(TestNotifier::LiveWaitThreads(), 2);
  }
  EXPECT_EQ(TestNotifier::LiveWaitThreads(), 1) << "the abandoned one is still posting";
  PostHook::Block(false);
  EXPECT_TRUE(TestNotifier::WaitUntilThreadsAlive(0)) << "a restart must not undo its stop";
}

}  // namespace
