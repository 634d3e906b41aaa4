#include "korvaneobjects/driverstatus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace korvane;

namespace {

std::string Format(DriverStatus code) {
  char buffer[128];
  return FormatStatus(buffer, sizeof buffer, code);
}

TEST(FormatStatus, KnownCodesGiveTheirMessage) {
  EXPECT_EQ(Format(0), "Error code 0x00000000: No error.");
  EXPECT_EQ(Format(0xE0000001), "Error code 0xE0000001: Operation failed.");
  EXPECT_EQ(Format(0xE0000351), "Error code 0xE0000351: Invalid reset generation count.");
  EXPECT_EQ(Format(0xE0008003), "Error code 0xE0008003: Request timeout interval has expired.");
  EXPECT_EQ(Format(0xE0008020), "Error code 0xE0008020: Memory allocation failed.");
}

TEST(FormatStatus, TheByteCountTextCarriesTheSingleByteAccent) {
  const std::string text = Format(0xE0000304);
  EXPECT_EQ(text, "Error code 0xE0000304: Requested byte count doesn\xB4t match buffer size.");
  const std::size_t mark = text.find("doesn") + 5;
  EXPECT_EQ(static_cast<unsigned char>(text[mark]), 0xB4);
  EXPECT_EQ(text[mark + 1], 't') << "one byte, not a two-byte UTF-8 sequence";
}

TEST(FormatStatus, CodesWithoutAnEntryTakeTheSystemErrorText) {
  EXPECT_EQ(Format(0xE0000014), "Error code 0xE0000014: Windows system error code.");
  EXPECT_EQ(Format(5), "Error code 0x00000005: Windows system error code.");
  EXPECT_EQ(Format(0xE0000013), "Error code 0xE0000013: Windows system error code.");
}

TEST(FormatStatus, CutsToTheBufferAndAlwaysTerminates) {
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(FormatStatus(buffer, 16, 0xE0008002), buffer);
  EXPECT_STREQ(buffer, "Error code 0xE0");

  char one[1] = {'#'};
  FormatStatus(one, 1, 0);
  EXPECT_EQ(one[0], '\0');
}

TEST(FormatStatus, NoBufferOrNoRoomLeavesItAlone) {
  char buffer[8] = "intact";
  EXPECT_EQ(FormatStatus(buffer, 0, 0xE0008002), buffer);
  EXPECT_STREQ(buffer, "intact");
  EXPECT_EQ(FormatStatus(buffer, -4, 0xE0008002), buffer);
  EXPECT_STREQ(buffer, "intact");
  EXPECT_EQ(FormatStatus(nullptr, 32, 0), nullptr);
}

}  // namespace
