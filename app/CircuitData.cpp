#include "CircuitData.h"

#include "NumLabText.h"

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
  if (q.Oscillating()) {
    const long double w0 = 1 / std::sqrt(L * C), d = R / L / 2;
    q.Omega = double(std::sqrt((w0 - d) * (w0 + d)));
    q.F = double(q.Omega / (2 * std::numbers::pi_v<long double>));
    q.T = 1 / q.F;
  }
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
