// What the UdpSocket's shared Open and each system's implementation give
// each other.
#pragma once

#include "platform/udpsocket.h"

namespace platform::udp {

// Sockets by family: 0 IPv4, 1 IPv6.
constexpr int kFamilies = 2;

// One socket of `family` bound to `at`, its port in `bound`; nothing is left
// open on failure.
UdpResult OpenFamily(UdpSocket::Impl& impl, int family, const UdpEndpoint& at,
                     std::uint16_t& bound);
void CloseFamily(UdpSocket::Impl& impl, int family);
// A failure of OpenFamily meaning this computer has no such family (or no such
// loopback address), so the socket works on without it.
bool FamilyMissing(std::uint32_t error);

// Puts the IPv4 endpoints before the IPv6 ones, as the texts are.
void SortLocalAddresses(LocalAddresses& addresses);

}  // namespace platform::udp
