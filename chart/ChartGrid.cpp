#include "ChartGrid.h"
#include <cmath>

namespace ChartGrid {
namespace {

// The grid rules round halves to even and derive ceiling and floor from that.
double RoundEven(double v) { return std::nearbyint(v); }
double CeilR(double v) {
  const double r = RoundEven(v);
  return r < v ? r + 1 : r;
}
double FloorR(double v) {
  const double r = RoundEven(v);
  return r > v ? r - 1 : r;
}
double Log10(double v) { return std::log(v) / std::log(10.0); }
double Pow10(double k) { return std::pow(10.0, k); }

// The decade exponent k and the rounded leading digit m of a value (from log10 t).
void DecadeAndDigit(double t, double& k, double& m) {
  k = FloorR(t);
  m = RoundEven(Pow10(t - k));
}

bool LinearStep(double step, bool logarithmic) { return step > 0 || (step != 0 && !logarithmic); }

} // namespace

double FirstValue(double lo, double step, bool logarithmic) {
  double k, m;
  if (LinearStep(step, logarithmic)) return CeilR(lo / step) * step;
  if (step == -1) return Pow10(CeilR(Log10(lo)));
  if (step == -2) {
    DecadeAndDigit(Log10(lo), k, m);
    return Pow10(k) * (m <= 2 ? 2 : m <= 5 ? 5 : 10);
  }
  if (step == -3) {
    DecadeAndDigit(Log10(lo), k, m);
    return Pow10(k) * m;
  }
  return lo;
}

double NextValue(double v, double step, bool logarithmic) {
  if (LinearStep(step, logarithmic)) return v + std::fabs(step);
  if (step == -1) return v * 10;
  double t = Log10(v);
  if (std::fabs(t - RoundEven(t)) < 1e-14) t = RoundEven(t);
  double k, m;
  DecadeAndDigit(t, k, m);
  if (step == -2) // 1, 2, 5 steps; any other digit goes on to the next decade
    return Pow10(k) * (m <= 1 ? 2 : m <= 2 ? 5 : 10);
  return Pow10(k) * (m + 1);
}

Lines LinesOf(ChartTypes::GridStyleType s) {
  using namespace ChartTypes;
  Lines l;
  l.vertical = s == gsVertLines || s == gsLines || s == gsVertDotLines || s == gsDotLines;
  l.horizontal = s == gsHorizLines || s == gsLines || s == gsHorizDotLines || s == gsDotLines;
  l.dotted = s == gsHorizDotLines || s == gsVertDotLines || s == gsDotLines;
  return l;
}

} // namespace ChartGrid
