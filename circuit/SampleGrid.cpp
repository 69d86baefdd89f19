#include "SampleGrid.h"

#include <array>
#include <cstddef>

namespace Rlc::SampleGrid {

namespace {
using Table = std::array<double, Samples>;
Table Filled(long double step) {
  Table t{};
  for (int i = 0; i < Samples; ++i) t[std::size_t(i)] = double(i * step);
  return t;
}
} // namespace

const double* Times_us() {
  static const Table times = Filled(0.001L);
  return times.data();
}

const double* Times_s() {
  static const Table times = Filled(1e-9L);
  return times.data();
}

} // namespace Rlc::SampleGrid
