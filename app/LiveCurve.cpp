#include "LiveCurve.h"

#include "TRChart.h"

#include <algorithm>
#include <cmath>

int LiveCurveLength(const TCustomRChart& chart) {
  const int n = chart.ItemCount();
  if (n == 0 || chart.Item(0).Kind != ikMoveTo) return 0;
  int i = 1;
  while (i < n && chart.Item(i).Kind == ikLineTo) ++i;
  return i;
}

TCurveSamples LiveCurve(const TCustomRChart& chart) {
  const int n = LiveCurveLength(chart);
  TCurveSamples s;
  s.T.reserve(size_t(n));
  s.Y.reserve(size_t(n));
  for (int i = 0; i < n; ++i) {
    s.T.push_back(chart.Item(i).X);
    s.Y.push_back(chart.Item(i).Y);
  }
  return s;
}

int NearestSample(const TCustomRChart& chart, int count, double t) {
  if (count <= 0) return -1;
  // The first sample at or after t, then the nearer of it and the one before.
  int lo = 0, hi = count;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (chart.Item(mid).X < t) lo = mid + 1;
    else hi = mid;
  }
  if (lo == count) return count - 1;
  if (lo == 0) return 0;
  return std::fabs(t - chart.Item(lo - 1).X) <= std::fabs(chart.Item(lo).X - t) ? lo - 1 : lo;
}
