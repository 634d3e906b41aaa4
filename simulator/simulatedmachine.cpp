#include "simulator/simulatedmachine.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/errors.h"
#include "platform/event.h"
#include "simulator/core/faults.h"

namespace simulator {
namespace {

// ERROR_NOACCESS: what the system answers for a null buffer with a size,
// before any driver sees the request.
constexpr std::uint32_t kErrorNoAccess = 998;

// SPINT_ACTIVE: the interface is enabled.
constexpr std::uint32_t kInterfaceActive = 1;

// The setup class of the units' device nodes: sound, video and game controllers.
constexpr platform::Guid kMediaClass = {
    0x4D36E96C, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

platform::Guid InterfaceGuid() {
  using core::InterfaceClass;
  platform::Guid guid{InterfaceClass::kData1, InterfaceClass::kData2, InterfaceClass::kData3, {}};
  std::memcpy(guid.data4, InterfaceClass::kData4, sizeof guid.data4);
  return guid;
}

// Waits out a reply delay. A single sleep can end early on some systems
// (Windows' timer granularity, which libstdc++ does not re-check for steady
// clocks), and a request must never complete before its time.
void SleepUntil(std::chrono::steady_clock::time_point due) {
  for (auto now = std::chrono::steady_clock::now(); now < due;
       now = std::chrono::steady_clock::now())
    std::this_thread::sleep_for(due - now);
}

bool SameText(const char* a, const std::string& b) {
  const std::size_t length = std::strlen(a);
  if (length != b.size()) return false;
  for (std::size_t i = 0; i < length; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

const char SimulatedMachine::kControlPath[] = "\\\\.\\{73F85346-AF20-4235-B624-B69AE6792F5B}";

// A snapshot of the interfaces present when it was made. Entries never move:
// the `reserved` field of an enumerated interface points at its entry.
struct SimulatedMachine::DeviceList {
  struct Entry {
    std::uint32_t device;
    std::string path;
  };
  platform::Guid interfaceClass;
  std::vector<Entry> entries;

  const Entry* Find(std::uintptr_t reserved) const {
    for (const Entry& entry : entries)
      if (reinterpret_cast<std::uintptr_t>(&entry) == reserved) return &entry;
    return nullptr;
  }
};

struct SimulatedMachine::OpenHandle {
  core::HandleRef ref;
  bool overlapped;
};

struct SimulatedMachine::TransferEvent {
  std::uint32_t unused = 0;
};

// A request on its way: the driver's copy of the output buffer, handed to the
// caller's buffer when the request completes.
struct SimulatedMachine::PendingIo {
  platform::DeviceHandle device = nullptr;
  core::IoCompletion completion{};
  std::vector<std::uint8_t> reply;
  void* out = nullptr;
  std::uint32_t outSize = 0;
  Clock::time_point due;
};

SimulatedMachine::SimulatedMachine(const Options& options) : start_(Clock::now()) {
  core::MachineInit(&machine_, options.seed, options.devices, 0);
  for (const FaultSetting& fault : FaultSettings(options))
    core::MachineSetFault(&machine_, fault.kind, fault.a, fault.b);
  eventFails_ = options.eventFails;
  machine_.observer = core::FrameObserver{&SimulatedMachine::OnFrame, this};
  machine_.notify = core::NotifySink{&SimulatedMachine::OnNotify, this};
}

SimulatedMachine::~SimulatedMachine() = default;

std::uint64_t SimulatedMachine::NowUs() const { return UsSinceStart(Clock::now()); }

std::uint64_t SimulatedMachine::UsSinceStart(Clock::time_point time) const {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(time - start_).count());
}

std::string SimulatedMachine::InterfacePath(std::uint32_t device) {
  char path[96];
  std::snprintf(path, sizeof path,
                "\\\\?\\root#xtamber#%04u#{73f85346-af20-4235-b624-b69ae6792f5b}", device);
  return path;
}

// ---- Interface lists ----

platform::DeviceInfoSet SimulatedMachine::GetClassDevs(const platform::Guid& interfaceClass) {
  auto list = std::make_unique<DeviceList>();
  list->interfaceClass = interfaceClass;
  std::lock_guard<std::mutex> hold(lock_);
  if (interfaceClass == InterfaceGuid()) {
    for (std::uint32_t device = 0; device < core::kMaxDevices; ++device)
      if (machine_.devices[device].present)
        list->entries.push_back({device, InterfacePath(device)});
  }
  void* set = list.get();
  lists_.emplace(set, std::move(list));
  return set;
}

void SimulatedMachine::DestroyDeviceList(platform::DeviceInfoSet set) {
  std::lock_guard<std::mutex> hold(lock_);
  lists_.erase(set);
}

std::uint32_t SimulatedMachine::EnumInterface(platform::DeviceInfoSet set,
                                              const platform::Guid& interfaceClass,
                                              std::uint32_t index,
                                              platform::DeviceInterfaceData* data) {
  std::lock_guard<std::mutex> hold(lock_);
  const auto found = lists_.find(set);
  if (found == lists_.end()) return platform::kErrorInvalidHandle;
  if (data == nullptr) return platform::kErrorInvalidParameter;
  if (data->size != sizeof(platform::DeviceInterfaceData)) return platform::kErrorInvalidUserBuffer;
  const DeviceList& list = *found->second;
  if (!(interfaceClass == list.interfaceClass) || index >= list.entries.size())
    return platform::kErrorNoMoreItems;
  data->interfaceClassGuid = list.interfaceClass;
  data->flags = kInterfaceActive;
  data->reserved = reinterpret_cast<std::uintptr_t>(&list.entries[index]);
  return 0;
}

std::uint32_t SimulatedMachine::GetInterfaceDetail(platform::DeviceInfoSet set,
                                                   const platform::DeviceInterfaceData* data,
                                                   platform::DeviceInterfaceDetail* detail,
                                                   std::uint32_t detailSize,
                                                   std::uint32_t* requiredSize,
                                                   platform::DevInfoData* devInfo) {
  constexpr std::uint32_t kPathOffset = offsetof(platform::DeviceInterfaceDetail, devicePath);
  std::lock_guard<std::mutex> hold(lock_);
  const auto found = lists_.find(set);
  if (found == lists_.end()) return platform::kErrorInvalidHandle;
  if (data == nullptr) return platform::kErrorInvalidParameter;
  if (data->size != sizeof(platform::DeviceInterfaceData)) return platform::kErrorInvalidUserBuffer;
  const DeviceList::Entry* entry = found->second->Find(data->reserved);
  if (entry == nullptr) return platform::kErrorInvalidParameter;
  if (detail == nullptr && detailSize != 0) return platform::kErrorInvalidParameter;
  if (detail != nullptr &&
      (detailSize < kPathOffset + 1 || detail->size != sizeof(platform::DeviceInterfaceDetail)))
    return platform::kErrorInvalidUserBuffer;
  if (devInfo != nullptr && devInfo->size != sizeof(platform::DevInfoData))
    return platform::kErrorInvalidUserBuffer;

  const auto required = static_cast<std::uint32_t>(kPathOffset + entry->path.size() + 1);
  if (requiredSize) *requiredSize = required;
  if (devInfo) {
    devInfo->classGuid = kMediaClass;
    devInfo->devInst = 0x100 + entry->device;
    devInfo->reserved = data->reserved;
  }
  if (detail == nullptr || detailSize < required) return platform::kErrorInsufficientBuffer;
  std::memcpy(detail->devicePath, entry->path.c_str(), entry->path.size() + 1);
  return 0;
}

// ---- Handles and events ----

platform::DeviceHandle SimulatedMachine::OpenPath(const char* path, bool overlapped,
                                                  std::uint32_t* error) {
  auto handle = std::make_unique<OpenHandle>();
  handle->overlapped = overlapped;
  std::lock_guard<std::mutex> hold(lock_);
  bool opened = false;
  if (path != nullptr && SameText(path, kControlPath) && !machine_.control.faults.absent) {
    handle->ref = core::OpenControl(machine_);
    opened = true;
  }
  for (std::uint32_t device = 0; path != nullptr && !opened && device < core::kMaxDevices;
       ++device) {
    // Both of Win32's device namespaces, \\?\ and \\.\, reach the unit.
    const std::string unitPath = InterfacePath(device);
    // A copy with one character set, not replace(): GCC 12 at -O3 takes the
    // replace for an overlapping copy (a false -Wrestrict).
    std::string dotted = unitPath;
    dotted[2] = '.';
    if (SameText(path, unitPath) || SameText(path, dotted))
      opened = core::OpenDeviceInterface(machine_, device, &handle->ref);
  }
  if (!opened) {
    if (error) *error = path ? platform::kErrorFileNotFound : platform::kErrorInvalidParameter;
    return nullptr;
  }
  void* device = handle.get();
  handles_.emplace(device, std::move(handle));
  if (error) *error = 0;
  return device;
}

void SimulatedMachine::CloseDevice(platform::DeviceHandle device) {
  std::lock_guard<std::mutex> hold(lock_);
  // Requests still running on the handle are dropped with it.
  for (auto it = pending_.begin(); it != pending_.end();)
    it = it->second->device == device ? pending_.erase(it) : std::next(it);
  handles_.erase(device);
  if (device == notifyHandle_) {
    core::ControlDropNotifyEvent(&machine_);
    notifyHandle_ = nullptr;
  }
}

platform::EventHandle SimulatedMachine::NewTransferEvent() {
  std::lock_guard<std::mutex> hold(lock_);
  if (eventFails_) return nullptr;
  auto event = std::make_unique<TransferEvent>();
  void* token = event.get();
  events_.emplace(token, std::move(event));
  return token;
}

void SimulatedMachine::CloseTransferEvent(platform::EventHandle event) {
  std::lock_guard<std::mutex> hold(lock_);
  events_.erase(event);
}

// ---- Requests ----

void SimulatedMachine::OnFrame(void* context, std::uint32_t device, const std::uint8_t* frame,
                               std::uint32_t length, std::uint32_t timeoutMs, std::uint64_t nowUs,
                               std::uint32_t status) {
  // Runs inside Dispatch, under the machine's lock.
  auto* self = static_cast<SimulatedMachine*>(context);
  self->frames_[device].push_back(
      FrameRecord{nowUs, timeoutMs, std::vector<std::uint8_t>(frame, frame + length), status});
}

// Hands a completed request's reply to the caller. A byte count larger than
// the caller's buffer (a faulty driver) is reported, never written.
std::uint32_t SimulatedMachine::Finish(const PendingIo& io, std::uint32_t* bytesReturned,
                                       platform::Overlapped* overlapped) {
  const std::uint32_t status = io.completion.status;
  const std::uint32_t bytes = status == 0 ? io.completion.bytes : 0;
  const std::size_t copy = std::min<std::size_t>({bytes, io.outSize, io.reply.size()});
  if (copy) std::memcpy(io.out, io.reply.data(), copy);
  if (bytesReturned) *bytesReturned = bytes;
  if (overlapped) {
    overlapped->internal = status;
    overlapped->internalHigh = bytes;
  }
  return status;
}

std::uint32_t SimulatedMachine::IoControl(platform::DeviceHandle device, std::uint32_t code,
                                          const void* in, std::uint32_t inSize, void* out,
                                          std::uint32_t outSize, std::uint32_t* bytesReturned,
                                          platform::Overlapped* overlapped) {
  auto io = std::make_unique<PendingIo>();
  std::unique_lock<std::mutex> hold(lock_);
  const auto found = handles_.find(device);
  if (found == handles_.end()) return platform::kErrorInvalidHandle;
  if ((in == nullptr && inSize != 0) || (out == nullptr && outSize != 0)) return kErrorNoAccess;
  const OpenHandle& handle = *found->second;

  io->device = device;
  io->reply.assign(outSize, 0);
  io->out = out;
  io->outSize = outSize;
  const Clock::time_point called = Clock::now();
  const std::uint64_t now = UsSinceStart(called);
  io->completion = core::Dispatch(&machine_, handle.ref,
                                  core::IoRequest{code, static_cast<const std::uint8_t*>(in),
                                                  inSize, io->reply.data(), outSize, now});
  // Counted from the call itself, not from its time rounded down to the microsecond.
  io->due = called + std::chrono::microseconds(io->completion.completeAtUs - now);
  const int unit =
      handle.ref.kind == core::HandleKind::kControl ? -1 : static_cast<int>(handle.ref.device);
  requests_.push_back(RequestRecord{now, code, inSize, outSize, unit, io->completion.status});
  if (code == core::kRequestRegisterNotifyEvent && io->completion.status == 0 && unit == -1)
    notifyHandle_ = device;
  const RequestRecord record = requests_.back();
  const std::function<void(const RequestRecord&)> hook = requestHook_;

  std::uint32_t result = platform::kErrorIoPending;
  if (io->completion.completeAtUs <= now) {
    hold.unlock();
    result = Finish(*io, bytesReturned, overlapped);
  } else if (overlapped != nullptr && handle.overlapped) {
    // As the system keeps it: the request's state hangs off the caller's
    // OVERLAPPED until WaitIoResult collects it.
    overlapped->internal = reinterpret_cast<std::uintptr_t>(io.get());
    overlapped->internalHigh = 0;
    pending_.emplace(io.get(), std::move(io));
    hold.unlock();
  } else {
    hold.unlock();
    SleepUntil(io->due);
    result = Finish(*io, bytesReturned, overlapped);
  }
  if (hook) hook(record);
  return result;
}

std::uint32_t SimulatedMachine::WaitIoResult(platform::DeviceHandle device,
                                             platform::Overlapped* overlapped,
                                             std::uint32_t* bytesReturned) {
  if (overlapped == nullptr) return platform::kErrorInvalidParameter;
  std::unique_ptr<PendingIo> io;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (handles_.find(device) == handles_.end()) return platform::kErrorInvalidHandle;
    const auto found = pending_.find(reinterpret_cast<void*>(overlapped->internal));
    if (found == pending_.end()) {
      // Nothing running: the last request's result stands.
      if (bytesReturned) *bytesReturned = static_cast<std::uint32_t>(overlapped->internalHigh);
      return static_cast<std::uint32_t>(overlapped->internal);
    }
    io = std::move(found->second);
    pending_.erase(found);
  }
  SleepUntil(io->due);
  return Finish(*io, bytesReturned, overlapped);
}

// The driver sets the event the panel registered, until the handle that
// registered it closes.
void SimulatedMachine::OnNotify(void*, std::uint32_t eventWord) {
  platform::SignalEventWord(eventWord);
}

// ---- Faults ----

void SimulatedMachine::SetFault(std::uint32_t kind, std::uint32_t a, std::uint32_t b) {
  std::lock_guard<std::mutex> hold(lock_);
  core::MachineSetFault(&machine_, kind, a, b);
}

void SimulatedMachine::SetFcpStatus(std::uint32_t status) {
  SetFault(core::kFaultFcpStatus, status, 0);
}

void SimulatedMachine::SetReplyDelayMs(std::uint32_t delayMs) {
  SetFault(core::kFaultReplyDelayMs, delayMs, 0);
}

void SimulatedMachine::SetInterfaceVersion(std::uint8_t major, std::uint8_t minor) {
  SetFault(core::kFaultVersion, major, minor);
}

void SimulatedMachine::SetDeviceCount(std::uint32_t count) {
  std::lock_guard<std::mutex> hold(lock_);
  core::MachineSetDeviceCount(&machine_, count, NowUs());
}

void SimulatedMachine::SetTransferEventFails(bool fails) {
  std::lock_guard<std::mutex> hold(lock_);
  eventFails_ = fails;
}

void SimulatedMachine::SetReplyLengthField(std::uint32_t length) {
  SetFault(core::kFaultReplyLength, length, 0);
}

void SimulatedMachine::SetReplyTruncation(std::optional<std::uint32_t> frameBytes) {
  SetFault(core::kFaultTruncate, frameBytes.has_value(), frameBytes.value_or(0));
}

void SimulatedMachine::SetReplyByteCount(std::uint32_t bytes) {
  SetFault(core::kFaultByteCount, bytes, 0);
}

void SimulatedMachine::SetControlAbsent(bool absent) {
  SetFault(core::kFaultControlAbsent, absent, 0);
}

void SimulatedMachine::SetControlPresent(bool present) {
  std::lock_guard<std::mutex> hold(lock_);
  core::MachineSetControlPresent(&machine_, present, NowUs());
}

void SimulatedMachine::SetChannelIdZero(bool zero) { SetFault(core::kFaultChannelIdZero, zero, 0); }

void SimulatedMachine::SetWdmInUse(bool inUse) { SetFault(core::kFaultWdmInUse, inUse, 0); }

void SimulatedMachine::SetRequestFailure(std::uint32_t code, std::uint32_t status) {
  SetFault(core::kFaultRequestFailure, code, status);
}

void SimulatedMachine::SetOversizeCounts(bool oversize) {
  SetFault(core::kFaultOversizeCounts, oversize, 0);
}

void SimulatedMachine::SetUnterminatedNames(bool unterminated) {
  SetFault(core::kFaultUnterminatedNames, unterminated, 0);
}

// Units and channels are checked before they are packed into one word.
void SimulatedMachine::SetPlugFault(std::uint32_t device, std::uint32_t plug, std::uint32_t error) {
  if (device >= core::kMaxDevices || plug >= core::kPlugCount) return;
  SetFault(core::kFaultPlug, device << 8 | plug, error);
}

void SimulatedMachine::SetRequestHook(std::function<void(const RequestRecord&)> hook) {
  std::lock_guard<std::mutex> hold(lock_);
  requestHook_ = std::move(hook);
}

void SimulatedMachine::SetFixedLevel(std::uint32_t device, std::uint32_t channel, int level) {
  if (device >= core::kMaxDevices || channel >= core::kMeteredChannels) return;
  SetFault(core::kFaultFixedLevel, device << 8 | channel, static_cast<std::uint32_t>(level));
}

// ---- Inspection ----

std::vector<FrameRecord> SimulatedMachine::Frames(std::uint32_t device, std::size_t first) const {
  std::lock_guard<std::mutex> hold(lock_);
  if (device >= core::kMaxDevices || first >= frames_[device].size()) return {};
  return std::vector<FrameRecord>(frames_[device].begin() + static_cast<std::ptrdiff_t>(first),
                                  frames_[device].end());
}

std::size_t SimulatedMachine::FrameCount(std::uint32_t device) const {
  std::lock_guard<std::mutex> hold(lock_);
  return device < core::kMaxDevices ? frames_[device].size() : 0;
}

std::size_t SimulatedMachine::OpenHandleCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return handles_.size() + events_.size();
}

std::vector<RequestRecord> SimulatedMachine::Requests() const {
  std::lock_guard<std::mutex> hold(lock_);
  return requests_;
}

DeviceState SimulatedMachine::State(std::uint32_t device) const {
  DeviceState state;
  if (device >= core::kMaxDevices) return state;
  std::lock_guard<std::mutex> hold(lock_);
  core::Device& unit = machine_.devices[device];
  state.present = unit.present;
  state.mixerEnabled = unit.mixerEnabled;
  for (std::uint32_t mix = 0; mix < core::kMixCount; ++mix)
    std::copy(std::begin(unit.mixes[mix]), std::end(unit.mixes[mix]), state.mixes[mix].begin());
  state.overs = core::DeviceOvers(&unit, NowUs());
  return state;
}

core::Control SimulatedMachine::ControlState() const {
  std::lock_guard<std::mutex> hold(lock_);
  return machine_.control;
}

std::uint32_t SimulatedMachine::ControlDeviceId(std::uint32_t device) const {
  std::lock_guard<std::mutex> hold(lock_);
  return device < core::kMaxDevices ? core::ControlDeviceId(machine_, device) : 0;
}

void SimulatedMachine::ClearFrames() {
  std::lock_guard<std::mutex> hold(lock_);
  for (auto& frames : frames_) frames.clear();
  requests_.clear();
}

}  // namespace simulator
