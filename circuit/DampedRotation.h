#pragma once
// One step of the response computations: a damped rotation evaluated directly.
#include <cmath>

// e^(-x) * (cos p, sin p) for a decay x and a phase p formed in extended precision:
// the phase is reduced to -pi .. pi there, so the double functions see small arguments.
inline void DampedRotation(long double x, long double p, double& re, double& im) {
  constexpr long double TwoPi = 6.283185307179586476925286766559005768L;
  const double decay = std::exp(double(-x));
  const double phase = double(p - std::rint(p / TwoPi) * TwoPi);
  re = decay * std::cos(phase);
  im = decay * std::sin(phase);
}
