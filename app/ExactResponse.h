#pragma once
// The free response of the series RLC circuit in every damping regime, each by
// its own closed form, normalised by the resonance angular frequency omega0:
//   oscillating (delta < omega0):  (omega0/omega) e^(-delta t) sin(omega t),  omega = sqrt(omega0^2 - delta^2)
//   critical    (delta = omega0):   omega0 t e^(-delta t)
//   aperiodic   (delta > omega0):  (omega0/s) e^(-delta t) sinh(s t),         s = sqrt(delta^2 - omega0^2)
// This is omega0 times the solution of x'' + 2 delta x' + omega0^2 x = 0 with
// x(0) = 0, x'(0) = 1; its energy never grows, so |y| <= 1, and the three forms
// meet continuously at delta = omega0.
#include "DampingRegime.h"

namespace ExactResponse {

constexpr int Samples = 10001; // t = i ns, i = 0 .. 10000

// The regime by the exact comparison of delta with omega0 (delta = 0: undamped).
TDampingRegime RegimeOf(double delta, double omega0);

// The samples y[0 .. Samples - 1] for the damping constant delta (1/s, >= 0) and
// the resonance angular frequency omega0 (rad/s, > 0). Every sample lies within a
// few double rounding units of the response's envelope at that time.
void Evaluate(double delta, double omega0, double* y);

} // namespace ExactResponse
