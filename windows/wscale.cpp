#include "windows/wscale.h"

#include <cstdint>

namespace {

// n * num / den to the nearest integer, halves away from zero, in 64 bits.
int Scaled(int n, int num, int den) {
  const std::int64_t product = static_cast<std::int64_t>(n) * num;
  const std::int64_t half = den / 2;
  const std::int64_t rounded = product >= 0 ? (product + half) / den : -((-product + half) / den);
  return static_cast<int>(rounded);
}

}  // namespace

int WScale::Edge(int logical) const { return Scaled(logical, dpi_, kBaseDpi); }

int WScale::Rescale(int value, int from, int to) { return Scaled(value, to, from); }

WScaledRect WScale::Rect(int x, int y, int cx, int cy) const {
  return WScaledRect{Edge(x), Edge(y), Edge(x + cx), Edge(y + cy)};
}

int WScale::ToLogical(int device) const { return Scaled(device, kBaseDpi, dpi_); }
