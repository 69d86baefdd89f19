// The blockwise transient on the sample grid against the closed form sample by
// sample, for every reference circuit and experiment, and against the
// high-precision states where they fall on the grid.
#include "ReferenceData.h"
#include "SampleGrid.h"
#include "Transient.h"

#include <gtest/gtest.h>
#include <cmath>
#include <string>

namespace {

using Rlc::SampleGrid::Samples;

struct Scales {
  double volt, amp, joule;
};

// At the scale of 1 V of every experiment: 1e-12 of the volt, of sqrt(C/L) x 1 V and of C x (1 V)^2.
Scales ScalesOf(const Rlc::Circuit& c) { return {1e-12, 1e-12 * std::sqrt(c.C_F / c.L_H), 1e-12 * c.C_F}; }

void CompareWithClosedForm(const Rlc::Circuit& c, Rlc::Experiment e, const std::string& name) {
  const Rlc::InitialState s0 = Rlc::StartOf(e, c);
  Rlc::Trajectory slow, fast;
  slow.Fill(c, s0, Rlc::SampleGrid::Times_s(), Samples);
  fast.FillGrid(c, s0, Samples);
  ASSERT_EQ(fast.Size(), Samples);
  const Scales tol = ScalesOf(c);
  const double volt = tol.volt * std::max(1.0, c.R_Ohm * std::sqrt(c.C_F / c.L_H));
  int bad = 0;
  for (size_t k = 0; k < size_t(Samples) && bad < 5; ++k) {
    const auto check = [&](double got, double want, double t, const char* what) {
      if (std::fabs(got - want) > t) {
        ADD_FAILURE() << name << " " << Rlc::ExperimentName(e) << " " << what << " at k = " << k << ": " << got
                      << " vs " << want;
        ++bad;
      }
    };
    check(fast.u_C_V[k], slow.u_C_V[k], tol.volt, "u_C");
    check(fast.i_A[k], slow.i_A[k], tol.amp, "i");
    check(fast.u_R_V[k], slow.u_R_V[k], volt, "u_R");
    check(fast.u_L_V[k], slow.u_L_V[k], volt, "u_L");
    check(fast.E_C_J[k], slow.E_C_J[k], tol.joule, "E_C");
    check(fast.E_L_J[k], slow.E_L_J[k], tol.joule, "E_L");
    check(fast.E_R_J[k], slow.E_R_J[k], tol.joule, "E_R");
    check(fast.W_J[k], slow.W_J[k], tol.joule, "W");
  }
}

TEST(FastTrajectory, AgreesWithTheClosedFormInEveryRegimeAndExperiment) {
  for (const Reference::CircuitRow& row : Reference::Circuits)
    for (Rlc::Experiment e : {Rlc::Experiment::Charged, Rlc::Experiment::Current, Rlc::Experiment::Step})
      CompareWithClosedForm({row.R_Ohm, row.C_F, row.L_H}, e, row.name);
}

TEST(FastTrajectory, MatchesTheHighPrecisionStatesOnTheGrid) {
  int checked = 0;
  for (const Reference::StateRow& row : Reference::States) {
    const double k = row.t_s * 1e9;
    if (std::fabs(k - std::round(k)) > 1e-6 || k >= Samples) continue;
    const Reference::CircuitRow& cr = Reference::Circuits[row.circuit];
    const Rlc::Circuit c{cr.R_Ohm, cr.C_F, cr.L_H};
    Rlc::Experiment e{};
    ASSERT_TRUE(Rlc::ExperimentNamed(row.experiment, e));
    Rlc::Trajectory fast;
    fast.FillGrid(c, Rlc::StartOf(e, c), int(k) + 1);
    const size_t n = size_t(std::round(k));
    const Scales tol = ScalesOf(c);
    EXPECT_NEAR(fast.u_C_V[n], row.u_C_V, tol.volt) << cr.name;
    EXPECT_NEAR(fast.i_A[n], row.i_A, tol.amp) << cr.name;
    EXPECT_NEAR(fast.E_R_J[n], row.E_R_J, tol.joule) << cr.name;
    ++checked;
  }
  EXPECT_GT(checked, 10);
}

TEST(FastTrajectory, ShortAndEmptyGrids) {
  const Rlc::Circuit c;
  Rlc::Trajectory path;
  path.FillGrid(c, Rlc::StartOf(Rlc::Experiment::Charged, c), 1);
  ASSERT_EQ(path.Size(), 1);
  EXPECT_EQ(path.u_C_V[0], 1.0);
  EXPECT_EQ(path.i_A[0], 0.0);
  EXPECT_EQ(path.E_R_J[0], 0.0);
  path.FillGrid(c, Rlc::StartOf(Rlc::Experiment::Charged, c), 0);
  EXPECT_EQ(path.Size(), 0);
  path.FillGrid(c, Rlc::StartOf(Rlc::Experiment::Step, c), 130); // a partial last block
  ASSERT_EQ(path.Size(), 130);
  EXPECT_NEAR(path.u_C_V[129], Rlc::StateAt(c, Rlc::StartOf(Rlc::Experiment::Step, c), 129e-9).u_C_V, 1e-12);
}

} // namespace
