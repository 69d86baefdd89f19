#include "ItemRuns.h"

namespace ItemRuns {

bool PlainHairlineStyle(Platform::TPenStyle style, int width) {
  using namespace Platform;
  const bool dashed = style == psDash || style == psDot || style == psDashDot || style == psDashDotDot;
  return width <= 1 && !dashed;
}

bool PlainHairline(const TCanvas& canvas) {
  return canvas.Image() != nullptr && canvas.Pen.Mode == Platform::pmCopy &&
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

} // namespace ItemRuns
