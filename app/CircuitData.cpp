#include "CircuitData.h"

#include "Circuit.h"
#include "ReadoutNumber.h"

#include <cmath>

QStringList CircuitDataLines(const Rlc::Quantities& q, const std::function<QString(const QString&)>& translate) {
  auto line = [&](const char* key, double value, const char* unit) {
    const QString text = *unit ? QuantityText(value, QLatin1String(unit)) : PlainNumberText(value);
    return translate(QLatin1String(key)) + QStringLiteral(" = ") + text;
  };
  QStringList lines;
  lines << line("CDDamping", q.Delta_per_s, "1/s") << line("CDResonanceFrequency", q.F0_Hz, "Hz");
  if (Rlc::Oscillates(q.Kind)) lines << line("CDDampedFrequency", q.F_Hz, "Hz") << line("CDPeriod", q.T_s, "sec");
  lines << line("CDQualityFactor", q.Q, "");
  if (q.Kind == Rlc::Regime::Overdamped) // 1/delta says nothing of how slowly it creeps back
    lines << line("CDSlowTimeConstant", q.TauSlow_s, "sec") << line("CDFastTimeConstant", q.TauFast_s, "sec");
  else
    lines << line("CDDecayTime", q.Tau_s, "sec");
  lines << line("CDCriticalResistance", q.RCrit_Ohm, "Ohm");
  static const char* const regimes[] = {"CDUndamped", "CDUnderdamped", "CDCriticallyDamped", "CDOverdamped"};
  lines << translate(QLatin1String(regimes[int(q.Kind)]));
  return lines;
}
