#pragma once
// The driven steady state: the circuit fed by a sine voltage U_e of frequency f.
// With x = f/f0 and Q the quality factor,
//   U_C/U_e = 1 / (1 - x^2 + j x/Q)     (0 deg at low frequency, -90 deg at f0, towards -180)
//   I/U_e   = j omega C U_C/U_e         (+90 deg ... -90 deg, 0 at f0; peak 1/R at f0)
// At f0 the phases are -90 and 0 deg for every R; for R = 0 the two amplitudes
// are infinite there.
#include "Circuit.h"

namespace Rlc {

struct FrequencyPoint {
  double f_Hz = 0;
  double GainUC = 0;      // |U_C/U_e|
  double PhaseUC_deg = 0; // phase of U_C against U_e
  double I_A_per_V = 0;   // |I/U_e|
  double PhaseI_deg = 0;  // phase of I against U_e
};

FrequencyPoint FrequencyResponse(const Circuit& c, double f_Hz);

// The same at the frequency ratio x = f/f0 (x = 1 is exactly the resonance).
FrequencyPoint FrequencyResponseAtRatio(const Circuit& c, double x);

} // namespace Rlc
