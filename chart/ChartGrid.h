#pragma once
// The arithmetic of the chart's grid: where the lines of a step rule lie and which
// lines a grid style draws. The rules move upwards from the low end of a range:
//   step > 0                 every step;
//   step < 0, linear axis    every |step|;
//   -1 (logarithmic axis)    every decade;
//   -2 (logarithmic axis)    1, 2, 5 in every decade;
//   -3 (logarithmic axis)    every leading digit.
// Step 0 (at the axis's ticks) is the chart's, which knows the ticks.
#include "ChartTypes.h"

namespace ChartGrid {

// The first grid value at or above lo of a rule (step not 0).
double FirstValue(double lo, double step, bool logarithmic);
// The grid value after v of a rule (step not 0).
double NextValue(double v, double step, bool logarithmic);

// The lines of a grid style (gsPoints draws points at the crossings instead).
struct Lines {
  bool vertical = false, horizontal = false, dotted = false;
};
Lines LinesOf(ChartTypes::GridStyleType style);

} // namespace ChartGrid
