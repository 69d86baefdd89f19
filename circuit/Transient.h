#pragma once
// The transient of the series RLC circuit, in closed form in every regime: the
// capacitor starts at u_C(0) = U0, the current at i(0) = I0 (flowing so that it
// charges the capacitor), and the source voltage U_e is switched on at t = 0.
//
// With x = u_C - U_e, x'' + 2 delta x' + omega0^2 x = 0, and with the two
// functions c(t) and s(t) of q = omega0^2 - delta^2,
//   c = cos(sqrt(q) t), s = sin(sqrt(q) t)/sqrt(q)  (q > 0)
//   c = 1,              s = t                       (q = 0)
//   c = cosh(k t),      s = sinh(k t)/k,  k = sqrt(-q)  (q < 0)
// the solution is
//   u_C = U_e + e^(-delta t) [(U0 - U_e)(c + delta s) + (I0/C) s]
//   i   =       e^(-delta t) [I0 (c - delta s) - ((U0 - U_e)/L) s].
// c and s are power series in q t^2, so the forms pass through the critical
// damping without a jump; near it they are summed as such series.
#include "Circuit.h"

#include <vector>

namespace Rlc {

struct InitialState {
  double u_C0_V = 0; // capacitor voltage at t = 0
  double i0_A = 0;   // current at t = 0
  double U_e_V = 0;  // source voltage from t = 0 on
};

// The window's three experiments, all at the scale of 1 V:
//   charged: U0 = 1 V, I0 = 0, U_e = 0 (the capacitor discharges)
//   current: U0 = 0, I0 with L I0^2 / 2 = C (1 V)^2 / 2, U_e = 0
//   step:    U0 = 0, I0 = 0, U_e = 1 V (switched on at t = 0)
enum class Experiment { Charged, Current, Step };
InitialState StartOf(Experiment e, const Circuit& c);
const char* ExperimentName(Experiment e); // "charged", "current", "step"
bool ExperimentNamed(const char* name, Experiment& e);

// The circuit's state at one time, with its energy account:
// E_C + E_L + E_R = E_C(0) + E_L(0) + W.
struct State {
  double u_C_V = 0, i_A = 0;
  double u_R_V = 0; // R i
  double u_L_V = 0; // U_e - u_C - u_R
  double E_C_J = 0; // C u_C^2 / 2
  double E_L_J = 0; // L i^2 / 2
  double E_R_J = 0; // heat in R since t = 0, the integral of R i^2
  double W_J = 0;   // work of the source since t = 0, the integral of U_e i = U_e C (u_C - U0)
};

State StateAt(const Circuit& c, const InitialState& s0, double t_s);

// The states on a time grid, one array per quantity (the arrays keep their capacity
// from one call to the next).
struct Trajectory {
  std::vector<double> u_C_V, i_A, u_R_V, u_L_V, E_C_J, E_L_J, E_R_J, W_J;
  void Fill(const Circuit& c, const InitialState& s0, const double* t_s, int count);
  // The same on the sample grid (t = k ns, k = 0 ... count - 1), blockwise: the state
  // at the start of every block of 64 samples from the closed form in extended
  // precision, the samples inside a block from it by the exact state-transition
  // matrix of their offset and the heat as a quadratic form of the block's start
  // state. No error builds up along the grid; about 25 times faster than Fill.
  void FillGrid(const Circuit& c, const InitialState& s0, int count);
  int Size() const { return int(u_C_V.size()); }
};

} // namespace Rlc
