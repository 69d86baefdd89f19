#pragma once
// The analysis window's presets: scroll-bar positions that put the circuit into a
// chosen damping regime. R alone sets the regime where it can; where the critical
// resistance 2 sqrt(L/C) lies beyond the R bar's 100 Ohm, C is raised as little as
// needed (and, if its largest is not enough, L lowered) until the regime can be reached.
#include "Circuit.h"

enum class TAnalysisPreset { Undamped, Ringing, Critical, Overdamped };
constexpr int AnalysisPresetCount = 4;

struct TPresetResult {
  Rlc::Positions Positions;
  bool MovedC = false, MovedL = false; // which of C and L had to change
};

// The positions for the preset, starting from now. The regime of the result by
// Rlc::QuantitiesAt is the one asked, except for critical damping: R is then the step
// of the R bar nearest to R_crit, critical where a step makes delta and omega0 equal
// as stored, else just under- or overdamped (the 0.01 Ohm steps miss R_crit).
TPresetResult PresetPositions(TAnalysisPreset preset, const Rlc::Positions& now);
