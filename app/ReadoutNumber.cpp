#include "ReadoutNumber.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// |value| rounded to 4 significant digits: digits d.ddd and the power of ten.
struct TRounded {
  char digits[4];
  int exponent;
};

TRounded Round4(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.3e", std::fabs(value)); // "d.ddde[+-]xx", correctly rounded
  return {{text[0], text[2], text[3], text[4]}, std::atoi(text + 6)};
}

// The four digits with the point after the first `whole` of them (whole >= 1),
// or behind leading zeros for whole <= 0.
QString Digits(const TRounded& r, int whole) {
  QString s;
  if (whole <= 0) s = QStringLiteral("0.") + QString(-whole, QLatin1Char('0'));
  for (int i = 0; i < 4; ++i) {
    if (i == whole && whole > 0) s += QLatin1Char('.');
    s += QLatin1Char(r.digits[i]);
  }
  return s;
}

QString WithExponent(const TRounded& r) { return Digits(r, 1) + QLatin1Char('E') + QString::number(r.exponent); }

} // namespace

QString PlainNumberText(double value) {
  if (std::isnan(value)) return QStringLiteral("-");
  if (std::isinf(value)) return QStringLiteral("∞");
  const QString sign = value < 0 ? QStringLiteral("-") : QString();
  const TRounded r = Round4(value);
  if (value == 0 || (r.exponent >= -3 && r.exponent <= 3)) return sign + Digits(r, r.exponent + 1);
  return sign + WithExponent(r);
}

QString QuantityText(double value, const QString& unit) {
  if (std::isnan(value)) return QStringLiteral("-");
  if (std::isinf(value)) return QStringLiteral("∞");
  static const char Prefixes[] = "afpnum kMGT"; // 10^-18 … 10^12
  const TRounded r = Round4(value);
  const int group = value == 0 ? 0 : int(std::floor(r.exponent / 3.0));
  QString number = value < 0 ? QStringLiteral("-") : QString();
  QString prefix;
  if (group < -6 || group > 4) {
    number += WithExponent(r);
  } else {
    number += Digits(r, r.exponent - 3 * group + 1);
    if (group != 0) prefix = QLatin1Char(Prefixes[group + 6]);
  }
  if (unit.startsWith(QLatin1String("1/"))) return number + prefix + QLatin1Char(' ') + unit;
  return number + QLatin1Char(' ') + prefix + unit;
}

QString FrequencyText(double hertz) {
  if (!std::isfinite(hertz)) return QStringLiteral("-");
  return QuantityText(hertz, QStringLiteral("Hz"));
}
