#include "remote/remotescope.h"

namespace {

struct Prefix {
  std::uint8_t bytes[2];
  int bits;  // at most 16
};

// IPv4 sets are kept as their first two bytes; so are the IPv6 ones, whose
// prefixes are all shorter than that.
constexpr Prefix kLocalV4[] = {{{127, 0}, 8},  {{10, 0}, 8},     {{172, 16}, 12},
                               {{192, 168}, 16}, {{169, 254}, 16}};
constexpr Prefix kLocalV6[] = {{{0xFC, 0}, 7}, {{0xFE, 0x80}, 10}};

bool Matches(const std::uint8_t* address, const Prefix& prefix) {
  const unsigned value = address[0] << 8 | address[1];
  const unsigned wanted = prefix.bytes[0] << 8 | prefix.bytes[1];
  const unsigned mask = (0xFFFFu << (16 - prefix.bits)) & 0xFFFFu;
  return (value & mask) == (wanted & mask);
}

template <std::size_t N>
bool InAny(const std::uint8_t* address, const Prefix (&prefixes)[N]) {
  for (const Prefix& prefix : prefixes)
    if (Matches(address, prefix)) return true;
  return false;
}

// The IPv4 address inside ::ffff:a.b.c.d, or null.
const std::uint8_t* MappedV4(const std::uint8_t* address) {
  for (int i = 0; i < 10; ++i)
    if (address[i] != 0) return nullptr;
  return address[10] == 0xFF && address[11] == 0xFF ? address + 12 : nullptr;
}

bool IsV6Loopback(const std::uint8_t* address) {
  for (int i = 0; i < 15; ++i)
    if (address[i] != 0) return false;
  return address[15] == 1;
}

}  // namespace

bool IsLoopbackAddress(const std::uint8_t* address, std::size_t size) {
  if (size == 16) {
    if (const std::uint8_t* v4 = MappedV4(address)) return IsLoopbackAddress(v4, 4);
    return IsV6Loopback(address);
  }
  return size == 4 && address[0] == 127;
}

bool IsLocalNetworkAddress(const std::uint8_t* address, std::size_t size) {
  if (size == 16) {
    if (const std::uint8_t* v4 = MappedV4(address)) return IsLocalNetworkAddress(v4, 4);
    return IsV6Loopback(address) || InAny(address, kLocalV6);
  }
  return size == 4 && InAny(address, kLocalV4);
}

bool IsAdmitted(RemoteScope scope, const RemoteEndpoint& sender) {
  if (scope == RemoteScope::kLocalNetwork)
    return IsLocalNetworkAddress(sender.address.data(), sender.size);
  return IsLoopbackAddress(sender.address.data(), sender.size);
}
