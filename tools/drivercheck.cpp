// A small check of the driver path: opens every X-Tamber the driver offers,
// prints its driver version, switches its mixer on and reads its meters once.
// Run on the simulated device it proves the whole transport end to end.
#include <cstdio>
#include <memory>
#include <vector>

#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/qdlctrl.h"
#include "simulator/simulatedmachine.h"

using namespace korvane;

namespace {

void PrintStatus(const char* what, DriverStatus status) {
  char text[160];
  std::printf("%s: %s\n", what, FormatStatus(text, sizeof text, status));
}

void CheckDevice(std::uint32_t index, CQdlCtrl& client) {
  DriverVersion version{};
  const DriverStatus status = client.GetVersion(&version);
  if (status != kStatusSuccess) {
    PrintStatus("  version request", status);
    return;
  }
  std::printf("X-Tamber %u at %s\n", index, client.DevicePath());
  std::printf("  driver interface %u.%u, driver version %u.%u.%u\n", version.interfaceMajor,
              version.interfaceMinor, version.driverMajor, version.driverMinor,
              static_cast<unsigned>(version.driverBuild));

  KorvaneDeviceControl device(&client);
  device.SetMixerEnable(true);
  std::printf("  mixer enable sent\n");

  MeterData meters{};
  if (!device.ReadMeters(&meters)) {
    std::printf("  meter read skipped: device busy\n");
    return;
  }
  std::printf("  input levels:");
  for (std::uint8_t level : meters.inputLevel) std::printf(" %3u", level);
  std::printf("\n  DAW levels:  ");
  for (std::uint8_t level : meters.outputLevel) std::printf(" %3u", level);
  std::printf("\n  overs: inputs 0x%02X, outputs 0x%02X\n", meters.inputOver, meters.outputOver);
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (simulator::InstallFromEnvironment())
    std::printf("Using the simulated X-Tamber (KORVANE_SIMULATOR).\n");

  platform::DeviceInfoSet set = CreateDeviceList(&DeviceInterfaceGuid);
  if (set == nullptr) std::printf("CreateDeviceList failed\n");

  std::vector<std::unique_ptr<CQdlCtrl>> clients;
  DriverStatus status = kStatusSuccess;
  for (std::uint32_t index = 0; status == kStatusSuccess; ++index) {
    auto client = std::make_unique<CQdlCtrl>();
    status = client->OpenDevice(index, set, &DeviceInterfaceGuid);
    if (status == kStatusSuccess) {
      CheckDevice(index, *client);
      clients.push_back(std::move(client));
    } else if (status != kStatusNoSuchInstance) {
      PrintStatus("Opening the next X-Tamber", status);
    }
  }
  const std::size_t found = clients.size();
  std::printf("%zu X-Tamber(s) found.\n", found);
  clients.clear();
  DestroyDeviceList(set);
  // Success means: at least one device, and the list ended rather than failed.
  return found > 0 && status == kStatusNoSuchInstance ? 0 : 1;
}
