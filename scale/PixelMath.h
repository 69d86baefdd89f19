#pragma once
// Pixel rounding shared by the scale and the chart: values are clamped to the
// 32-bit range and rounded to the nearest integer, halves to the even
// neighbour. A NaN (from a degenerate range) gives 0 instead of undefined behaviour.
#include <algorithm>
#include <cmath>

inline int RoundPixel(long double p) {
  if (std::isnan(p)) return 0;
  p = std::clamp(p, -2147483647.0L, 2147483647.0L);
  return static_cast<int>(std::nearbyint(p)); // default rounding mode: to nearest, ties to even
}
