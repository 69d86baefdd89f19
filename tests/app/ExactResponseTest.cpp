// The exact response of every damping regime: its closed forms against an
// independent extended-precision evaluation, its continuity across the critical
// damping, its bound, and the window's curve when it is switched on.
#include "ChartExtras.h"
#include "ExactResponse.h"
#include "SettingsScope.h"
#include "TForm1.h"
#include "TRChart.h"

#include <QAction>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using ExactResponse::Samples;

std::vector<double> Exact(double delta, double omega0) {
  std::vector<double> y(Samples);
  ExactResponse::Evaluate(delta, omega0, y.data());
  return y;
}

// Each regime's textbook form, every step in extended precision, with omega and s
// formed as (omega0 - delta)(omega0 + delta) so that they stay exact near the edge.
long double Reference(double delta, double omega0, int i) {
  const long double t = i * 1e-9L, d = delta, w0 = omega0;
  if (d < w0) {
    const long double w = std::sqrt((w0 - d) * (w0 + d));
    return w0 / w * std::exp(-d * t) * std::sin(w * t);
  }
  if (d == w0) return w0 * t * std::exp(-d * t);
  const long double s = std::sqrt((d - w0) * (d + w0));
  return w0 / s * std::exp(-d * t) * std::sinh(s * t);
}

double MaxAbs(const std::vector<double>& y) {
  double m = 0;
  for (double v : y) m = std::max(m, std::fabs(v));
  return m;
}

struct Case {
  const char* name;
  double delta, omega0;
};

class ExactForms : public ::testing::TestWithParam<Case> {};

TEST_P(ExactForms, MatchExtendedPrecisionWithinAPicoOfTheAmplitude) {
  const Case c = GetParam();
  const std::vector<double> y = Exact(c.delta, c.omega0);
  long double amplitude = 0;
  std::vector<long double> ref(Samples);
  for (int i = 0; i < Samples; ++i) {
    ref[size_t(i)] = Reference(c.delta, c.omega0, i);
    amplitude = std::max(amplitude, std::fabs(ref[size_t(i)]));
  }
  ASSERT_GT(amplitude, 0) << c.name;
  EXPECT_EQ(y[0], 0.0) << c.name;
  double worst = 0;
  int worstAt = 0;
  for (int i = 0; i < Samples; ++i) {
    ASSERT_TRUE(std::isfinite(y[size_t(i)])) << c.name << " sample " << i;
    const double err = double(std::fabs(y[size_t(i)] - ref[size_t(i)]));
    if (err > worst) worst = err, worstAt = i;
  }
  EXPECT_LE(worst, 1e-12 * double(amplitude)) << c.name << ", worst at sample " << worstAt;
  EXPECT_LE(MaxAbs(y), 1.0) << c.name;
}

// delta and omega0 of the scroll-bar positions (hundredths of Ohm, nF, uH).
Case FromPositions(const char* name, int r, int c, int l) {
  const long double R = r / 100.0L, C = c / 100.0L * 1e-9L, L = l / 100.0L * 1e-6L;
  return {name, double(R / L / 2), double(1 / std::sqrt(L * C))};
}

INSTANTIATE_TEST_SUITE_P(
    EveryRegime, ExactForms,
    ::testing::Values(FromPositions("designed", 470, 220, 1000), FromPositions("undamped", 0, 220, 1000),
                      FromPositions("fastest", 0, 10, 10), FromPositions("slowest", 0, 5000, 5000),
                      FromPositions("strongly damped", 10000, 10, 5000),
                      FromPositions("below critical", 282, 5000, 10), FromPositions("above critical", 283, 5000, 10),
                      FromPositions("aperiodic corner", 10000, 10, 10),
                      FromPositions("aperiodic slow", 10000, 5000, 5000),
                      Case{"one ulp below", std::nextafter(1e7, 0.0), 1e7}, Case{"critical", 1e7, 1e7},
                      Case{"one ulp above", std::nextafter(1e7, 2e7), 1e7},
                      Case{"1e-9 below", 1e7 * (1 - 1e-9), 1e7}, Case{"1e-9 above", 1e7 * (1 + 1e-9), 1e7},
                      Case{"1e-3 above", 1e7 * (1 + 1e-3), 1e7}, Case{"heavily aperiodic", 5e8, 3.1622776601683795e8},
                      Case{"critical, fast", 3.1622776601683795e8, 3.1622776601683795e8}),
    [](const ::testing::TestParamInfo<Case>& info) {
      std::string name = info.param.name;
      std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
      return name;
    });

TEST(ExactResponse, IsContinuousAcrossCriticalDamping) {
  const double omega0 = 6.742e6;
  const std::vector<double> at = Exact(omega0, omega0);
  for (double eps : {1e-15, 1e-12, 1e-9, 1e-6}) {
    const std::vector<double> below = Exact(omega0 * (1 - eps), omega0);
    const std::vector<double> above = Exact(omega0 * (1 + eps), omega0);
    double gapBelow = 0, gapAbove = 0;
    for (int i = 0; i < Samples; ++i) {
      gapBelow = std::max(gapBelow, std::fabs(below[size_t(i)] - at[size_t(i)]));
      gapAbove = std::max(gapAbove, std::fabs(above[size_t(i)] - at[size_t(i)]));
    }
    // The response moves smoothly with delta: by about eps times its size.
    EXPECT_LE(gapBelow, 10 * eps + 1e-14) << eps;
    EXPECT_LE(gapAbove, 10 * eps + 1e-14) << eps;
  }
  EXPECT_EQ(ExactResponse::RegimeOf(std::nextafter(omega0, 0.0), omega0), ExactResponse::Regime::Oscillating);
  EXPECT_EQ(ExactResponse::RegimeOf(omega0, omega0), ExactResponse::Regime::Critical);
  EXPECT_EQ(ExactResponse::RegimeOf(std::nextafter(omega0, 1e9), omega0), ExactResponse::Regime::Aperiodic);
}

TEST(ExactResponse, StaysWithinOneOverTheWholeValueRange) {
  double largest = 0;
  for (int r : {0, 1, 100, 1000, 5000, 10000})
    for (int c : {10, 100, 1000, 5000})
      for (int l : {10, 100, 1000, 5000}) {
        const Case k = FromPositions("", r, c, l);
        const double m = MaxAbs(Exact(k.delta, k.omega0));
        EXPECT_LE(m, 1.0) << r << " " << c << " " << l;
        largest = std::max(largest, m);
      }
  EXPECT_GT(largest, 0.99); // the undamped sine reaches its amplitude
}

TEST(ExactResponse, TheWindowDrawsItWhenSwitchedOnAndTheDesignedCurveOtherwise) {
  TSettingsScope settings; // the item stores the choice
  TForm1 form;
  form.SBarR->setValue(10000);
  form.SBarC->setValue(10);
  form.SBarL->setValue(10);
  form.CalcResponse();
  double designedPeak = 0;
  for (int i = 0; i < Samples; ++i) designedPeak = std::max(designedPeak, std::fabs(form.RCResponse->Item(i).Y));
  EXPECT_GT(designedPeak, 1e7); // the designed computation leaves the view

  form.Extras->ExactResponseItem->trigger(); // recomputes
  ASSERT_TRUE(form.Extras->ExactResponse());
  const Case k = FromPositions("", 10000, 10, 10);
  const std::vector<double> y = Exact(k.delta, k.omega0);
  ASSERT_EQ(form.RCResponse->ItemCount(), Samples);
  for (int i = 0; i < Samples; ++i) {
    ASSERT_EQ(form.RCResponse->Item(i).Y, y[size_t(i)]) << i;
    ASSERT_EQ(form.RCResponse->Item(i).X, double(i * 0.001L)) << i;
  }
  form.Extras->ExactResponseItem->trigger();
  EXPECT_NEAR(form.RCResponse->Item(2).Y, 7.36e7, 0.01e7);
}

} // namespace
