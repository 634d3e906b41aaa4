// The mixer's true Windows paths against the simulated X-Tamber's kernel-mode
// driver, which Wine loads: SetupAPI enumeration, CreateFileA on interface
// paths, overlapped DeviceIoControl and GetOverlappedResult, and the
// machine-wide device lock between two processes. KORVANE_SIMULATOR is unset here, so nothing is
// simulated in-process; the test sets the machine up through the driver's
// test-control device.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "korvaneobjects/fcprecords.h"
#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "korvaneobjects/qdlctrl.h"
#include "platform/messagebox.h"
#include "platform/namedmutex.h"
#include "tests/support/eventually.h"
#include "tests/windows/kerneldriverfixture.h"
#include "velmora/korvanemix8bus.h"
#include "velmora/velmora.h"

using namespace korvane;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// How a transaction that was cancelled, or whose handle was closed, ends.
constexpr ULONG_PTR kStatusCancelled = 0xC0000120;
constexpr DWORD kLivenessMs = static_cast<DWORD>(testsupport::kLivenessLimit.count());

// Opens interfaces the way the engine's discovery does, until one fails.
std::vector<std::unique_ptr<CQdlCtrl>> OpenAll(DriverStatus* last) {
  std::vector<std::unique_ptr<CQdlCtrl>> clients;
  platform::DeviceInfoSet set = CreateDeviceList(&DeviceInterfaceGuid);
  for (;;) {
    auto client = std::make_unique<CQdlCtrl>();
    *last = client->OpenDevice(static_cast<std::uint32_t>(clients.size()), set, &DeviceInterfaceGuid);
    if (*last != kStatusSuccess) break;
    clients.push_back(std::move(client));
  }
  DestroyDeviceList(set);
  return clients;
}

FcpRequest MixerEnable(std::uint32_t timeoutMs) {
  FcpRequest request{};
  const std::uint8_t frame[] = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, 0x02, 0xD0, 0xFF};
  request.timeoutMs = timeoutMs;
  request.length = sizeof frame;
  std::memcpy(request.frame, frame, sizeof frame);
  return request;
}

TEST_F(KernelDriver, DiscoversTheUnitsThatArePluggedInAndRefusesAnOldDriver) {
  for (std::uint32_t count : {0u, 1u, 3u}) {
    SCOPED_TRACE(count);
    ASSERT_EQ(machine->Reset(count), 0u);
    DriverStatus last = 0;
    const auto clients = OpenAll(&last);
    EXPECT_EQ(clients.size(), count);
    EXPECT_EQ(last, kStatusNoSuchInstance);
    for (std::size_t i = 1; i < clients.size(); ++i)
      EXPECT_STRNE(clients[i]->DevicePath(), clients[i - 1]->DevicePath());
  }
  ASSERT_EQ(machine->SetFault(tc::kFaultVersion, 2, 9), 0u);
  DriverStatus last = 0;
  EXPECT_TRUE(OpenAll(&last).empty());
  EXPECT_EQ(last, kStatusIncompatibleVersion);
}

TEST_F(KernelDriver, OverlappedTransactionsWaitForASlowUnitOrItsTimeOut) {
  DriverStatus last = 0;
  auto clients = OpenAll(&last);
  ASSERT_EQ(clients.size(), 1u);
  ASSERT_EQ(machine->SetFault(tc::kFaultReplyDelayMs, 300), 0u);
  FcpResponse response{};
  FcpRequest request = MixerEnable(1000);
  auto start = Clock::now();
  EXPECT_EQ(clients[0]->SendFCPRequest(&request, &response), kStatusSuccess);
  EXPECT_GE(Clock::now() - start, 290ms);
  EXPECT_EQ(response.frame[0], 0x09);  // accepted
  EXPECT_TRUE(machine->State(0).mixerEnabled);

  ASSERT_EQ(machine->SetFault(tc::kFaultReplyDelayMs, 5000), 0u);
  request = MixerEnable(200);
  start = Clock::now();
  EXPECT_EQ(clients[0]->SendFCPRequest(&request, &response), kStatusTimeout);
  EXPECT_GE(Clock::now() - start, 190ms);

  const std::vector<simulator::RequestRecord> requests = machine->Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().code, kIoctlFcpTransaction);
  EXPECT_EQ(requests.back().inSize, sizeof(FcpRequest));
  EXPECT_EQ(requests.back().outSize, sizeof(FcpResponse));
}

// A transaction the driver holds back ends when its caller cancels it or
// closes its handle, and only that one: another handle's goes on to its reply.
TEST_F(KernelDriver, APendingTransactionEndsWithItsCancelOrItsHandleAndNoOther) {
  DriverStatus last = 0;
  const auto clients = OpenAll(&last);
  ASSERT_EQ(clients.size(), 1u);
  ASSERT_EQ(machine->SetFault(tc::kFaultReplyDelayMs, 1500), 0u);
  const auto open = [&] {
    return CreateFileA(clients[0]->DevicePath(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
  };
  struct Transaction {
    FcpRequest request = MixerEnable(10000);
    FcpResponse response{};
    OVERLAPPED overlapped{};
    Transaction() { overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    ~Transaction() { CloseHandle(overlapped.hEvent); }
    bool Start(HANDLE device) {
      return !DeviceIoControl(device, kIoctlFcpTransaction, &request, sizeof request, &response,
                              sizeof response, nullptr, &overlapped) &&
             GetLastError() == ERROR_IO_PENDING;
    }
  };
  HANDLE a = open(), b = open();
  ASSERT_NE(a, INVALID_HANDLE_VALUE);
  ASSERT_NE(b, INVALID_HANDLE_VALUE);
  Transaction cancelled, closed, answered;
  ASSERT_TRUE(answered.Start(b));
  ASSERT_TRUE(cancelled.Start(a));
  ASSERT_TRUE(closed.Start(a));

  ASSERT_TRUE(CancelIoEx(a, &cancelled.overlapped));
  DWORD bytes = 0;
  EXPECT_FALSE(GetOverlappedResult(a, &cancelled.overlapped, &bytes, TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  CloseHandle(a);
  ASSERT_EQ(WaitForSingleObject(closed.overlapped.hEvent, kLivenessMs), WAIT_OBJECT_0);
  EXPECT_EQ(closed.overlapped.Internal, kStatusCancelled)
      << "closing the handle must end its transaction, not the unit's reply";

  EXPECT_TRUE(GetOverlappedResult(b, &answered.overlapped, &bytes, TRUE));
  EXPECT_EQ(bytes, sizeof(FcpResponse));
  EXPECT_EQ(answered.response.frame[0], 0x09);  // accepted
  CloseHandle(b);
  EXPECT_TRUE(machine->State(0).mixerEnabled) << "the driver still answers";
}

TEST_F(KernelDriver, AFaderMoveReachesTheUnitThroughTheEngine) {
  KorvaneMasterControl* master = GetMasterControl();
  ASSERT_EQ(master->InitKorvaneMasterControl(nullptr), 1u);
  KMXSetInteger(IDMIXERACTIVE, 1);
  KMXSetFloat(IDFADER | 2, 0.5);

  FullMixRecord record;
  master->Model()->BuildFullMixRecord(0, &record);
  const bool holds = testsupport::Eventually([&] {
    const simulator::DeviceState state = machine->State(0);
    bool same = state.mixerEnabled;
    for (int slot = 0; same && slot < kMixGainCount; ++slot)
      same = state.mixes[0][slot] == GainToDeviceUnits(record.gains[slot]);
    return same;
  });
  DestroyMasterControl();
  EXPECT_TRUE(holds) << "the unit does not hold the model's mix";
  bool loadMixSeen = false;
  for (const simulator::FrameRecord& frame : machine->Frames(0))
    loadMixSeen = loadMixSeen || (frame.frame.size() == 76 && frame.frame[6] == 0x09);
  EXPECT_TRUE(loadMixSeen);
}

// Not the driver's: the machine-wide named mutex the engine takes around its
// device work, between two processes.
TEST(DeviceLock, TwoProcessesTakeItInTurn) {
  const std::string eventName = "KorvaneTestLockHeld" + std::to_string(GetCurrentProcessId());
  HANDLE held = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, (eventName + ".release").c_str());
  HANDLE releasing = CreateEventA(nullptr, TRUE, FALSE, (eventName + ".releasing").c_str());
  ASSERT_NE(held, nullptr);
  ASSERT_NE(release, nullptr);
  ASSERT_NE(releasing, nullptr);
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string holder = self;
  holder = holder.substr(0, holder.find_last_of("\\/") + 1) + "lockholder.exe";
  std::string command = "\"" + holder + "\" " + eventName;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(holder.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process));
  ASSERT_EQ(WaitForSingleObject(held, kLivenessMs), WAIT_OBJECT_0);

  platform::NamedMutex lock(kDeviceLockName);
  EXPECT_FALSE(lock.Lock(0)) << "the other process holds the device";
  SetEvent(release);
  EXPECT_TRUE(lock.Lock(kLivenessMs));
  EXPECT_EQ(WaitForSingleObject(releasing, 0), WAIT_OBJECT_0) << "taken only once the other let go";
  EXPECT_TRUE(lock.Unlock());

  DWORD exitCode = 1;
  WaitForSingleObject(process.hProcess, kLivenessMs);
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(held);
  CloseHandle(release);
  CloseHandle(releasing);
}

}  // namespace
