// The simulated X-Tamber machine behind the device seam: the simulator's core
// (its driver and up to eight units) served in-process, byte for byte as the
// system's driver serves them, with the inspection and fault injection tests
// need. Thread-safe: any thread may call any member at any time.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/deviceio.h"
#include "simulator/core/driver.h"
#include "simulator/options.h"

namespace simulator {

// One FCP frame as the driver received it.
struct FrameRecord {
  std::uint64_t timeUs;  // steady clock, since the machine was made
  std::uint32_t timeoutMs;
  std::vector<std::uint8_t> frame;
  std::uint32_t status;  // how its transaction ended
};

// One I/O-control request on any handle of the machine.
struct RequestRecord {
  std::uint64_t timeUs;
  std::uint32_t code;
  std::uint32_t inSize;
  std::uint32_t outSize;
  int device;  // the unit, or -1 for the control device
  std::uint32_t status;
};

struct DeviceState {
  bool present = false;
  bool mixerEnabled = false;
  std::array<std::array<std::uint16_t, core::kGainsPerMix>, core::kMixCount> mixes{};
  std::uint16_t overs = 0;  // latched, bit n = channel n (0..7 inputs, 8..15 DAW playback)
};

class SimulatedMachine final : public platform::DeviceApi {
 public:
  explicit SimulatedMachine(const Options& options = Options());
  ~SimulatedMachine() override;
  SimulatedMachine(const SimulatedMachine&) = delete;
  SimulatedMachine& operator=(const SimulatedMachine&) = delete;

  // The device seam. Interface paths read
  // "\\?\root#xtamber#NNNN#{73f85346-af20-4235-b624-b69ae6792f5b}" (NNNN the
  // unit, from 0000); the driver's control device is
  // "\\.\{73F85346-AF20-4235-B624-B69AE6792F5B}". Both open case-blind.
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

  // Faults, settable at any time; each applies to requests issued after it.
  void SetFcpStatus(std::uint32_t status);  // 0: none
  void SetReplyDelayMs(std::uint32_t delayMs);
  void SetInterfaceVersion(std::uint8_t major, std::uint8_t minor);
  // Units 0 .. count - 1 are present. Pulled units vanish at once (their
  // handles fail, their paths no longer open); a device list shows the
  // change from the next GetClassDevs on.
  void SetDeviceCount(std::uint32_t count);
  void SetTransferEventFails(bool fails);
  void SetReplyLengthField(std::uint32_t length);  // 0: the true length
  void SetReplyTruncation(std::optional<std::uint32_t> frameBytes);
  void SetReplyByteCount(std::uint32_t bytes);  // 0: the true count
  // The control device's faults.
  void SetControlAbsent(bool absent);  // its path no longer opens; open handles still work
  // Gone, it takes its open handles and every unit with it; back, fresh units
  // (see core::MachineSetControlPresent).
  void SetControlPresent(bool present);
  void SetChannelIdZero(bool zero);    // channel records carry 0 for their identifier
  void SetWdmInUse(bool inUse);        // SetSampleRate fails with 0xE0000047
  void SetRequestFailure(std::uint32_t code, std::uint32_t status);  // code 0: none
  void SetOversizeCounts(bool oversize);
  void SetUnterminatedNames(bool unterminated);
  // Plug 0..3 of a unit fails to connect with `error` (0: connects again).
  void SetPlugFault(std::uint32_t device, std::uint32_t plug, std::uint32_t error);
  // Called after every request, outside the machine's lock, on the caller's
  // thread: a test can change the machine between two requests of a client.
  void SetRequestHook(std::function<void(const RequestRecord&)> hook);

  // Pins channel 0..15 of a unit to a constant level (255 clips and latches
  // its over); a negative level gives the channel its music back.
  void SetFixedLevel(std::uint32_t device, std::uint32_t channel, int level);

  // Inspection.
  // The frames a unit received, from number `first` (counted since the last
  // ClearFrames) on: a test that waits for one frame copies only the new ones.
  std::vector<FrameRecord> Frames(std::uint32_t device, std::size_t first = 0) const;
  std::size_t FrameCount(std::uint32_t device) const;
  std::vector<RequestRecord> Requests() const;
  // Handles and transfer events opened and not yet closed, by every client.
  std::size_t OpenHandleCount() const;
  DeviceState State(std::uint32_t device) const;
  // The control device's settings as the driver holds them now.
  core::Control ControlState() const;
  // The identifier the control device gives unit `device` in its present power-up.
  std::uint32_t ControlDeviceId(std::uint32_t device) const;
  void ClearFrames();  // and the request log
  std::uint64_t NowUs() const;

  static std::string InterfacePath(std::uint32_t device);
  static const char kControlPath[];

 private:
  struct DeviceList;
  struct OpenHandle;
  struct PendingIo;
  struct TransferEvent;
  using Clock = std::chrono::steady_clock;

  static void OnFrame(void* context, std::uint32_t device, const std::uint8_t* frame,
                      std::uint32_t length, std::uint32_t timeoutMs, std::uint64_t nowUs,
                      std::uint32_t status);
  std::uint64_t UsSinceStart(Clock::time_point time) const;
  static void OnNotify(void* context, std::uint32_t eventWord);
  void SetFault(std::uint32_t kind, std::uint32_t a, std::uint32_t b);
  static std::uint32_t Finish(const PendingIo& io, std::uint32_t* bytesReturned,
                              platform::Overlapped* overlapped);

  const Clock::time_point start_;
  mutable std::mutex lock_;
  mutable core::Machine machine_;  // mutable: reading the overs catches up with the music
  bool eventFails_ = false;
  std::function<void(const RequestRecord&)> requestHook_;
  platform::DeviceHandle notifyHandle_ = nullptr;  // registered the notification event
  std::unordered_map<void*, std::unique_ptr<DeviceList>> lists_;
  std::unordered_map<void*, std::unique_ptr<OpenHandle>> handles_;
  std::unordered_map<void*, std::unique_ptr<TransferEvent>> events_;
  std::unordered_map<void*, std::unique_ptr<PendingIo>> pending_;
  std::array<std::vector<FrameRecord>, core::kMaxDevices> frames_;
  std::vector<RequestRecord> requests_;
};

// Installs a machine for the life of the object (a test's body) and puts back
// whatever was installed before.
class ScopedMachine {
 public:
  explicit ScopedMachine(const Options& options = Options());
  ~ScopedMachine();
  ScopedMachine(const ScopedMachine&) = delete;
  ScopedMachine& operator=(const ScopedMachine&) = delete;

  SimulatedMachine& machine() { return machine_; }
  SimulatedMachine* operator->() { return &machine_; }

 private:
  SimulatedMachine machine_;
  platform::DeviceApi* previous_;
};

// For programs and test mains: installs a machine described by
// KORVANE_SIMULATOR for the rest of the process and returns it. On the host
// there is no other driver, so a machine is always installed (the defaults
// when the variable is unset); on Windows only when the variable is set,
// otherwise nothing is installed and the result is null. Later calls return
// the same machine.
SimulatedMachine* InstallFromEnvironment();

}  // namespace simulator
