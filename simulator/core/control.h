// The driver's control device: the settings the control panel reads and
// changes, kept by the driver for the whole machine and for each unit, and
// the queue of notifications that tells the panel when they changed.
//
// Records are exchanged byte-exact: names are 40-byte fields ending in a zero
// byte, words are little-endian.
#pragma once

#include <cstdint>

#include "simulator/core/protocol.h"

namespace simulator::core {

struct Machine;

constexpr std::uint32_t kNameField = 40;
constexpr std::uint32_t kSerialField = 384;
constexpr std::uint32_t kChannelsPerDirection = 8;
constexpr std::uint32_t kSyncModeCount = 4;  // internal, SYT, external clock, digital input
constexpr std::uint32_t kRateCount = 4;      // 44.1, 48, 88.2 and 96 kHz
constexpr std::uint32_t kPlugCount = 4;      // audio out, audio in, synch out, synch in
constexpr std::uint32_t kNotificationQueue = 32;

// Notification kinds. The panel reloads its pages on kinds 2 and 3.
constexpr std::uint32_t kNotifyStreaming = 1;  // streaming started or stopped
constexpr std::uint32_t kNotifyDevices = 2;    // units, names, ranking, buffers
constexpr std::uint32_t kNotifySync = 3;       // clock master, rate mode, rate, sources

// Plug states as the driver reports them.
constexpr std::uint32_t kPlugIdle = 0;
constexpr std::uint32_t kPlugConnected = 3;
constexpr std::uint32_t kPlugConnectFailed = 4;

// What the driver keeps about one unit while it is plugged in. A unit that
// comes back is a new one: its names start from the defaults again.
struct UnitSettings {
  char serialNumber[24];
  char name[kNameField];
  std::uint32_t rank;
  char channelNames[2][kChannelsPerDirection][kNameField];  // [direction][channel]
  std::uint32_t syncMode;                                   // index into the unit's modes
  std::uint32_t plugFault[kPlugCount];  // non-zero: the plug's connect fails with it
};

// A buffer as the panel sees it: four words, meaning depending on the buffer.
struct BufferWords {
  std::uint32_t words[4];
};

// Replies a misbehaving driver might give, for tests of the panel.
struct ControlFaults {
  bool absent;               // the control device does not exist
  bool wdmInUse;             // a WDM sound device is playing: the rate cannot change
  bool oversizeCounts;       // list and rate counts exceed their records
  bool unterminatedNames;    // name fields come back without their zero byte
  bool channelIdZero;        // channel records carry 0 for their own identifier
  std::uint32_t failCode;    // non-zero: this request fails ...
  std::uint32_t failStatus;  // ... with this status
};

struct Control {
  UnitSettings units[kMaxDevices];
  std::uint32_t asioNameMode;
  std::uint32_t clockMasterReserved;
  std::uint32_t clockMasterKind;  // 0 the PC driver, 1 a unit
  std::uint32_t clockMasterDevice;
  std::uint32_t rateMode;  // 0 set by hand, 1 follows the clock master
  std::uint32_t currentRate;
  BufferWords streamBuffer;  // minimum, maximum, step, depth (µs)
  BufferWords asioBuffer;    // depth (µs), latency, granularity, reserved
  BufferWords wdmBuffer;
  bool streaming;
  std::uint64_t streamingSinceUs;
  std::uint64_t nextDropCheckUs;
  std::uint32_t dropOuts;
  std::uint32_t notifications[kNotificationQueue];
  std::uint32_t notifyHead;
  std::uint32_t notifyCount;
  std::uint32_t notifyEvent;  // the event word the panel registered, 0 none
  ControlFaults faults;
  // Handles name the control device's life they were opened in: once it is
  // removed (its driver unloads) they are dead, even after it comes back.
  std::uint32_t generation;
  bool removed;                      // gone with its driver; faults.absent says so too
  std::uint32_t unitsBeforeRemoval;  // plugged in again when it comes back
};

// Told when the driver signals the event the panel registered. Runs inside
// Dispatch or a machine change; the host sets the event.
struct NotifySink {
  void (*signal)(void* context, std::uint32_t eventWord);
  void* context;
};

// The driver's settings at power-on, before any unit is seen.
void ControlInit(Machine* machine, std::uint64_t nowUs);
// A unit was plugged in or pulled out: the driver sets it up or forgets it,
// and tells the panel.
void ControlUnitArrived(Machine* machine, std::uint32_t unit, std::uint64_t nowUs);
void ControlUnitLeft(Machine* machine, std::uint32_t unit, std::uint64_t nowUs);

// Queues a notification and signals the registered event.
void ControlNotify(Machine* machine, std::uint32_t kind);
// The handle that registered the event has closed: the driver lets go of it.
void ControlDropNotifyEvent(Machine* machine);

// The identifiers the control device hands out. They carry the unit's power-up
// so that one of a unit that has gone is refused even if its slot is reused.
std::uint32_t ControlDeviceId(const Machine& machine, std::uint32_t unit);
std::uint32_t ControlChannelId(const Machine& machine, std::uint32_t unit, std::uint32_t direction,
                               std::uint32_t channel);

}  // namespace simulator::core
