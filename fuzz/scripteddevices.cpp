#include "fuzz/scripteddevices.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "fuzz/fuzzcheck.h"
#include "platform/errors.h"

namespace {

// System errors a request can end with besides the driver's own codes.
constexpr std::uint32_t kSystemErrors[] = {
    platform::kErrorInvalidFunction, platform::kErrorAccessDenied,
    platform::kErrorInvalidHandle,   platform::kErrorNotEnoughMemory,
    platform::kErrorInvalidParameter, platform::kErrorInsufficientBuffer,
    platform::kErrorOperationAborted, platform::kErrorInvalidUserBuffer};

constexpr std::size_t kPathOffset = offsetof(platform::DeviceInterfaceDetail, devicePath);

}  // namespace

ScriptedDevices::ScriptedDevices(FuzzInput& input, std::uint32_t listed)
    : input_(input), listed_(listed) {
  platform::InstallDeviceApi(this);
}

ScriptedDevices::~ScriptedDevices() { platform::InstallDeviceApi(nullptr); }

void* ScriptedDevices::NewToken() { return reinterpret_cast<void*>(nextToken_ += 16); }

platform::DeviceInfoSet ScriptedDevices::GetClassDevs(const platform::Guid&) {
  if (input_.Byte() == 0xFF) return nullptr;  // the list cannot be made
  void* set = NewToken();
  lists_.insert(set);
  return set;
}

void ScriptedDevices::DestroyDeviceList(platform::DeviceInfoSet set) {
  FUZZ_CHECK(lists_.erase(set) == 1);
}

std::uint32_t ScriptedDevices::EnumInterface(platform::DeviceInfoSet set, const platform::Guid&,
                                             std::uint32_t index,
                                             platform::DeviceInterfaceData* data) {
  FUZZ_CHECK(lists_.count(set) == 1);
  FUZZ_CHECK(data != nullptr && data->size == sizeof(platform::DeviceInterfaceData));
  if (index >= listed_) return platform::kErrorNoMoreItems;
  if (input_.Byte() == 0xFF) return platform::kErrorNotEnoughMemory;
  data->reserved = index;
  return 0;
}

// The size query answers a size from the script: usually what the path needs,
// sometimes any small number, even one that cannot hold the record's fixed part.
// The detail itself is a path of scripted bytes, ended by a zero only when the
// script says so and the buffer has room.
std::uint32_t ScriptedDevices::GetInterfaceDetail(platform::DeviceInfoSet set,
                                                  const platform::DeviceInterfaceData* data,
                                                  platform::DeviceInterfaceDetail* detail,
                                                  std::uint32_t detailSize,
                                                  std::uint32_t* requiredSize,
                                                  platform::DevInfoData* devInfo) {
  FUZZ_CHECK(lists_.count(set) == 1);
  FUZZ_CHECK(data != nullptr);
  const std::uint8_t shape = input_.Byte();
  const std::uint32_t pathLength = shape & 0x3F;
  if (detail == nullptr) {
    if (requiredSize) *requiredSize = shape & 0x80 ? shape & 0x0F : kPathOffset + pathLength + 1;
    return platform::kErrorInsufficientBuffer;
  }
  FUZZ_CHECK(detail->size == sizeof(platform::DeviceInterfaceDetail));
  FUZZ_CHECK(detailSize >= sizeof(platform::DeviceInterfaceDetail));
  FUZZ_CHECK(devInfo == nullptr || devInfo->size == sizeof(platform::DevInfoData));
  const std::uint32_t room = detailSize - kPathOffset;
  const std::uint32_t length = std::min(pathLength, room);
  input_.Bytes(detail->devicePath, length);
  if (shape & 0x40) {
    if (length < room) detail->devicePath[length] = '\0';
  }
  return length < pathLength ? platform::kErrorInsufficientBuffer : 0;
}

platform::DeviceHandle ScriptedDevices::OpenPath(const char* path, bool overlapped,
                                                 std::uint32_t* error) {
  // Scripted paths are at most 63 characters; a longer one was read past its end.
  FUZZ_CHECK(path != nullptr && std::strlen(path) < 64);
  if (input_.Byte() == 0xFF) {
    if (error) *error = platform::kErrorAccessDenied;
    return nullptr;
  }
  void* device = NewToken();
  devices_[device] = overlapped;
  return device;
}

void ScriptedDevices::CloseDevice(platform::DeviceHandle device) {
  FUZZ_CHECK(pending_.count(device) == 0);  // closed with a request outstanding
  FUZZ_CHECK(devices_.erase(device) == 1);
}

platform::EventHandle ScriptedDevices::NewTransferEvent() {
  if (input_.Byte() == 0xFF) return nullptr;
  void* event = NewToken();
  events_.insert(event);
  return event;
}

void ScriptedDevices::CloseTransferEvent(platform::EventHandle event) {
  FUZZ_CHECK(events_.erase(event) == 1);
}

std::uint32_t ScriptedDevices::Land(void* out, const std::vector<std::uint8_t>& bytes,
                                    std::uint32_t status) {
  if (status != 0 && status != platform::kErrorMoreData) return 0;
  if (out == nullptr || bytes.empty()) return 0;
  std::memcpy(out, bytes.data(), bytes.size());
  return static_cast<std::uint32_t>(bytes.size());
}

// One script byte per request: the low three bits choose the status (mostly
// success), bit 3 has it pend, the high bits choose the byte count (usually
// the whole record, else a scripted count up to it); the bytes follow.
std::uint32_t ScriptedDevices::IoControl(platform::DeviceHandle device, std::uint32_t code,
                                         const void* in, std::uint32_t inSize, void* out,
                                         std::uint32_t outSize, std::uint32_t* bytesReturned,
                                         platform::Overlapped* overlapped) {
  FUZZ_CHECK(devices_.count(device) == 1);
  FUZZ_CHECK(pending_.count(device) == 0);
  FUZZ_CHECK(inSize == 0 || in != nullptr);
  FUZZ_CHECK(outSize == 0 || out != nullptr);
  const bool overlappedHandle = devices_[device];
  FUZZ_CHECK(overlappedHandle == (overlapped != nullptr));
  if (overlapped) FUZZ_CHECK(events_.count(overlapped->event) == 1);

  lastRequest_.code = code;
  const auto* input = static_cast<const std::uint8_t*>(in);
  lastRequest_.input.assign(input, input + inSize);

  const std::uint8_t script = input_.Byte();
  std::uint32_t status = 0;
  switch (script & 7) {
    case 4: status = 0xE0000000 | (input_.Word() & 0xFFFF); break;
    case 5: status = platform::kErrorMoreData; break;
    case 6: status = kSystemErrors[input_.Byte() % std::size(kSystemErrors)]; break;
    case 7: status = input_.Word(); break;
    default: break;
  }
  // A pending answer can still end in success: the status comes with the wait.
  const bool pends = overlapped && (script & 8);
  if (status == platform::kErrorIoPending && !pends) status = platform::kErrorInvalidFunction;
  const std::uint32_t count = script >> 6 ? outSize : input_.Word() % (outSize + 1);
  std::vector<std::uint8_t> bytes(count);
  input_.Bytes(bytes.data(), bytes.size());

  if (pends) {
    pending_[device] = Pending{out, std::move(bytes), status};
    return platform::kErrorIoPending;
  }
  lastReply_ = Reply{status, Land(out, bytes, status)};
  if (bytesReturned) *bytesReturned = lastReply_.written;
  return status;
}

std::uint32_t ScriptedDevices::WaitIoResult(platform::DeviceHandle device,
                                            platform::Overlapped* overlapped,
                                            std::uint32_t* bytesReturned) {
  FUZZ_CHECK(devices_.count(device) == 1);
  FUZZ_CHECK(overlapped != nullptr && events_.count(overlapped->event) == 1);
  const auto found = pending_.find(device);
  FUZZ_CHECK(found != pending_.end());
  const Pending done = std::move(found->second);
  pending_.erase(found);
  lastReply_ = Reply{done.status, Land(done.out, done.bytes, done.status)};
  if (bytesReturned) *bytesReturned = lastReply_.written;
  return done.status;
}
