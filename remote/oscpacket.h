// The OSC 1.0 wire format: a datagram in, the messages it holds out, and one
// message back to bytes for the feedback.
//
// A datagram holds one message or a bundle ("#bundle", a time tag, then
// elements each preceded by its size) of messages and further bundles, nested
// at most kMaxBundleDepth deep. Time tags are read past and ignored: whatever
// arrives is carried out at once. Argument type tags i, f, d, h, s, T, F and N
// are understood; anything else, and any datagram that is short, misaligned or
// disagrees with its own type tags, is refused whole with a short reason, so
// one bad element never lets its neighbours through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "remote/oscmessage.h"

constexpr std::size_t kMaxDatagramSize = 65536;
constexpr int kMaxBundleDepth = 8;

struct OscDecodeResult {
  std::vector<OscMessage> messages;  // in the order they appear; empty when refused
  std::string refusal;               // empty when the datagram was read whole

  bool Refused() const { return !refusal.empty(); }
};

OscDecodeResult DecodeOscPacket(const std::uint8_t* data, std::size_t size);

// The message as one datagram. Every argument kind the decoder reads can be
// written; a float or double that is no finite number is written as it is and
// the decoder would refuse it, so callers pass finite values.
std::vector<std::uint8_t> EncodeOscMessage(const OscMessage& message);

// Messages as few datagrams as hold them: a lone message as itself, more as
// bundles (time tag "at once") of at most `limit` bytes each, so that they
// cross a network without being split into fragments. A message larger than
// `limit` goes alone.
std::vector<std::vector<std::uint8_t>> EncodeOscDatagrams(const std::vector<OscMessage>& messages,
                                                          std::size_t limit);
