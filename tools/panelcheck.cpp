// A windowless check of the control panel's driver path: opens the driver's
// control device, prints what the panel's pages would show, changes the
// sampling rate and back, and waits for the driver's notifications on the
// notifier's thread. Run on the simulated driver it proves the panel's client
// end to end. With --measure it times the driver's requests instead; with
// --rate HZ it only sets the sampling rate, as another program would.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "panel/driverdata.h"
#include "panel/drivernotifier.h"
#include "panel/drivertext.h"
#include "panel/notifypost.h"
#include "simulator/simulatedmachine.h"

using namespace qdl;

namespace {

std::mutex postedLock;
std::condition_variable postedChanged;
int postedCount = 0;

bool CountPost(void*, std::uint32_t, std::uint32_t, std::uint32_t) {
  std::lock_guard<std::mutex> hold(postedLock);
  ++postedCount;
  postedChanged.notify_all();
  return true;
}

bool WaitForPosts(int count) {
  std::unique_lock<std::mutex> hold(postedLock);
  return postedChanged.wait_for(hold, std::chrono::seconds(5),
                                [&] { return postedCount >= count; });
}

void PrintDevices(CDriverData& data) {
  const DriverStatus devices = data.LoadDevices();
  const DriverStatus syncs = data.LoadSyncInfo();
  std::printf("%zu device(s)%s\n", data.devices.size(), devices ? " (load incomplete)" : "");
  for (std::size_t i = 0; i < data.devices.size(); ++i) {
    const DeviceInfo& device = *data.devices[i];
    std::printf(
        "  %-40s serial %s, rank %u\n", NameText(device.name).c_str(),
        std::string(device.serialNumber, strnlen(device.serialNumber, sizeof device.serialNumber))
            .c_str(),
        static_cast<unsigned>(device.rank));
    if (syncs == 0 && i < data.syncInfos.size())
      std::printf("    synchronisation: %s\n", DescribeSource(data.syncInfos[i]->current).c_str());
    DeviceStreams streams{};
    if (data.GetDeviceStreams(device.deviceId, &streams) == 0)
      for (int plug = 0; plug < kPlugCount; ++plug)
        std::printf("    %-13s %s\n", PlugName(plug), PlugCellText(streams.plugs[plug]).c_str());
  }
}

void PrintChannels(CDriverData& data) {
  for (std::uint32_t direction = 0; direction < 2; ++direction) {
    data.LoadChannels(direction);
    const auto& channels = direction == 0 ? data.inputChannels : data.outputChannels;
    std::printf("%s channels: %zu\n", direction == 0 ? "Input" : "Output", channels.size());
    for (const auto& channel : channels)
      std::printf("  %-16s %s\n", NameText(channel->hardwareName).c_str(),
                  NameText(channel->channelName).c_str());
  }
}

void PrintSettings(CDriverData& data) {
  if (data.GetRateInfo(&data.rateInfo) == 0) {
    std::printf("Sampling rates:");
    for (std::uint32_t i = 0; i < data.rateInfo.rateCount; ++i)
      std::printf(" %s%s", RateItemText(data.rateInfo.rates[i]).c_str(),
                  data.rateInfo.rates[i] == data.rateInfo.currentRate ? " (current)" : "");
    std::printf("\n");
  }
  const std::uint32_t rate = data.rateInfo.currentRate;
  BufferSetting buffer{};
  if (data.GetStreamBuffer(&buffer) == 0)
    std::printf("Stream buffer: %s\n", DepthText(buffer.words[StreamBuffer::kDepth]).c_str());
  if (data.GetAsioBuffer(&buffer) == 0)
    std::printf("ASIO buffer: %s\n",
                DeviceBufferText(buffer.words[DeviceBuffer::kDepth],
                                 buffer.words[DeviceBuffer::kGranularity], rate)
                    .c_str());
  AsioStatistics statistics{};
  if (data.GetAsioStatistics(&statistics) == 0)
    std::printf("ASIO drop-outs detected: %u\n",
                static_cast<unsigned>(statistics.words[kAsioDropOuts]));
}

// How long the panel waits on the driver: one request, and the refresh of the
// device, synchronisation and both channel collections that every change
// notification causes.
void Measure(CDriverData& data) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> requestUs, refreshMs;
  for (int i = 0; i < 2000; ++i) {
    DriverVersion version{};
    const auto start = Clock::now();
    data.GetDriverVersion(&version);
    requestUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  for (int i = 0; i < 50; ++i) {
    const auto start = Clock::now();
    data.LoadDevices();
    data.LoadSyncInfo();
    data.LoadChannels(0);
    data.LoadChannels(1);
    refreshMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(requestUs.begin(), requestUs.end());
  std::sort(refreshMs.begin(), refreshMs.end());
  std::printf("One request: p50 %.3f ms, p99 %.3f ms\n", requestUs[1000] / 1000,
              requestUs[1980] / 1000);
  std::printf("Refresh of %zu device(s), %zu + %zu channels: p50 %.1f ms, p99 %.1f ms\n",
              data.devices.size(), data.inputChannels.size(), data.outputChannels.size(),
              refreshMs[25], refreshMs[49]);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (simulator::InstallFromEnvironment())
    std::printf("Using the simulated X-Tamber (KORVANE_SIMULATOR).\n");

  CDriverData& data = CDriverData::Instance();
  const DriverStatus opened = data.Open();
  if (opened != 0) {
    std::printf("Opening the driver's control device failed: 0x%08X\n",
                static_cast<unsigned>(opened));
    return 1;
  }
  if (argc > 1 && std::strcmp(argv[1], "--measure") == 0) {
    Measure(data);
    return 0;
  }
  if (argc > 1 && std::strcmp(argv[1], "--rate") == 0) {
    char* end = nullptr;
    const unsigned long rate = argc == 3 ? std::strtoul(argv[2], &end, 10) : 0;
    if (argc != 3 || end == argv[2] || *end != '\0' || rate == 0 || rate > 0xFFFFFFFFul) {
      std::printf("panelcheck: --rate takes a sampling rate in Hz\n");
      return 2;
    }
    const DriverStatus status = data.SetSampleRate(static_cast<std::uint32_t>(rate));
    std::printf("Sampling rate %lu: 0x%08X\n", rate, static_cast<unsigned>(status));
    return status == 0 ? 0 : 1;
  }
  PrintDevices(data);
  PrintChannels(data);
  PrintSettings(data);

  SetPostMessageHook(CountPost);
  CDriverNotifier notifier;
  static int window;  // any non-null target: the hook counts, it does not post
  notifier.SetTarget(&window, WM_DRIVER_NOTIFY, 0, 0);
  DriverStatus status = notifier.Start();
  std::printf("Notifier start: 0x%08X\n", static_cast<unsigned>(status));
  const std::uint32_t rate = data.rateInfo.currentRate;
  const std::uint32_t other = rate == 44100 ? 48000 : 44100;
  status = data.SetSampleRate(other);
  std::printf("Sampling rate %u: 0x%08X\n", static_cast<unsigned>(other),
              static_cast<unsigned>(status));
  const bool notified = status == 0 && WaitForPosts(1);
  if (rate != 0) data.SetSampleRate(rate);
  std::printf("Notification %s\n", notified ? "received" : "not received");
  // A queue holds a few dozen records; a driver that never runs dry must not
  // keep the check here for ever.
  DriverNotification notification{};
  for (int read = 0; read < 256 && notifier.GetNotification(&notification) == 0; ++read)
    std::printf("  kind %u\n", static_cast<unsigned>(notification.kind));
  notifier.Stop();
  SetPostMessageHook(nullptr);
  data.Close();
  return notified ? 0 : 1;
}
