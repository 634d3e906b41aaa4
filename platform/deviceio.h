// The device seam: the few operations through which portable code reaches a
// device driver. On Windows the system's implementation calls SetupAPI,
// CreateFileA, DeviceIoControl and GetOverlappedResult; the simulated X-Tamber
// installs an implementation of its own that serves the same requests
// in-process, byte for byte.
//
// The records below have the layouts of their Win32 counterparts in the build's
// own word size, so the Win32 implementation hands them to the system as they
// are (its source checks the sizes and offsets).
#pragma once

#include <cstdint>

namespace platform {

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

bool operator==(const Guid& a, const Guid& b);

using DeviceInfoSet = void*;  // null: no set
using DeviceHandle = void*;   // null: no device (Win32's INVALID_HANDLE_VALUE is mapped to null)
using EventHandle = void*;    // null: no event

// Win32 OVERLAPPED.
struct Overlapped {
  std::uintptr_t internal;
  std::uintptr_t internalHigh;
  std::uint32_t offset;
  std::uint32_t offsetHigh;
  EventHandle event;
};

// Win32 SP_DEVICE_INTERFACE_DATA.
struct DeviceInterfaceData {
  std::uint32_t size;
  Guid interfaceClassGuid;
  std::uint32_t flags;
  std::uintptr_t reserved;
};

// Win32 SP_DEVINFO_DATA.
struct DevInfoData {
  std::uint32_t size;
  Guid classGuid;
  std::uint32_t devInst;
  std::uintptr_t reserved;
};

// Win32 SP_DEVICE_INTERFACE_DETAIL_DATA_A: the size field holds the size of
// this fixed part; the zero-terminated device path runs on past it to the end
// of the caller's buffer.
struct DeviceInterfaceDetail {
  std::uint32_t size;
  char devicePath[1];
};

// Every operation returns 0 or a Win32 error code (or a driver status that the
// system passes through, such as 0xE0008003), never throws.
class DeviceApi {
 public:
  virtual ~DeviceApi() = default;

  // 1. The present device interfaces of a class (DIGCF_PRESENT |
  //    DIGCF_DEVICEINTERFACE). Null when the list cannot be made.
  virtual DeviceInfoSet GetClassDevs(const Guid& interfaceClass) = 0;
  virtual void DestroyDeviceList(DeviceInfoSet set) = 0;

  // 2. Interface number `index` of the list: 0, or kErrorNoMoreItems past the
  //    end of the list, or another error. `data->size` must be
  //    sizeof(DeviceInterfaceData).
  virtual std::uint32_t EnumInterface(DeviceInfoSet set, const Guid& interfaceClass,
                                      std::uint32_t index, DeviceInterfaceData* data) = 0;
  //    Its detail (the device path). With no buffer, or one that is too small,
  //    the result is kErrorInsufficientBuffer and `*requiredSize` tells the size
  //    needed. `detail->size` must be sizeof(DeviceInterfaceDetail) and
  //    `devInfo->size` sizeof(DevInfoData) (devInfo may be null).
  virtual std::uint32_t GetInterfaceDetail(DeviceInfoSet set, const DeviceInterfaceData* data,
                                           DeviceInterfaceDetail* detail, std::uint32_t detailSize,
                                           std::uint32_t* requiredSize, DevInfoData* devInfo) = 0;

  // 3. Opens a device path for reading and writing, shared for both, existing
  //    only; overlapped or synchronous. Null on failure, with the error in
  //    `*error` when given.
  virtual DeviceHandle OpenPath(const char* path, bool overlapped, std::uint32_t* error) = 0;
  virtual void CloseDevice(DeviceHandle device) = 0;
  //    The completion event of an Overlapped (auto-reset, unsignalled, unnamed).
  virtual EventHandle NewTransferEvent() = 0;
  virtual void CloseTransferEvent(EventHandle event) = 0;

  // 4. Issues an I/O-control request. With `overlapped` null the call is
  //    synchronous. With one, the result is 0 when the request completed at
  //    once, kErrorIoPending while it is still running (finish it with
  //    WaitIoResult), or the error. `bytesReturned` may be null.
  virtual std::uint32_t IoControl(DeviceHandle device, std::uint32_t code, const void* in,
                                  std::uint32_t inSize, void* out, std::uint32_t outSize,
                                  std::uint32_t* bytesReturned, Overlapped* overlapped) = 0;
  //    Waits for a pending request to complete: its status and its byte count.
  virtual std::uint32_t WaitIoResult(DeviceHandle device, Overlapped* overlapped,
                                     std::uint32_t* bytesReturned) = 0;
};

// The implementation in use. Until one is installed: the system's on Windows,
// on the host one that lists no interfaces.
DeviceApi& Devices();

// Installs `api` for the whole process (null restores the default). Done once
// at start-up, or by a test around its body; never while a request is running.
void InstallDeviceApi(DeviceApi* api);

}  // namespace platform
