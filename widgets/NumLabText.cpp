#include "NumLabText.h"

#include "FormatDateValue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace NumLab {

namespace {

// A non-negative number as decimal digits: 0.d[0]d[1]...d[n-1] x 10^exp, without
// trailing zeros; n == 0 is zero.
struct Decimal {
  char d[18];
  int n = 0;
  int exp = 0;
};

char Digit(const Decimal& x, int i) { return i >= 0 && i < x.n ? x.d[i] : '0'; }

void StripZeros(Decimal& x) {
  while (x.n > 0 && x.d[x.n - 1] == '0') --x.n;
}

// The magnitude to 18 significant digits, the 18th rounded to nearest with ties to
// even (to_chars rounds the exact binary value and ignores the C locale).
Decimal ToDecimal(long double magnitude) {
  Decimal x;
  if (!(magnitude > 0) || !std::isfinite(magnitude)) return x;
  char buf[48];
  const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 17);
  // d.ddddddddddddddddde[+-]xx
  const char* e = std::find(buf, res.ptr, 'e');
  if (e == res.ptr || e - buf != 19) return x;
  x.d[0] = buf[0];
  std::memcpy(x.d + 1, buf + 2, 17);
  x.n = 18;
  const char* p = e + 1;
  if (p < res.ptr && *p == '+') ++p;
  int exponent = 0;
  std::from_chars(p, res.ptr, exponent);
  x.exp = exponent + 1;
  StripZeros(x);
  return x;
}

// Keeps the first `keep` digits; a first dropped digit of 5 or more rounds the
// magnitude up (a carry past the first digit raises the exponent).
void RoundTo(Decimal& x, int keep) {
  if (x.n == 0 || keep >= x.n) return;
  if (keep < 0) {
    x.n = 0;
    return;
  }
  const bool up = x.d[keep] >= '5';
  x.n = keep;
  if (up) {
    int i = keep - 1;
    while (i >= 0 && x.d[i] == '9') --i;
    if (i < 0) {
      x.d[0] = '1';
      x.n = 1;
      ++x.exp;
    } else {
      ++x.d[i];
      x.n = i + 1;
    }
  }
  StripZeros(x);
}

bool AppendNonFinite(std::string& out, long double v) {
  if (std::isnan(v)) {
    out += "NAN";
    return true;
  }
  if (std::isinf(v)) {
    out += v < 0 ? "-INF" : "INF";
    return true;
  }
  return false;
}

void AppendInt(std::string& out, long long v) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, res.ptr);
}

void AppendFloat(std::string& out, long double v, int significant) {
  if (AppendNonFinite(out, v)) return;
  Decimal x = ToDecimal(std::fabs(v));
  if (x.n == 0) {
    out += '0';
    return;
  }
  RoundTo(x, significant);
  if (v < 0) out += '-';
  const int e = x.exp;
  if (e >= -3 && e <= significant) {
    if (e <= 0) {
      out += "0.";
      out.append(std::size_t(-e), '0');
      out.append(x.d, std::size_t(x.n));
    } else {
      for (int i = 0; i < e; ++i) out += Digit(x, i);
      if (x.n > e) {
        out += '.';
        out.append(x.d + e, std::size_t(x.n - e));
      }
    }
    return;
  }
  out += x.d[0];
  if (x.n > 1) {
    out += '.';
    out.append(x.d + 1, std::size_t(x.n - 1));
  }
  out += 'E';
  AppendInt(out, e - 1);
}

void AppendFixed(std::string& out, long double v, int decimals) {
  if (AppendNonFinite(out, v)) return;
  decimals = std::max(decimals, 0);
  Decimal x = ToDecimal(std::fabs(v));
  RoundTo(x, x.exp + decimals);
  if (x.n > 0 && x.exp > 18) {
    AppendFloat(out, v, 18);
    return;
  }
  if (x.n > 0 && v < 0) out += '-';
  if (x.n == 0 || x.exp <= 0) {
    out += '0';
  } else {
    for (int i = 0; i < x.exp; ++i) out += Digit(x, i);
  }
  if (decimals > 0) {
    out += '.';
    const int first = x.n == 0 ? 0 : x.exp;
    for (int i = 0; i < decimals; ++i) out += x.n == 0 ? '0' : Digit(x, first + i);
  }
}

void AppendFixedField(std::string& out, long double v, int width, int decimals) {
  const std::size_t start = out.size();
  AppendFixed(out, v, decimals);
  const std::size_t len = out.size() - start;
  if (width > 0 && len < std::size_t(width)) out.insert(start, std::size_t(width) - len, ' ');
}

void AppendExp(std::string& out, long double v, int significant) {
  if (AppendNonFinite(out, v)) return;
  Decimal x = ToDecimal(std::fabs(v));
  if (x.n == 0) {
    out += "0.";
    out.append(std::size_t(significant - 1), '0');
    out += "E+000";
    return;
  }
  RoundTo(x, significant);
  if (v < 0) out += '-';
  out += x.d[0];
  out += '.';
  for (int i = 1; i < significant; ++i) out += Digit(x, i);
  const int e = x.exp - 1;
  out += e < 0 ? "E-" : "E+";
  const int a = e < 0 ? -e : e;
  if (a < 100) out += '0';
  if (a < 10) out += '0';
  AppendInt(out, a);
}

long long Rounded(double v) { return static_cast<long long>(std::nearbyint(v)); }

// The last n digits of the number in the given base (1 .. 16 digits of 1, 3 or 4 bits).
void AppendLastDigits(std::string& out, unsigned long long v, int n, int bits) {
  static const char hex[] = "0123456789ABCDEF";
  const unsigned long long mask = (1ull << bits) - 1;
  for (int i = n - 1; i >= 0; --i) out += hex[(v >> (i * bits)) & mask];
}

// The rounded value as a 64-bit integer in upper-case hexadecimal, only its last
// min(P, 8) digits (a negative value thus shows its low-order digits).
void AppendHex(std::string& out, double value, int precision) {
  AppendLastDigits(out, static_cast<unsigned long long>(Rounded(value)), std::clamp(precision, 0, 8), 4);
}

// The lowest min(P, 32) bits of the rounded value taken as an unsigned 32-bit number.
void AppendBin(std::string& out, double value, int precision) {
  AppendLastDigits(out, static_cast<quint32>(Rounded(value)), std::clamp(precision, 0, 32), 1);
}

// The lowest min(P, 11) octal digits of the rounded value as an unsigned 32-bit number.
void AppendOct(std::string& out, double value, int precision) {
  AppendLastDigits(out, static_cast<quint32>(Rounded(value)), std::clamp(precision, 0, 11), 3);
}

// Decimal, zero-padded to at least P digits after the sign.
void AppendZeroInt(std::string& out, double value, int precision) {
  const long long r = Rounded(value);
  if (r < 0) out += '-';
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, r < 0 ? -r : r);
  const int len = int(res.ptr - buf);
  if (precision > len) out.append(std::size_t(precision - len), '0');
  out.append(buf, res.ptr);
}

int DegDecimals(int precision) { return std::clamp(precision, 0, 8); }

// The nearest integer when the value lies within 3e-12 of it.
long double Snap(long double x) {
  const long double r = std::nearbyint(x);
  return std::fabs(x - r) < 3e-12L ? r : x;
}

long double Frac(long double x) { return x - std::trunc(x); }

constexpr char kDegree = '\xB0'; // Latin-1 degree sign

void AppendDegMin(std::string& out, double value, int precision, bool seconds) {
  const int d = DegDecimals(precision);
  const long double x = Snap(value);
  if (!std::isfinite(x)) {
    AppendNonFinite(out, x);
    return;
  }
  AppendFixedField(out, std::trunc(x), 1, 0);
  out += kDegree;
  out += ' ';
  if (!seconds) {
    AppendFixedField(out, Frac(std::fabs(x)) * 60, d + 3, d);
    out += '\'';
    return;
  }
  const long double m = Snap(Frac(std::fabs(x)) * 60);
  AppendFixedField(out, std::trunc(m), 2, 0);
  out += "' ";
  AppendFixedField(out, Frac(m) * 60, d + 3, d);
  out += '"';
}

void AppendEng(std::string& out, double value, int precision, bool noPoint) {
  const int a = std::clamp(noPoint ? -precision : precision, -9, 9);
  const int k = std::abs(a) >= 2 ? std::abs(a) - 1 : 0;
  const bool replacePoint = a <= -2;
  if (value == 0) {
    AppendFixed(out, 0, k);
    return;
  }
  if (AppendNonFinite(out, value)) return;
  const long double x = std::fabs(static_cast<long double>(value));
  const long double lg = std::log10(x);
  const int e = static_cast<int>(std::floor(lg));
  const int f = std::clamp(static_cast<int>(std::floor(lg / 3)), -6, 4);
  const int decimals = std::max(k + 3 * f - e, 0);
  // Multiplying by an exact power of ten keeps small values exact.
  const long double mantissa = f >= 0 ? x / std::pow(10.0L, 3 * f) : x * std::pow(10.0L, -3 * f);
  const std::size_t start = out.size();
  AppendFixed(out, mantissa, decimals);
  if (f != 0) {
    const char letter = "afpnum kMGT"[f + 6];
    const std::size_t point = replacePoint ? out.find('.', start) : std::string::npos;
    if (point != std::string::npos) out[point] = letter;
    else out += letter;
  }
  if (value < 0) out.insert(start, 1, '-');
}

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

} // namespace

QString FixedText(long double value, int decimals) {
  std::string s;
  AppendFixed(s, value, decimals);
  return Latin1(s);
}

QString FloatText(long double value, int significant) {
  std::string s;
  AppendFloat(s, value, std::max(significant, 1));
  return Latin1(s);
}

QString ExpText(long double value, int significant) {
  std::string s;
  AppendExp(s, value, std::max(significant, 1));
  return Latin1(s);
}

QString FixedField(long double value, int width, int decimals) {
  std::string s;
  AppendFixedField(s, value, width, decimals);
  return Latin1(s);
}

bool InHexRange(double value) { return value >= -2147483648.0 && value <= 4294967295.0; }

bool InZeroIntRange(double value) { return value >= -2147483648.0 && value <= 2147483647.0; }

bool InIntRange(double value) {
  const double r = std::nearbyint(value);
  return r >= -9223372036854775808.0 && r < 9223372036854775808.0;
}

QString HexText(double value, int precision) {
  std::string s;
  if (InHexRange(value)) AppendHex(s, value, precision);
  return Latin1(s);
}

QString BinText(double value, int precision) {
  std::string s;
  if (InHexRange(value)) AppendBin(s, value, precision);
  return Latin1(s);
}

QString OctText(double value, int precision) {
  std::string s;
  if (InHexRange(value)) AppendOct(s, value, precision);
  return Latin1(s);
}

QString ZeroIntText(double value, int precision) {
  std::string s;
  if (InZeroIntRange(value)) AppendZeroInt(s, value, precision);
  return Latin1(s);
}

QString IntText(double value) {
  std::string s;
  if (InIntRange(value)) AppendInt(s, Rounded(value));
  return Latin1(s);
}

QString DegText(double value, int precision) {
  std::string s;
  AppendFixed(s, value, DegDecimals(precision));
  s += kDegree;
  return Latin1(s);
}

QString DegMinText(double value, int precision) {
  std::string s;
  AppendDegMin(s, value, precision, false);
  return Latin1(s);
}

QString DegMinSecText(double value, int precision) {
  std::string s;
  AppendDegMin(s, value, precision, true);
  return Latin1(s);
}

QString EngText(double value, int precision, bool pointReplacement) {
  std::string s;
  AppendEng(s, value, precision, pointReplacement);
  return Latin1(s);
}

QString ValueText(double value, const TextSettings& settings) {
  const int P = std::clamp(settings.Precision, 0, 15);
  const int s = std::max(P, 2);
  const TDisplay type = settings.DisplayType;
  if (type == dtState) return settings.StateText;
  if (type == dtDateTime)
    return IsDateValue(value) ? FormatDateValue(settings.DTFormat, value) : settings.OverflowIndicator;

  // The text is built as Latin-1 bytes (short texts stay in the string's own buffer)
  // and turned into a QString once.
  std::string t;
  bool overflow = false;
  switch (type) {
  case dtFloat: AppendFloat(t, value, s); break;
  case dtFixP: AppendFixed(t, value, P); break;
  case dtExp: AppendExp(t, value, s); break;
  case dtHex:
    if (!InHexRange(value)) return settings.OverflowIndicator;
    AppendHex(t, value, P);
    return Latin1(t);
  case dtBin:
    if (!InHexRange(value)) return settings.OverflowIndicator;
    AppendBin(t, value, P);
    return Latin1(t);
  case dtOct:
    overflow = !InHexRange(value);
    if (!overflow) AppendOct(t, value, P);
    break;
  case dtZeroInt:
    overflow = !InZeroIntRange(value);
    if (!overflow) AppendZeroInt(t, value, P);
    break;
  case dtInt:
    overflow = !InIntRange(value);
    if (!overflow) AppendInt(t, Rounded(value));
    break;
  case dtDeg:
    AppendFixed(t, value, DegDecimals(P));
    t += kDegree;
    break;
  case dtDegMin: AppendDegMin(t, value, P, false); break;
  case dtDegMinSec: AppendDegMin(t, value, P, true); break;
  case dtEEng: AppendEng(t, value, P, false); break;
  case dtEEngNoDP: AppendEng(t, value, P, true); break;
  default: break;
  }

  // The decimal separator is the label's own choice, never the locale's.
  const bool plus = settings.ForcePlusSign && value > 0;
  if (overflow) {
    QString text = settings.OverflowIndicator;
    if (settings.Comma) text.replace(QLatin1Char('.'), QLatin1Char(','));
    else text.replace(QLatin1Char(','), QLatin1Char('.'));
    if (plus) text.prepend(QLatin1Char('+'));
    return text;
  }
  if (settings.Comma) std::replace(t.begin(), t.end(), '.', ',');
  else std::replace(t.begin(), t.end(), ',', '.');
  if (plus) t.insert(t.begin(), '+');
  return Latin1(t);
}

} // namespace NumLab
