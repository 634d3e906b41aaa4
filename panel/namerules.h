// How the pages turn what the user typed into a driver name, and the names
// they show: the driver keeps 8-bit text of the system's ANSI code page in a
// 40-byte field, so a name is cut in bytes, never inside a character.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "panel/driverrecords.h"

// One character (one UTF-16 unit, or a surrogate pair) in the driver's code
// page; empty when it cannot be encoded at all.
using CharEncoder = std::function<std::string(std::wstring_view character)>;

// The bytes of the longest run of whole characters from the start of `text`
// that fits the name field with its zero byte (kNameMaxChars bytes). A
// double-byte character that would end one byte past the limit is left out
// whole, so its lead byte never ends the name.
std::string FitName(std::wstring_view text, const CharEncoder& encode);

// The name ASIO hosts are shown: "<device> - <channel>" or "<channel>", cut
// to kAsioNameMaxChars characters without splitting a surrogate pair.
std::wstring AsioDisplayText(bool includeDevice, std::wstring_view deviceName,
                             std::wstring_view channelName);

// The device's serial number: up to its zero byte, within its field.
std::string SerialNumberText(const DeviceInfo& device);
