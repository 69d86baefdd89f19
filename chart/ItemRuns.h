#pragma once
// Drawing long runs of line-to items with fewer pixels touched, to the pixel the
// same as drawing every segment on its own. Both shortcuts hold for a plain
// hairline (an image canvas, a one-pixel pen without dashes, copy mode): its
// segments set every pixel they cover to the one colour, so only the set of
// covered pixels counts, not how often or in which order they are set.
#include "Canvas.h"

#include <QPoint>
#include <algorithm>

namespace ItemRuns {

// Whether lines drawn on the canvas with its current pen are plain hairlines.
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

} // namespace ItemRuns
