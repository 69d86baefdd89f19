#pragma once
// The live response curve as the chart shows it: the display items from item 0
// (the move-to of sample 0) up to the next move-to or the end of the list.
// CalcResponse appends the live curve first, so curves added after it are not
// part of it. Sample i is item i: X is the time in usec, Y the value.
#include <vector>

class TCustomRChart;

struct TCurveSamples {
  std::vector<double> T; // usec
  std::vector<double> Y;
};

// The number of samples of the live curve (0 for an empty chart).
int LiveCurveLength(const TCustomRChart& chart);

// The live curve's samples, copied out of the chart.
TCurveSamples LiveCurve(const TCustomRChart& chart);

// The sample of the first count items whose time is nearest to t (ties: the
// earlier one); -1 when count is 0. The times rise from sample to sample.
int NearestSample(const TCustomRChart& chart, int count, double t);
