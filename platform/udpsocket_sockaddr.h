// Socket addresses to and from UdpEndpoint, shared by the Win32 and host
// implementations: both systems lay out sockaddr_in and sockaddr_in6 alike.
// Include after the system's socket headers.
#pragma once

#include <cstring>

#include "platform/udpsocket.h"

namespace platform::udp {

inline UdpEndpoint EndpointOf(const sockaddr_storage& address) {
  UdpEndpoint endpoint;
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    std::memcpy(endpoint.address.data(), &v4.sin_addr, 4);
    endpoint.size = 4;
    endpoint.port = ntohs(v4.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    std::memcpy(endpoint.address.data(), &v6.sin6_addr, 16);
    endpoint.size = 16;
    endpoint.port = ntohs(v6.sin6_port);
  }
  return endpoint;
}

// The interface an IPv6 address was heard on (its zone); 0 for any other.
inline std::uint32_t ZoneOf(const sockaddr_storage& address) {
  if (address.ss_family != AF_INET6) return 0;
  return reinterpret_cast<const sockaddr_in6&>(address).sin6_scope_id;
}

// The socket address of `endpoint` (an IPv6 one in `zone`) and its length; 0
// for an endpoint of neither family.
inline int SockaddrOf(const UdpEndpoint& endpoint, sockaddr_storage& address,
                      std::uint32_t zone = 0) {
  std::memset(&address, 0, sizeof address);
  if (endpoint.size == 4) {
    auto& v4 = reinterpret_cast<sockaddr_in&>(address);
    v4.sin_family = AF_INET;
    v4.sin_port = htons(endpoint.port);
    std::memcpy(&v4.sin_addr, endpoint.address.data(), 4);
    return sizeof v4;
  }
  if (endpoint.size == 16) {
    auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(endpoint.port);
    std::memcpy(&v6.sin6_addr, endpoint.address.data(), 16);
    v6.sin6_scope_id = zone;
    return sizeof v6;
  }
  return 0;
}

// Adds one of this computer's addresses, as text and as bytes.
inline void AddLocalAddress(const sockaddr_storage& address, LocalAddresses& addresses) {
  char text[INET6_ADDRSTRLEN] = {};
  const UdpEndpoint endpoint = EndpointOf(address);
  inet_ntop(address.ss_family, endpoint.address.data(), text, sizeof text);
  (endpoint.size == 4 ? addresses.ipv4 : addresses.ipv6).push_back(text);
  addresses.endpoints.push_back(endpoint);
}

}  // namespace platform::udp
