#include "CurveSound.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>

namespace {

double Finite(double v) { return std::isfinite(v) ? v : 0; }

int Sign(double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// Linear interpolation of the samples at the fractional index at.
double At(const double* y, int count, double at) {
  const int i = std::clamp(int(at), 0, count - 1);
  const int j = std::min(i + 1, count - 1);
  const double f = std::clamp(at - i, 0.0, 1.0);
  return Finite(y[i]) * (1 - f) + Finite(y[j]) * f;
}

} // namespace

std::vector<int> ZeroCrossings(const double* y, int count) {
  std::vector<int> crossings;
  int last = 0; // the sign before the current run of zeros
  for (int i = 0; i < count; ++i) {
    const int s = Sign(Finite(y[i]));
    if (s == 0) continue;
    if (last != 0 && s != last) {
      // Across a run of zeros the crossing is at its first zero; else at this sample.
      int at = i;
      while (at > 0 && Sign(Finite(y[at - 1])) == 0) --at;
      crossings.push_back(at);
    }
    last = s;
  }
  return crossings;
}

std::vector<double> Envelope(const double* y, int count) {
  std::vector<double> env(size_t(std::max(count, 0)), 0.0);
  if (count <= 0) return env;
  const int half = std::max(1, count / 30);
  // Sliding maximum of |y| over [i - half, i + half], with a monotone queue.
  std::deque<int> window;
  double peak = 0;
  for (int k = 0; k < count + half; ++k) {
    if (k < count) {
      const double a = std::fabs(Finite(y[k]));
      peak = std::max(peak, a);
      while (!window.empty() && std::fabs(Finite(y[window.back()])) <= a) window.pop_back();
      window.push_back(k);
    }
    const int i = k - half;
    if (i < 0) continue;
    while (window.front() < i - half) window.pop_front();
    env[size_t(i)] = std::fabs(Finite(y[window.front()]));
  }
  if (peak > 0)
    for (double& e : env) e /= peak;
  return env;
}

int SoundFrame(int i, int count, const TCurveSoundParams& params) {
  const int frames = std::max(0, int(std::lround(params.Seconds * params.SampleRate)));
  if (count < 2 || frames == 0) return 0;
  return std::clamp(int(std::lround(double(i) / (count - 1) * (frames - 1))), 0, frames - 1);
}

std::vector<int16_t> SynthesizeCurve(const double* y, int count, double low, double high,
                                     const TCurveSoundParams& params) {
  const int frames = std::max(0, int(std::lround(std::clamp(params.Seconds, 0.0, 600.0) * params.SampleRate)));
  std::vector<double> out(size_t(frames), 0.0);
  if (count >= 2 && frames >= 2 && std::isfinite(low) && std::isfinite(high) && high > low) {
    const std::vector<double> env = Envelope(y, count);
    const double rate = params.SampleRate;
    double phase = 0;
    for (int f = 0; f < frames; ++f) {
      const double at = double(f) / (frames - 1) * (count - 1);
      const double v = std::clamp((At(y, count, at) - low) / (high - low), 0.0, 1.0);
      const double hz = params.LowHz * std::exp2(params.Octaves * v);
      phase += 2 * std::numbers::pi * hz / rate;
      if (phase > 2 * std::numbers::pi) phase -= 2 * std::numbers::pi;
      const int i = std::clamp(int(at), 0, count - 1);
      const double fade = std::min({1.0, f / (params.FadeSeconds * rate + 1), (frames - 1 - f) / (params.FadeSeconds * rate + 1)});
      out[size_t(f)] = params.ToneLevel * env[size_t(i)] * fade * std::sin(phase);
    }
    // A tick: a short burst at TickHz that dies away, added at each crossing.
    const int tickFrames = std::max(1, int(params.TickSeconds * rate));
    for (int c : ZeroCrossings(y, count)) {
      const int start = SoundFrame(c, count, params);
      for (int k = 0; k < tickFrames && start + k < frames; ++k) {
        const double t = k / rate;
        out[size_t(start + k)] += params.TickLevel * std::exp(-5.0 * k / tickFrames) *
                                  std::sin(2 * std::numbers::pi * params.TickHz * t);
      }
    }
  }
  // Never beyond full scale: the whole sound is scaled down when a tick meets a loud tone.
  double peak = 0;
  for (double v : out) peak = std::max(peak, std::fabs(v));
  const double gain = peak > 0.98 ? 0.98 / peak : 1.0;
  std::vector<int16_t> pcm(out.size());
  for (size_t k = 0; k < out.size(); ++k)
    pcm[k] = int16_t(std::clamp(std::lround(out[k] * gain * 32767), -32767L, 32767L));
  return pcm;
}
