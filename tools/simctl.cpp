// Sets up the simulated machine inside the kernel-mode driver: a fresh
// machine as the options describe it, in the syntax of KORVANE_SIMULATOR
// (see simulator/options.h), for example
//
//   simctl devices=3,delay=200
//
// The programs started afterwards, with KORVANE_SIMULATOR unset, reach it
// through their ordinary driver calls.
#include <cstdio>

#include "simulator/driversimulator.h"

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const simulator::Options options = simulator::ParseOptions(argc > 1 ? argv[1] : "");
  simulator::DriverSimulator machine;
  std::uint32_t status = machine.Open();
  if (status != 0) {
    std::printf("simctl: the simulated driver does not answer (error %u); is it installed?\n",
                static_cast<unsigned>(status));
    return 1;
  }
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
