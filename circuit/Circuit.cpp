#include "Circuit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace Rlc {

namespace {
using Real = long double;
constexpr Real Pi = std::numbers::pi_v<long double>;

Quantities Derive(const Circuit& c, const Damping& d) {
  Quantities q;
  q.Values = c;
  q.Delta_per_s = d.Delta_per_s;
  q.Omega0_rad_s = d.Omega0_rad_s;
  q.Kind = RegimeOf(d);
  const Real R = c.R_Ohm, C = c.C_F, L = c.L_H, delta = d.Delta_per_s, w0 = d.Omega0_rad_s;
  const Real z0 = std::sqrt(L / C); // characteristic impedance
  constexpr double Infinite = std::numeric_limits<double>::infinity();
  q.F0_Hz = double(w0 / (2 * Pi));
  q.RCrit_Ohm = double(2 * z0);
  q.Q = c.R_Ohm == 0 ? Infinite : double(z0 / R);
  q.Tau_s = delta == 0 ? Infinite : double(1 / delta);
  q.Bandwidth_Hz = double(R / (2 * Pi * L));
  // The half-power points of the current: (sqrt(delta^2 + omega0^2) -+ delta) / 2pi,
  // the lower one formed without cancellation.
  const Real centre = std::sqrt(delta * delta + w0 * w0);
  q.FLower_Hz = double(w0 * w0 / (centre + delta) / (2 * Pi));
  q.FUpper_Hz = double((centre + delta) / (2 * Pi));
  // omega0^2 - delta^2 = (4L - R^2 C) / (4 L^2 C) from the component values: one
  // difference, which keeps omega accurate right next to the critical damping.
  const Real detuning = (4 * L - R * R * C) / (4 * L * L * C);
  if (Oscillates(q.Kind)) {
    const Real w = delta == 0 ? w0 : std::sqrt(std::max(detuning, Real(0)));
    q.Omega_rad_s = double(w);
    q.F_Hz = double(w / (2 * Pi));
    q.T_s = double(2 * Pi / w);
    q.LogDecrement = double(delta * 2 * Pi / w);
  } else {
    const Real s = std::sqrt(std::max(-detuning, Real(0)));
    q.TauSlow_s = double((delta + s) / (w0 * w0)); // = 1/(delta - s), without cancellation
    q.TauFast_s = double(1 / (delta + s));
  }
  return q;
}
} // namespace

bool InRange(const Positions& p) { return RangeR.Contains(p.R) && RangeC.Contains(p.C) && RangeL.Contains(p.L); }

Circuit CircuitAt(const Positions& p) {
  return {double(p.R / 100.0L), double(p.C / 100.0L * 1e-9L), double(p.L / 100.0L * 1e-6L)};
}

std::optional<int> PositionOf(double displayedValue, const PositionRange& range) {
  if (!std::isfinite(displayedValue)) return std::nullopt;
  if (displayedValue < range.Min / 100.0 || displayedValue > range.Max / 100.0) return std::nullopt;
  const long position = std::lround(displayedValue * 100);
  return int(std::clamp<long>(position, range.Min, range.Max));
}

Damping DampingOf(const Circuit& c) {
  const Real R = c.R_Ohm, C = c.C_F, L = c.L_H;
  return {double(R / L / 2), double(1 / std::sqrt(L * C))};
}

Damping DampingAt(const Positions& p) {
  // The designed computation's own order of operations, in extended precision.
  const Real posR = p.R, posC = p.C, posL = p.L;
  return {double((posR / 100) / ((posL / 100) * 1e-6L) / 2),
          double(1 / std::sqrt((posL / 100) * 1e-6L * posC / 100 * 1e-9L))};
}

Regime RegimeOf(const Damping& d) {
  if (d.Delta_per_s == 0) return Regime::Undamped;
  if (d.Delta_per_s < d.Omega0_rad_s) return Regime::Underdamped;
  return d.Delta_per_s == d.Omega0_rad_s ? Regime::Critical : Regime::Overdamped;
}

std::string_view RegimeName(Regime r) {
  switch (r) {
  case Regime::Undamped: return "undamped";
  case Regime::Underdamped: return "underdamped";
  case Regime::Critical: return "critical";
  case Regime::Overdamped: return "overdamped";
  }
  return "";
}

Quantities QuantitiesOf(const Circuit& c) { return Derive(c, DampingOf(c)); }
Quantities QuantitiesAt(const Positions& p) { return Derive(CircuitAt(p), DampingAt(p)); }

} // namespace Rlc
