#pragma once
// The fast path of the item mapping: p = k * v + d in double, taken where it gives
// the pixel that the exact mapping (in extended precision) gives. Inline: it runs
// once per item.
#include "ItemList.h"
#include <QPoint>
#include <algorithm>
#include <cmath>
#include <cstddef>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// MapToPixel of one coordinate on a linear axis, p = k * v + d in extended
// precision rounded half to even, done in double where that gives the same pixel:
// the double value differs from the extended one by less than Tolerance, so unless
// it lies that close to a half its rounding is the same. Returns false when the
// caller must take the exact path (near a half, huge or not finite).
//
// The error bound is 2e-15 * (|k v| + |d|). Only values with |p| < 1e9 are taken, and
// then |k v| <= |p| + |d| < 1e9 + |d|: one bound per axis covers every value, so the
// loop needs no per-value bound (values within about 2e-6 of a half take the exact path).
struct FastAxis {
  double k = 0, d = 0, tolerance = 0;
  FastAxis() = default;
  FastAxis(double k_, double d_) : k(k_), d(d_), tolerance(2e-15 * (1e9 + 2 * std::fabs(d_)) + 1e-300) {}
  // Branch-free, so that a run of items maps in a tight loop.
  bool Map(double v, int& pixel) const {
    const double p = k * v + d;
    // Adding and taking away 1.5 * 2^52 rounds to an integer, halves to even.
    constexpr double Round = 6755399441055744.0;
    const double r = (p + Round) - Round;
    const bool ok = (std::fabs(p) < 1e9) & (0.5 - std::fabs(p - r) > tolerance);
    pixel = int(ok ? r : 0.0);
    return ok;
  }
};

// Both axes of a layer with two linear axes. An item's X and Y lie side by side,
// so with SSE2 one packed operation does what FastAxis does for each: the same
// operations in the same order, hence the same pixels, in half the instructions.
struct FastLayer {
  bool fast = false;
  FastAxis x, y;
#if defined(__SSE2__)
  __m128d k = _mm_setzero_pd(), d = _mm_setzero_pd(), tolerance = _mm_setzero_pd();
#endif
  FastLayer() = default;
  int Limit = 30000; // pixels are limited to +-Limit (the chart's PixelLimit)
#if defined(__SSE2__)
  __m128d lowest = _mm_set1_pd(-Limit), highest = _mm_set1_pd(Limit);
#endif
  FastLayer(bool fast_, const FastAxis& x_, const FastAxis& y_, int limit)
      : fast(fast_), x(x_), y(y_), Limit(limit) {
#if defined(__SSE2__)
    k = _mm_set_pd(y.k, x.k);
    d = _mm_set_pd(y.d, x.d);
    tolerance = _mm_set_pd(y.tolerance, x.tolerance);
    lowest = _mm_set1_pd(-limit);
    highest = _mm_set1_pd(limit);
#endif
  }
  // The item's pixel, limited to +-Limit and moved by shift. False when the
  // item must take the exact path.
  bool Map(const TItemPoint& it, QPoint shift, QPoint& pixel) const {
#if defined(__SSE2__)
    static_assert(offsetof(TItemPoint, Y) == offsetof(TItemPoint, X) + sizeof(double));
    const __m128d round = _mm_set1_pd(6755399441055744.0), half = _mm_set1_pd(0.5);
    const __m128d limit = _mm_set1_pd(1e9);
    const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFFLL));
    const __m128d p = _mm_add_pd(_mm_mul_pd(_mm_loadu_pd(&it.X), k), d);
    const __m128d r = _mm_sub_pd(_mm_add_pd(p, round), round);
    const __m128d distance = _mm_and_pd(_mm_sub_pd(p, r), absMask);
    const __m128d ok = _mm_and_pd(_mm_cmplt_pd(_mm_and_pd(p, absMask), limit),
                                  _mm_cmpgt_pd(_mm_sub_pd(half, distance), tolerance));
    // Whole numbers limited before the conversion: the same as limiting afterwards.
    const __m128d limited = _mm_min_pd(_mm_max_pd(_mm_and_pd(r, ok), lowest), highest);
    const __m128i xy = _mm_add_epi32(_mm_cvttpd_epi32(limited), _mm_setr_epi32(shift.x(), shift.y(), 0, 0));
    pixel = QPoint(_mm_cvtsi128_si32(xy), _mm_cvtsi128_si32(_mm_shuffle_epi32(xy, 1)));
    return fast & (_mm_movemask_pd(ok) == 3);
#else
    int px = 0, py = 0;
    const bool mx = x.Map(it.X, px);
    const bool my = y.Map(it.Y, py);
    pixel = QPoint(std::clamp(px, -Limit, Limit) + shift.x(), std::clamp(py, -Limit, Limit) + shift.y());
    return fast & mx & my;
#endif
  }
};
