// The names the Devices and Channels pages make: what a typed name keeps in
// the driver's 40-byte field, the ASIO display names, and defaults given once.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "panel/defaultnames.h"
#include "panel/drivertext.h"
#include "panel/namerules.h"

namespace {

// A double-byte code page in the manner of the East Asian ones: ASCII in one
// byte, CJK ideographs in a lead byte (0x88) and a trail byte, the rest "?".
std::string DoubleByte(std::wstring_view character) {
  const wchar_t c = character[0];
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  if (c >= 0x4E00 && c <= 0x9FFF) return {'\x88', static_cast<char>(0x40 + (c & 0x3F))};
  return "?";
}

// A single-byte Western code page: Latin-1 characters in one byte each.
std::string Western(std::wstring_view character) {
  return character[0] < 0x100 ? std::string(1, static_cast<char>(character[0])) : "?";
}

// UTF-8 as the system's code page: up to four bytes a character.
std::string Utf8(std::wstring_view character) {
  const std::uint32_t c =
      character.size() == 2 ? 0x10000 + ((character[0] - 0xD800u) << 10) + (character[1] - 0xDC00u)
                            : static_cast<std::uint32_t>(character[0]);
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  if (c < 0x800) return {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
  if (c < 0x10000)
    return {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
  return {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
          static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
}

TEST(PageNames, ATypedNameKeepsWholeCharactersWithinThirtyNineBytes) {
  const std::wstring fifty(50, L'x');
  EXPECT_EQ(FitName(fifty, Western), std::string(39, 'x'));

  // 38 ASCII characters and an ideograph: its two bytes would end at byte
  // 40, so it is left out whole rather than leaving its lead byte behind.
  std::wstring text(38, L'a');
  text += L"\x6F22\x5B57";
  EXPECT_EQ(FitName(text, DoubleByte), std::string(38, 'a'));
  // Twenty ideographs are 40 bytes: nineteen of them fit.
  const std::string ideographs = FitName(std::wstring(20, L'\x6F22'), DoubleByte);
  ASSERT_EQ(ideographs.size(), 38u);
  EXPECT_EQ(ideographs.substr(36), "\x88\x62");

  // Under UTF-8 thirteen euro signs (three bytes each) fill the field exactly;
  // a fourteenth does not fit. A surrogate pair travels as one character.
  EXPECT_EQ(FitName(std::wstring(14, L'\x20AC'), Utf8).size(), 39u);
  std::wstring pairs(36, L'a');
  pairs += {wchar_t(0xD83C), wchar_t(0xDFB5)};
  EXPECT_EQ(FitName(pairs, Utf8), std::string(36, 'a'));
  pairs.erase(0, 1);
  EXPECT_EQ(FitName(pairs, Utf8), std::string(35, 'a') + "\xF0\x9F\x8E\xB5");

  // What fits goes into the field with its zero byte at the end.
  DeviceInfo device{};
  std::memset(device.name, 'Z', sizeof device.name);
  SetName(device.name, FitName(fifty, Western));
  EXPECT_EQ(device.name[38], 'x');
  EXPECT_EQ(device.name[39], '\0');
}

TEST(PageNames, AsioDisplayNamesKeepThirtyTwoCharacters) {
  EXPECT_EQ(AsioDisplayText(true, L"Korvane X-Tamber", L"In1"), L"Korvane X-Tamber - In1");
  EXPECT_EQ(AsioDisplayText(false, L"Korvane X-Tamber", L"In1"), L"In1");
  const std::wstring device30(30, L'D');
  EXPECT_EQ(AsioDisplayText(true, device30, L"Analog In 1"), device30 + L" -");
  // Characters, not bytes: thirty-two umlauts stay thirty-two.
  EXPECT_EQ(AsioDisplayText(false, L"", std::wstring(40, L'\xFC')), std::wstring(32, L'\xFC'));
}

void SetField(char (&field)[kNameField], const char* text, char padding) {
  std::memset(field, padding, kNameField);
  std::memcpy(field, text, std::strlen(text) + 1);
}

TEST(PageNames, DefaultsAreGivenOncePerDeviceAndChannel) {
  DefaultNames defaults;
  DeviceInfo device{};
  device.deviceId = 0x101;
  std::strcpy(device.serialNumber, "XTB1234567");
  // The bytes after the zero are not part of the name.
  SetField(device.name, "XTB1234567", '#');
  ASSERT_TRUE(defaults.NameDevice(device));
  EXPECT_EQ(NameText(device.name), kDefaultDeviceName);

  // Renamed back to its serial number (or refused by the driver): the same
  // device is not named again in this session; another one is.
  SetName(device.name, "XTB1234567");
  EXPECT_FALSE(defaults.NameDevice(device));
  EXPECT_EQ(NameText(device.name), "XTB1234567");
  DeviceInfo other = device;
  other.deviceId = 0x202;
  EXPECT_TRUE(defaults.NameDevice(other));
  DeviceInfo named = other;
  named.deviceId = 0x303;
  EXPECT_FALSE(defaults.NameDevice(named));

  ChannelInfo input{};
  input.channelId = 7;
  input.deviceId = 0x101;
  SetField(input.hardwareName, "Analog In 3", 'h');
  SetField(input.channelName, "Analog In 3", 'c');
  ASSERT_TRUE(defaults.NameChannel(input, 7, 2));
  EXPECT_EQ(NameText(input.channelName), "In3");
  SetName(input.channelName, "Analog In 3");
  EXPECT_FALSE(defaults.NameChannel(input, 7, 2));

  // An output with the same identifier is another channel.
  ChannelInfo output = input;
  output.direction = 1;
  ASSERT_TRUE(defaults.NameChannel(output, 7, 0));
  EXPECT_EQ(NameText(output.channelName), "Out1");
  ChannelInfo emptied = input;
  emptied.channelId = 8;
  SetName(emptied.channelName, "");
  EXPECT_FALSE(defaults.NameChannel(emptied, 8, 3));

  // A channel is the one the list named, whatever its record says of itself:
  // a driver that leaves channelId at 0 still has a default for each channel.
  DefaultNames fresh;
  ChannelInfo first{}, second{};
  SetField(first.hardwareName, "Analog In 1", 'h');
  SetField(first.channelName, "Analog In 1", 'c');
  SetField(second.hardwareName, "Analog In 2", 'h');
  SetField(second.channelName, "Analog In 2", 'c');
  EXPECT_TRUE(fresh.NameChannel(first, 0x4301, 0));
  EXPECT_TRUE(fresh.NameChannel(second, 0x4302, 1));
  EXPECT_EQ(NameText(second.channelName), "In2");
}

}  // namespace
