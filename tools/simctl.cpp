// Sets up the simulated machine inside the kernel-mode driver: a fresh
// machine as the options describe it, in the syntax of KORVANE_SIMULATOR
// (see simulator/options.h), for example
//
//   simctl devices=3,delay=200
//
// The programs started afterwards, with KORVANE_SIMULATOR unset, reach it
// through their ordinary driver calls.
//
//   simctl --plug N
//
// plugs units in or pulls them out until N are on the bus, leaving the rest
// of the machine as it is: the running programs see units arrive or leave,
// as they would on a real bus.
//
//   simctl --control off|on
//
// takes the driver's control device away, as a driver that unloads would
// (the handles opened to it die and its units leave), or brings it back with
// as many fresh units: what a running control panel meets when the driver
// is restarted.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "simulator/driversimulator.h"

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const bool plug = argc > 1 && std::strcmp(argv[1], "--plug") == 0;
  const bool control = argc > 1 && std::strcmp(argv[1], "--control") == 0;
  const bool controlOn = control && argc == 3 && std::strcmp(argv[2], "on") == 0;
  if (control && !controlOn && (argc != 3 || std::strcmp(argv[2], "off") != 0)) {
    std::printf("simctl: --control takes off or on\n");
    return 2;
  }
  unsigned long units = 0;
  if (plug) {
    char* end = nullptr;
    units = argc == 3 ? std::strtoul(argv[2], &end, 10) : 0;
    if (argc != 3 || end == argv[2] || *end != '\0' || units > simulator::core::kMaxDevices) {
      std::printf("simctl: --plug takes a unit count from 0 to %u\n", simulator::core::kMaxDevices);
      return 2;
    }
  }
  simulator::DriverSimulator machine;
  std::uint32_t status = machine.Open();
  if (status != 0) {
    std::printf("simctl: the simulated driver does not answer (error %u); is it installed?\n",
                static_cast<unsigned>(status));
    return 1;
  }
  if (control) {
    status = machine.SetControlPresent(controlOn);
    if (status != 0) {
      std::printf("simctl: switching the control device failed: 0x%08X\n",
                  static_cast<unsigned>(status));
      return 1;
    }
    std::printf("simctl: the driver's control device is %s\n", controlOn ? "back" : "gone");
    return 0;
  }
  if (plug) {
    status = machine.SetDeviceCount(static_cast<std::uint32_t>(units));
    if (status != 0) {
      std::printf("simctl: plugging failed: 0x%08X\n", static_cast<unsigned>(status));
      return 1;
    }
    std::printf("simctl: %lu simulated X-Tamber(s) on the bus\n", units);
    return 0;
  }
  const simulator::Options options = simulator::ParseOptions(argc > 1 ? argv[1] : "");
  status = machine.Apply(options);
  if (status != 0) {
    std::printf("simctl: setting up the machine failed: 0x%08X\n", static_cast<unsigned>(status));
    return 1;
  }
  std::printf("simctl: %u simulated X-Tamber(s), driver interface %u.%u\n",
              static_cast<unsigned>(options.devices), options.interfaceMajor,
              options.interfaceMinor);
  return 0;
}
