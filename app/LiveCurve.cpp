#include "LiveCurve.h"

#include "TRChart.h"

#include <algorithm>
#include <cmath>

int LiveCurveLength(const TCustomRChart& chart) {
  // Walks the list's runs, not its items: every curve computation asks, and the
  // curve is one run of 10,000 lines after its MoveTo.
  const int n = chart.ItemCount();
  const std::vector<TItemRun>& runs = chart.Items().Runs();
  if (n == 0 || runs.empty() || runs[0].Attrs.Kind != ikMoveTo) return 0;
  if (runs.size() == 1 || runs[1].First > 1) return 1; // a second MoveTo right after the first
  size_t r = 1;
  while (r < runs.size() && runs[r].First < n && runs[r].Attrs.Kind == ikLineTo) ++r;
  return r < runs.size() ? std::min(runs[r].First, n) : n;
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
