#include "platform/udpsocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "tests/support/underwine.h"

namespace {

using platform::UdpEndpoint;
using platform::UdpReach;
using platform::UdpSocket;
using platform::UdpStatus;

// Long enough that a loaded machine delivers a loopback datagram in time.
constexpr std::uint32_t kWaitMs = 5000;

UdpEndpoint LoopbackV4(std::uint16_t port) {
  UdpEndpoint endpoint;
  endpoint.address = {127, 0, 0, 1};
  endpoint.size = 4;
  endpoint.port = port;
  return endpoint;
}

UdpEndpoint LoopbackV6(std::uint16_t port) {
  UdpEndpoint endpoint;
  endpoint.address[15] = 1;
  endpoint.size = 16;
  endpoint.port = port;
  return endpoint;
}

bool SameAddress(const UdpEndpoint& a, const UdpEndpoint& b) {
  return a.size == b.size && a.port == b.port && a.address == b.address;
}

void ExpectDelivered(UdpSocket& from, UdpSocket& to, const UdpEndpoint& target) {
  const std::string text = "datagram";
  ASSERT_TRUE(
      from.Send(target, reinterpret_cast<const std::uint8_t*>(text.data()), text.size()).Ok());
  std::uint8_t buffer[64] = {};
  const platform::UdpResult received = to.Receive(buffer, sizeof buffer, kWaitMs);
  ASSERT_EQ(received.status, UdpStatus::kOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), received.size), text);
  UdpEndpoint sender = target;
  sender.port = from.Port();
  EXPECT_TRUE(SameAddress(received.endpoint, sender))
      << "the sender is the loopback address and its port";
}

TEST(UdpSocket, CarriesDatagramsOverIpv4AndIpv6OnOnePort) {
  UdpSocket server;
  UdpSocket client;
  ASSERT_TRUE(server.Open(0, UdpReach::kLoopback).Ok());
  ASSERT_TRUE(client.Open(0, UdpReach::kLoopback).Ok());
  ASSERT_NE(server.Port(), 0);
  ExpectDelivered(client, server, LoopbackV4(server.Port()));
  ExpectDelivered(client, server, LoopbackV6(server.Port()));
  ExpectDelivered(server, client, LoopbackV6(client.Port()));
}

TEST(UdpSocket, ReadsBothFamiliesWhileEachHasDatagramsQueued) {
  UdpSocket server;
  UdpSocket client;
  ASSERT_TRUE(server.Open(0, UdpReach::kLoopback).Ok());
  ASSERT_TRUE(client.Open(0, UdpReach::kLoopback).Ok());
  // More of each than one family is read in a row, few enough for the
  // default receive buffer.
  constexpr int kEach = 150;
  const std::uint8_t byte = 0;
  for (int i = 0; i < kEach; ++i) {
    ASSERT_TRUE(client.Send(LoopbackV4(server.Port()), &byte, 1).Ok());
    ASSERT_TRUE(client.Send(LoopbackV6(server.Port()), &byte, 1).Ok());
  }
  int read[2] = {0, 0};
  int firstV6 = -1;
  std::uint8_t buffer[16];
  for (int i = 0; i < 2 * kEach; ++i) {
    const platform::UdpResult received = server.Receive(buffer, sizeof buffer, kWaitMs);
    ASSERT_EQ(received.status, UdpStatus::kOk) << "datagram " << i;
    const int family = received.endpoint.size == 16 ? 1 : 0;
    if (family == 1 && firstV6 < 0) firstV6 = i;
    ++read[family];
  }
  EXPECT_EQ(read[0], kEach);
  EXPECT_EQ(read[1], kEach);
  EXPECT_LT(firstV6, kEach) << "IPv6 waited until IPv4 was empty";
}

TEST(UdpSocket, WaitsNoLongerThanItsTimeout) {
  UdpSocket socket;
  ASSERT_TRUE(socket.Open(0, UdpReach::kLoopback).Ok());
  std::uint8_t buffer[16];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(socket.Receive(buffer, sizeof buffer, 30).status, UdpStatus::kTimeout);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(UdpSocket, APortHeldElsewhereIsInUseForEitherReach) {
  UdpSocket holder;
  ASSERT_TRUE(holder.Open(0, UdpReach::kLoopback).Ok());
  for (UdpReach reach : {UdpReach::kLoopback, UdpReach::kEveryInterface}) {
    UdpSocket second;
    const platform::UdpResult result = second.Open(holder.Port(), reach);
    EXPECT_EQ(result.status, UdpStatus::kPortInUse);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_FALSE(platform::UdpErrorText(result.error).empty());
  }
}

TEST(UdpSocket, ADatagramToAClosedPortComesBackAsThatEndpointUnreachable) {
  if (testsupport::UnderWine()) GTEST_SKIP() << testsupport::kWineHidesUdpRefusals;
  UdpSocket socket;
  ASSERT_TRUE(socket.Open(0, UdpReach::kLoopback).Ok());
  std::uint16_t closedPort = 0;
  {
    UdpSocket gone;
    ASSERT_TRUE(gone.Open(0, UdpReach::kLoopback).Ok());
    closedPort = gone.Port();
  }
  const std::uint8_t byte = 0;
  const platform::UdpResult sent = socket.Send(LoopbackV4(closedPort), &byte, 1);
  std::uint8_t buffer[16];
  const platform::UdpResult refused = sent.status == UdpStatus::kUnreachable
                                          ? sent
                                          : socket.Receive(buffer, sizeof buffer, kWaitMs);
  ASSERT_EQ(refused.status, UdpStatus::kUnreachable);
  EXPECT_TRUE(SameAddress(refused.endpoint, LoopbackV4(closedPort)));
}

TEST(UdpSocket, ThisComputersAddressesLeaveLoopbackOut) {
  const platform::LocalAddresses addresses = platform::ThisComputersAddresses();
  EXPECT_EQ(std::count(addresses.ipv4.begin(), addresses.ipv4.end(), "127.0.0.1"), 0);
  EXPECT_EQ(std::count(addresses.ipv6.begin(), addresses.ipv6.end(), "::1"), 0);
  for (const std::string& text : addresses.ipv4)
    EXPECT_EQ(std::count(text.begin(), text.end(), '.'), 3) << text;
  for (const std::string& text : addresses.ipv6)
    EXPECT_NE(text.find(':'), std::string::npos) << text;
}

}  // namespace
