// Where a datagram came from or goes to, as plain bytes: the network thread
// copies a socket address into it and back, and everything above compares
// and stores it as an opaque value.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct RemoteEndpoint {
  std::array<std::uint8_t, 16> address{};  // network order; only the first `size` bytes count
  std::uint8_t size = 0;                   // 4 (IPv4) or 16 (IPv6)
  std::uint16_t port = 0;

  static RemoteEndpoint V4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d,
                           std::uint16_t port);
  static RemoteEndpoint V6(const std::array<std::uint8_t, 16>& bytes, std::uint16_t port);

  bool operator==(const RemoteEndpoint&) const = default;
  auto operator<=>(const RemoteEndpoint&) const = default;

  // For the log: "192.168.1.20:9000" or "[fe80:0:0:0:0:0:0:1]:9000".
  std::string Text() const;
};
