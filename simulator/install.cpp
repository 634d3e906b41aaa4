#include <mutex>

#include "simulator/simulatedmachine.h"

namespace simulator {

ScopedMachine::ScopedMachine(const Options& options)
    : machine_(options), previous_(&platform::Devices()) {
  platform::InstallDeviceApi(&machine_);
}

ScopedMachine::~ScopedMachine() { platform::InstallDeviceApi(previous_); }

SimulatedMachine* InstallFromEnvironment() {
  static std::mutex lock;
  // Lives until the process ends: the seam may be used by anything up to then.
  static SimulatedMachine* installed = nullptr;
  std::lock_guard<std::mutex> hold(lock);
  if (installed) return installed;
  const std::optional<Options> options = OptionsFromEnvironment();
#ifdef _WIN32
  if (!options) return nullptr;  // the system's driver
#endif
  installed = new SimulatedMachine(options.value_or(Options()));
  platform::InstallDeviceApi(installed);
  return installed;
}

}  // namespace simulator
