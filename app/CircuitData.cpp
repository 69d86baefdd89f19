#include "CircuitData.h"

#include "Circuit.h"
#include "NumLabText.h"

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
  return q;
}

QString EngineeringText(double value, const QString& unit) {
  if (std::isinf(value)) return QStringLiteral("∞");
  if (unit.isEmpty()) return NumLab::FloatText(value, 4); // a plain number: 14.34, 0.3162, 7.071E4
  QString number = NumLab::EngText(value, 4, false);
  QString prefix;
  if (!number.isEmpty() && number.back().isLetter()) {
    prefix = number.back();
    number.chop(1);
  }
  if (unit.startsWith(QLatin1String("1/"))) return number + prefix + QLatin1Char(' ') + unit;
  return number + QLatin1Char(' ') + prefix + unit;
}

QStringList CircuitDataLines(const TCircuitQuantities& q, const std::function<QString(const QString&)>& translate) {
  auto line = [&](const char* key, double value, const char* unit) {
    return translate(QLatin1String(key)) + QStringLiteral(" = ") + EngineeringText(value, QLatin1String(unit));
  };
  QStringList lines;
  lines << line("CDDamping", q.Delta, "1/s") << line("CDResonanceFrequency", q.F0, "Hz");
  if (q.Oscillating()) lines << line("CDDampedFrequency", q.F, "Hz") << line("CDPeriod", q.T, "sec");
  lines << line("CDQualityFactor", q.Q, "") << line("CDDecayTime", q.Tau, "sec")
        << line("CDCriticalResistance", q.RCrit, "Ohm");
  static const char* const regimes[] = {"CDUndamped", "CDUnderdamped", "CDCriticallyDamped", "CDOverdamped"};
  lines << translate(QLatin1String(regimes[int(q.Regime)]));
  return lines;
}
