#include "panel/defaultnames.h"

#include "panel/drivertext.h"

bool DefaultNames::NameDevice(DeviceInfo& device) {
  if (!NameIsSerialNumber(device)) return false;
  if (!devices_.insert(device.deviceId).second) return false;
  SetName(device.name, kDefaultDeviceName);
  return true;
}

bool DefaultNames::NameChannel(ChannelInfo& channel, std::uint32_t fetchedId, int index) {
  if (!SameName(channel.channelName, channel.hardwareName)) return false;
  if (!channels_.insert({channel.direction != 0, fetchedId}).second) return false;
  SetName(channel.channelName, DefaultChannelName(channel.direction, index));
  return true;
}
