#include "Responses.h"

#include "DampedRotation.h"
#include "SampleGrid.h"

#include <algorithm>
#include <cmath>

namespace Rlc {

namespace {

using SampleGrid::Samples;

// Samples are formed blockwise: a factor for the start of each block of 64 samples
// times a factor for the offset inside the block, each evaluated directly. So
// 221 evaluations of the elementary functions serve all 10,001 samples, and no
// error builds up along the curve as it would with a recurrence.
constexpr int Block = 64;
constexpr int Blocks = (Samples + Block - 1) / Block;

long double Time(int i) { return SampleGrid::Time_s(i); }

// e^(-rate t) for the block starts and the offsets.
struct Decay {
  double start[Blocks], offset[Block];
  explicit Decay(long double rate) {
    for (int j = 0; j < Block; ++j) offset[j] = std::exp(double(-rate * Time(j)));
    for (int b = 0; b < Blocks; ++b) start[b] = std::exp(double(-rate * Time(b * Block)));
  }
};

// Calls sample(i, b, j) for i = b * Block + j over all samples.
template <class F> void ForEachSample(F sample) {
  for (int b = 0; b < Blocks; ++b) {
    const int n = std::min(Block, Samples - b * Block);
    for (int j = 0; j < n; ++j) sample(b * Block + j, b, j);
  }
}

// (omega0/omega) Im e^((-delta + i omega) t), as a product of two rotations. For a
// small omega t all terms are positive (no cancellation); where the angles grow,
// the envelope omega0/omega e^(-delta t) bounds the rounding error.
void Oscillating(double delta, double omega0, double* y) {
  const long double omega = std::sqrt(((long double)omega0 - delta) * ((long double)omega0 + delta));
  double startRe[Blocks], startIm[Blocks], offRe[Block], offIm[Block];
  for (int j = 0; j < Block; ++j) DampedRotation(delta * Time(j), omega * Time(j), offRe[j], offIm[j]);
  for (int b = 0; b < Blocks; ++b)
    DampedRotation(delta * Time(b * Block), omega * Time(b * Block), startRe[b], startIm[b]);
  const double gain = double(omega0 / omega);
  ForEachSample([&](int i, int b, int j) {
    y[i] = gain * (startRe[b] * offIm[j] + startIm[b] * offRe[j]);
  });
}

void Critical(double delta, double omega0, double* y) {
  const Decay decay(delta);
  ForEachSample([&](int i, int b, int j) {
    y[i] = double(omega0 * Time(i)) * (decay.start[b] * decay.offset[j]);
  });
}

// (omega0/s) e^(-delta t) sinh(s t) = (omega0/2s) e^(-(delta - s) t) (1 - e^(-2 s t)).
// delta - s = omega0^2/(delta + s) avoids the cancellation of a small difference,
// and 1 - e^(-2st) = -expm1(-2st) keeps its relative accuracy for a small s t; the
// block product of expm1 values, A + B (1 + A), adds two terms of the same sign.
void Aperiodic(double delta, double omega0, double* y) {
  const long double s = std::sqrt(((long double)delta - omega0) * ((long double)delta + omega0));
  const long double slow = (long double)omega0 * omega0 / (delta + s);
  const Decay decay(slow);
  double startM[Blocks], offM[Block];
  for (int j = 0; j < Block; ++j) offM[j] = std::expm1(double(-2 * s * Time(j)));
  for (int b = 0; b < Blocks; ++b) startM[b] = std::expm1(double(-2 * s * Time(b * Block)));
  const double gain = double(omega0 / (2 * s));
  ForEachSample([&](int i, int b, int j) {
    const double rise = -(startM[b] + offM[j] * (1 + startM[b]));
    y[i] = gain * (decay.start[b] * decay.offset[j]) * rise;
  });
}

// y_i = gain * e^(-delta t_i) * sin(omega t_i), t_i = i ns, as the imaginary part of
// gain * z_a * r_j with i = a + j: z_a = e^((-delta + i omega) t_a) at the start of each
// block of 64 samples and r_j = e^((-delta + i omega) t_j) for j < 64, each evaluated
// directly (no recurrence, so no error builds up). Each factor carries a relative
// error of a few double rounding units and the product adds two more, so every sample
// lies within about 1e-15 * gain * e^(-delta t) of the extended-precision value.
// This costs 221 direct evaluations instead of 10,001 in extended precision.
void Designed(double delta, double omega, long double gain, double* y) {
  double rRe[Block], rIm[Block];
  for (int j = 0; j < Block; ++j) DampedRotation(delta * Time(j), omega * Time(j), rRe[j], rIm[j]);
  const double g = double(gain);
  for (int a = 0; a < Samples; a += Block) {
    double zRe, zIm;
    DampedRotation(delta * Time(a), omega * Time(a), zRe, zIm);
    const int n = std::min(Block, Samples - a);
    for (int j = 0; j < n; ++j) y[a + j] = g * (zRe * rIm[j] + zIm * rRe[j]);
  }
}

} // namespace

void DesignedResponse(const Positions& p, double* y) {
  const Damping d = DampingAt(p);
  const double delta = d.Delta_per_s, omega0 = d.Omega0_rad_s;
  const long double omega0Sq = (long double)omega0 * omega0;
  // An aperiodic or critically damped circuit has no oscillation frequency: omega is 1 then.
  const double omega = Oscillates(RegimeOf(d)) ? double(std::sqrt(omega0Sq - (long double)delta * delta)) : 1.0;
  Designed(delta, omega, omega0Sq / ((long double)omega * omega), y);
}

void ExactNormalisedResponse(const Damping& d, double* y) {
  const double delta = d.Delta_per_s, omega0 = d.Omega0_rad_s;
  switch (RegimeOf(d)) {
  case Regime::Undamped:
  case Regime::Underdamped: Oscillating(delta, omega0, y); break;
  case Regime::Critical: Critical(delta, omega0, y); break;
  case Regime::Overdamped: Aperiodic(delta, omega0, y); break;
  }
}

} // namespace Rlc
