// The control panel's rules that need no window: the command line, the tree's
// page tags, the buffer sliders' scales, the clock-master list, the draining
// of notifications, and a driver that goes away.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "panel/driverdata.h"
#include "panel/pagerules.h"
#include "platform/errors.h"
#include "tests/panel/fakedriver.h"

namespace {

TEST(PanelCommandLine, OnlyTheWholeTokenAsioInAnyCaseCounts) {
  EXPECT_TRUE(HasAsioOption(L"-asio"));
  EXPECT_TRUE(HasAsioOption(L"  /x  -ASIO\tother"));
  EXPECT_TRUE(HasAsioOption(L"first -Asio"));
  EXPECT_FALSE(HasAsioOption(L""));
  EXPECT_FALSE(HasAsioOption(L"-asiox"));
  EXPECT_FALSE(HasAsioOption(L"x-asio"));
  EXPECT_FALSE(HasAsioOption(L"asio"));
}

TEST(PanelPageTags, TheTopByteOfTheItemDataNamesThePage) {
  EXPECT_EQ(PageOfItemData(0x11000000), PanelPage::kSettings);
  EXPECT_EQ(PageOfItemData(0x120000FF), PanelPage::kDevices);
  EXPECT_EQ(PageOfItemData(0x16000000), PanelPage::kStreams);
  EXPECT_EQ(PageOfItemData(0x18000000), PanelPage::kSync);
  // 64-bit item data: only its low 32 bits are the item's.
  EXPECT_EQ(PageOfItemData(0xFFFFFFFF14000000ull), PanelPage::kOutputChannels);
  EXPECT_EQ(PageOfItemData(0x15000000), std::nullopt);
  EXPECT_EQ(PageOfItemData(0), std::nullopt);
  for (int page = 0; page < kPanelPageCount; ++page)
    EXPECT_EQ(PageOfItemData(PageTag(static_cast<PanelPage>(page))), static_cast<PanelPage>(page));
}

TEST(BufferSliders, TheStreamSliderFollowsTheDriversRangeAndStep) {
  const std::optional<SliderScale> stream =
      StreamSliderScale(BufferSetting{{1000, 20000, 500, 4000}});
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->minimum, 2u);
  EXPECT_EQ(stream->maximum, 40u);
  EXPECT_EQ(stream->tickFrequency, 1u);  // 38 / 40 is 0, raised to 1
  EXPECT_EQ(stream->position, 8u);

  const std::optional<SliderScale> asio = DeviceSliderScale(BufferSetting{{5000, 2, 32, 0}});
  ASSERT_TRUE(asio);
  EXPECT_EQ(asio->minimum, 1u);
  EXPECT_EQ(asio->maximum, 160u);
  EXPECT_EQ(asio->tickFrequency, 3u);
  EXPECT_EQ(asio->position, 10u);
}

TEST(BufferSliders, AStepOfZeroOrAMaximumBelowTheMinimumMakesNoSlider) {
  EXPECT_FALSE(StreamSliderScale(BufferSetting{{1000, 20000, 0, 4000}}));
  EXPECT_FALSE(StreamSliderScale(BufferSetting{{20000, 1000, 500, 4000}}));
  // A range of a single position is still a slider.
  EXPECT_TRUE(StreamSliderScale(BufferSetting{{4000, 4000, 500, 4000}}));
}

TEST(ClockMasterList, OneRowIsCheckedAndTheMasterCannotBeUnchecked) {
  // Checking another row moves the master there and calls for "Apply".
  ClockMasterCheck check = CheckClockMasterRow(2, true, 0);
  EXPECT_EQ(check.checkedRow, 2);
  EXPECT_TRUE(check.uncheckOthers);
  EXPECT_TRUE(check.choiceChanged);
  EXPECT_FALSE(check.checkAgain);
  // Unchecking the master's row checks it again.
  check = CheckClockMasterRow(2, false, 2);
  EXPECT_EQ(check.checkedRow, 2);
  EXPECT_TRUE(check.checkAgain);
  EXPECT_FALSE(check.choiceChanged);
  // Selection changes of other rows change nothing.
  check = CheckClockMasterRow(1, false, 2);
  EXPECT_EQ(check.checkedRow, 2);
  EXPECT_FALSE(check.uncheckOthers || check.checkAgain || check.choiceChanged);
  // With no master yet, a check makes one.
  EXPECT_EQ(CheckClockMasterRow(0, true, -1).checkedRow, 0);
}

TEST(ClockMasterList, ThePcRowSetsTheRateByHandAndADeviceRowNamesItsDeviceById) {
  std::vector<std::unique_ptr<DeviceInfo>> devices;
  for (std::uint32_t id : {0x101u, 0x102u}) {
    devices.push_back(std::make_unique<DeviceInfo>());
    devices.back()->deviceId = id;
  }
  ClockMaster master{7, kClockMasterDevice, 0x101};
  std::uint32_t rateMode = 1;
  // The row's data is -1 as a pointer-sized integer, as the list keeps it.
  ASSERT_TRUE(ChooseClockMaster(static_cast<std::intptr_t>(-1), devices, &master, &rateMode));
  EXPECT_EQ(master.kind, kClockMasterPc);
  EXPECT_EQ(master.deviceId, 0u);
  EXPECT_EQ(master.reserved, 7u);
  EXPECT_EQ(rateMode, 0u);

  rateMode = 1;
  ASSERT_TRUE(ChooseClockMaster(0x102, devices, &master, &rateMode));
  EXPECT_EQ(master.kind, kClockMasterDevice);
  EXPECT_EQ(master.deviceId, 0x102u);
  EXPECT_EQ(rateMode, 1u);
  // 0xFFFFFFFF is a device id the list lacks, not the PC row; a row's device
  // that left chooses nothing, and neither does a position.
  EXPECT_FALSE(
      ChooseClockMaster(static_cast<std::intptr_t>(0xFFFFFFFFu), devices, &master, &rateMode));
  EXPECT_FALSE(ChooseClockMaster(0x103, devices, &master, &rateMode));
  EXPECT_FALSE(ChooseClockMaster(1, devices, &master, &rateMode));
  EXPECT_EQ(master.deviceId, 0x102u);
}

TEST(SyncRecords, TheCurrentRateAndModeAreFoundWithinTheRecords) {
  RateInfo rates{0, 48000, 3, {44100, 48000, 96000}};
  EXPECT_EQ(CurrentRateIndex(rates), 1);
  rates.currentRate = 32000;
  EXPECT_EQ(CurrentRateIndex(rates), -1);
  // A count past the record's room is read up to the room only.
  RateInfo oversize{0, 12345, 1000, {}};
  EXPECT_EQ(CurrentRateIndex(oversize), -1);

  SyncInfo info{};
  info.current.sourceId = 7;
  info.modeCount = 3;
  info.modes[0].sourceId = 5;
  info.modes[1].sourceId = 7;
  info.modes[2].sourceId = 7;
  EXPECT_EQ(CurrentModeIndex(info), 1);
  info.modeCount = 0xFFFFFFFF;
  info.current.sourceId = 99;
  EXPECT_EQ(CurrentModeIndex(info), -1);
}

TEST(PanelNotifications, TheQueueIsDrainedAndAnEndlessOneStopsAtTheLimit) {
  FakeDriver driver;
  CDriverControl notifier;
  ASSERT_EQ(notifier.Open(), 0u);
  // This driver's queue never ends (every read succeeds with kind 0).
  EXPECT_FALSE(DrainNotifications(notifier));
  int reads = 0;
  for (const FakeDriver::Request& request : driver.requests)
    reads += request.code == DriverRequest::kGetNotification;
  EXPECT_EQ(reads, kMaxNotificationsPerMessage);

  driver.Reply(DriverRequest::kGetNotification, DriverNotification{3, {}});
  EXPECT_TRUE(DrainNotifications(notifier));
  driver.Reply(DriverRequest::kGetNotification, DriverNotification{1, {}});
  EXPECT_FALSE(DrainNotifications(notifier));
}

TEST(PanelNotifications, ARequestThatFindsTheDriverGoneClosesTheClient) {
  FakeDriver driver;
  CDriverData data;
  ASSERT_EQ(data.Open(), 0u);
  // A driver's own failure leaves the client open.
  driver.Fail(DriverRequest::kGetDeviceList, 0, 0xE0000022);
  EXPECT_EQ(data.LoadDevices(), 0xE0000022u);
  EXPECT_TRUE(data.IsOpen());
  // A removed device does not.
  driver.Fail(DriverRequest::kGetDeviceList, 1, platform::kErrorDeviceRemoved);
  EXPECT_EQ(data.LoadDevices(), platform::kErrorDeviceRemoved);
  EXPECT_FALSE(data.IsOpen());
  EXPECT_TRUE(driver.openHandles.empty());
  // The next open works on a fresh handle.
  EXPECT_EQ(data.Open(), 0u);
  EXPECT_EQ(data.LoadDevices(), 0u);
}

}  // namespace
