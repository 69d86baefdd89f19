// The driven steady state against the high-precision table: amplitudes and phases
// of U_C and I per volt of U_e, with the infinite peak of R = 0 at f0.
#include "FrequencyResponse.h"
#include "ReferenceData.h"

#include <gtest/gtest.h>
#include <cmath>
#include <string>

namespace {

void CheckGroup(const char* group) {
  int rows = 0;
  for (const Reference::SteadyRow& row : Reference::Steady) {
    const Reference::CircuitRow& circuit = Reference::Circuits[row.circuit];
    if (std::string(circuit.group) != group) continue;
    ++rows;
    const Rlc::Circuit c{circuit.R_Ohm, circuit.C_F, circuit.L_H};
    const Rlc::FrequencyPoint p = Rlc::FrequencyResponseAtRatio(c, row.x);
    const std::string at = std::string(circuit.name) + " x = " + std::to_string(row.x);
    auto close = [&](double got, double want, const char* what) {
      if (std::isinf(want)) EXPECT_EQ(got, want) << at << " " << what;
      else EXPECT_LE(std::fabs(got - want), 1e-13 * std::fabs(want)) << at << " " << what << ": " << got << " vs " << want;
    };
    close(p.GainUC, row.gain_UC, "gain");
    close(p.I_A_per_V, row.I_A_per_V, "current");
    EXPECT_NEAR(p.PhaseUC_deg, row.phase_UC_deg, 1e-11) << at;
    EXPECT_NEAR(p.PhaseI_deg, row.phase_I_deg, 1e-11) << at;
    EXPECT_FALSE(std::signbit(p.PhaseUC_deg) && p.PhaseUC_deg == 0) << at << ": -0";
  }
  EXPECT_EQ(rows % 5, 0);
  EXPECT_GT(rows, 0);
}

TEST(FrequencyResponse, Undamped) { CheckGroup("Undamped"); }
TEST(FrequencyResponse, Underdamped) { CheckGroup("Underdamped"); }
TEST(FrequencyResponse, NearCritical) { CheckGroup("NearCritical"); }
TEST(FrequencyResponse, Critical) { CheckGroup("Critical"); }
TEST(FrequencyResponse, Overdamped) { CheckGroup("Overdamped"); }

TEST(FrequencyResponse, AtTheResonanceAndByFrequency) {
  const Rlc::Circuit c{4.7, 2.2e-9, 1e-5};
  const double f0 = Rlc::QuantitiesOf(c).F0_Hz;
  const Rlc::FrequencyPoint p = Rlc::FrequencyResponse(c, f0);
  EXPECT_EQ(p.f_Hz, f0);
  EXPECT_EQ(p.PhaseUC_deg, -90);
  EXPECT_EQ(p.PhaseI_deg, 0);
  EXPECT_NEAR(p.I_A_per_V, 1 / 4.7, 1e-15); // the peak is 1/R
  EXPECT_NEAR(p.GainUC, Rlc::QuantitiesOf(c).Q, 1e-12); // and U_C/U_e = Q there
  // -3 dB of the current at the half-power frequencies, B apart.
  const Rlc::Quantities q = Rlc::QuantitiesOf(c);
  EXPECT_NEAR(Rlc::FrequencyResponse(c, q.FLower_Hz).I_A_per_V, 1 / 4.7 / std::sqrt(2.0), 1e-14);
  EXPECT_NEAR(Rlc::FrequencyResponse(c, q.FUpper_Hz).I_A_per_V, 1 / 4.7 / std::sqrt(2.0), 1e-14);
  EXPECT_NEAR(q.FUpper_Hz - q.FLower_Hz, q.Bandwidth_Hz, 1e-8);
}

} // namespace
