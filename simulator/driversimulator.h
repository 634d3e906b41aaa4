// The simulated machine inside the kernel-mode driver, as tests and the run
// command reach it: through the simulator's test-control device, over the
// device seam. Opening fails where the driver is not installed (the host, a
// stock Windows).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/deviceio.h"
#include "simulator/options.h"
#include "simulator/simulatedmachine.h"
#include "simulator/testcontrol.h"

namespace simulator {

class DriverSimulator {
 public:
  DriverSimulator() = default;
  ~DriverSimulator();
  DriverSimulator(const DriverSimulator&) = delete;
  DriverSimulator& operator=(const DriverSimulator&) = delete;

  // Opens the test-control device, trying for up to `waitMs`: the driver host
  // starts with the Wine session and may not be up yet. 0 or the last error.
  std::uint32_t Open(std::uint32_t waitMs = 10000);
  bool IsOpen() const { return handle_ != nullptr; }

  // A fresh machine as the options describe it: units, seed and every fault
  // the driver can show (eventFails is the in-process simulator's alone).
  std::uint32_t Apply(const Options& options);
  std::uint32_t Reset(std::uint32_t devices, std::uint64_t seed = Options().seed);
  std::uint32_t SetDeviceCount(std::uint32_t count);
  // See testcontrol::kSetControlPresent.
  std::uint32_t SetControlPresent(bool present);
  std::uint32_t SetFault(testcontrol::FaultKind kind, std::uint32_t a, std::uint32_t b = 0);
  std::uint32_t ClearLogs();

  // What the driver logged since the last reset or clear (its last frames and
  // requests only, see testcontrol.h), and a unit's state now. With `next`,
  // only the frames from the *next-th on, and *next is moved past the last
  // one logged: a reader that keeps it follows the log without clearing it.
  std::vector<FrameRecord> Frames(std::uint32_t unit, std::uint32_t* next = nullptr) const;
  std::vector<RequestRecord> Requests() const;
  DeviceState State(std::uint32_t unit) const;

 private:
  std::uint32_t Call(std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                     std::uint32_t outSize, std::uint32_t* bytes = nullptr) const;
  template <typename Entry>
  std::vector<Entry> ReadLog(std::uint32_t code, std::uint32_t capacity, std::uint32_t* next) const;

  platform::DeviceHandle handle_ = nullptr;
};

}  // namespace simulator
