#include "platform/udplinkscopes.h"

#include <gtest/gtest.h>

namespace {

using platform::UdpEndpoint;
using platform::UdpLinkScopes;

UdpEndpoint V6(std::uint8_t first, std::uint8_t second, std::uint8_t last, std::uint16_t port) {
  UdpEndpoint endpoint;
  endpoint.address[0] = first;
  endpoint.address[1] = second;
  endpoint.address[15] = last;
  endpoint.size = 16;
  endpoint.port = port;
  return endpoint;
}

TEST(UdpLinkScopes, ALinkLocalAddressIsAnsweredOnTheInterfaceItWasLastHeardOn) {
  UdpLinkScopes zones;
  zones.Heard(V6(0xfe, 0x80, 7, 9000), 3);
  EXPECT_EQ(zones.ZoneOf(V6(0xfe, 0x80, 7, 9001)), 3u)
      << "the zone belongs to the address, any port";
  zones.Heard(V6(0xfe, 0x80, 7, 9000), 5);
  EXPECT_EQ(zones.ZoneOf(V6(0xfe, 0x80, 7, 9000)), 5u);
  EXPECT_EQ(zones.ZoneOf(V6(0xfe, 0x80, 8, 9000)), 0u) << "never heard: no zone";
  zones.Heard(V6(0xfe, 0xbf, 1, 1), 4);
  EXPECT_EQ(zones.ZoneOf(V6(0xfe, 0xbf, 1, 1)), 4u) << "fe80::/10 reaches febf::";
}

TEST(UdpLinkScopes, OtherAddressesHaveNoZone) {
  UdpLinkScopes zones;
  for (const UdpEndpoint& other : {V6(0xfe, 0xc0, 1, 1), V6(0xfd, 0x00, 2, 1), V6(0, 0, 1, 1)}) {
    zones.Heard(other, 2);
    EXPECT_EQ(zones.ZoneOf(other), 0u);
  }
}

TEST(UdpLinkScopes, KeepsTheAddressesHeardFromMostRecently) {
  UdpLinkScopes zones;
  for (std::size_t i = 0; i <= UdpLinkScopes::kMaxAddresses; ++i)
    zones.Heard(V6(0xfe, 0x80, static_cast<std::uint8_t>(i), 1), static_cast<std::uint32_t>(i + 1));
  EXPECT_EQ(zones.ZoneOf(V6(0xfe, 0x80, 0, 1)), 0u) << "the oldest gave way";
  EXPECT_EQ(zones.ZoneOf(V6(0xfe, 0x80, 1, 1)), 2u);
  EXPECT_EQ(zones.ZoneOf(V6(0xfe, 0x80, UdpLinkScopes::kMaxAddresses, 1)),
            UdpLinkScopes::kMaxAddresses + 1);
}

}  // namespace
