#include "panel/dpiscale.h"

#include <cstdint>

namespace dpiscale {

int Rescale(int value, unsigned from, unsigned to) {
  if (from == 0 || from == to) return value;
  const std::int64_t scaled = static_cast<std::int64_t>(value) * to;
  const std::int64_t half = from / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / from : -((-scaled + half) / from));
}

bool Plausible(unsigned dpi) { return dpi >= kDesignDpi / 4 && dpi <= kDesignDpi * 5; }

}  // namespace dpiscale
