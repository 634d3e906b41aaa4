#include "korvaneobjects/qdlctrl.h"

#include <cstring>
#include <new>

#include "platform/errors.h"

using namespace korvane;

const platform::Guid korvane::DeviceInterfaceGuid = {
    0x73F85346, 0xAF20, 0x4235, {0xB6, 0x24, 0xB6, 0x9A, 0xE6, 0x79, 0x2F, 0x5B}};

platform::DeviceInfoSet CreateDeviceList(const platform::Guid* guid) {
  if (guid == nullptr) return nullptr;
  return platform::Devices().GetClassDevs(*guid);
}

void DestroyDeviceList(platform::DeviceInfoSet set) {
  if (set) platform::Devices().DestroyDeviceList(set);
}

CQdlCtrl::CQdlCtrl() = default;

CQdlCtrl::~CQdlCtrl() {
  CloseDevice();
  FreeBuffers();
}

void CQdlCtrl::FreeBuffers() {
  devInfoData.reset();
  interfaceDetail.reset();
  interfaceDetailSize = 0;
}

const char* CQdlCtrl::DevicePath() const {
  if (!interfaceDetail) return "";
  return reinterpret_cast<const platform::DeviceInterfaceDetail*>(interfaceDetail.get())
      ->devicePath;
}

DriverStatus CQdlCtrl::OpenDevice(std::uint32_t index, platform::DeviceInfoSet set,
                                  const platform::Guid* guid) {
  if (device) return kStatusRejected;
  if (set == nullptr || guid == nullptr) return kStatusInvalidArgument;
  FreeBuffers();

  platform::DeviceInterfaceData data{};
  data.size = sizeof data;
  std::uint32_t error = platform::Devices().EnumInterface(set, *guid, index, &data);
  if (error == platform::kErrorNoMoreItems) return kStatusNoSuchInstance;
  if (error) return error;

  DriverStatus status = ReadInterfaceDetail(set, data);
  if (status) return status;

  platform::DeviceHandle opened = platform::Devices().OpenPath(DevicePath(), true, nullptr);
  if (opened == nullptr) return kStatusDeviceNotFound;
  device = opened;

  overlapped = platform::Overlapped{};
  overlapped.event = platform::Devices().NewTransferEvent();
  if (overlapped.event == nullptr) {
    CloseDevice();
    return kStatusOutOfMemory;
  }

  DriverVersion version{};
  status = GetVersion(&version);
  if (status) {
    CloseDevice();
    return status;
  }
  if (version.interfaceMajor == 2 && version.interfaceMinor >= 10) return kStatusSuccess;
  CloseDevice();
  return kStatusIncompatibleVersion;
}

// Reads the interface's detail (its device path) into buffers of our own that
// stay with the object until the next open.
DriverStatus CQdlCtrl::ReadInterfaceDetail(platform::DeviceInfoSet set,
                                           const platform::DeviceInterfaceData& data) {
  std::uint32_t required = 0;
  std::uint32_t error =
      platform::Devices().GetInterfaceDetail(set, &data, nullptr, 0, &required, nullptr);
  // The size query fails by design; only its "buffer too small" answer carries a size.
  if (error != platform::kErrorInsufficientBuffer) return error ? error : kStatusFailed;
  // A size that cannot hold the fixed part would have us write past the buffer.
  if (required < sizeof(platform::DeviceInterfaceDetail)) return platform::kErrorInsufficientBuffer;

  interfaceDetail.reset(new (std::nothrow) unsigned char[required]);
  devInfoData.reset(new (std::nothrow) platform::DevInfoData);
  if (!interfaceDetail || !devInfoData) {
    FreeBuffers();
    return kStatusAllocationFailed;
  }
  interfaceDetailSize = required;
  std::memset(interfaceDetail.get(), 0, required);
  std::memset(devInfoData.get(), 0, sizeof(platform::DevInfoData));
  auto* detail = reinterpret_cast<platform::DeviceInterfaceDetail*>(interfaceDetail.get());
  detail->size = sizeof(platform::DeviceInterfaceDetail);
  devInfoData->size = sizeof(platform::DevInfoData);

  error = platform::Devices().GetInterfaceDetail(set, &data, detail, required, nullptr,
                                                 devInfoData.get());
  // The path is used as a C string: never trust the list to have ended it.
  interfaceDetail[required - 1] = 0;
  return error;
}

void CQdlCtrl::CloseDevice() {
  if (device) platform::Devices().CloseDevice(device);
  if (overlapped.event) platform::Devices().CloseTransferEvent(overlapped.event);
  device = nullptr;
  overlapped.event = nullptr;
}

DriverStatus CQdlCtrl::GetVersion(DriverVersion* version) {
  return IoControl(kIoctlGetVersion, nullptr, 0, version, sizeof(DriverVersion));
}

DriverStatus CQdlCtrl::SendFCPRequest(const FcpRequest* request, FcpResponse* response) {
  return IoControl(kIoctlFcpTransaction, request, sizeof(FcpRequest), response,
                   sizeof(FcpResponse));
}

DriverStatus CQdlCtrl::IoControl(std::uint32_t code, const void* in, std::uint32_t inSize,
                                 void* out, std::uint32_t outSize, std::uint32_t* bytesReturned) {
  if (device == nullptr) return kStatusDeviceNotOpen;
  std::uint32_t bytes = 0;
  DriverStatus status;
  {
    std::lock_guard<std::recursive_mutex> hold(lock);
    status =
        platform::Devices().IoControl(device, code, in, inSize, out, outSize, &bytes, &overlapped);
    // The FCP transaction pends until the device answers or the driver gives
    // up after its time-out, so the wait needs no limit of its own.
    if (status == platform::kErrorIoPending)
      status = platform::Devices().WaitIoResult(device, &overlapped, &bytes);
  }
  if (bytesReturned) *bytesReturned = bytes;
  return status;
}
