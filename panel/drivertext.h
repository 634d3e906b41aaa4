// The texts the control panel's pages show for the driver's records: error
// and sync-source descriptions, rate and buffer texts, plug states, default
// names, and the bounded name helpers every page uses to copy or compare the
// driver's 40-byte name fields. Plain strings, no window in sight, so the host
// build tests them; the words are constants so the string table can share them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "panel/driverrecords.h"

// Words the texts are built from.
constexpr char kErrorCodeWord[] = "Error code";
constexpr char kMillisecondsWord[] = "ms";
constexpr char kSamplesWord[] = "samples";
constexpr char kKilohertzWord[] = "kHz";
constexpr char kPlugConnectedWord[] = "connected";
constexpr char kPlugConnectFailedWord[] = "connect failed";
constexpr char kPlugSuccessfullyConnectedWord[] = "successfully connected";
constexpr char kStreamNumberLabel[] = "Isochronous stream number";
constexpr char kSupportedRatesLabel[] = "Supported sampling rates (Hz): ";
// The blanks belong to the word: an unknown rate then lines up with the
// six-digit rates in the list.
constexpr char kUnknownRateWord[] = "unknown  ";

// Error texts of the driver codes the pages can show.
constexpr char kErrorFcpNegativeResponse[] = "Negative response for an FCP request.";
constexpr char kErrorChannelAllocation[] = "Channel allocation failed.";
constexpr char kErrorBandwidthAllocation[] = "Bandwidth allocation failed.";
constexpr char kErrorIsoResourceAllocation[] = "ISO resource allocation failed.";
constexpr char kErrorStartStreaming[] = "Start streaming failed.";
constexpr char kErrorChannelChanged[] = "Channel number has changed because of bus reset.";
constexpr char kErrorRateNotSupported[] = "Selected sampling rate not supported.";

// Sync source types 0 to 5, in order; 2 and 3 are both "SYT".
constexpr const char* kSyncSourceTypeNames[] = {
    "Unspecified", "CSP", "SYT", "SYT", "Digital Input", "External Clock"};

// The plugs in the order of DeviceStreams::plugs.
constexpr const char* kPlugNames[kPlugCount] = {
    "AudioOutPlug", "AudioInPlug", "SynchOutPlug", "SynchInPlug"};

constexpr char kDefaultDeviceName[] = "Korvane X-Tamber";
constexpr char kInputChannelPrefix[] = "In";
constexpr char kOutputChannelPrefix[] = "Out";

// ASIO hosts are given at most this many characters of a channel's name.
constexpr std::size_t kAsioNameMaxChars = 32;

// "Error code 0x%08X: <text>"; a code without a text ends in ": ".
std::string DescribeError(qdl::DriverStatus code);

// The type's name, then " (<name>)" when the source has a name. An unknown
// type has an empty type name.
std::string DescribeSource(const SyncSource& source);

// The name in a name field: up to its zero byte, at most kNameMaxChars.
std::string NameText(const char (&field)[kNameField]);
bool SameName(const char (&a)[kNameField], const char (&b)[kNameField]);
// Whether the device still carries its serial number as its name.
bool NameIsSerialNumber(const DeviceInfo& info);
// Stores at most kNameMaxChars of `text` and zero-fills the rest of the field.
void SetName(char (&field)[kNameField], std::string_view text);

// "In<n>" for direction 0, "Out<n>" otherwise, n counting from 1 for row 0.
std::string DefaultChannelName(std::uint32_t direction, int index);

// "44.1 kHz": the rate truncated to 100 Hz.
std::string RateItemText(std::uint32_t rateHz);

// Samples in a buffer of `depthUs` at `rateHz`, rounded up to a multiple of
// `granularity` (0: no rounding). Saturates at the largest std::uint32_t.
std::uint32_t SampleCount(std::uint32_t depthUs, std::uint32_t granularity, std::uint32_t rateHz);

// "2.9 ms": the depth truncated to a tenth of a millisecond.
std::string DepthText(std::uint32_t depthUs);

// DepthText, a line break, then "<SampleCount> samples".
std::string DeviceBufferText(std::uint32_t depthUs, std::uint32_t granularity, std::uint32_t rateHz);

// "<device> - <channel>" or "<channel>", cut to kAsioNameMaxChars. Names from
// a record's field go through NameText first: the field may lack its zero.
std::string AsioDisplayName(bool includeDevice, std::string_view deviceName,
                            std::string_view channelName);

// The plug's name; empty for a plug number outside 0 to kPlugCount - 1.
const char* PlugName(int plug);

// The plug's cell in the streams list: "connected (<stream>)", "connect
// failed", or empty while not connected.
std::string PlugCellText(const PlugStatus& status);

// The plug's paragraph in the streams details; empty while not connected.
std::string PlugDetailText(int plug, const PlugStatus& status);

// The four plugs' paragraphs, one line break between each two, empty ones too.
std::string StreamsDetailText(const DeviceStreams& streams);
