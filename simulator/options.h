// How a simulated machine is set up: the number of X-Tambers, the driver's
// interface version and the faults it shows. KORVANE_SIMULATOR carries these
// as comma-separated key=value items, for example
//   devices=3,version=2.9,delay=2500,fcpstatus=0xE0008003
// "" and "1" mean one unit with defaults. Numbers are decimal or 0x-hex.
//
//   devices=N       units plugged in, 0..8 (default 1)
//   version=M.m     driver interface version (default 2.10)
//   delay=MS        how long a unit takes to answer a frame (default 0)
//   fcpstatus=S     every FCP transaction fails with status S (default 0: none);
//                   the kernel-mode driver passes 0xE... codes and the common
//                   system ones (2, 5, 8, 87, 121, 995 ...) through unchanged,
//                   any other system code arrives as 31
//   replylength=N   FCP responses claim N frame bytes (default: the true length)
//   truncate=N      FCP response frames are cut to N bytes, 0..512
//   bytecount=N     the driver reports N bytes for an FCP transaction
//   eventfail=1     creating a transfer event fails
//   seed=N          the music the units play
//   nocontrol=1     the driver has no control device (the panel finds no driver)
//   wdminuse=1      a WDM sound device is playing: the sampling rate cannot change
//   oversize=1      the control device's list and rate counts exceed their records
//   unterminated=1  the control device's name fields have no terminating zero
//   channelid0=1    channel records carry 0 for their own identifier
//   silent=1        every unit's inputs and outputs stay silent: the meters
//                   have nothing to show
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace simulator {

inline constexpr char kEnvironmentVariable[] = "KORVANE_SIMULATOR";

struct Options {
  std::uint32_t devices = 1;
  std::uint8_t interfaceMajor = 2;
  std::uint8_t interfaceMinor = 10;
  std::uint32_t delayMs = 0;
  std::uint32_t fcpStatus = 0;
  std::uint32_t replyLength = 0;  // 0: honest
  std::optional<std::uint32_t> truncate;
  std::uint32_t byteCount = 0;  // 0: honest
  bool eventFails = false;
  std::uint64_t seed = 0x5EED;
  bool noControl = false;
  bool wdmInUse = false;
  bool oversizeCounts = false;
  bool unterminatedNames = false;
  bool channelIdZero = false;
  bool silent = false;

  bool operator==(const Options&) const = default;
};

// One fault setting (see simulator/core/faults.h).
struct FaultSetting {
  std::uint32_t kind, a, b;
};

// Every fault setting the options describe, defaults included, in the form
// both simulated machines take (eventFails is the in-process machine's alone).
std::vector<FaultSetting> FaultSettings(const Options& options);

// Reads a KORVANE_SIMULATOR text. An item that does not parse gets a log line
// and leaves its option at the default.
Options ParseOptions(const char* text);

// The options KORVANE_SIMULATOR describes, or nothing when it is unset.
std::optional<Options> OptionsFromEnvironment();

}  // namespace simulator
