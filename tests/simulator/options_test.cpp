// KORVANE_SIMULATOR: what each text sets up, and what a bad one logs.
#include "simulator/options.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/deviceio.h"
#include "platform/log.h"
#include "simulator/simulatedmachine.h"

namespace {

using simulator::Options;
using simulator::ParseOptions;

TEST(SimulatorOptions, EveryKeyIsReadAndEmptyOrOneMeansTheDefaults) {
  platform::LogCapture log;
  EXPECT_EQ(ParseOptions(""), Options());
  EXPECT_EQ(ParseOptions("1"), Options());
  const Options options = ParseOptions(
      "devices=3, version=2.9,delay=2500,fcpstatus=0xE0008003,replylength=600,truncate=20,"
      "bytecount=4096,eventfail=1,seed=0x10");
  EXPECT_EQ(options.devices, 3u);
  EXPECT_EQ(options.interfaceMajor, 2);
  EXPECT_EQ(options.interfaceMinor, 9);
  EXPECT_EQ(options.delayMs, 2500u);
  EXPECT_EQ(options.fcpStatus, 0xE0008003u);
  EXPECT_EQ(options.replyLength, 600u);
  EXPECT_EQ(options.truncate, 20u);
  EXPECT_EQ(options.byteCount, 4096u);
  EXPECT_TRUE(options.eventFails);
  EXPECT_EQ(options.seed, 16u);
  EXPECT_TRUE(log.Lines().empty());
}

TEST(SimulatorOptions, ABadValueIsLoggedAndGetsItsDefault) {
  platform::LogCapture log;
  // devices=2 is undone by the bad devices=9 after it; delay stays.
  const Options options = ParseOptions(
      "devices=2,delay=5,devices=9,version=2,version=3.256,fcpstatus=0x,volume=11,,loud");
  EXPECT_EQ(options.devices, 1u);
  EXPECT_EQ(options.delayMs, 5u);
  EXPECT_EQ(options.interfaceMinor, 10);
  EXPECT_EQ(options.fcpStatus, 0u);
  EXPECT_EQ(log.Lines(),
            (std::vector<std::string>{
                "KORVANE_SIMULATOR: bad value \"9\" for devices; using the default\n",
                "KORVANE_SIMULATOR: bad value \"2\" for version; using the default\n",
                "KORVANE_SIMULATOR: bad value \"3.256\" for version; using the default\n",
                "KORVANE_SIMULATOR: bad value \"0x\" for fcpstatus; using the default\n",
                "KORVANE_SIMULATOR: unknown option \"volume=11\"\n",
                "KORVANE_SIMULATOR: unknown option \"loud\"\n"}));
  EXPECT_EQ(ParseOptions("delay=99999999999").delayMs, 0u);
  EXPECT_EQ(ParseOptions("truncate=513").truncate, std::nullopt);
}

TEST(SimulatorOptions, InstallFromEnvironmentInstallsOneMachineForGood) {
#ifdef _WIN32
  _putenv_s(simulator::kEnvironmentVariable, "devices=2");
#else
  setenv(simulator::kEnvironmentVariable, "devices=2", 1);
#endif
  simulator::SimulatedMachine* machine = simulator::InstallFromEnvironment();
  ASSERT_NE(machine, nullptr);
  EXPECT_EQ(&platform::Devices(), machine);
  EXPECT_TRUE(machine->State(1).present);
  EXPECT_FALSE(machine->State(2).present);
  EXPECT_EQ(simulator::InstallFromEnvironment(), machine);
  platform::InstallDeviceApi(nullptr);
#ifdef _WIN32
  _putenv_s(simulator::kEnvironmentVariable, "");
#else
  unsetenv(simulator::kEnvironmentVariable);
#endif
}

}  // namespace
