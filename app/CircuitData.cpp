#include "CircuitData.h"

#include "ReadoutNumber.h"

#include <cmath>
#include <limits>
#include <numbers>

TCircuitQuantities ComputeCircuit(int posR, int posC, int posL) {
  TCircuitQuantities q;
  const long double R = posR / 100.0L, C = posC / 100.0L * 1e-9L, L = posL / 100.0L * 1e-6L;
  q.R = double(R);
  q.C = double(C);
  q.L = double(L);
  q.Delta = double(R / L / 2);
  q.Omega0 = double(1 / std::sqrt(L * C));
  q.F0 = double(1 / (2 * std::numbers::pi_v<long double> * std::sqrt(L * C)));
  q.RCrit = double(2 * std::sqrt(L / C));
  constexpr double Infinite = std::numeric_limits<double>::infinity();
  q.Q = posR == 0 ? Infinite : double(std::sqrt(L / C) / R);
  q.Tau = posR == 0 ? Infinite : double(1 / (R / L / 2));
  if (posR == 0)
    q.Regime = TDampingRegime::Undamped;
  else if (std::fabs(R - (long double)q.RCrit) < 0.005L)
    q.Regime = TDampingRegime::CriticallyDamped;
  else
    q.Regime = R < q.RCrit ? TDampingRegime::Underdamped : TDampingRegime::Overdamped;
  if (q.Regime == TDampingRegime::Overdamped) {
    // The slow rate delta - root taken as omega0^2 / (delta + root): no cancellation.
    const long double d = R / L / 2, w0Sq = 1 / (L * C), fast = d + std::sqrt(d * d - w0Sq);
    q.TauSlow = double(fast / w0Sq);
    q.TauFast = double(1 / fast);
  }
  if (q.Oscillating()) {
    const long double w0 = 1 / std::sqrt(L * C), d = R / L / 2;
    q.Omega = double(std::sqrt((w0 - d) * (w0 + d)));
    q.F = double(q.Omega / (2 * std::numbers::pi_v<long double>));
    q.T = 1 / q.F;
  }
  return q;
}

QStringList CircuitDataLines(const TCircuitQuantities& q, const std::function<QString(const QString&)>& translate) {
  auto line = [&](const char* key, double value, const char* unit) {
    const QString text = *unit ? QuantityText(value, QLatin1String(unit)) : PlainNumberText(value);
    return translate(QLatin1String(key)) + QStringLiteral(" = ") + text;
  };
  QStringList lines;
  lines << line("CDDamping", q.Delta, "1/s") << line("CDResonanceFrequency", q.F0, "Hz");
  if (q.Oscillating()) lines << line("CDDampedFrequency", q.F, "Hz") << line("CDPeriod", q.T, "sec");
  lines << line("CDQualityFactor", q.Q, "");
  if (q.Regime == TDampingRegime::Overdamped) // 1/delta says nothing of how slowly it creeps back
    lines << line("CDSlowTimeConstant", q.TauSlow, "sec") << line("CDFastTimeConstant", q.TauFast, "sec");
  else
    lines << line("CDDecayTime", q.Tau, "sec");
  lines << line("CDCriticalResistance", q.RCrit, "Ohm");
  static const char* const regimes[] = {"CDUndamped", "CDUnderdamped", "CDCriticallyDamped", "CDOverdamped"};
  lines << translate(QLatin1String(regimes[int(q.Regime)]));
  return lines;
}
