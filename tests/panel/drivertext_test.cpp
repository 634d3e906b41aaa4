#include "panel/drivertext.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>
#include <initializer_list>
#include <memory>
#include <string>

using namespace qdl;

namespace {

// A field as a misbehaving driver leaves it: full to the last byte, no zero.
template <std::size_t N>
void FillUnterminated(char (&field)[N]) {
  std::memset(field, 'A', N);
}

const std::string k39As(39, 'A');

TEST(DriverText, ErrorsCarryTheirTextUnknownCodesEndAfterTheColon) {
  EXPECT_EQ(DescribeError(0xE0000072), "Error code 0xE0000072: Channel allocation failed.");
  EXPECT_EQ(DescribeError(0xE0000077),
            "Error code 0xE0000077: Channel number has changed because of bus reset.");
  // Every text of the table, byte for byte.
  const std::pair<DriverStatus, const char*> table[] = {
      {0xE0000022, "Negative response for an FCP request."},
      {0xE0000073, "Bandwidth allocation failed."},
      {0xE0000074, "ISO resource allocation failed."},
      {0xE0000076, "Start streaming failed."},
      {0xE0000080, "Selected sampling rate not supported."}};
  for (const auto& [code, text] : table) {
    char expected[96];
    std::snprintf(expected, sizeof expected, "Error code 0x%08X: %s", code, text);
    EXPECT_EQ(DescribeError(code), expected);
  }
  EXPECT_EQ(DescribeError(0xE0000075), "Error code 0xE0000075: ");
  EXPECT_EQ(DescribeError(0x5), "Error code 0x00000005: ");
}

TEST(DriverText, SourcesShowTypeThenNameReadWithinItsField) {
  // On the heap the name runs to the record's end, so an over-read is caught.
  auto source = std::make_unique<SyncSource>();
  const char* const types[] = {"Unspecified", "CSP", "SYT", "SYT", "Digital Input", "External Clock", ""};
  for (std::uint32_t type = 0; type < 7; ++type) {
    source->type = type;
    EXPECT_EQ(DescribeSource(*source), types[type]);
  }
  source->type = 4;
  std::strcpy(source->name, "S/PDIF");
  EXPECT_EQ(DescribeSource(*source), "Digital Input (S/PDIF)");
  source->type = 6;
  EXPECT_EQ(DescribeSource(*source), " (S/PDIF)") << "an unknown type keeps its name";
  source->type = 1;
  FillUnterminated(source->name);
  EXPECT_EQ(DescribeSource(*source), "CSP (" + k39As + ")");
}

TEST(DriverText, NamesAreReadComparedAndWrittenWithinTheirFields) {
  char a[kNameField] = "Monitor L";
  char b[kNameField] = "Monitor L";
  std::memcpy(b + 10, "junk", 4);  // behind the zero: not part of the name
  EXPECT_TRUE(SameName(a, b));
  std::strcpy(b, "Monitor");
  EXPECT_FALSE(SameName(a, b)) << "a prefix is another name";
  FillUnterminated(a);
  FillUnterminated(b);
  b[39] = 'B';  // the last byte is never part of a name
  EXPECT_TRUE(SameName(a, b));
  EXPECT_EQ(NameText(a), k39As);

  FillUnterminated(a);
  SetName(a, "Synth");
  EXPECT_EQ(std::string(a, kNameField), "Synth" + std::string(35, '\0'));
  SetName(a, std::string(50, 'x'));
  EXPECT_EQ(std::string(a, kNameField), std::string(39, 'x') + '\0');
}

TEST(DriverText, TheNameIsTheSerialNumberOnlyWhenAllBytesMatch) {
  DeviceInfo info{};
  std::strcpy(info.name, "KX0012345");
  std::strcpy(info.serialNumber, "KX0012345");
  EXPECT_TRUE(NameIsSerialNumber(info));
  std::strcpy(info.serialNumber, "KX00123456");
  EXPECT_FALSE(NameIsSerialNumber(info));

  // An unterminated name is its 39 bytes, not those followed by the serial
  // number that lies right behind it in the record.
  FillUnterminated(info.name);
  std::strcpy(info.serialNumber, k39As.c_str());
  EXPECT_TRUE(NameIsSerialNumber(info));
  FillUnterminated(info.serialNumber);
  EXPECT_FALSE(NameIsSerialNumber(info));
}

TEST(DriverText, DefaultAndAsioNames) {
  EXPECT_EQ(DefaultChannelName(0, 0), "In1");
  EXPECT_EQ(DefaultChannelName(2, 9), "Out10") << "any direction but 0 is output";
  EXPECT_EQ(DefaultChannelName(0, INT_MAX), "In2147483648");

  EXPECT_EQ(AsioDisplayName(true, kDefaultDeviceName, "In1"), "Korvane X-Tamber - In1");
  EXPECT_EQ(AsioDisplayName(false, kDefaultDeviceName, "In1"), "In1");
  // 19 characters of device and separator leave 13 of the 32 for the channel.
  EXPECT_EQ(AsioDisplayName(true, kDefaultDeviceName, std::string(39, 'c')),
            "Korvane X-Tamber - " + std::string(13, 'c'));
}

TEST(DriverText, RatesDepthsAndSampleCounts) {
  EXPECT_EQ(RateItemText(44100), "44.1 kHz");
  EXPECT_EQ(RateItemText(0xFFFFFFFF), "4294967.2 kHz");
  EXPECT_EQ(DepthText(2999), "2.9 ms") << "truncated, not rounded";
  EXPECT_EQ(DepthText(10000), "10.0 ms");
  EXPECT_EQ(DepthText(0xFFFFFFFF), "4294967.2 ms");

  EXPECT_EQ(SampleCount(2500, 64, 48000), 128u);
  EXPECT_EQ(SampleCount(2500, 40, 48000), 120u) << "a multiple already";
  EXPECT_EQ(SampleCount(2900, 32, 44100), 128u) << "127.89 truncated, then rounded up";
  EXPECT_EQ(SampleCount(2500, 64, 0), 0u);
  // 4294967295 µs at 48 kHz is 206158430.16 samples: the product needs 64 bits.
  EXPECT_EQ(SampleCount(0xFFFFFFFF, 0, 48000), 206158430u);
  EXPECT_EQ(SampleCount(2500, 0xFFFFFFFF, 48000), 0xFFFFFFFFu);
  // One second at 4294967295 Hz fills 32 bits exactly; rounding up to 2 would not fit.
  EXPECT_EQ(SampleCount(1000000, 2, 0xFFFFFFFF), 0xFFFFFFFFu);

  EXPECT_EQ(DeviceBufferText(5000, 0, 44100), "5.0 ms\n220 samples");
  EXPECT_EQ(DeviceBufferText(2500, 64, 48000), "2.5 ms\n128 samples");
}

// A connected plug reads `streamOrError` as its stream, a failed one as its error.
PlugStatus Plug(std::uint32_t state, std::uint32_t streamOrError, std::uint32_t current = 0,
                std::initializer_list<std::uint32_t> rates = {}) {
  PlugStatus status{};
  status.state = state;
  status.error = streamOrError;
  status.streamNumber = streamOrError;
  status.currentRate = current;
  for (std::uint32_t rate : rates) status.rates[status.rateCount++] = rate;
  return status;
}

TEST(DriverText, PlugCellsAndDetails) {
  EXPECT_EQ(PlugCellText(Plug(kPlugConnected, 5)), "connected (5)");
  EXPECT_EQ(PlugCellText(Plug(kPlugConnectFailed, 0xE0000072)), "connect failed");
  EXPECT_EQ(PlugCellText(Plug(2, 5)), "");
  EXPECT_EQ(PlugDetailText(0, Plug(5, 5)), "");

  EXPECT_EQ(PlugDetailText(0, Plug(kPlugConnected, 2, 48000, {44100, 48000, 96000})),
            "AudioOutPlug: successfully connected\n"
            "   Isochronous stream number: 2\n"
            "   Supported sampling rates (Hz): 44100  [48000]  96000  ");
  EXPECT_EQ(PlugDetailText(3, Plug(kPlugConnectFailed, 0xE0000073)),
            "SynchInPlug: connect failed (Error code 0xE0000073: Bandwidth allocation failed.)");
  EXPECT_EQ(PlugDetailText(2, Plug(kPlugConnected, 0, 22050, {22050})),
            "SynchOutPlug: successfully connected\n"
            "   Isochronous stream number: 0\n"
            "   Supported sampling rates (Hz): [unknown  ]  ");
  EXPECT_STREQ(PlugName(4), "");
}

TEST(DriverText, ARateCountBeyondThePlugRecordListsOnlyWhatItHolds) {
  // On the heap the rates run to the record's end, so a ninth read is caught.
  auto status = std::make_unique<PlugStatus>(Plug(
      kPlugConnected, 7, 96000, {32000, 44100, 48000, 88200, 96000, 176400, 192000, 22050}));
  status->rateCount = 0xFFFFFFFF;
  EXPECT_EQ(PlugDetailText(1, *status),
            "AudioInPlug: successfully connected\n"
            "   Isochronous stream number: 7\n"
            "   Supported sampling rates (Hz): 32000  44100  48000  88200  [96000]  176400  "
            "192000  unknown    ");
}

TEST(DriverText, StreamsJoinAllFourPlugsEvenWhenEmpty) {
  DeviceStreams streams{};
  EXPECT_EQ(StreamsDetailText(streams), "\n\n\n");
  streams.plugs[1] = Plug(kPlugConnected, 4, 44100, {44100});
  streams.plugs[3] = Plug(kPlugConnectFailed, 0xE0000076);
  EXPECT_EQ(StreamsDetailText(streams),
            "\n"
            "AudioInPlug: successfully connected\n"
            "   Isochronous stream number: 4\n"
            "   Supported sampling rates (Hz): [44100]  \n"
            "\n"
            "SynchInPlug: connect failed (Error code 0xE0000076: Start streaming failed.)");
}

}  // namespace
