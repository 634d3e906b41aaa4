// The default names the pages give devices and channels that still carry
// the name the driver made up for them (a device its serial number, a
// channel its hardware name). A default is given at most once per device or
// channel in a session: a driver that refuses the name, or a user who renames
// a unit back to its serial number, must not make every refresh write it
// again (each write makes the driver notify, and the notification refreshes).
#pragma once

#include <cstdint>
#include <set>
#include <utility>

#include "panel/driverrecords.h"

class DefaultNames {
 public:
  // Names the device "Korvane X-Tamber" when its name equals its serial
  // number and it had no default yet; true when the record changed and is
  // due at the driver.
  bool NameDevice(DeviceInfo& device);
  // Names the channel "In<index + 1>" or "Out<index + 1>" (by its direction
  // word) when its channel name equals its hardware name and it had no
  // default yet; true when the record changed. A channel is known by
  // `fetchedId`, the id the channel list gave for it, not by a field of its
  // record.
  bool NameChannel(ChannelInfo& channel, std::uint32_t fetchedId, int index);

 private:
  std::set<std::uint32_t> devices_;
  std::set<std::pair<bool, std::uint32_t>> channels_;
};
