#include "remote/remoteendpoint.h"

#include <cstdio>

RemoteEndpoint RemoteEndpoint::V4(std::uint8_t a, std::uint8_t b, std::uint8_t c,
                                  std::uint8_t d, std::uint16_t port) {
  RemoteEndpoint endpoint;
  endpoint.address = {a, b, c, d};
  endpoint.size = 4;
  endpoint.port = port;
  return endpoint;
}

RemoteEndpoint RemoteEndpoint::V6(const std::array<std::uint8_t, 16>& bytes, std::uint16_t port) {
  RemoteEndpoint endpoint;
  endpoint.address = bytes;
  endpoint.size = 16;
  endpoint.port = port;
  return endpoint;
}

std::string RemoteEndpoint::Text() const {
  char text[64];
  if (size == 4) {
    std::snprintf(text, sizeof text, "%u.%u.%u.%u:%u", address[0], address[1], address[2],
                  address[3], port);
    return text;
  }
  if (size != 16) return "(no address)";
  std::string out = "[";
  for (int group = 0; group < 8; ++group) {
    std::snprintf(text, sizeof text, group ? ":%x" : "%x",
                  address[2 * group] << 8 | address[2 * group + 1]);
    out += text;
  }
  std::snprintf(text, sizeof text, "]:%u", port);
  return out + text;
}
