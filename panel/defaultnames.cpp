#include "panel/defaultnames.h"

#include "panel/drivertext.h"

bool DefaultNames::NameDevice(DeviceInfo& device) {
  if (!NameIsSerialNumber(device)) return false;
  if (!devices_.insert(device.deviceId).second) return false;
  SetName(device.name, kDefaultDeviceName);
  return true;
}

bool DefaultNames::NameChannel(ChannelInfo& channel, int index) {
  if (!SameName(channel.channelName, channel.hardwareName)) return false;
  const auto key =
      std::make_tuple(channel.deviceId, channel.direction != 0 ? 1u : 0u, channel.channelId);
  if (!channels_.insert(key).second) return false;
  SetName(channel.channelName, DefaultChannelName(channel.direction, index));
  return true;
}
