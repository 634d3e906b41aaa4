// A scripted control device behind the device seam: records every request,
// answers from scripted records and fails the calls it is told to. Used from
// the test's thread only; the notification thread never reaches the device.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "panel/driverrecords.h"
#include "platform/deviceio.h"
#include "platform/errors.h"
#include "platform/event.h"

class FakeDriver : public platform::DeviceApi {
 public:
  struct Request {
    platform::DeviceHandle handle;
    std::uint32_t code, inSize, outSize;
    bool inNull, outNull;
    std::vector<std::uint32_t> input;  // whole words only
  };

  FakeDriver() {
    Reply(DriverRequest::kGetDriverVersion, qdl::DriverVersion{2, 10, {}});
    platform::InstallDeviceApi(this);
  }
  ~FakeDriver() override { platform::InstallDeviceApi(nullptr); }

  // The reply to every `code` request, or only to those whose input starts with `id`.
  template <typename Record>
  void Reply(std::uint32_t code, const Record& record, std::uint32_t id = kAnyId) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    replies[{code, id}].assign(bytes, bytes + sizeof record);
  }
  // Call number `call` (from 0) of `code` fails with `status`; call -1: every call.
  void Fail(std::uint32_t code, int call, std::uint32_t status) { failures[{code, call}] = status; }

  std::vector<std::uint32_t> Codes() const {
    std::vector<std::uint32_t> codes;
    for (const Request& r : requests) codes.push_back(r.code);
    return codes;
  }
  // What the driver does on a change: signals the handed-over event from a
  // thread of its own. False when no such event exists.
  static bool Notify(std::uint32_t word) {
    bool signalled = false;
    std::thread([&] { signalled = platform::SignalEventWord(word); }).join();
    return signalled;
  }

  std::uint32_t openError = 0;  // non-zero: the open is refused with it
  // A failing call still writes its reply first, as a driver completing with a
  // warning (more data) does through the system's buffered transfer.
  bool writeBeforeFailing = false;
  std::string openedPath;
  bool openedOverlapped = true;
  std::set<platform::DeviceHandle> openHandles;
  std::vector<Request> requests;

  platform::DeviceHandle OpenPath(const char* path, bool overlapped, std::uint32_t* error) override {
    openedPath = path;
    openedOverlapped = overlapped;
    if (openError) {
      if (error) *error = openError;
      return nullptr;
    }
    auto handle = reinterpret_cast<platform::DeviceHandle>(std::uintptr_t{0x1000} + 8 * ++opens);
    openHandles.insert(handle);
    return handle;
  }
  void CloseDevice(platform::DeviceHandle handle) override {
    EXPECT_EQ(openHandles.erase(handle), 1u) << "closed a handle that was not open";
  }
  std::uint32_t IoControl(platform::DeviceHandle handle, std::uint32_t code, const void* in,
                          std::uint32_t inSize, void* out, std::uint32_t outSize,
                          std::uint32_t* bytes, platform::Overlapped* overlapped) override {
    EXPECT_EQ(overlapped, nullptr) << "the control device is synchronous";
    Request request{handle, code, inSize, outSize, in == nullptr, out == nullptr,
                    std::vector<std::uint32_t>(in ? inSize / 4 : 0)};
    if (!request.input.empty()) std::memcpy(request.input.data(), in, request.input.size() * 4);
    requests.push_back(request);
    if (!openHandles.count(handle)) return platform::kErrorInvalidHandle;
    const int call = calls[code]++;
    std::uint32_t status = 0;
    for (int key : {call, -1})
      if (!status && failures.count({code, key})) status = failures[{code, key}];
    if (status && !writeBeforeFailing) return status;
    const std::uint32_t written = Write(code, request.input, out, outSize);
    if (bytes) *bytes = written;
    return status;
  }

  // Not used by the control device.
  platform::DeviceInfoSet GetClassDevs(const platform::Guid&) override { return nullptr; }
  void DestroyDeviceList(platform::DeviceInfoSet) override {}
  std::uint32_t EnumInterface(platform::DeviceInfoSet, const platform::Guid&, std::uint32_t,
                              platform::DeviceInterfaceData*) override {
    return platform::kErrorNoMoreItems;
  }
  std::uint32_t GetInterfaceDetail(platform::DeviceInfoSet, const platform::DeviceInterfaceData*,
                                   platform::DeviceInterfaceDetail*, std::uint32_t,
                                   std::uint32_t*, platform::DevInfoData*) override {
    return platform::kErrorInvalidParameter;
  }
  platform::EventHandle NewTransferEvent() override { return nullptr; }
  void CloseTransferEvent(platform::EventHandle) override {}
  std::uint32_t WaitIoResult(platform::DeviceHandle, platform::Overlapped*, std::uint32_t*) override {
    return platform::kErrorInvalidFunction;
  }

 private:
  static constexpr std::uint32_t kAnyId = 0xFFFFFFFF;

  std::uint32_t Write(std::uint32_t code, const std::vector<std::uint32_t>& input, void* out,
                      std::uint32_t outSize) {
    auto reply = replies.end();
    if (!input.empty()) reply = replies.find({code, input[0]});
    if (reply == replies.end()) reply = replies.find({code, kAnyId});
    if (reply == replies.end() || out == nullptr) return 0;
    const auto written =
        std::min<std::uint32_t>(outSize, static_cast<std::uint32_t>(reply->second.size()));
    std::memcpy(out, reply->second.data(), written);
    return written;
  }
  int opens = 0;
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<std::uint8_t>> replies;
  std::map<std::pair<std::uint32_t, int>, std::uint32_t> failures;
  std::map<std::uint32_t, int> calls;
};
