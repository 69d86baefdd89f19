#include "ItemRuns.h"
#include "VectorState.h"

#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ItemRuns {

bool PlainHairlineStyle(Platform::TPenStyle style, int width) {
  using namespace Platform;
  const bool dashed = style == psDash || style == psDot || style == psDashDot || style == psDashDotDot;
  return width <= 1 && !dashed;
}

bool PlainHairline(const TCanvas& canvas) {
  return canvas.Image() != nullptr && canvas.DeviceScale() == 1 && canvas.Pen.Mode == Platform::pmCopy &&
         PlainHairlineStyle(canvas.Pen.Style, canvas.Pen.Width);
}

// A column run's segments chain from point to point, each covering the pixels from
// its start towards its end with the end left out; together they cover one span
// lo .. hi of the column. A polyline through first, far end, near end, last covers
// the same span when its last two points differ (the end left out is then last).
int ReduceColumnRuns(const QPoint* in, int count, QPoint* out) {
  int n = 0;
  for (int s = 0; s < count;) {
    const int x = in[s].x();
    int e = s + 1;
    while (e < count && in[e].x() == x) ++e;
    if (e - s <= 4) { // nothing to gain
      for (int i = s; i < e; ++i) out[n++] = in[i];
      s = e;
      continue;
    }
    int lo = in[s].y(), hi = in[s].y() - 1; // empty span
    for (int i = s + 1; i < e; ++i) {
      const int a = in[i - 1].y(), b = in[i].y();
      const int from = a < b ? a : b + 1, to = a < b ? b - 1 : a;
      if (a != b) {
        lo = std::min(lo, from);
        hi = std::max(hi, to);
      }
    }
    const QPoint last = in[e - 1];
    out[n++] = in[s];
    if (lo <= hi) { // else every point is the same pixel
      const bool endsAtLow = last.y() == lo;
      out[n++] = QPoint(x, endsAtLow ? lo : hi);
      out[n++] = QPoint(x, endsAtLow ? hi : lo);
    }
    out[n++] = last;
    s = e;
  }
  return n;
}

bool YRange(const TItemPoint* points, int from, int to, double& lo, double& hi) {
  lo = hi = from < to ? points[from].Y : 0.0;
  int j = from;
  bool nan = false;
#if defined(__SSE2__)
  // Two items at a time: their Y values side by side.
  Platform::ClearUpperVectorState();
  __m128d low = _mm_set1_pd(lo), high = low, unordered = _mm_setzero_pd();
  for (; j + 2 <= to; j += 2) {
    const __m128d y = _mm_unpackhi_pd(_mm_loadu_pd(&points[j].X), _mm_loadu_pd(&points[j + 1].X));
    low = _mm_min_pd(low, y);
    high = _mm_max_pd(high, y);
    unordered = _mm_or_pd(unordered, _mm_cmpunord_pd(y, y));
  }
  double l[2], h[2];
  _mm_storeu_pd(l, low);
  _mm_storeu_pd(h, high);
  lo = std::min(l[0], l[1]);
  hi = std::max(h[0], h[1]);
  nan = _mm_movemask_pd(unordered) != 0;
#endif
  for (; j < to; ++j) {
    const double y = points[j].Y;
    lo = std::min(lo, y);
    hi = std::max(hi, y);
    nan = nan || std::isnan(y);
  }
  return !nan;
}

} // namespace ItemRuns
