#include "CircuitData.h"

#include "Circuit.h"
#include "ReadoutNumber.h"

#include <cmath>

TCircuitQuantities ComputeCircuit(int posR, int posC, int posL) {
  const Rlc::Quantities m = Rlc::QuantitiesAt({posR, posC, posL});
  TCircuitQuantities q;
  q.R = m.Values.R_Ohm;
  q.C = m.Values.C_F;
  q.L = m.Values.L_H;
  q.Delta = m.Delta_per_s;
  q.Omega0 = m.Omega0_rad_s;
  q.Omega = m.Omega_rad_s;
  q.F0 = m.F0_Hz;
  q.F = m.F_Hz;
  q.T = m.T_s;
  q.Q = m.Q;
  q.Tau = m.Tau_s;
  q.RCrit = m.RCrit_Ohm;
  q.Regime = m.Kind;
  if (q.Regime == Rlc::Regime::Overdamped) {
    q.TauSlow = m.TauSlow_s;
    q.TauFast = m.TauFast_s;
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
  if (q.Regime == Rlc::Regime::Overdamped) // 1/delta says nothing of how slowly it creeps back
    lines << line("CDSlowTimeConstant", q.TauSlow, "sec") << line("CDFastTimeConstant", q.TauFast, "sec");
  else
    lines << line("CDDecayTime", q.Tau, "sec");
  lines << line("CDCriticalResistance", q.RCrit, "Ohm");
  static const char* const regimes[] = {"CDUndamped", "CDUnderdamped", "CDCriticallyDamped", "CDOverdamped"};
  lines << translate(QLatin1String(regimes[int(q.Regime)]));
  return lines;
}
