// Who may send to the remote control. An address is 4 bytes (IPv4) or 16
// (IPv6) in network order; any other length belongs to no set. An IPv4-mapped
// IPv6 address (::ffff:a.b.c.d, what a dual-stack socket reports for an IPv4
// sender) is judged as the IPv4 address it carries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "remote/remoteendpoint.h"

// 127/8 and ::1.
bool IsLoopbackAddress(const std::uint8_t* address, std::size_t size);
// Loopback and the private and link-local ranges: 10/8, 172.16/12,
// 192.168/16, 169.254/16, fc00::/7, fe80::/10.
bool IsLocalNetworkAddress(const std::uint8_t* address, std::size_t size);

// "This computer only" admits loopback, "Computers on the local network" the
// local-network set.
enum class RemoteScope { kThisComputer = 0, kLocalNetwork = 1 };
bool IsAdmitted(RemoteScope scope, const RemoteEndpoint& sender);
