// The zones of IPv6 link-local senders. A link-local address (fe80::/10)
// names a computer only together with the interface it was heard on, and an
// endpoint carries no zone: the socket remembers the zone each such address
// came from and sends back through the same interface. Thread-safe; at most
// kMaxAddresses are kept, the one heard from least recently going first.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/udpsocket.h"

namespace platform {

class UdpLinkScopes {
 public:
  static constexpr std::size_t kMaxAddresses = 64;

  // Any other address than a link-local one is left alone.
  void Heard(const UdpEndpoint& sender, std::uint32_t zone);
  // The zone `target`'s address was last heard on; 0 (none) when unknown.
  std::uint32_t ZoneOf(const UdpEndpoint& target) const;

  static bool IsLinkLocal(const UdpEndpoint& endpoint);

 private:
  struct Entry {
    std::array<std::uint8_t, 16> address;
    std::uint32_t zone;
  };

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;  // least recently heard first
};

}  // namespace platform
