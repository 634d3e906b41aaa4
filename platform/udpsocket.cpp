#include "platform/udpsocket.h"

#include <algorithm>

#include "platform/log.h"
#include "platform/udpsocket_internal.h"

namespace platform {

namespace {

// Binding the port the IPv4 socket was given can find it taken for IPv6; a
// port of the system's choosing is then tried afresh, this often.
constexpr int kFreePortAttempts = 8;

UdpEndpoint BindEndpoint(int family, UdpReach reach, std::uint16_t port) {
  UdpEndpoint endpoint;
  endpoint.size = family == 0 ? 4 : 16;
  endpoint.port = port;
  if (reach == UdpReach::kLoopback) {
    if (family == 0)
      endpoint.address = {127, 0, 0, 1};
    else
      endpoint.address[15] = 1;
  }
  return endpoint;
}

}  // namespace

UdpResult UdpSocket::Open(std::uint16_t port, UdpReach reach) {
  Close();
  UdpResult result;
  for (int attempt = 0; attempt < kFreePortAttempts; ++attempt) {
    std::uint16_t bound = 0;
    result = udp::OpenFamily(*impl_, 0, BindEndpoint(0, reach, port), bound);
    if (!result.Ok()) return result;
    result = udp::OpenFamily(*impl_, 1, BindEndpoint(1, reach, bound), bound);
    if (!result.Ok() && udp::FamilyMissing(result.error)) {
      Log("UDP port %u: IPv4 only, IPv6 unavailable (%s).\n", bound,
          UdpErrorText(result.error).c_str());
      result = UdpResult{};
    }
    if (result.Ok()) {
      port_ = bound;
      return result;
    }
    udp::CloseFamily(*impl_, 0);
    if (port != 0 || result.status != UdpStatus::kPortInUse) return result;
  }
  return result;
}

void udp::SortLocalAddresses(LocalAddresses& addresses) {
  std::stable_sort(addresses.endpoints.begin(), addresses.endpoints.end(),
                   [](const UdpEndpoint& a, const UdpEndpoint& b) { return a.size < b.size; });
}

void UdpSocket::Close() {
  for (int family = 0; family < udp::kFamilies; ++family) udp::CloseFamily(*impl_, family);
  port_ = 0;
}

}  // namespace platform
