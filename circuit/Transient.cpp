#include "Transient.h"

#include "SampleGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Rlc {

namespace {
using Real = long double;

// The circuit and its start, in extended precision.
struct Model {
  Real R, L, C, delta, omega0Sq, q; // q = omega0^2 - delta^2
  Real x0, I0, Ue;                  // x0 = U0 - U_e
  Model(const Circuit& c, const InitialState& s)
      : R(c.R_Ohm), L(c.L_H), C(c.C_F), delta(R / (2 * L)), omega0Sq(1 / (L * C)),
        // (4L - R^2 C) / (4 L^2 C): one difference, exact at the critical damping.
        q((4 * L - R * R * C) / (4 * L * L * C)), x0(Real(s.u_C0_V) - s.U_e_V), I0(s.i0_A), Ue(s.U_e_V) {}
};

// e^(-delta t) (c(t), s(t)): the two damped basis functions.
struct Basis {
  Real c, s;
};

Basis BasisAt(const Model& m, Real t) {
  const Real qt2 = m.q * t * t;
  if (std::fabs(qt2) <= 1) { // near the critical damping (or early): the series in q t^2
    Real c = 0, s = 0, tc = 1, ts = 1; // (-q t^2)^k / (2k)! and / (2k + 1)!
    for (int k = 0; k < 20 && std::fabs(tc) > 1e-22L; ++k) {
      c += tc;
      s += ts;
      tc *= -qt2 / ((2 * k + 1) * (2 * k + 2));
      ts *= -qt2 / ((2 * k + 2) * (2 * k + 3));
    }
    const Real e = std::exp(-m.delta * t);
    return {e * c, e * s * t};
  }
  if (m.q > 0) {
    const Real w = std::sqrt(m.q), e = std::exp(-m.delta * t);
    return {e * std::cos(w * t), e * std::sin(w * t) / w};
  }
  // Aperiodic: e^(-delta t) cosh(kt) and sinh(kt)/k through the slow rate
  // delta - k = omega0^2 / (delta + k) and the fast rate delta + k.
  const Real k = std::sqrt(-m.q), fast = m.delta + k, slow = m.omega0Sq / fast;
  const Real eSlow = std::exp(-slow * t), eFast = std::exp(-fast * t);
  return {(eSlow + eFast) / 2, eSlow * -std::expm1(-2 * k * t) / (2 * k)};
}

// The integral of i^2 from 0 to t. With b = -delta I0 - x0/L, i = e^(-delta u)(I0 c + b s),
// and c^2 = (1 + c(2u))/2, c s = s(2u)/2, s^2 = K(2u)/2 with K(v) = (1 - c(v))/q = 2 s(v/2)^2,
// it is half the integral over 0 ... T = 2t of e^(-delta v) [I0^2 (1 + c)/2 + I0 b s + b^2 K/2].
// Each damped piece solves y'' + 2 delta y' + omega0^2 y = g, so its integral follows from
// its values at T (g = 0 for c and s, g = e^(-delta v) for K), without dividing by q.
Real CurrentSquareIntegral(const Model& m, Real t, const Basis& half) {
  const Real T = 2 * t, d = m.delta;
  // At T = 2t by the doubling formulas c(2t) = c^2 - q s^2, s(2t) = 2 c s (the damping
  // factors multiply alike): no second evaluation of the elementary functions.
  const Basis at{half.c * half.c - m.q * half.s * half.s, 2 * half.c * half.s};
  const Real k = 2 * half.s * half.s; // e^(-delta T) K(T)
  const Real one = d > 0 ? -std::expm1(-d * T) / d : T;
  const Real ic = (d * (1 - at.c) + m.q * at.s) / m.omega0Sq;
  const Real is = (1 - at.c - d * at.s) / m.omega0Sq;
  const Real ik = (one - at.s - d * k) / m.omega0Sq;
  const Real b = -d * m.I0 - m.x0 / m.L;
  return (m.I0 * m.I0 * (one + ic) / 2 + m.I0 * b * is + b * b * ik / 2) / 2;
}

struct Values {
  Real uC, i, uR, uL, eC, eL, eR, w;
};

Values Evaluate(const Model& m, Real t) {
  const Basis e = BasisAt(m, t);
  Values v;
  v.uC = m.Ue + m.x0 * (e.c + m.delta * e.s) + m.I0 / m.C * e.s;
  v.i = m.I0 * (e.c - m.delta * e.s) - m.x0 / m.L * e.s;
  v.uR = m.R * v.i;
  v.uL = m.Ue - v.uC - v.uR;
  v.eC = m.C * v.uC * v.uC / 2;
  v.eL = m.L * v.i * v.i / 2;
  v.eR = m.R == 0 ? 0 : m.R * CurrentSquareIntegral(m, t, e);
  v.w = m.Ue * m.C * (v.uC - (m.x0 + m.Ue));
  return v;
}

constexpr int Block = 64;

// Over an offset t the homogeneous state (x = u_C - U_e, i) moves by the matrix
// [[c + delta s, s/C], [-s/L, c - delta s]] (damped basis), and the heat in R is
// R (P i^2 + Q x i + S x^2), each coefficient from the closed-form integral.
struct Step {
  double xx, xi, ix, ii; // the transition matrix
  double P, Q, S;        // the heat's quadratic form, R included
};

Step StepOver(const Model& m, Real t) {
  const Basis e = BasisAt(m, t);
  Step st;
  st.xx = double(e.c + m.delta * e.s);
  st.xi = double(e.s / m.C);
  st.ix = double(-e.s / m.L);
  st.ii = double(e.c - m.delta * e.s);
  Model unit = m;
  auto heat = [&](Real x0, Real i0) {
    unit.x0 = x0;
    unit.I0 = i0;
    return m.R * CurrentSquareIntegral(unit, t, e);
  };
  const Real p = heat(0, 1), s = heat(1, 0);
  st.P = double(p);
  st.S = double(s);
  st.Q = double(heat(1, 1) - p - s);
  return st;
}

constexpr const char* Names[] = {"charged", "current", "step"};
} // namespace

InitialState StartOf(Experiment e, const Circuit& c) {
  switch (e) {
  case Experiment::Charged: return {1, 0, 0};
  case Experiment::Current: return {0, double(std::sqrt((long double)c.C_F / c.L_H)), 0};
  case Experiment::Step: return {0, 0, 1};
  }
  return {};
}

const char* ExperimentName(Experiment e) { return Names[int(e)]; }

bool ExperimentNamed(const char* name, Experiment& e) {
  for (int k = 0; k < 3; ++k)
    if (std::strcmp(name, Names[k]) == 0) {
      e = Experiment(k);
      return true;
    }
  return false;
}

State StateAt(const Circuit& c, const InitialState& s0, double t_s) {
  const Values v = Evaluate(Model(c, s0), t_s);
  return {double(v.uC), double(v.i), double(v.uR), double(v.uL),
          double(v.eC), double(v.eL), double(v.eR), double(v.w)};
}

void Trajectory::Fill(const Circuit& c, const InitialState& s0, const double* t_s, int count) {
  const Model m(c, s0);
  for (std::vector<double>* a : {&u_C_V, &i_A, &u_R_V, &u_L_V, &E_C_J, &E_L_J, &E_R_J, &W_J})
    a->resize(size_t(count));
  for (int k = 0; k < count; ++k) {
    const Values v = Evaluate(m, t_s[k]);
    const size_t n = size_t(k);
    u_C_V[n] = double(v.uC);
    i_A[n] = double(v.i);
    u_R_V[n] = double(v.uR);
    u_L_V[n] = double(v.uL);
    E_C_J[n] = double(v.eC);
    E_L_J[n] = double(v.eL);
    E_R_J[n] = double(v.eR);
    W_J[n] = double(v.w);
  }
}

void Trajectory::FillGrid(const Circuit& c, const InitialState& s0, int count) {
  const Model m(c, s0);
  for (std::vector<double>* a : {&u_C_V, &i_A, &u_R_V, &u_L_V, &E_C_J, &E_L_J, &E_R_J, &W_J})
    a->resize(size_t(std::max(count, 0)));
  Step steps[Block];
  for (int j = 0; j < Block && j < count; ++j) steps[j] = StepOver(m, SampleGrid::Time_s(j));
  const double R = c.R_Ohm, Ue = s0.U_e_V, start = s0.u_C0_V;
  for (int a = 0; a < count; a += Block) {
    const Values v = Evaluate(m, SampleGrid::Time_s(a));
    const double x = double(v.uC - m.Ue), i = double(v.i), heat = double(v.eR);
    const int n = std::min(Block, count - a);
    for (int j = 0; j < n; ++j) {
      const Step& st = steps[j];
      const size_t k = size_t(a + j);
      const double xk = st.xx * x + st.xi * i, ik = st.ix * x + st.ii * i;
      const double uC = Ue + xk;
      u_C_V[k] = uC;
      i_A[k] = ik;
      u_R_V[k] = R * ik;
      u_L_V[k] = Ue - uC - R * ik;
      E_C_J[k] = c.C_F * uC * uC / 2;
      E_L_J[k] = c.L_H * ik * ik / 2;
      E_R_J[k] = R == 0 ? 0 : heat + (st.P * i * i + st.Q * x * i + st.S * x * x);
      W_J[k] = Ue * c.C_F * (uC - start);
    }
  }
}

} // namespace Rlc
