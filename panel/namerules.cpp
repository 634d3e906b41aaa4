#include "panel/namerules.h"

#include "panel/drivertext.h"

namespace {
bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Units of the character that starts at `at`: a surrogate pair is one
// character (only where wchar_t is 16 bits wide; elsewhere every unit is one).
std::size_t CharacterLength(std::wstring_view text, std::size_t at) {
  if (IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) return 2;
  return 1;
}
}  // namespace

std::string FitName(std::wstring_view text, const CharEncoder& encode) {
  std::string name;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = CharacterLength(text, at);
    const std::string bytes = encode(text.substr(at, length));
    // A zero byte would end the name early; the characters after it would be lost anyway.
    if (bytes.find('\0') != std::string::npos) break;
    if (name.size() + bytes.size() > kNameMaxChars) break;
    name += bytes;
    at += length;
  }
  return name;
}

std::wstring AsioDisplayText(bool includeDevice, std::wstring_view deviceName,
                             std::wstring_view channelName) {
  std::wstring name;
  if (includeDevice) {
    name += deviceName;
    name += L" - ";
  }
  name += channelName;
  std::size_t kept = 0, characters = 0;
  while (kept < name.size() && characters < kAsioNameMaxChars) {
    kept += CharacterLength(name, kept);
    ++characters;
  }
  name.resize(kept);
  return name;
}

std::string SerialNumberText(const DeviceInfo& device) {
  const std::size_t limit = sizeof device.serialNumber - 1;
  std::size_t length = 0;
  while (length < limit && device.serialNumber[length] != '\0') ++length;
  return std::string(device.serialNumber, length);
}
