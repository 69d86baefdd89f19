#pragma once
// The time grid of every response curve: 10,001 samples, 1 ns apart, over the
// first 10 us after t = 0.
namespace Rlc::SampleGrid {

constexpr int Samples = 10001; // t = i ns, i = 0 ... 10000

// Sample i's time in seconds, in extended precision (i * 1e-9).
inline long double Time_s(int i) { return i * 1e-9L; }

// The chart's x coordinates: the times in microseconds, i * 0.001 rounded once from
// extended precision (the values the chart, the kept curves and the files carry).
const double* Times_us();

// The times in seconds, i * 1e-9 rounded once from extended precision.
const double* Times_s();

} // namespace Rlc::SampleGrid
