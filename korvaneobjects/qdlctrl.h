// The mixer's client of the bus-access driver: finds the driver's device
// interfaces, opens one for overlapped I/O, checks the driver's interface
// version and issues I/O-control requests, one at a time per object.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "korvaneobjects/driverstatus.h"
#include "korvaneobjects/fcprecords.h"
#include "platform/deviceio.h"

// The present interfaces of `guid`, or null.
platform::DeviceInfoSet CreateDeviceList(const platform::Guid* guid);
// Does nothing for null.
void DestroyDeviceList(platform::DeviceInfoSet set);

class CQdlCtrl {
 public:
  CQdlCtrl();
  virtual ~CQdlCtrl();
  CQdlCtrl(const CQdlCtrl&) = delete;
  CQdlCtrl& operator=(const CQdlCtrl&) = delete;

  // Opens interface number `index` (0-based) of `guid` in `set` and checks the
  // driver's interface version. Not thread-safe: called only while no other
  // thread uses the object.
  korvane::DriverStatus OpenDevice(std::uint32_t index, platform::DeviceInfoSet set,
                                   const platform::Guid* guid);
  void CloseDevice();
  bool IsOpen() const { return device != nullptr; }
  // The path of the opened interface, or "" before the first open.
  const char* DevicePath() const;

  korvane::DriverStatus GetVersion(korvane::DriverVersion* version);
  korvane::DriverStatus SendFCPRequest(const korvane::FcpRequest* request,
                                       korvane::FcpResponse* response);
  korvane::DriverStatus IoControl(std::uint32_t code, const void* in, std::uint32_t inSize,
                                  void* out, std::uint32_t outSize,
                                  std::uint32_t* bytesReturned = nullptr);

 private:
  korvane::DriverStatus ReadInterfaceDetail(platform::DeviceInfoSet set,
                                            const platform::DeviceInterfaceData& data);
  void FreeBuffers();

  platform::DeviceHandle device = nullptr;
  platform::Overlapped overlapped{};  // shared by every request of this object
  std::recursive_mutex lock;          // makes requests on this object one at a time
  std::unique_ptr<platform::DevInfoData> devInfoData;
  std::unique_ptr<unsigned char[]> interfaceDetail;
  std::uint32_t interfaceDetailSize = 0;
};
