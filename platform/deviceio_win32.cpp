// The system's device I/O: SetupAPI enumeration, CreateFileA, DeviceIoControl
// and GetOverlappedResult, with the seam's records handed over as they are.
#include <windows.h>
#include <setupapi.h>

#include <cstddef>

#include "platform/deviceio.h"
#include "platform/errors.h"

namespace platform {

static_assert(sizeof(Guid) == sizeof(GUID));
static_assert(sizeof(Overlapped) == sizeof(OVERLAPPED));
static_assert(offsetof(Overlapped, event) == offsetof(OVERLAPPED, hEvent));
static_assert(sizeof(DeviceInterfaceData) == sizeof(SP_DEVICE_INTERFACE_DATA));
static_assert(offsetof(DeviceInterfaceData, reserved) ==
              offsetof(SP_DEVICE_INTERFACE_DATA, Reserved));
static_assert(sizeof(DevInfoData) == sizeof(SP_DEVINFO_DATA));
static_assert(offsetof(DevInfoData, reserved) == offsetof(SP_DEVINFO_DATA, Reserved));
static_assert(sizeof(DeviceInterfaceDetail) == sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A));
static_assert(offsetof(DeviceInterfaceDetail, devicePath) ==
              offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath));

namespace {

const GUID* AsGuid(const Guid& guid) { return reinterpret_cast<const GUID*>(&guid); }
HANDLE AsHandle(void* handle) { return static_cast<HANDLE>(handle); }

class SystemDeviceApi final : public DeviceApi {
 public:
  DeviceInfoSet GetClassDevs(const Guid& interfaceClass) override {
    HDEVINFO set = SetupDiGetClassDevsA(AsGuid(interfaceClass), nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    return set == INVALID_HANDLE_VALUE ? nullptr : set;
  }

  void DestroyDeviceList(DeviceInfoSet set) override {
    if (set) SetupDiDestroyDeviceInfoList(set);
  }

  std::uint32_t EnumInterface(DeviceInfoSet set, const Guid& interfaceClass, std::uint32_t index,
                              DeviceInterfaceData* data) override {
    if (SetupDiEnumDeviceInterfaces(set, nullptr, AsGuid(interfaceClass), index,
                                    reinterpret_cast<SP_DEVICE_INTERFACE_DATA*>(data)))
      return kErrorSuccess;
    return GetLastError();
  }

  std::uint32_t GetInterfaceDetail(DeviceInfoSet set, const DeviceInterfaceData* data,
                                   DeviceInterfaceDetail* detail, std::uint32_t detailSize,
                                   std::uint32_t* requiredSize, DevInfoData* devInfo) override {
    DWORD required = 0;
    BOOL ok = SetupDiGetDeviceInterfaceDetailA(
        set,
        const_cast<SP_DEVICE_INTERFACE_DATA*>(
            reinterpret_cast<const SP_DEVICE_INTERFACE_DATA*>(data)),
        reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detail), detailSize, &required,
        reinterpret_cast<SP_DEVINFO_DATA*>(devInfo));
    DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (requiredSize) *requiredSize = required;
    return error;
  }

  DeviceHandle OpenPath(const char* path, bool overlapped, std::uint32_t* error) override {
    HANDLE device = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                overlapped ? FILE_FLAG_OVERLAPPED : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
      if (error) *error = GetLastError();
      return nullptr;
    }
    return device;
  }

  void CloseDevice(DeviceHandle device) override {
    if (device) CloseHandle(AsHandle(device));
  }

  EventHandle NewTransferEvent() override { return CreateEventA(nullptr, FALSE, FALSE, nullptr); }

  void CloseTransferEvent(EventHandle event) override {
    if (event) CloseHandle(AsHandle(event));
  }

  std::uint32_t IoControl(DeviceHandle device, std::uint32_t code, const void* in,
                          std::uint32_t inSize, void* out, std::uint32_t outSize,
                          std::uint32_t* bytesReturned, Overlapped* overlapped) override {
    DWORD bytes = 0;
    BOOL ok = DeviceIoControl(AsHandle(device), code, const_cast<void*>(in), inSize, out, outSize,
                              &bytes, reinterpret_cast<OVERLAPPED*>(overlapped));
    if (bytesReturned) *bytesReturned = bytes;
    return ok ? kErrorSuccess : GetLastError();
  }

  std::uint32_t WaitIoResult(DeviceHandle device, Overlapped* overlapped,
                             std::uint32_t* bytesReturned) override {
    DWORD bytes = 0;
    BOOL ok = GetOverlappedResult(AsHandle(device), reinterpret_cast<OVERLAPPED*>(overlapped),
                                  &bytes, TRUE);
    if (bytesReturned) *bytesReturned = bytes;
    return ok ? kErrorSuccess : GetLastError();
  }
};

}  // namespace

DeviceApi& SystemDevices() {
  static SystemDeviceApi system;
  return system;
}

}  // namespace platform
