// Byte helpers for the simulator's core. The core also runs inside a
// kernel-mode driver, so it carries its own copies of the few library routines
// it needs instead of including <cstring>.
#pragma once

#include <cstddef>
#include <cstdint>

namespace simulator::core {

inline void CopyBytes(void* to, const void* from, std::size_t count) {
  auto* d = static_cast<std::uint8_t*>(to);
  const auto* s = static_cast<const std::uint8_t*>(from);
  for (std::size_t i = 0; i < count; ++i) d[i] = s[i];
}

inline void FillBytes(void* to, std::uint8_t value, std::size_t count) {
  auto* d = static_cast<std::uint8_t*>(to);
  for (std::size_t i = 0; i < count; ++i) d[i] = value;
}

// Integers exchanged with the driver are little-endian ...
inline std::uint32_t LoadLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline void StoreLe32(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
  p[2] = static_cast<std::uint8_t>(value >> 16);
  p[3] = static_cast<std::uint8_t>(value >> 24);
}

// ... while the gains inside the device's vendor frames are big-endian.
inline std::uint16_t LoadBe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

}  // namespace simulator::core
