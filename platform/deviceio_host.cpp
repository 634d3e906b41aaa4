// The host has no device driver: until a simulated machine is installed, the
// device list is empty and nothing opens.
#include "platform/deviceio.h"
#include "platform/errors.h"

namespace platform {
namespace {

class NoDevices final : public DeviceApi {
 public:
  DeviceInfoSet GetClassDevs(const Guid&) override { return this; }
  void DestroyDeviceList(DeviceInfoSet) override {}
  std::uint32_t EnumInterface(DeviceInfoSet, const Guid&, std::uint32_t,
                              DeviceInterfaceData*) override {
    return kErrorNoMoreItems;
  }
  std::uint32_t GetInterfaceDetail(DeviceInfoSet, const DeviceInterfaceData*,
                                   DeviceInterfaceDetail*, std::uint32_t, std::uint32_t*,
                                   DevInfoData*) override {
    return kErrorInvalidParameter;
  }
  DeviceHandle OpenPath(const char*, bool, std::uint32_t* error) override {
    if (error) *error = kErrorFileNotFound;
    return nullptr;
  }
  void CloseDevice(DeviceHandle) override {}
  EventHandle NewTransferEvent() override { return this; }
  void CloseTransferEvent(EventHandle) override {}
  std::uint32_t IoControl(DeviceHandle, std::uint32_t, const void*, std::uint32_t, void*,
                          std::uint32_t, std::uint32_t*, Overlapped*) override {
    return kErrorInvalidHandle;
  }
  std::uint32_t WaitIoResult(DeviceHandle, Overlapped*, std::uint32_t*) override {
    return kErrorInvalidHandle;
  }
};

}  // namespace

DeviceApi& SystemDevices() {
  static NoDevices none;
  return none;
}

}  // namespace platform
