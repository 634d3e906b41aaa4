#include "platform/deviceio.h"

#include <atomic>
#include <cstring>

#include "platform/errors.h"

namespace platform {

bool operator==(const Guid& a, const Guid& b) {
  return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
         std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

DeviceApi& SystemDevices();  // deviceio_win32.cpp or deviceio_host.cpp

namespace {
std::atomic<DeviceApi*> installed{nullptr};
}

DeviceApi& Devices() {
  DeviceApi* api = installed.load(std::memory_order_acquire);
  return api ? *api : SystemDevices();
}

void InstallDeviceApi(DeviceApi* api) { installed.store(api, std::memory_order_release); }

}  // namespace platform
