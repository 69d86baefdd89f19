#include "AnalysisPresets.h"

#include <algorithm>
#include <cmath>

namespace {

// R_crit = 2 sqrt(L/C) in Ohm for the positions (hundredths of nF and uH).
double CriticalOhm(const Rlc::Positions& p) { return 2 * std::sqrt(p.L * 1e-8 / (p.C * 1e-11)); }

// Whether the R bar has a step within half a step of R_crit * factor.
bool Reachable(const Rlc::Positions& p, double factor) {
  return std::lround(CriticalOhm(p) * factor * 100) <= Rlc::RangeR.Max;
}

// Makes R_crit * factor reachable by the R bar with the least change: C up to the
// smallest position that does it; only where C's largest is not enough, L down as well.
void MakeReachable(TPresetResult& r, double factor) {
  Rlc::Positions& p = r.Positions;
  if (Reachable(p, factor)) return;
  r.MovedC = true;
  // R_crit = 2 sqrt(1000 L/C) Ohm for the positions: C >= 4000 L (factor/R_max)^2, give or take rounding.
  const double limit = Rlc::RangeR.Max / 100.0 / factor;
  p.C = std::clamp(int(std::ceil(4000.0 * p.L / (limit * limit))) - 1, p.C, Rlc::RangeC.Max);
  while (!Reachable(p, factor) && p.C < Rlc::RangeC.Max) ++p.C;
  if (Reachable(p, factor)) return;
  r.MovedL = true;
  p.L = std::max(Rlc::RangeL.Min, int(std::floor(limit * limit * p.C / 4000.0)) + 1);
  while (!Reachable(p, factor) && p.L > Rlc::RangeL.Min) --p.L;
}

// C and L stay wherever the R bar reaches R_crit. R is the step below or above R_crit
// that makes the regime critical as the model decides it (delta equal to omega0) where
// one does; else the nearest step, which leaves the circuit just under- or overdamped.
void Critical(TPresetResult& r) {
  MakeReachable(r, 1);
  Rlc::Positions& p = r.Positions;
  const double at = CriticalOhm(p) * 100;
  const int nearest = std::clamp(int(std::lround(at)), Rlc::RangeR.Min, Rlc::RangeR.Max);
  p.R = nearest;
  for (int step : {nearest, int(std::floor(at)), int(std::ceil(at))}) {
    if (!Rlc::RangeR.Contains(step)) continue;
    if (Rlc::RegimeOf(Rlc::DampingAt({step, p.C, p.L})) == Rlc::Regime::Critical) {
      p.R = step;
      return;
    }
  }
}

} // namespace

TPresetResult PresetPositions(TAnalysisPreset preset, const Rlc::Positions& now) {
  TPresetResult r{now};
  Rlc::Positions& p = r.Positions;
  switch (preset) {
  case TAnalysisPreset::Undamped: p.R = 0; break;
  case TAnalysisPreset::Ringing: // a tenth of the critical resistance: many visible periods
    p.R = std::clamp(int(std::lround(CriticalOhm(p) * 10)), 1, Rlc::RangeR.Max);
    break;
  case TAnalysisPreset::Critical: Critical(r); break;
  case TAnalysisPreset::Overdamped: // twice the critical resistance
    MakeReachable(r, 2);
    p.R = std::clamp(int(std::lround(CriticalOhm(p) * 200)), 1, Rlc::RangeR.Max);
    break;
  }
  return r;
}
