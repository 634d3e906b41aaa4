// A driver whose every answer comes from the fuzzer's bytes, behind the device
// seam: the interface list and the device paths, refused opens, and for each
// request its status, whether it completes at once or pends, how many bytes it
// writes and which. It checks the client's side of the contract (no request on
// a closed handle, no request left pending, every handle closed once) and
// remembers the last request and reply for the target's own checks.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "fuzz/fuzzinput.h"
#include "platform/deviceio.h"

class ScriptedDevices final : public platform::DeviceApi {
 public:
  struct Request {
    std::uint32_t code = 0;
    std::vector<std::uint8_t> input;
  };
  struct Reply {
    std::uint32_t status = 0;
    std::uint32_t written = 0;  // bytes that reached the caller's buffer
  };

  // Installs itself as the process's device seam until destroyed. `listed`:
  // the interfaces the list offers (the panel's control device ignores it).
  ScriptedDevices(FuzzInput& input, std::uint32_t listed);
  ~ScriptedDevices() override;
  ScriptedDevices(const ScriptedDevices&) = delete;
  ScriptedDevices& operator=(const ScriptedDevices&) = delete;

  std::size_t OpenDevices() const { return devices_.size(); }
  std::size_t OpenEvents() const { return events_.size(); }
  std::size_t OpenLists() const { return lists_.size(); }
  const Request& LastRequest() const { return lastRequest_; }
  const Reply& LastReply() const { return lastReply_; }

  platform::DeviceInfoSet GetClassDevs(const platform::Guid& interfaceClass) override;
  void DestroyDeviceList(platform::DeviceInfoSet set) override;
  std::uint32_t EnumInterface(platform::DeviceInfoSet set, const platform::Guid& interfaceClass,
                              std::uint32_t index, platform::DeviceInterfaceData* data) override;
  std::uint32_t GetInterfaceDetail(platform::DeviceInfoSet set,
                                   const platform::DeviceInterfaceData* data,
                                   platform::DeviceInterfaceDetail* detail,
                                   std::uint32_t detailSize, std::uint32_t* requiredSize,
                                   platform::DevInfoData* devInfo) override;
  platform::DeviceHandle OpenPath(const char* path, bool overlapped, std::uint32_t* error) override;
  void CloseDevice(platform::DeviceHandle device) override;
  platform::EventHandle NewTransferEvent() override;
  void CloseTransferEvent(platform::EventHandle event) override;
  std::uint32_t IoControl(platform::DeviceHandle device, std::uint32_t code, const void* in,
                          std::uint32_t inSize, void* out, std::uint32_t outSize,
                          std::uint32_t* bytesReturned, platform::Overlapped* overlapped) override;
  std::uint32_t WaitIoResult(platform::DeviceHandle device, platform::Overlapped* overlapped,
                             std::uint32_t* bytesReturned) override;

 private:
  struct Pending {
    void* out = nullptr;
    std::vector<std::uint8_t> bytes;
    std::uint32_t status = 0;
  };

  void* NewToken();
  // Lands the reply in the caller's buffer as the system's buffered transfer
  // does: on success, or on a warning (more data); an error copies nothing.
  std::uint32_t Land(void* out, const std::vector<std::uint8_t>& bytes, std::uint32_t status);

  FuzzInput& input_;
  const std::uint32_t listed_;
  std::uintptr_t nextToken_ = 0x1000;
  std::set<void*> lists_, events_;
  std::map<void*, bool> devices_;  // handle -> opened for overlapped I/O
  std::map<void*, Pending> pending_;
  Request lastRequest_;
  Reply lastReply_;
};
