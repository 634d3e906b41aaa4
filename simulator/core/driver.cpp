#include "simulator/core/driver.h"

#include "simulator/core/bytes.h"
#include "simulator/core/control.h"
#include "simulator/core/requests.h"

namespace simulator::core {

IoCompletion ServeVersion(Machine* machine, const HandleRef&, const IoRequest& request) {
  const DriverConfig& driver = machine->driver;
  std::uint8_t* out = request.out;
  FillBytes(out, 0, kVersionReplySize);
  out[0] = driver.interfaceMajor;
  out[1] = driver.interfaceMinor;
  out[2] = driver.releaseMajor;
  out[3] = driver.releaseMinor;
  StoreLe32(out + 4, driver.build);
  return AtOnce(request, kStatusSuccess, kVersionReplySize);
}

namespace {

// Hands the frame to the unit and returns its response when the unit has
// answered, or gives up after the caller's time-out.
IoCompletion ServeFcp(Machine* machine, const HandleRef& handle, const IoRequest& request) {
  const std::uint32_t timeoutMs = LoadLe32(request.in);
  const std::uint32_t length = LoadLe32(request.in + 4);
  const std::uint8_t* frame = request.in + 8;
  if (length == 0 || length > kFcpFrameMax) return AtOnce(request, kStatusByteCountMismatch);
  if (timeoutMs == 0) return AtOnce(request, kStatusInvalidParameter);

  const DriverConfig& driver = machine->driver;
  IoCompletion done{};
  if (driver.fcpStatus != 0) {
    done = AtOnce(request, driver.fcpStatus);
  } else {
    Device* device = &machine->devices[handle.device];
    std::uint8_t* response = request.out + 4;
    FillBytes(response, 0, kFcpFrameMax);
    std::uint32_t responseLength = DeviceAnswer(device, frame, length, response, request.nowUs);
    if (driver.replyFaults.truncate && driver.replyFaults.truncateTo < responseLength) {
      responseLength = driver.replyFaults.truncateTo;
      FillBytes(response + responseLength, 0, kFcpFrameMax - responseLength);
    }
    const std::uint32_t lengthField =
        driver.replyFaults.lengthField != 0 ? driver.replyFaults.lengthField : responseLength;
    StoreLe32(request.out, lengthField);

    // A unit slower than the caller's patience: its answer comes after the
    // driver has given up, and is dropped.
    if (driver.replyDelayMs > timeoutMs) {
      done = IoCompletion{kStatusRequestTimeout, 0, request.nowUs + timeoutMs * 1000ull};
    } else {
      const std::uint32_t bytes =
          driver.replyFaults.byteCount != 0 ? driver.replyFaults.byteCount : kFcpResponseSize;
      done = IoCompletion{kStatusSuccess, bytes, request.nowUs + driver.replyDelayMs * 1000ull};
    }
  }
  const FrameObserver& observer = machine->observer;
  if (observer.frameReceived)
    observer.frameReceived(observer.context, handle.device, frame, length, timeoutMs, request.nowUs,
                           done.status);
  return done;
}

constexpr RequestRule kDeviceInterfaceRequests[] = {
    {kRequestVersion, kAnyInput, kVersionReplySize, ServeVersion},
    {kRequestFcp, kFcpRequestSize, kFcpResponseSize, ServeFcp},
};

template <std::uint32_t N>
const RequestRule* Find(const RequestRule (&table)[N], std::uint32_t code) {
  for (const RequestRule& rule : table)
    if (rule.code == code) return &rule;
  return nullptr;
}

}  // namespace

void MachineInit(Machine* machine, std::uint64_t seed, std::uint32_t deviceCount,
                 std::uint64_t nowUs) {
  FillBytes(machine, 0, sizeof *machine);
  machine->driver.interfaceMajor = 2;
  machine->driver.interfaceMinor = 10;
  machine->driver.releaseMajor = 1;
  machine->driver.releaseMinor = 5;
  machine->driver.build = 3017;
  machine->prng.state = seed;
  for (Device& device : machine->devices)
    for (std::int16_t& level : device.fixedLevel) level = -1;
  ControlInit(machine, nowUs);
  MachineSetDeviceCount(machine, deviceCount, nowUs);
  // The units were there when the driver started: nothing has changed yet.
  machine->control.notifyCount = 0;
}

void MachineSetDeviceCount(Machine* machine, std::uint32_t count, std::uint64_t nowUs) {
  if (count > kMaxDevices) count = kMaxDevices;
  for (std::uint32_t i = 0; i < kMaxDevices; ++i) {
    Device& device = machine->devices[i];
    if (i < count && !device.present) {
      DevicePowerUp(&device, PrngNext(&machine->prng), nowUs);
      ControlUnitArrived(machine, i, nowUs);
    } else if (i >= count && device.present) {
      DevicePowerDown(&device);
      ControlUnitLeft(machine, i, nowUs);
    }
  }
  machine->deviceCount = count;
}

bool OpenDeviceInterface(const Machine& machine, std::uint32_t device, HandleRef* handle) {
  if (device >= kMaxDevices || !machine.devices[device].present) return false;
  *handle = HandleRef{HandleKind::kDeviceInterface, device, machine.devices[device].generation};
  return true;
}

void MachineSetControlPresent(Machine* machine, bool present, std::uint64_t nowUs) {
  Control& control = machine->control;
  if (present == !control.removed) return;
  if (!present) {
    ++control.generation;
    control.removed = true;
    control.faults.absent = true;
    ControlDropNotifyEvent(machine);
    control.unitsBeforeRemoval = machine->deviceCount;
    MachineSetDeviceCount(machine, 0, nowUs);
    // What was queued belonged to the handles that died.
    control.notifyHead = 0;
    control.notifyCount = 0;
    return;
  }
  control.removed = false;
  control.faults.absent = false;
  MachineSetDeviceCount(machine, control.unitsBeforeRemoval, nowUs);
}

HandleRef OpenControl(const Machine& machine) {
  return HandleRef{HandleKind::kControl, 0, machine.control.generation};
}

bool HandleIsLive(const Machine& machine, const HandleRef& handle) {
  if (handle.kind == HandleKind::kControl) return handle.generation == machine.control.generation;
  if (handle.device >= kMaxDevices) return false;
  const Device& device = machine.devices[handle.device];
  return device.present && device.generation == handle.generation;
}

IoCompletion Dispatch(Machine* machine, const HandleRef& handle, const IoRequest& request) {
  const RequestRule* rule = handle.kind == HandleKind::kControl
                                ? FindControlRule(request.code)
                                : Find(kDeviceInterfaceRequests, request.code);
  if (!HandleIsLive(*machine, handle)) return AtOnce(request, kWin32DeviceRemoved);
  if (rule == nullptr) return AtOnce(request, kWin32InvalidFunction);
  if (rule->inSize != kAnyInput &&
      (request.inSize != rule->inSize || (rule->inSize > 0 && request.in == nullptr)))
    return AtOnce(request, kStatusBufferSizeInvalid);
  if (request.outSize < rule->minOutSize || (rule->minOutSize > 0 && request.out == nullptr))
    return AtOnce(request, kStatusOutputTooSmall);
  const ControlFaults& faults = machine->control.faults;
  if (handle.kind == HandleKind::kControl && faults.failCode == request.code &&
      faults.failCode != 0)
    return AtOnce(request, faults.failStatus);
  return rule->serve(machine, handle, request);
}

}  // namespace simulator::core
