// The response samples against a direct evaluation of the damped oscillation in
// extended precision, over the corners and the critical edge of the value range.
#include "TForm1.h"
#include "TRChart.h"

#include <QScrollBar>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// y_i = (w0^2 / w^2) e^(-delta t) sin(w t), every step in extended precision.
std::vector<double> DirectResponse(int posR, int posC, int posL) {
  const long double R = posR, C = posC, L = posL;
  const double delta = double((R / 100) / ((L / 100) * 1e-6L) / 2);
  const double omega0 = double(1 / std::sqrt((L / 100) * 1e-6L * C / 100 * 1e-9L));
  const long double omega0Sq = (long double)omega0 * omega0;
  const double omega = delta < omega0 ? double(std::sqrt(omega0Sq - (long double)delta * delta)) : 1.0;
  const long double gain = omega0Sq / ((long double)omega * omega);
  std::vector<double> y(10001);
  for (int i = 0; i <= 10000; ++i) {
    const long double t = i * 1e-9L;
    y[size_t(i)] = double(gain * std::exp(-delta * t) * std::sin(omega * t));
  }
  return y;
}

struct Positions {
  int r, c, l;
};

class ResponseAccuracy : public ::testing::TestWithParam<Positions> {};

TEST_P(ResponseAccuracy, SamplesMatchTheDirectFormulaWithinAPicoOfTheAmplitude) {
  const Positions p = GetParam();
  TForm1 form;
  form.SBarR->setValue(p.r);
  form.SBarC->setValue(p.c);
  form.SBarL->setValue(p.l);
  form.CalcResponse();
  const TRChart* chart = form.RCResponse;
  ASSERT_EQ(chart->ItemCount(), 10001);

  const std::vector<double> direct = DirectResponse(p.r, p.c, p.l);
  double amplitude = 0;
  for (double v : direct) amplitude = std::max(amplitude, std::fabs(v));
  ASSERT_GT(amplitude, 0);
  EXPECT_EQ(chart->Item(0).Y, 0.0); // every curve starts at the origin
  double worst = 0;
  int worstAt = 0;
  for (int i = 0; i <= 10000; ++i) {
    const TDisplayItem& it = chart->Item(i);
    ASSERT_TRUE(std::isfinite(it.Y)) << "sample " << i;
    ASSERT_EQ(it.X, double(i * 0.001L)) << "sample " << i;
    const double err = std::fabs(it.Y - direct[size_t(i)]);
    if (err > worst) {
      worst = err;
      worstAt = i;
    }
  }
  EXPECT_LE(worst, 1e-12 * amplitude) << "worst at sample " << worstAt;
}

INSTANTIATE_TEST_SUITE_P(
    AcrossTheValueRange, ResponseAccuracy,
    ::testing::Values(Positions{470, 220, 1000},   // designed values
                      Positions{0, 220, 1000},     // undamped
                      Positions{0, 10, 10},        // undamped, highest frequency (3162 rad at 10 us)
                      Positions{0, 5000, 5000},    // undamped, lowest frequency
                      Positions{10000, 10, 10},    // aperiodic, peak near 7.4e7
                      Positions{10000, 5000, 5000},
                      Positions{282, 5000, 10},    // just below critical damping: tiny omega
                      Positions{283, 5000, 10},    // just above: omega = 1
                      Positions{10000, 10, 5000},  // strongly damped oscillation
                      Positions{1, 10, 10}));

} // namespace
