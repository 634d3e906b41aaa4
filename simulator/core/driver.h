// The simulated X-Tamber driver: one machine with up to eight units, the
// driver's settings and the I/O-control requests it serves. A host (the
// in-process seam or a kernel-mode driver) owns a Machine, brings the time
// and the caller's buffers, and carries out what a completion says: its
// status, its byte count and the moment it completes.
//
// Requests arrive on a handle of a kind. The per-unit device interfaces serve
// the mixer's table; the driver's control device (the control panel's path)
// has a table of its own, of which the version request is shared.
#pragma once

#include <cstdint>

#include "simulator/core/control.h"
#include "simulator/core/device.h"
#include "simulator/core/prng.h"
#include "simulator/core/protocol.h"

namespace simulator::core {

// Replies a broken driver or device might give, for tests of their callers.
struct ReplyFaults {
  std::uint32_t lengthField;  // non-zero: the FCP response's length field says this
  bool truncate;              // the FCP response frame is cut to truncateTo bytes
  std::uint32_t truncateTo;
  std::uint32_t byteCount;  // non-zero: the byte count reported instead of the real one
};

struct DriverConfig {
  std::uint8_t interfaceMajor;  // the client accepts 2.10 and later 2.x
  std::uint8_t interfaceMinor;
  std::uint8_t releaseMajor;
  std::uint8_t releaseMinor;
  std::uint32_t build;
  std::uint32_t fcpStatus;     // non-zero: every FCP transaction fails with it, undelivered
  std::uint32_t replyDelayMs;  // how long a unit takes to answer a frame
  ReplyFaults replyFaults;
};

// Told of every FCP frame the driver accepted, with the status its
// transaction ends with. Runs inside Dispatch.
struct FrameObserver {
  void (*frameReceived)(void* context, std::uint32_t device, const std::uint8_t* frame,
                        std::uint32_t length, std::uint32_t timeoutMs, std::uint64_t nowUs,
                        std::uint32_t status);
  void* context;
};

struct Machine {
  DriverConfig driver;
  Device devices[kMaxDevices];
  std::uint32_t deviceCount;  // units 0 .. deviceCount - 1 are plugged in
  Prng prng;                  // gives each unit its music when it is plugged in
  FrameObserver observer;
  Control control;    // the control device's settings and notification queue
  NotifySink notify;  // how the driver signals the panel's event
};

enum class HandleKind : std::uint8_t {
  kDeviceInterface,  // one unit's interface, the mixer's path
  kControl,          // the driver's control device, the control panel's path
};

// What an open handle refers to. A device-interface handle names the unit
// and the power-up it was opened in: once the unit is unplugged it is dead.
struct HandleRef {
  HandleKind kind;
  std::uint32_t device;
  std::uint32_t generation;
};

struct IoRequest {
  std::uint32_t code;
  const std::uint8_t* in;  // may be null when inSize is 0
  std::uint32_t inSize;
  std::uint8_t* out;  // the driver's copy of the output buffer; may be null when outSize is 0
  std::uint32_t outSize;
  std::uint64_t nowUs;
};

// The result of a request. `out` is only meaningful when the status is 0:
// as with any buffered request, a failing one hands nothing back.
struct IoCompletion {
  std::uint32_t status;
  std::uint32_t bytes;         // may exceed outSize under ReplyFaults::byteCount
  std::uint64_t completeAtUs;  // nowUs when it completes at once
};

// A machine with `deviceCount` units plugged in at `nowUs`, a driver of
// interface version 2.10 and no faults.
void MachineInit(Machine* machine, std::uint64_t seed, std::uint32_t deviceCount,
                 std::uint64_t nowUs);

// Plugs units in or pulls them out so that `count` (at most kMaxDevices) are
// present. A unit that comes back is a fresh one.
void MachineSetDeviceCount(Machine* machine, std::uint32_t count, std::uint64_t nowUs);

// Takes the driver's control device away, as its driver unloading would, or
// brings it back. Going, it kills every handle opened to it, forgets the
// panel's event and pulls every unit out; coming back, it plugs in as many
// fresh units as there were. The driver's settings stay.
void MachineSetControlPresent(Machine* machine, bool present, std::uint64_t nowUs);

// A handle to unit `device` as it is now; false when no such unit is present.
bool OpenDeviceInterface(const Machine& machine, std::uint32_t device, HandleRef* handle);
// A handle to the control device as it is now (whether it may be opened at
// all is the host's question: faults.absent).
HandleRef OpenControl(const Machine& machine);
bool HandleIsLive(const Machine& machine, const HandleRef& handle);

IoCompletion Dispatch(Machine* machine, const HandleRef& handle, const IoRequest& request);

}  // namespace simulator::core
