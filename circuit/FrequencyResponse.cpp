#include "FrequencyResponse.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace Rlc {

FrequencyPoint FrequencyResponse(const Circuit& c, double f_Hz) {
  const double f0 = QuantitiesOf(c).F0_Hz;
  FrequencyPoint p = FrequencyResponseAtRatio(c, f_Hz / f0);
  p.f_Hz = f_Hz;
  return p;
}

FrequencyPoint FrequencyResponseAtRatio(const Circuit& c, double ratio) {
  using Real = long double;
  constexpr Real Degrees = 180 / std::numbers::pi_v<long double>;
  const Quantities q = QuantitiesOf(c);
  const Real x = ratio;
  const Real detuning = (1 - x) * (1 + x);                   // 1 - x^2, exact near x = 1
  const Real loss = x * c.R_Ohm * std::sqrt(Real(c.C_F) / c.L_H); // x / Q
  const Real admittance = x * std::sqrt(Real(c.C_F) / c.L_H);     // omega C per unit of U_C/U_e
  FrequencyPoint p;
  p.f_Hz = double(x * q.F0_Hz);
  const Real magnitude = std::hypot(detuning, loss);
  if (magnitude == 0) { // R = 0 at the resonance: the limit of R -> 0
    p.GainUC = p.I_A_per_V = std::numeric_limits<double>::infinity();
    p.PhaseUC_deg = -90;
    p.PhaseI_deg = 0;
    return p;
  }
  p.GainUC = double(1 / magnitude);
  p.I_A_per_V = double(admittance / magnitude);
  // -arg(detuning + j loss); exactly -90 at the resonance, never -0.
  const Real phase = detuning == 0 ? -90 : -std::atan2(loss, detuning) * Degrees;
  p.PhaseUC_deg = double(phase) + 0.0;
  p.PhaseI_deg = double(phase + 90) + 0.0;
  return p;
}

} // namespace Rlc
