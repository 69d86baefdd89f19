#pragma once
// The two curves the window's chart draws, on the sample grid (SampleGrid.h):
//
// Designed: y = (omega0^2/omega^2) e^(-delta t) sin(omega t), with omega =
// sqrt(omega0^2 - delta^2) while the circuit oscillates and omega = 1 otherwise.
// It is the capacitor voltage's response to a short pulse of the input voltage
// (a pulse of 1 V s, circuit at rest before it), divided by omega; for an aperiodic
// or critically damped circuit (omega = 1) it leaves the chart's view.
//
// Exact normalised: the same pulse response divided by omega0, each regime by its
// own closed form:
//   oscillating (delta < omega0):  (omega0/omega) e^(-delta t) sin(omega t)
//   critical    (delta = omega0):   omega0 t e^(-delta t)
//   aperiodic   (delta > omega0):  (omega0/s) e^(-delta t) sinh(s t),  s = sqrt(delta^2 - omega0^2)
// It equals u_C / (I0 sqrt(L/C)) of a circuit started with an empty capacitor and
// the current I0; its energy never grows, so |y| <= 1, and the forms meet
// continuously at delta = omega0.
#include "Circuit.h"

namespace Rlc {

// The designed samples y[0 .. SampleGrid::Samples - 1] for the positions, computed
// as the window always has (the samples are the window's, bit for bit).
void DesignedResponse(const Positions& p, double* y);

// The exact normalised samples for the damping constant delta (>= 0) and the
// resonance angular frequency omega0 (> 0); the regime by RegimeOf. Every sample
// lies within a few double rounding units of the response's envelope at that time.
void ExactNormalisedResponse(const Damping& d, double* y);

} // namespace Rlc
