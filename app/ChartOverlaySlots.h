#pragma once
// Which feature owns which of the chart's numbered overlays: its crosshairs
// (1 .. NumCrossHairs) and text labels (1 .. NumTextLabels). A feature uses only
// the numbers listed for it here; a new feature takes free numbers here first.
#include "TRChart.h"

namespace ChartOverlaySlots {

// Crosshairs. 3 and 4 are free.
constexpr int MeasureSampleCrossHair = 1;    // the measuring cursor on the nearest sample
constexpr int MeasureReferenceCrossHair = 2; // the measuring cursor's reference, set by a click

// Text labels. 1 .. 24 are free.
constexpr int MeasureReadoutLabel = 25;      // the measuring readout, bottom left
constexpr int KeptCurvesFirstLegendLabel = 26; // the kept curves' legend, one label per curve
constexpr int KeptCurvesLegendLabels = 4;
constexpr int CircuitDataLabel = 30;         // the circuit data readout, top right

static_assert(MeasureSampleCrossHair != MeasureReferenceCrossHair);
static_assert(MeasureReferenceCrossHair <= TCustomRChart::NumCrossHairs);
static_assert(MeasureReadoutLabel < KeptCurvesFirstLegendLabel);
static_assert(KeptCurvesFirstLegendLabel + KeptCurvesLegendLabels <= CircuitDataLabel);
static_assert(CircuitDataLabel <= TCustomRChart::NumTextLabels);

} // namespace ChartOverlaySlots
