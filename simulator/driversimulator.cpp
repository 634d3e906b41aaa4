#include "simulator/driversimulator.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/errors.h"

namespace simulator {

namespace tc = testcontrol;

DriverSimulator::~DriverSimulator() {
  if (handle_) platform::Devices().CloseDevice(handle_);
}

std::uint32_t DriverSimulator::Open(std::uint32_t waitMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  std::uint32_t error = 0;
  for (;;) {
    handle_ = platform::Devices().OpenPath(tc::kDevicePath, false, &error);
    if (handle_ || std::chrono::steady_clock::now() >= until) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return handle_ ? 0 : error;
}

std::uint32_t DriverSimulator::Call(std::uint32_t code, const void* in, std::uint32_t inSize,
                                    void* out, std::uint32_t outSize, std::uint32_t* bytes) const {
  if (!handle_) return platform::kErrorInvalidHandle;
  std::uint32_t returned = 0;
  const std::uint32_t status =
      platform::Devices().IoControl(handle_, code, in, inSize, out, outSize, &returned, nullptr);
  if (bytes) *bytes = returned;
  return status;
}

std::uint32_t DriverSimulator::Reset(std::uint32_t devices, std::uint64_t seed) {
  const tc::Reset reset{seed, devices, 0};
  return Call(tc::kReset, &reset, sizeof reset, nullptr, 0);
}

std::uint32_t DriverSimulator::SetDeviceCount(std::uint32_t count) {
  return Call(tc::kSetDeviceCount, &count, sizeof count, nullptr, 0);
}

std::uint32_t DriverSimulator::SetControlPresent(bool present) {
  const std::uint32_t word = present ? 1 : 0;
  return Call(tc::kSetControlPresent, &word, sizeof word, nullptr, 0);
}

std::uint32_t DriverSimulator::SetFault(tc::FaultKind kind, std::uint32_t a, std::uint32_t b) {
  const tc::Fault fault{kind, a, b};
  return Call(tc::kSetFault, &fault, sizeof fault, nullptr, 0);
}

std::uint32_t DriverSimulator::ClearLogs() { return Call(tc::kClearLogs, nullptr, 0, nullptr, 0); }

std::uint32_t DriverSimulator::Apply(const Options& options) {
  std::uint32_t status = Reset(options.devices, options.seed);
  for (const FaultSetting& fault : FaultSettings(options))
    if (status == 0) status = SetFault(static_cast<tc::FaultKind>(fault.kind), fault.a, fault.b);
  return status;
}

// Reads a log in pieces until the driver has handed over every entry. The
// log keeps only its latest `capacity` entries; a piece starts at `first` or
// at the oldest entry kept, whichever is later. With `next`, reading starts at
// *next and *next becomes the count of entries logged so far.
template <typename Entry>
std::vector<Entry> DriverSimulator::ReadLog(std::uint32_t code, std::uint32_t capacity,
                                            std::uint32_t* next) const {
  std::vector<Entry> entries;
  std::vector<std::uint8_t> reply(8 + 64 * sizeof(Entry));
  for (std::uint32_t first = next ? *next : 0;;) {
    std::uint32_t bytes = 0, total = 0, count = 0;
    if (Call(code, &first, sizeof first, reply.data(), static_cast<std::uint32_t>(reply.size()),
             &bytes) != 0 ||
        bytes < 8)
      break;
    std::memcpy(&total, reply.data(), 4);
    std::memcpy(&count, reply.data() + 4, 4);
    if (next) *next = total;
    if (count == 0 || bytes < 8 + count * sizeof(Entry)) break;
    for (std::uint32_t i = 0; i < count; ++i) {
      Entry entry;
      std::memcpy(&entry, reply.data() + 8 + i * sizeof(Entry), sizeof entry);
      entries.push_back(entry);
    }
    const std::uint32_t oldest = total > capacity ? total - capacity : 0;
    first = (first > oldest ? first : oldest) + count;
    if (first >= total) break;
  }
  return entries;
}

std::vector<FrameRecord> DriverSimulator::Frames(std::uint32_t unit, std::uint32_t* next) const {
  std::vector<FrameRecord> frames;
  for (const tc::FrameEntry& entry : ReadLog<tc::FrameEntry>(tc::kGetFrames, tc::kFrameLog, next)) {
    if (entry.unit != unit) continue;
    const std::uint32_t length =
        entry.length < sizeof entry.frame ? entry.length : sizeof entry.frame;
    frames.push_back(FrameRecord{entry.timeUs, entry.timeoutMs,
                                 std::vector<std::uint8_t>(entry.frame, entry.frame + length),
                                 entry.status});
  }
  return frames;
}

std::vector<RequestRecord> DriverSimulator::Requests() const {
  std::vector<RequestRecord> requests;
  for (const tc::RequestEntry& entry :
       ReadLog<tc::RequestEntry>(tc::kGetRequests, tc::kRequestLog, nullptr))
    requests.push_back(RequestRecord{entry.timeUs, entry.code, entry.inSize, entry.outSize,
                                     entry.unit, entry.status});
  return requests;
}

DeviceState DriverSimulator::State(std::uint32_t unit) const {
  DeviceState state;
  tc::UnitState reply{};
  if (Call(tc::kGetState, &unit, sizeof unit, &reply, sizeof reply) != 0) return state;
  state.present = reply.present != 0;
  state.mixerEnabled = reply.mixerEnabled != 0;
  for (std::uint32_t mix = 0; mix < core::kMixCount; ++mix)
    for (std::uint32_t slot = 0; slot < core::kGainsPerMix; ++slot)
      state.mixes[mix][slot] = reply.mixes[mix][slot];
  state.overs = reply.overs;
  return state;
}

}  // namespace simulator
