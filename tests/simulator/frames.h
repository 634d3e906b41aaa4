// Vendor frames and FCP records as the mixer's command channel builds them.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace simtest {

using Bytes = std::vector<std::uint8_t>;

// Sized once and copied into: GCC 12 at -O3 takes growing a vector by insert
// for writes out of bounds (false -Warray-bounds) and -Werror stops the build.
inline Bytes Command(std::uint8_t command, const Bytes& payload) {
  const std::uint8_t head[] = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71, command};
  Bytes frame(sizeof head + payload.size());
  std::memcpy(frame.data(), head, sizeof head);
  if (!payload.empty()) std::memcpy(frame.data() + sizeof head, payload.data(), payload.size());
  return frame;
}

inline Bytes WriteParameter(std::uint8_t id, std::uint8_t value) { return Command(2, {id, value}); }
inline Bytes MeterRead() { return Command(4, Bytes(36, 0)); }

inline Bytes LoadMix(std::uint8_t mix, std::uint16_t gain) {
  Bytes payload;
  for (int g = 0; g < 34; ++g)
    payload.insert(payload.end(), {std::uint8_t(gain >> 8), std::uint8_t(gain)});
  payload.push_back(mix);
  return Command(9, payload);
}

struct FcpRequest {
  std::uint32_t timeoutMs;
  std::uint32_t length;
  std::uint8_t frame[512];
};

struct FcpResponse {
  std::uint32_t length;
  std::uint8_t frame[512];
  Bytes Frame() const { return Bytes(frame, frame + (length < 512 ? length : 512)); }
};

inline FcpRequest Request(const Bytes& frame, std::uint32_t timeoutMs = 2000) {
  FcpRequest request{timeoutMs, static_cast<std::uint32_t>(frame.size()), {}};
  if (!frame.empty()) std::memcpy(request.frame, frame.data(), frame.size());
  return request;
}

}  // namespace simtest
