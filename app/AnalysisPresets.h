#pragma once
// The analysis window's presets: scroll-bar positions that put the circuit into a
// chosen damping regime. R alone sets the regime where it can; where the critical
// resistance 2 sqrt(L/C) lies beyond the R bar's 100 Ohm, C is raised (and, if
// that is not enough, L lowered) until the regime can be reached.
#include "Circuit.h"

enum class TAnalysisPreset { Undamped, Ringing, Critical, Overdamped };
constexpr int AnalysisPresetCount = 4;

struct TPresetResult {
  Rlc::Positions Positions;
  bool MovedC = false, MovedL = false; // which of C and L had to change
};

// The positions for the preset, starting from now. The regime of the result by
// Rlc::QuantitiesAt is the one asked (critical: delta and omega0 equal as stored;
// where no R position of the present C and L gives that, the nearest L that has one).
TPresetResult PresetPositions(TAnalysisPreset preset, const Rlc::Positions& now);
