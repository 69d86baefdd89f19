// The transient of the three experiments in every regime against the high-precision
// table, the energy balance over the whole grid, the start, and the agreement of the
// "current" experiment with the window's exact normalised response.
#include "ReferenceData.h"
#include "Responses.h"
#include "SampleGrid.h"
#include "Transient.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using Reference::CircuitRow;
using Reference::StateRow;
using Rlc::SampleGrid::Samples;

Rlc::Circuit CircuitOf(const CircuitRow& row) { return {row.R_Ohm, row.C_F, row.L_H}; }

Rlc::Experiment ExperimentOf(const char* name) {
  Rlc::Experiment e{};
  EXPECT_TRUE(Rlc::ExperimentNamed(name, e)) << name;
  return e;
}

// Each experiment works at the scale of 1 V: voltages within 1e-14 V, currents within
// 1e-14 of sqrt(C/L) x 1 V, energies within 1e-14 of C x (1 V)^2.
void CheckGroup(const char* group, const char* experiment) {
  int rows = 0;
  for (const StateRow& row : Reference::States) {
    const CircuitRow& circuit = Reference::Circuits[row.circuit];
    if (std::string(circuit.group) != group || std::string(row.experiment) != experiment) continue;
    ++rows;
    const Rlc::Circuit c = CircuitOf(circuit);
    const Rlc::State s = Rlc::StateAt(c, Rlc::StartOf(ExperimentOf(experiment), c), row.t_s);
    const std::string at = std::string(circuit.name) + " t = " + std::to_string(row.t_s);
    const double volt = 1e-14, amp = 1e-14 * std::sqrt(c.C_F / c.L_H), joule = 1e-14 * c.C_F;
    EXPECT_NEAR(s.u_C_V, row.u_C_V, volt) << at;
    EXPECT_NEAR(s.i_A, row.i_A, amp) << at;
    EXPECT_NEAR(s.E_C_J, row.E_C_J, joule) << at;
    EXPECT_NEAR(s.E_L_J, row.E_L_J, joule) << at;
    EXPECT_NEAR(s.E_R_J, row.E_R_J, joule) << at;
    EXPECT_NEAR(s.W_J, row.W_J, joule) << at;
    EXPECT_NEAR(s.u_R_V, c.R_Ohm * row.i_A, volt * std::max(1.0, c.R_Ohm * std::sqrt(c.C_F / c.L_H))) << at;
  }
  EXPECT_EQ(rows, std::string(group) == "Critical" ? 5 : std::string(group) == "Undamped" ? 25
                  : std::string(group) == "NearCritical"                              ? 20
                                                                                      : 15);
}

class Transient : public ::testing::TestWithParam<const char*> {};

TEST_P(Transient, Undamped) { CheckGroup("Undamped", GetParam()); }
TEST_P(Transient, Underdamped) { CheckGroup("Underdamped", GetParam()); }
TEST_P(Transient, NearCritical) { CheckGroup("NearCritical", GetParam()); }
TEST_P(Transient, Critical) { CheckGroup("Critical", GetParam()); }
TEST_P(Transient, Overdamped) { CheckGroup("Overdamped", GetParam()); }

TEST_P(Transient, EnergyBalancesOnTheWholeGrid) {
  const Rlc::Experiment e = ExperimentOf(GetParam());
  Rlc::Trajectory path;
  for (const CircuitRow& row : Reference::Circuits) {
    const Rlc::Circuit c = CircuitOf(row);
    const Rlc::InitialState s0 = Rlc::StartOf(e, c);
    path.Fill(c, s0, Rlc::SampleGrid::Times_s(), Samples);
    ASSERT_EQ(path.Size(), Samples);
    const double start = c.C_F * s0.u_C0_V * s0.u_C0_V / 2 + c.L_H * s0.i0_A * s0.i0_A / 2;
    double work = 0;
    for (double w : path.W_J) work = std::max(work, std::fabs(w));
    const double total = start + work;
    double worst = 0;
    for (size_t k = 0; k < size_t(Samples); ++k) {
      const double left = path.E_C_J[k] + path.E_L_J[k] + path.E_R_J[k];
      worst = std::max(worst, std::fabs(left - start - path.W_J[k]));
      ASSERT_GE(path.E_R_J[k], -1e-15 * total) << row.name << " " << k; // heat never flows back
    }
    EXPECT_LE(worst, 1e-12 * total) << row.name;
    // Kirchhoff's voltage law, and the state at t = 0 exactly as started.
    EXPECT_EQ(path.u_C_V[0], s0.u_C0_V) << row.name;
    EXPECT_EQ(path.i_A[0], s0.i0_A) << row.name;
    EXPECT_EQ(path.E_R_J[0], 0.0) << row.name;
    EXPECT_NEAR(path.u_L_V[9] + path.u_C_V[9] + path.u_R_V[9], s0.U_e_V, 1e-15) << row.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Experiments, Transient, ::testing::Values("charged", "current", "step"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST(Transient, CurrentExperimentIsTheWindowsExactNormalisedResponse) {
  // u_C / (I0 sqrt(L/C)) with I0 sqrt(L/C) = 1 V: the exact curve in volts.
  for (const Rlc::Positions p : {Rlc::Positions{470, 220, 1000}, Rlc::Positions{0, 10, 10},
                                 Rlc::Positions{10000, 1000, 2500}, Rlc::Positions{10000, 10, 10},
                                 Rlc::Positions{283, 5000, 10}}) {
    std::vector<double> exact(Samples);
    Rlc::ExactNormalisedResponse(Rlc::DampingAt(p), exact.data());
    const Rlc::Circuit c = Rlc::CircuitAt(p);
    Rlc::Trajectory path;
    path.Fill(c, Rlc::StartOf(Rlc::Experiment::Current, c), Rlc::SampleGrid::Times_s(), Samples);
    double worst = 0;
    for (size_t k = 0; k < size_t(Samples); ++k) worst = std::max(worst, std::fabs(path.u_C_V[k] - exact[k]));
    EXPECT_LE(worst, 1e-12) << p.R << " " << p.C << " " << p.L;
  }
}

TEST(Transient, ExperimentsByName) {
  Rlc::Experiment e{};
  EXPECT_FALSE(Rlc::ExperimentNamed("Charged", e));
  EXPECT_FALSE(Rlc::ExperimentNamed("", e));
  ASSERT_TRUE(Rlc::ExperimentNamed("step", e));
  EXPECT_EQ(e, Rlc::Experiment::Step);
  EXPECT_STREQ(Rlc::ExperimentName(Rlc::Experiment::Current), "current");
  const Rlc::Circuit c{1, 4e-9, 1e-6};
  EXPECT_DOUBLE_EQ(c.L_H * Rlc::StartOf(Rlc::Experiment::Current, c).i0_A * Rlc::StartOf(Rlc::Experiment::Current, c).i0_A, c.C_F);
}

} // namespace
