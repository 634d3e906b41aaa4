// The simulator's core behind the kernel-mode driver's C shell: one machine,
// the logs the test-control device reads, and its requests. Freestanding like
// the core: no allocation, no library, no static constructors (every object
// here is plain data, zero until XtInit).
#include "simulator/wdm/coreglue.h"

#include "simulator/core/bytes.h"
#include "simulator/core/driver.h"
#include "simulator/testcontrol.h"

namespace {

namespace core = simulator::core;
namespace tc = simulator::testcontrol;

constexpr std::uint64_t kDefaultSeed = 0x5EED;

// The C shell spells these out for itself.
static_assert(XT_MAX_UNITS == core::kMaxDevices);
static_assert(tc::kReset == 0x8A7E2400u && tc::kSetDeviceCount == 0x8A7E2404u &&
              tc::kGetStartedNodes == 0x8A7E241Cu && tc::kSetControlPresent == 0x8A7E2420u);

core::Machine machine;
tc::FrameEntry frameLog[tc::kFrameLog];
std::uint32_t frameTotal;
tc::RequestEntry requestLog[tc::kRequestLog];
std::uint32_t requestTotal;
void (*notifySignal)(void*, std::uint32_t);
void* notifyContext;

// A handle names its kind, its unit and the unit's power-up.
std::uint64_t Encode(const core::HandleRef& ref) {
  return static_cast<std::uint64_t>(ref.kind) | static_cast<std::uint64_t>(ref.device) << 8 |
         static_cast<std::uint64_t>(ref.generation) << 32;
}

core::HandleRef Decode(std::uint64_t value) {
  return core::HandleRef{static_cast<core::HandleKind>(value & 0xFF),
                         static_cast<std::uint32_t>(value >> 8 & 0xFF),
                         static_cast<std::uint32_t>(value >> 32)};
}

void OnFrame(void*, std::uint32_t unit, const std::uint8_t* frame, std::uint32_t length,
             std::uint32_t timeoutMs, std::uint64_t nowUs, std::uint32_t status) {
  tc::FrameEntry& entry = frameLog[frameTotal % tc::kFrameLog];
  entry.timeUs = nowUs;
  entry.unit = unit;
  entry.timeoutMs = timeoutMs;
  entry.status = status;
  entry.length = length;
  core::FillBytes(entry.frame, 0, sizeof entry.frame);
  core::CopyBytes(entry.frame, frame, length);
  ++frameTotal;
}

void OnNotify(void*, std::uint32_t eventWord) {
  if (notifySignal) notifySignal(notifyContext, eventWord);
}

void ResetMachine(std::uint64_t seed, std::uint32_t devices, std::uint64_t nowUs) {
  // The panel's event was registered through a handle that a reset does not
  // close, so the registration outlives the machine it was made on.
  const std::uint32_t notifyEvent = machine.control.notifyEvent;
  // A handle that died with a removed control device stays dead.
  const std::uint32_t generation = machine.control.generation;
  core::MachineInit(&machine, seed, devices, nowUs);
  machine.control.notifyEvent = notifyEvent;
  machine.control.generation = generation;
  machine.observer = core::FrameObserver{OnFrame, nullptr};
  machine.notify = core::NotifySink{OnNotify, nullptr};
  frameTotal = 0;
  requestTotal = 0;
}

void LogRequest(std::uint64_t nowUs, std::uint32_t code, std::uint32_t inSize,
                std::uint32_t outSize, std::int32_t unit, std::uint32_t status) {
  tc::RequestEntry& entry = requestLog[requestTotal % tc::kRequestLog];
  entry = tc::RequestEntry{nowUs, code, inSize, outSize, unit, status, 0};
  ++requestTotal;
}

XtCompletion Done(std::uint32_t status, std::uint32_t bytes, std::uint64_t nowUs) {
  return XtCompletion{status, bytes, nowUs};
}

// Copies log entries from `first` on into `out` after a two-word header.
template <typename Entry, std::uint32_t N>
std::uint32_t ReadLog(const Entry (&log)[N], std::uint32_t total, std::uint32_t first,
                      std::uint8_t* out, std::uint32_t outSize) {
  const std::uint32_t oldest = total > N ? total - N : 0;
  if (first < oldest) first = oldest;
  std::uint32_t count = 0;
  std::uint32_t at = 8;
  for (std::uint32_t i = first; i < total && at + sizeof(Entry) <= outSize; ++i, ++count) {
    core::CopyBytes(out + at, &log[i % N], sizeof(Entry));
    at += sizeof(Entry);
  }
  core::StoreLe32(out, total);
  core::StoreLe32(out + 4, count);
  return at;
}

void ReadState(std::uint32_t unit, std::uint64_t nowUs, std::uint8_t* out) {
  tc::UnitState state{};
  core::Device& device = machine.devices[unit];
  state.present = device.present;
  state.mixerEnabled = device.mixerEnabled;
  core::CopyBytes(state.mixes, device.mixes, sizeof state.mixes);
  state.overs = core::DeviceOvers(&device, nowUs);
  core::CopyBytes(out, &state, sizeof state);
}

}  // namespace

extern "C" {

void XtInit(std::uint64_t nowUs) { ResetMachine(kDefaultSeed, 1, nowUs); }

void XtSetNotify(void (*signal)(void*, std::uint32_t), void* context) {
  notifySignal = signal;
  notifyContext = context;
}

int XtOpenUnit(std::uint32_t unit, std::uint64_t* ref) {
  core::HandleRef handle{};
  if (!core::OpenDeviceInterface(machine, unit, &handle)) return 0;
  *ref = Encode(handle);
  return 1;
}

int XtOpenControl(std::uint64_t* ref) {
  if (machine.control.faults.absent) return 0;
  *ref = Encode(core::OpenControl(machine));
  return 1;
}

XtCompletion XtDispatch(std::uint64_t ref, std::uint32_t code, const std::uint8_t* in,
                        std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize,
                        std::uint64_t nowUs) {
  const core::HandleRef handle = Decode(ref);
  const core::IoCompletion done =
      core::Dispatch(&machine, handle, core::IoRequest{code, in, inSize, out, outSize, nowUs});
  const std::int32_t unit =
      handle.kind == core::HandleKind::kControl ? -1 : static_cast<std::int32_t>(handle.device);
  LogRequest(nowUs, code, inSize, outSize, unit, done.status);
  return XtCompletion{done.status, done.bytes, done.completeAtUs};
}

XtCompletion XtTestControl(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize,
                           std::uint8_t* out, std::uint32_t outSize, std::uint64_t nowUs) {
  switch (code) {
    case tc::kReset: {
      if (inSize != sizeof(tc::Reset)) break;
      tc::Reset reset;
      core::CopyBytes(&reset, in, sizeof reset);
      ResetMachine(reset.seed, reset.devices, nowUs);
      return Done(0, 0, nowUs);
    }
    case tc::kSetDeviceCount:
      if (inSize != 4) break;
      core::MachineSetDeviceCount(&machine, core::LoadLe32(in), nowUs);
      return Done(0, 0, nowUs);
    case tc::kSetFault: {
      if (inSize != sizeof(tc::Fault)) break;
      tc::Fault fault;
      core::CopyBytes(&fault, in, sizeof fault);
      core::MachineSetFault(&machine, fault.kind, fault.a, fault.b);
      return Done(0, 0, nowUs);
    }
    case tc::kGetFrames:
      if (inSize != 4 || outSize < sizeof(tc::FramesReply)) break;
      return Done(0, ReadLog(frameLog, frameTotal, core::LoadLe32(in), out, outSize), nowUs);
    case tc::kGetRequests:
      if (inSize != 4 || outSize < sizeof(tc::RequestsReply)) break;
      return Done(0, ReadLog(requestLog, requestTotal, core::LoadLe32(in), out, outSize), nowUs);
    case tc::kGetState:
      if (inSize != 4 || outSize < sizeof(tc::UnitState) || core::LoadLe32(in) >= core::kMaxDevices)
        break;
      ReadState(core::LoadLe32(in), nowUs, out);
      return Done(0, sizeof(tc::UnitState), nowUs);
    case tc::kSetControlPresent:
      if (inSize != 4) break;
      core::MachineSetControlPresent(&machine, core::LoadLe32(in) != 0, nowUs);
      return Done(0, 0, nowUs);
    case tc::kClearLogs:
      frameTotal = 0;
      requestTotal = 0;
      return Done(0, 0, nowUs);
    default:
      return Done(core::kWin32InvalidFunction, 0, nowUs);
  }
  return Done(core::kStatusInvalidParameter, 0, nowUs);
}

void XtDropNotify(void) { core::ControlDropNotifyEvent(&machine); }

int XtUnitPresent(std::uint32_t unit) {
  return unit < core::kMaxDevices && machine.devices[unit].present ? 1 : 0;
}

}  // extern "C"
