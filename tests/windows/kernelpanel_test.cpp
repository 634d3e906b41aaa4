// The control panel's driver client against the simulated X-Tamber's
// kernel-mode driver: the control device "\\.\{73F85346-...}" opened with
// CreateFileA, synchronous requests, and the notification event handed to the
// driver as a handle of this process. KORVANE_SIMULATOR is unset here.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "panel/driverdata.h"
#include "panel/drivernotifier.h"
#include "panel/drivertext.h"
#include "panel/notifypost.h"
#include "platform/event.h"
#include "tests/support/posthook.h"
#include "tests/windows/kerneldriverfixture.h"

using namespace qdl;

namespace {

TEST_F(KernelDriver, ThePanelsClientLoadsStoresAndHearsTheDriver) {
  ASSERT_EQ(machine->Reset(3), 0u);
  CDriverData data;
  ASSERT_EQ(data.Open(), 0u);
  ASSERT_EQ(data.LoadDevices(), 0u);
  ASSERT_EQ(data.devices.size(), 3u);
  ASSERT_EQ(data.LoadChannels(0), 0u);
  EXPECT_EQ(data.inputChannels.size(), 24u);
  SetName(data.devices[2]->name, kDefaultDeviceName);
  EXPECT_EQ(data.StoreDevices(), 0u);
  ASSERT_EQ(data.LoadDevices(), 0u);
  EXPECT_EQ(NameText(data.devices[2]->name), kDefaultDeviceName);

  // The driver's own statuses reach the panel unchanged through the system.
  ASSERT_EQ(machine->SetFault(tc::kFaultWdmInUse, 1), 0u);
  EXPECT_EQ(data.SetSampleRate(44100), kDriverWdmDeviceInUse);

  // A unit that goes away: the driver signals the event the panel handed it.
  PostHook hook;
  static int view;
  CDriverNotifier notifier;
  notifier.SetTarget(&view, WM_DRIVER_NOTIFY, 0, 0);
  ASSERT_EQ(notifier.Start(), 0u);
  ASSERT_EQ(machine->SetDeviceCount(2), 0u);
  const std::vector<Posted> posted = PostHook::WaitForPosts(1);
  ASSERT_FALSE(posted.empty());
  EXPECT_EQ(posted[0].message, WM_DRIVER_NOTIFY);
  std::vector<std::uint32_t> kinds;
  DriverNotification notification{};
  while (notifier.GetNotification(&notification) == 0) kinds.push_back(notification.kind);
  EXPECT_NE(std::find(kinds.begin(), kinds.end(), 2u), kinds.end());
  EXPECT_EQ(notifier.Stop(), 0u);
  EXPECT_EQ(data.LoadDevices(), 0u);
  EXPECT_EQ(data.devices.size(), 2u);

  // The driver saw exactly the table's codes and sizes.
  bool registered = false;
  for (const simulator::RequestRecord& request : machine->Requests()) {
    if (request.device != -1) continue;
    if (request.code == DriverRequest::kRegisterNotifyEvent)
      registered = request.inSize == 4 && request.outSize == 0 && request.status == 0;
    if (request.code == DriverRequest::kGetDeviceInfo) {
      EXPECT_TRUE(request.inSize == 4 && request.outSize == 432);
    }
  }
  EXPECT_TRUE(registered);
}

TEST_F(KernelDriver, TheDriverLetsGoOfAnEventWhenItsHandleCloses) {
  platform::Event event;
  platform::Event* events[] = {&event};
  CDriverControl listener;
  ASSERT_EQ(listener.Open(), 0u);
  ASSERT_EQ(listener.RegisterNotifyEvent(event.Word()), 0u);
  ASSERT_EQ(machine->SetDeviceCount(2), 0u);
  EXPECT_EQ(platform::WaitForEvents(events, 1, 5000), 0);
  // A reset of the machine closes no handle, so the registration stays.
  ASSERT_EQ(machine->Reset(1), 0u);
  event.Reset();
  ASSERT_EQ(machine->SetDeviceCount(3), 0u);
  EXPECT_EQ(platform::WaitForEvents(events, 1, 5000), 0);
  listener.Close();
  ASSERT_EQ(machine->SetDeviceCount(1), 0u);
  EXPECT_EQ(platform::WaitForEvents(events, 1, 300), platform::kWaitTimeout);

  // A registration the driver refuses leaves the one before it in place.
  CDriverControl first, second;
  platform::Event refused;
  ASSERT_EQ(first.Open(), 0u);
  ASSERT_EQ(second.Open(), 0u);
  ASSERT_EQ(first.RegisterNotifyEvent(event.Word()), 0u);
  ASSERT_EQ(machine->SetFault(tc::kFaultRequestFailure, DriverRequest::kRegisterNotifyEvent,
                              0xE0000001),
            0u);
  EXPECT_EQ(second.RegisterNotifyEvent(refused.Word()), 0xE0000001u);
  ASSERT_EQ(machine->SetDeviceCount(2), 0u);
  EXPECT_EQ(platform::WaitForEvents(events, 1, 5000), 0);
  platform::Event* refusedEvents[] = {&refused};
  EXPECT_EQ(platform::WaitForEvents(refusedEvents, 1, 0), platform::kWaitTimeout);
}

}  // namespace
