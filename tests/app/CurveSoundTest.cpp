// The curve as sound: its length, the pitch following the value, the ticks at
// the zero crossings, the loudness following the envelope, and never clipping.
#include "CurveSound.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// Sign changes of the frames first .. last - 1: twice the tone's frequency times the time.
int SignChanges(const std::vector<int16_t>& pcm, int first, int last) {
  int changes = 0;
  for (int k = first + 1; k < last; ++k)
    if ((pcm[size_t(k)] >= 0) != (pcm[size_t(k - 1)] >= 0)) ++changes;
  return changes;
}

double Rms(const std::vector<int16_t>& pcm, int first, int last) {
  double sum = 0;
  for (int k = first; k < last; ++k) sum += double(pcm[size_t(k)]) * pcm[size_t(k)];
  return std::sqrt(sum / (last - first));
}

std::vector<double> Damped(int n, double periods, double decay) {
  std::vector<double> y(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double t = double(i) / (n - 1);
    y[size_t(i)] = std::exp(-decay * t) * std::sin(2 * std::numbers::pi * periods * t);
  }
  return y;
}

TEST(CurveSound, LengthIsTheChosenDurationWhateverTheNumberOfSamples) {
  TCurveSoundParams p;
  for (int n : {2, 11, 10001}) {
    const std::vector<double> y = Damped(n, 3, 1);
    EXPECT_EQ(SynthesizeCurve(y.data(), n, -1, 1, p).size(), size_t(3 * 22050)) << n;
  }
  p.Seconds = 1.5;
  const std::vector<double> y = Damped(500, 3, 1);
  EXPECT_EQ(SynthesizeCurve(y.data(), 500, -1, 1, p).size(), size_t(33075));
  // Nothing to hear: too few samples, or no range.
  const std::vector<int16_t> silent = SynthesizeCurve(y.data(), 1, -1, 1);
  EXPECT_EQ(silent.size(), size_t(3 * 22050));
  for (int16_t v : silent) ASSERT_EQ(v, 0);
  for (int16_t v : SynthesizeCurve(y.data(), 500, 1, 1)) ASSERT_EQ(v, 0);
  for (int16_t v : SynthesizeCurve(y.data(), 500, 0, std::numeric_limits<double>::quiet_NaN())) ASSERT_EQ(v, 0);
}

TEST(CurveSound, PitchRisesWithTheValueOverTwoOctaves) {
  TCurveSoundParams p;
  p.TickLevel = 0;
  p.Seconds = 1;
  const int frames = p.SampleRate;
  auto pitch = [&](double value) {
    const std::vector<double> y(100, value);
    const std::vector<int16_t> pcm = SynthesizeCurve(y.data(), 100, -1, 3, p);
    return SignChanges(pcm, frames / 10, frames * 9 / 10) / 2.0 / 0.8; // Hz
  };
  // (A curve resting at 0 is silent: its envelope is 0. So the range here is -1 .. 3.)
  EXPECT_NEAR(pitch(-1), 220, 3);
  EXPECT_NEAR(pitch(1), 440, 3);
  EXPECT_NEAR(pitch(3), 880, 3);
  EXPECT_NEAR(pitch(9), 880, 3); // held at the end of the range
  EXPECT_NEAR(pitch(-5), 220, 3);
  // A rising ramp: the second half sounds higher than the first.
  std::vector<double> ramp(1000);
  for (int i = 0; i < 1000; ++i) ramp[size_t(i)] = -1 + 2.0 * i / 999;
  p.Seconds = 2;
  const std::vector<int16_t> pcm = SynthesizeCurve(ramp.data(), 1000, -1, 1, p);
  EXPECT_GT(SignChanges(pcm, p.SampleRate, 2 * p.SampleRate), 1.5 * SignChanges(pcm, 0, p.SampleRate));
}

TEST(CurveSound, TicksSoundExactlyAtTheZeroCrossings) {
  const int n = 3001;
  const std::vector<double> y = Damped(n, 3, 0); // crossings at 1/6, 2/6, ... 5/6 of the time
  const std::vector<int> crossings = ZeroCrossings(y.data(), n);
  ASSERT_EQ(crossings.size(), 5u);
  for (size_t k = 0; k < crossings.size(); ++k) EXPECT_NEAR(crossings[k], (k + 1) * 500, 1);

  TCurveSoundParams p;
  p.ToneLevel = 0; // ticks only
  const std::vector<int16_t> pcm = SynthesizeCurve(y.data(), n, -1, 1, p);
  const int tick = int(p.TickSeconds * p.SampleRate);
  std::vector<bool> inTick(pcm.size(), false);
  for (int c : crossings) {
    const int start = SoundFrame(c, n, p);
    EXPECT_GT(Rms(pcm, start, start + tick), 1000) << c;
    for (int k = start; k < start + tick; ++k) inTick[size_t(k)] = true;
  }
  for (size_t k = 0; k < pcm.size(); ++k) ASSERT_TRUE(inTick[k] || pcm[k] == 0) << k;

  // Runs of exact zeros count once; touching zero without a change of sign does not count.
  const double touching[] = {0, 1, 0, 0, -1, -2, 0, -1, 2};
  EXPECT_EQ(ZeroCrossings(touching, 9), (std::vector<int>{2, 8}));
}

TEST(CurveSound, LoudnessFollowsTheEnvelope) {
  const int n = 10001;
  const std::vector<double> y = Damped(n, 10, 4); // e^-4 at the end
  const std::vector<double> env = Envelope(y.data(), n);
  EXPECT_NEAR(*std::max_element(env.begin(), env.end()), 1, 1e-12);
  EXPECT_LT(env[size_t(n - 1)], 0.05);
  TCurveSoundParams p;
  p.TickLevel = 0;
  const std::vector<int16_t> pcm = SynthesizeCurve(y.data(), n, -1, 1, p);
  const int q = int(pcm.size()) / 4;
  EXPECT_GT(Rms(pcm, 0, q), 4 * Rms(pcm, 3 * q, 4 * q));
  // An undamped curve keeps its loudness.
  const std::vector<double> flat = Damped(n, 10, 0);
  const std::vector<int16_t> steady = SynthesizeCurve(flat.data(), n, -1, 1, p);
  EXPECT_NEAR(Rms(steady, q, 2 * q) / Rms(steady, 2 * q, 3 * q), 1, 0.15);
}

TEST(CurveSound, NeverClipsWhateverTheSamples) {
  TCurveSoundParams p;
  p.ToneLevel = 1;
  p.TickLevel = 1; // a tick on a full tone would pass full scale: the sound is scaled down
  const double inf = std::numeric_limits<double>::infinity();
  const double y[] = {0, 1e300, -1e300, std::nan(""), inf, -inf, 7.36e7, -3, 3, 0, -1, 1};
  for (const std::vector<int16_t>& pcm :
       {SynthesizeCurve(y, 12, -1.1, 1.1, p), SynthesizeCurve(y, 12, -1e308, 1e308, p)}) {
    int peak = 0;
    for (int16_t v : pcm) peak = std::max(peak, std::abs(int(v)));
    EXPECT_LE(peak, int(0.98 * 32767) + 1);
    EXPECT_GT(peak, 0);
  }
  // The start and the end fade, so the sound starts and ends without a click.
  const std::vector<double> loud(50, 1.0);
  const std::vector<int16_t> pcm = SynthesizeCurve(loud.data(), 50, -1, 1, p);
  EXPECT_LT(std::abs(int(pcm.front())), 100);
  EXPECT_LT(std::abs(int(pcm.back())), 100);
}

} // namespace
