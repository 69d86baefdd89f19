#pragma once
// Drawing long runs of line-to items with fewer pixels touched, to the pixel the
// same as drawing every segment on its own. Both shortcuts hold for a plain
// hairline (an image canvas at device scale 1, a one-pixel pen without dashes,
// copy mode): its segments set every pixel they cover to the one colour, so only
// the set of covered pixels counts, not how often or in which order they are set.
#include "Canvas.h"
#include "ItemList.h"

#include <QPoint>
#include <algorithm>

namespace ItemRuns {

// Whether lines drawn on the canvas with its current pen are plain hairlines. Not on
// an image of device scale above 1: a one-pixel pen is that many device pixels wide
// there, so the chart draws every item at such a scale.
bool PlainHairline(const TCanvas& canvas);
// Whether items of this style and width draw plain hairlines on an image canvas in copy mode.
bool PlainHairlineStyle(Platform::TPenStyle style, int width);

// Writes to out a polyline that covers exactly the pixels of the polyline in[0 .. count):
// every run of more than four consecutive points in one pixel column, whose segments
// cover one contiguous span of that column, becomes its first point, the span's two
// ends and its last point; the segments between columns stay as they are. Returns
// the number of points written (at most count); out must not overlap in.
int ReduceColumnRuns(const QPoint* in, int count, QPoint* out);

// The items of a run that can show, for a run whose pixel x never decreases
// (rising) or never increases from one item to the next: items before First all lie
// left of the image (x < 0) or all right of it (x >= width), and so do the items
// after Last, except that the neighbours of the visible ones are kept so that the
// segments entering and leaving the image stay. A segment between two points on the
// same outer side of the image draws nothing.
struct VisibleItems {
  int First, Last; // inclusive
};
template <class PixelX>
VisibleItems FindVisibleItems(int first, int end, int width, bool rising, PixelX pixelX) {
  // Binary searches for the first item not before the image, then the first one past it.
  int lo = first, hi = end;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    const int x = pixelX(mid);
    if (rising ? x < 0 : x >= width) lo = mid + 1;
    else hi = mid;
  }
  const int visibleFrom = lo;
  hi = end;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    const int x = pixelX(mid);
    if (rising ? x < width : x >= 0) lo = mid + 1;
    else hi = mid;
  }
  return VisibleItems{std::max(first, visibleFrom - 1), std::min(end - 1, lo)};
}

// The least and greatest Y of the items from .. to - 1 (any when from == to); false
// when one of them is NaN.
bool YRange(const TItemPoint* points, int from, int to, double& lo, double& hi);

// The pixels of the items first .. end - 1 of a rising run of a plain hairline whose
// two axes map monotonically (linear), one pixel column at a time, as a polyline
// that covers the same pixels: a column with many items becomes its first item's
// pixel, the two ends of the span its segments cover and its last item's pixel, so
// only the items' y values are read, not mapped. pixelX(i) is item i's pixel x,
// pixelY(y) the pixel of a y value, pixel(i) the whole pixel of item i; add takes
// the polyline's points.
//
// The segments of a column chain from item to item, each covering its start pixel
// and those up to (not including) its end pixel, so together the span from the
// least to the greatest pixel of the items before the column's last ones that share
// the last item's pixel, widened towards that pixel but not onto it. Mapping is
// monotone, so the least and greatest pixel are those of the least and greatest y.
template <class PixelX, class PixelY, class Pixel, class Add>
void AddColumns(const TItemPoint* points, int first, int end, PixelX pixelX, PixelY pixelY,
                Pixel pixel, Add add) {
  constexpr int FewItems = 8; // columns up to this size are mapped item by item
  for (int i = first; i < end;) {
    const int x = pixelX(i);
    // The column's end: a galloping search, then a binary one.
    int in = i, step = 1;
    while (step < end - in && pixelX(in + step) == x) {
      in += step;
      step = std::min(step, 1 << 29) * 2;
    }
    int out = step < end - in ? in + step : end;
    while (out - in > 1) {
      const int mid = in + (out - in) / 2;
      (pixelX(mid) == x ? in : out) = mid;
    }
    const int e = out;
    if (e - i <= FewItems) {
      for (int j = i; j < e; ++j) add(pixel(j));
      i = e;
      continue;
    }
    // The last items that share the last item's pixel.
    const int last = pixelY(points[e - 1].Y);
    int t = e - 1;
    while (t > i && pixelY(points[t - 1].Y) == last) --t;
    double lo = 0, hi = 0;
    if (!YRange(points, i, t, lo, hi)) { // NaN is not ordered: each item as it maps
      for (int j = i; j < e; ++j) add(pixel(j));
      i = e;
      continue;
    }
    add(QPoint(x, pixelY(points[i].Y)));
    if (t > i) {
      const int a = pixelY(lo), b = pixelY(hi);
      const int low = std::min(a, b), high = std::max(a, b);
      // The polyline's last two points differ, so that the end left out is the last.
      add(QPoint(x, high == last ? high : low));
      add(QPoint(x, high == last ? low : high));
      add(QPoint(x, last));
    }
    i = e;
  }
}

} // namespace ItemRuns
