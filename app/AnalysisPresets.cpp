#include "AnalysisPresets.h"

#include <algorithm>
#include <cmath>

namespace {

// R_crit = 2 sqrt(L/C) in Ohm for the positions (hundredths of nF and uH).
double CriticalOhm(const Rlc::Positions& p) { return 2 * std::sqrt(p.L * 1e-8 / (p.C * 1e-11)); }

// Makes R_crit * factor reachable by the R bar (at most 100 Ohm): C up, then L down.
void MakeReachable(TPresetResult& r, double factor) {
  const double limit = Rlc::RangeR.Max / 100.0 / factor; // the largest R_crit allowed
  Rlc::Positions& p = r.Positions;
  if (CriticalOhm(p) <= limit) return;
  // C >= 4 L / limit^2, in hundredths of nF: C_pos = 4 * L_pos * 1e-8 / limit^2 / 1e-11.
  const int c = int(std::ceil(4 * p.L * 1e3 / (limit * limit)));
  r.MovedC = true;
  p.C = std::min(std::max(c, p.C), Rlc::RangeC.Max);
  if (CriticalOhm(p) <= limit) return;
  r.MovedL = true;
  p.L = std::max(Rlc::RangeL.Min, int(std::floor(limit * limit * p.C * 1e-3 / 4)));
}

// An R position of p's C and L at which the regime is critical, or -1.
int CriticalR(const Rlc::Positions& p) {
  const int near = int(std::lround(CriticalOhm(p) * 100));
  for (int d = 0; d <= 2; ++d)
    for (int r : {near - d, near + d}) {
      if (!Rlc::RangeR.Contains(r)) continue;
      if (Rlc::RegimeOf(Rlc::DampingAt({r, p.C, p.L})) == Rlc::Regime::Critical) return r;
    }
  return -1;
}

void Critical(TPresetResult& r) {
  MakeReachable(r, 1);
  Rlc::Positions& p = r.Positions;
  // Exact equality of delta and omega0 needs a fitting pair of C and L: the nearest L first.
  for (int d = 0; d <= Rlc::RangeL.Max - Rlc::RangeL.Min; ++d)
    for (int l : {p.L - d, p.L + d}) {
      if (!Rlc::RangeL.Contains(l)) continue;
      const Rlc::Positions q{0, p.C, l};
      if (CriticalOhm(q) > Rlc::RangeR.Max / 100.0) continue;
      const int rPos = CriticalR(q);
      if (rPos < 0) continue;
      r.MovedL = r.MovedL || l != p.L;
      p = {rPos, p.C, l};
      return;
    }
  p.R = std::clamp(int(std::lround(CriticalOhm(p) * 100)), Rlc::RangeR.Min, Rlc::RangeR.Max);
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
