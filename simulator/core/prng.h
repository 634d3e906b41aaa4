// The core's randomness: a splitmix64 generator whose state the host seeds,
// and the same mixing function used as a hash, so that a signal can be worked
// out from the time alone without keeping a history.
#pragma once

#include <cstdint>

namespace simulator::core {

inline std::uint64_t Mix64(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBull;
  x ^= x >> 31;
  return x;
}

struct Prng {
  std::uint64_t state;
};

inline std::uint64_t PrngNext(Prng* prng) {
  prng->state += 0x9E3779B97F4A7C15ull;
  return Mix64(prng->state);
}

}  // namespace simulator::core
