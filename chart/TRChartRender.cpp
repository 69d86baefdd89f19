// Drawing of the chart: the control image (background, shadow, caption, axes),
// the data image (background picture or highlighted area, grid, items, text
// labels, frame) and the crosshairs added when an image goes to the window.
// Everything is drawn off-screen first; the window receives finished images only.
#include "TRChart.h"
#include "ItemRuns.h"
#include "PaintLockGuard.h"
#include "PixelMath.h"
#include "VectorState.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

int ClampItemPixel(int p) {
  return std::clamp(p, -TCustomRChart::PixelLimit, TCustomRChart::PixelLimit);
}

// A control pixel moved by an offset, kept inside the range the canvas takes
// (anything this far out is off the image anyway).
int Shifted(long long p, long long by) {
  return static_cast<int>(std::clamp(p + by, -(1LL << 30), 1LL << 30));
}

// The grid rules round halves to even and derive ceiling and floor from that.
double RoundEven(double v) { return std::nearbyint(v); }
double CeilR(double v) {
  const double r = RoundEven(v);
  return r < v ? r + 1 : r;
}
double FloorR(double v) {
  const double r = RoundEven(v);
  return r > v ? r - 1 : r;
}
double Log10(double v) { return std::log(v) / std::log(10.0); }
double Pow10(double k) { return std::pow(10.0, k); }

// The decade exponent k and the rounded leading digit m of a value (from log10 t).
void DecadeAndDigit(double t, double& k, double& m) {
  k = FloorR(t);
  m = RoundEven(Pow10(t - k));
}

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
  int Limit = TCustomRChart::PixelLimit; // pixels are limited to +-Limit
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

// A one-pixel solid pen and a solid brush, both in color: what the chart's background is drawn with.
void SetBackgroundTools(TCanvas& c, TColor color) {
  c.Pen.Style = psSolid;
  c.Pen.Mode = pmCopy;
  c.Pen.Width = 1;
  c.Brush.Style = bsSolid;
  c.Brush.Color = color;
  c.Pen.Color = color;
}

} // namespace

// ============================================================================
// Full paint and the control image
// ============================================================================

void TCustomRChart::Paint() {
  if (destroying_ || !isVisible() || IsLoading() || paintLock_) return;
  if (size() != appliedSize_) { // resized while no resize notice reached us
    const TPaintLockGuard lock(*this);
    ApplyResize();
  }
  ++stats_.FullPaints;
  ComposeControlImage();
  DrawDataBackground(dataImage_.Canvas(), 0, 0);
  RenderItems(dataImage_.Canvas(), 0, 0, false, false);
  if (!dataImage_.Image().isNull())
    controlImage_.Canvas().Draw(marginLeft_, marginTop_, dataImage_.Image());
  PresentImage(0, 0, controlImage_);
  composedSize_ = size();
}

// The shadow and the chart's caption, the two parts drawn around the axes.
void TCustomRChart::DrawShadowAndCaption(TCanvas& c) {
  if (shadowWidth_ > 0) DrawShadow(c);
  c.Pen.Color = chartFrameColor_;
  c.Brush.Style = bsClear;
  c.Font = font_->Data();
  DrawCaption(c);
}

void TCustomRChart::PaintTo(TCanvas& c) {
  const int w = width(), h = height();
  const bool saved = LockPaint(); // nothing repaints the window meanwhile
  SetBackgroundTools(c, windColor_);
  c.Rectangle(0, 0, w, h);
  DrawShadowAndCaption(c);
  CalcScaleFactors();
  // The axes draw on this canvas for once, then on the control image again.
  for (const auto* scales : {&scaleX_, &scaleY_})
    for (int n = 1; n <= NumLayers; ++n) {
      (*scales)[n]->SetExternalCanvas(&c, 0, 0);
      (*scales)[n]->ForcedPaint();
      (*scales)[n]->SetExternalCanvas(&controlImage_.Canvas(), 0, 0);
    }
  if (OnScalesRendered) OnScalesRendered(this, c, 0, 0);
  const int dw = std::max(0, w - marginLeft_ - marginRight_ - shadowWidth_ + 1);
  const int dh = std::max(0, h - marginTop_ - marginBottom_ - shadowWidth_ + 1);
  if (dw > 0 && dh > 0) {
    c.SetClipRect(QRect(marginLeft_, marginTop_, dw, dh));
    DrawDataBackground(c, marginLeft_, marginTop_);
    RenderItems(c, marginLeft_, marginTop_, false, false);
    c.SetClipRect(QRect());
  }
  DrawCrossHairs(c, 0, 0);
  paintLock_ = saved;
}

void TCustomRChart::ComposeControlImage() {
  const int w = width(), h = height(), scale = DeviceScale();
  if (controlImage_.Width() != w || controlImage_.Height() != h || controlImage_.Scale() != scale)
    controlImage_.SetSize(w, h, scale);
  else if (!controlImage_.Image().isDetached())
    controlImage_.Image() = TakeSpareImage(); // the window still shows the last picture
  TCanvas& c = controlImage_.Canvas();
  SetBackgroundTools(c, windColor_);
  // The background. The data area is covered by the copy of the data image at the end
  // of the paint, so filling it is wasted work unless someone can look at the control
  // image in between (a render handler of the chart or of a scale): then, and when the
  // data image will not cover its area, all of it is filled.
  const int dw = std::max(0, w - marginLeft_ - marginRight_ - shadowWidth_ + 1);
  const int dh = std::max(0, h - marginTop_ - marginBottom_ - shadowWidth_ + 1);
  const QRect covered = QRect(marginLeft_, marginTop_, dw, dh) & QRect(0, 0, w, h);
  // (The scales' tick handlers are the chart's forwarders to its OnScaleTickDrawn.)
  bool observed = OnScalesRendered || OnScaleTickDrawn;
  for (int n = 1; n <= NumLayers && !observed; ++n)
    for (const TScale* s : {scaleX_[n], scaleY_[n]})
      observed = observed || s->OnBeforeScaleRendered || s->OnAfterScaleRendered;
  const QImage& data = dataImage_.Image();
  if (observed || covered.isEmpty() || dataImage_.Width() != dw || dataImage_.Height() != dh ||
      data.format() != QImage::Format_RGB32) {
    c.Rectangle(0, 0, w, h);
  } else {
    c.FillRect(0, 0, w, covered.top());                                      // above
    c.FillRect(0, covered.bottom() + 1, w, h);                               // below
    c.FillRect(0, covered.top(), covered.left(), covered.bottom() + 1);      // left
    c.FillRect(covered.right() + 1, covered.top(), w, covered.bottom() + 1); // right
  }
  DrawShadowAndCaption(c);
  CalcScaleFactors();
  for (int n = 1; n <= NumLayers; ++n) scaleX_[n]->ForcedPaint();
  for (int n = 1; n <= NumLayers; ++n) scaleY_[n]->ForcedPaint();
  if (OnScalesRendered) OnScalesRendered(this, c, 0, 0);
}

// The page's shadow below and right of it, and the page's outline.
void TCustomRChart::DrawShadow(TCanvas& c) {
  const int W = width(), H = height(), SW = shadowWidth_;
  c.Brush.Style = bsSolid;
  c.Brush.Color = shadowBakColor_;
  c.Pen.Color = shadowBakColor_;
  c.Rectangle(W - SW, 0, W, SW); // top-right corner square
  c.Rectangle(0, H - SW, SW, H); // bottom-left corner square
  c.Brush.Color = shadowColor_;
  int e;
  if (shadowStyle_ == ssFlying) {
    c.Pen.Color = shadowColor_;
    e = SW - 1;
  } else {
    c.Pen.Color = clBlack;
    e = 0;
  }
  const QPoint bottom[4] = {{e, H - SW}, {SW - 1, H - 1}, {W - 1, H - 1}, {W - SW, H - SW}};
  c.Polygon(bottom, 4);
  const QPoint right[4] = {{W - SW, H - SW}, {W - 1, H - 1}, {W - 1, SW - 1}, {W - SW, e}};
  c.Polygon(right, 4);
  c.Pen.Color = clBlack;
  c.Pen.Style = psSolid;
  c.MoveTo(0, 0);
  c.LineTo(W - SW, 0);
  c.LineTo(W - SW, H - SW);
  c.LineTo(0, H - SW);
  c.LineTo(0, 0);
}

void TCustomRChart::DrawCaption(TCanvas& c) {
  if (caption_.isEmpty()) return; // nothing would show
  const int W = width(), H = height(), SW = shadowWidth_;
  int x = captionPosX_, y = captionPosY_;
  switch (captionAnchorHoriz_) {
  case cahControlLeft: break;
  case cahChartLeft: x += marginLeft_; break;
  case cahChartCenter: x += marginLeft_ + (W - marginLeft_ - marginRight_ - SW) / 2; break;
  case cahChartRight: x += W - marginRight_ - SW; break;
  case cahControlRight: x += W; break;
  }
  switch (captionAnchorVert_) {
  case cavControlTop: break;
  case cavChartTop: y += marginTop_; break;
  case cavChartCenter: y += marginTop_ + (H - marginTop_ - marginBottom_ - SW) / 2; break;
  case cavChartBottom: y += H - marginBottom_; break; // the shadow is not subtracted here
  case cavControlBottom: y += H; break;
  }
  const int tw = c.TextWidth(caption_);
  if (captionAlignment_ == taRightJustify)
    x -= tw;
  else if (captionAlignment_ == taCenter)
    x -= tw / 2;
  c.TextOut(x, y, caption_);
}

// ============================================================================
// The data image
// ============================================================================

// The data image has the control image's device scale (set by the last full paint),
// so that it is copied into it pixel for pixel.
void TCustomRChart::ResizeDataImage() {
  const int dw = std::max(0, width() - marginLeft_ - marginRight_ - shadowWidth_ + 1);
  const int dh = std::max(0, height() - marginTop_ - marginBottom_ - shadowWidth_ + 1);
  const int scale = controlImage_.Scale();
  if (dataImage_.Width() != dw || dataImage_.Height() != dh || dataImage_.Scale() != scale)
    dataImage_.SetSize(dw, dh, scale);
}

void TCustomRChart::DrawDataBackground(TCanvas& canvas, int XOffset, int YOffset) {
  // Another canvas (an export, a vector picture) gets the data area's size without the
  // data image being sized for it: a vector picture of any size needs no raster.
  if (&canvas == &dataImage_.Canvas()) ResizeDataImage();
  const int dw = std::max(0, width() - marginLeft_ - marginRight_ - shadowWidth_ + 1);
  const int dh = std::max(0, height() - marginTop_ - marginBottom_ - shadowWidth_ + 1);
  if (canvas.Width() <= 0 || canvas.Height() <= 0) return; // nothing to draw on
  canvas.Pen.Style = psSolid;
  canvas.Pen.Mode = pmCopy;
  canvas.Brush.Style = bsSolid;
  canvas.Brush.Color = chartColor_;
  canvas.Pen.Color = chartFrameColor_;

  if (!bakGndImg_->Name().isEmpty()) {
    // Read anew at every drawing: the file may have changed.
    if (!picture_.LoadFromFile(bakGndImg_->Name()) || picture_.Width() <= 0 ||
        picture_.Height() <= 0) {
      canvas.Rectangle(XOffset, YOffset, XOffset + dw, YOffset + dh);
      // The picture is dropped for good. Its change notice would repaint from
      // inside this drawing: the lock keeps that out, the drawing goes on.
      const TPaintLockGuard lock(*this);
      bakGndImg_->SetName(QString());
      return;
    }
    DrawBackgroundPicture(canvas, dw, dh);
    return;
  }

  const bool plain = bakGndImg_->AreaMode() == bamNone;
  const bool own = &canvas == &dataImage_.Canvas() && XOffset == 0 && YOffset == 0;
  if (plain && own && blankData_.key == dataImage_.Image().cacheKey() &&
      blankData_.color == chartColor_ && blankData_.frame == chartFrameColor_)
    return; // already exactly this background
  canvas.Rectangle(XOffset, YOffset, XOffset + dw, YOffset + dh);
  if (!plain) DrawHighlightedArea(canvas, XOffset, YOffset, dw, dh);
  if (plain && own) blankData_ = {dataImage_.Image().cacheKey(), chartColor_, chartFrameColor_};
}

// The picture modes place the picture at the data image's origin.
void TCustomRChart::DrawBackgroundPicture(TCanvas& canvas, int dw, int dh) {
  const QImage& picture = picture_.Image();
  switch (bakGndImg_->FillMode()) {
  case bfSimple:
    canvas.Rectangle(0, 0, dw, dh);
    canvas.Draw(0, 0, picture);
    break;
  case bfStretch: canvas.StretchDraw(QRect(0, 0, dw, dh), picture); break;
  case bfTile: {
    const int pw = picture.width(), ph = picture.height();
    const int nx = (dw - 1) / pw + 1, ny = (dh - 1) / ph + 1;
    for (int i = 0; i < nx; ++i)
      for (int j = 0; j < ny; ++j) canvas.Draw(i * pw, j * ph, picture);
    break;
  }
  }
}

// A part of the data area, given in world coordinates of layer 1, filled in AreaColor.
void TCustomRChart::DrawHighlightedArea(TCanvas& canvas, int XOffset, int YOffset, int dw, int dh) {
  canvas.Brush.Color = bakGndImg_->AreaColor();
  canvas.Pen.Color = bakGndImg_->AreaColor();
  const QPoint lt = MapToPixel(1, bakGndImg_->AreaLeft(), bakGndImg_->AreaTop());
  const QPoint rb = MapToPixel(1, bakGndImg_->AreaRight(), bakGndImg_->AreaBottom());
  const int xl = ClampItemPixel(lt.x()) - marginLeft_ + XOffset;
  const int yt = ClampItemPixel(lt.y()) - marginTop_ + YOffset;
  const int xr = ClampItemPixel(rb.x()) - marginLeft_ + XOffset;
  const int yb = ClampItemPixel(rb.y()) - marginTop_ + YOffset;
  const int x0 = XOffset, y0 = YOffset, x1 = XOffset + dw, y1 = YOffset + dh;
  switch (bakGndImg_->AreaMode()) {
  case bamNone: break;
  case bamLeft: canvas.Rectangle(x0, y0, xl, y1); break;
  case bamRight: canvas.Rectangle(xr, y0, x1, y1); break;
  case bamTop: canvas.Rectangle(x0, y0, x1, yt); break;
  case bamBottom: canvas.Rectangle(x0, yb, x1, y1); break;
  case bamVStripe: canvas.Rectangle(xl, y0, xr, y1); break;
  case bamHStripe: canvas.Rectangle(x0, yt, x1, yb); break;
  case bamRect: canvas.Rectangle(xl, yt, xr, yb); break;
  }
}

// A plain hairline's runs of points in one pixel column are drawn as their spans.
void TCustomRChart::DrawPolyline(TCanvas& canvas, const QPoint* points, int count) {
  ++stats_.Polylines;
  if (count > 4 && count <= PolylineBufferSize && ItemRuns::PlainHairline(canvas)) {
    const int n = ItemRuns::ReduceColumnRuns(points, count, reducedPolyline_.data());
    canvas.PolylineDevice(reducedPolyline_.data(), n);
    canvas.MoveToDevice(points[count - 1].x(), points[count - 1].y());
    return;
  }
  canvas.PolylineDevice(points, count);
}

void TCustomRChart::RenderItems(TCanvas& canvas, int XOffset, int YOffset, bool Monochrome,
                                bool NoGrid) {
  if (canvas.Width() <= 0 || canvas.Height() <= 0) return; // nothing to draw on
  // 1. Render event; the handler may change the canvas, the colours come back.
  const TColor savedBrush = canvas.Brush.Color, savedPen = canvas.Pen.Color;
  if (OnBeforeRenderData) OnBeforeRenderData(this, canvas, marginTop_ - YOffset, marginLeft_ - XOffset);
  canvas.Brush.Color = savedBrush;
  canvas.Pen.Color = savedPen;

  // 2. Grid.
  if (gridStyle_ != gsNone && !NoGrid) DrawGrid(canvas, XOffset, YOffset);

  // 3. Initial render state. On a canvas of device scale s above 1 the items are
  // mapped to device pixels (s times finer), so the curve takes the finer steps;
  // everything else is drawn in logical pixels.
  const int s = canvas.DeviceScale();
  int curWidth = lineWidth_;
  canvas.Pen.Width = curWidth;
  QPoint current(XOffset * s, YOffset * s);
  canvas.MoveToDevice(current.x(), current.y());
  TColor curPen = chartColor_, curBrush = chartColor_;
  TPenStyle curStyle = psSolid;
  canvas.Pen.Color = curPen;
  canvas.Pen.Style = curStyle;
  canvas.Brush.Color = curBrush;

  // Line-to items are batched into polylines of at most PolylineBufferSize points.
  int n = 0;
  auto flush = [&] {
    if (n == 0) return;
    DrawPolyline(canvas, polyBuffer_.data(), n);
    current = polyBuffer_[n - 1];
    canvas.MoveToDevice(current.x(), current.y());
    n = 0;
  };

  // Mapping of the layers with two linear axes in double (exact, see FastAxis);
  // logarithmic layers and the rare values near a half go through MapToPixel.
  std::array<FastLayer, NumLayers + 1> maps;
  for (int n = 1; n <= NumLayers; ++n) {
    const TScaleFactors& f = factors_[n];
    const bool fast = !propsX_[n]->Logarithmic() && !propsY_[n]->Logarithmic() &&
                      std::isfinite(double(f.kx)) && std::isfinite(double(f.dx)) &&
                      std::isfinite(double(f.ky)) && std::isfinite(double(f.dy));
    maps[n] = FastLayer(fast, FastAxis(double(f.kx * s), double(f.dx * s)),
                        FastAxis(double(f.ky * s), double(f.dy * s)), PixelLimit * s);
  }
  const int limit = PixelLimit * s;
  auto clampPixel = [limit](int p) { return std::clamp(p, -limit, limit); };
  const QPoint shift((XOffset - marginLeft_) * s, (YOffset - marginTop_) * s);
  const TItemPoint* points = items_->Points();
  auto exactPixel = [&](int layer, const TItemPoint& p) {
    const QPoint px = MapToPixel(layer, p.X, p.Y, s);
    return QPoint(clampPixel(px.x()) + shift.x(), clampPixel(px.y()) + shift.y());
  };
  // Items i0 .. i1 - 1 of a layer into the polyline buffer, mapped straight into it.
  auto addPoints = [&](int layer, int i0, int i1) {
    const FastLayer& map = maps[layer];
    while (i0 < i1) {
      if (n == 0) polyBuffer_[n++] = current;
      const int k = std::min(PolylineBufferSize - n, i1 - i0);
      Platform::ClearUpperVectorState(); // the drawing before may have used them
      bool mapped = true;
      for (int j = 0; j < k; ++j) mapped &= map.Map(points[i0 + j], shift, polyBuffer_[n + j]);
      if (!mapped)
        for (int j = 0; j < k; ++j)
          if (!map.Map(points[i0 + j], shift, polyBuffer_[n + j]))
            polyBuffer_[n + j] = exactPixel(layer, points[i0 + j]);
      n += k;
      i0 += k;
      if (n == PolylineBufferSize) {
        flush();
        polyBuffer_[n++] = current; // the next polyline continues from here
      }
    }
  };
  auto addPoint = [&](QPoint p) {
    if (n == 0) polyBuffer_[n++] = current;
    polyBuffer_[n++] = p;
    if (n == PolylineBufferSize) {
      flush();
      polyBuffer_[n++] = current;
    }
  };
  // The pixel x of item i of a layer with a linear x axis.
  auto pixelX = [&](int layer, int i) {
    int px = 0;
    if (!maps[layer].x.Map(points[i].X, px)) px = MapToPixel(layer, points[i].X, 0, s).x();
    return clampPixel(px) + shift.x();
  };

  // 4. Items in list order, a run of items with the same attributes at a time.
  const std::vector<TItemRun>& runs = items_->Runs();
  for (size_t r = 0; r < runs.size() && runs[r].First < itemCount_; ++r) {
    const TItemRun& run = runs[r];
    const int first = run.First;
    const int end = r + 1 < runs.size() ? std::min(runs[r + 1].First, itemCount_) : itemCount_;
    const TItemAttrs& a = run.Attrs;
    const int layer = a.Layer;
    if (!classVisible_[a.ItemClass] || layer < 1 || layer > NumLayers || !layerVisible_[layer])
      continue;
    if (a.LineWidth != curWidth) {
      flush();
      curWidth = a.LineWidth;
      canvas.Pen.Width = curWidth;
    }
    if (a.Kind == ikMoveTo) { // only the last of consecutive move-to items counts
      flush();
      QPoint p;
      if (!maps[layer].Map(points[end - 1], shift, p)) p = exactPixel(layer, points[end - 1]);
      current = p;
      canvas.MoveToDevice(p.x(), p.y());
      continue;
    }
    if (a.Kind != ikLineTo) continue;
    const TColor color = Monochrome ? 0 : a.Color;
    if (color != curPen || a.PenStyle != curStyle || a.FillColor != curBrush) {
      flush();
      curPen = color;
      curStyle = a.PenStyle;
      curBrush = a.FillColor;
      canvas.Pen.Color = curPen;
      canvas.Pen.Style = curStyle;
      canvas.Brush.Color = curBrush;
    }
    // A rising run of a plain hairline on a linear x axis: the items left and right
    // of the image are found by binary search; of them only the neighbours of the
    // visible ones and the run's ends are drawn (the rest would draw nothing). Long
    // runs with two linear axes go column by column; lists of the main window's
    // length keep their polylines of PolylineBufferSize items. At a device scale
    // above 1 a one-pixel pen is no hairline: every item is drawn there.
    const long double kx = factors_[layer].kx;
    if (run.Rising && end - first > 8 && kx != 0 && !propsX_[layer]->Logarithmic() &&
        ItemRuns::PlainHairline(canvas)) {
      const ItemRuns::VisibleItems v = ItemRuns::FindVisibleItems(
          first, end, canvas.Width(), kx > 0, [&](int i) { return pixelX(layer, i); });
      if (v.First > first) addPoints(layer, first, first + 1);
      if (end - first >= LongRun && maps[layer].fast) {
        const FastLayer& map = maps[layer];
        auto pixelY = [&](double y) {
          int py = 0;
          if (!map.y.Map(y, py)) py = MapToPixel(layer, 0, y, s).y();
          return clampPixel(py) + shift.y();
        };
        auto pixel = [&](int i) {
          QPoint p;
          return map.Map(points[i], shift, p) ? p : exactPixel(layer, points[i]);
        };
        Platform::ClearUpperVectorState();
        ItemRuns::AddColumns(points, v.First, v.Last + 1, [&](int i) { return pixelX(layer, i); },
                             pixelY, pixel, addPoint);
      } else {
        addPoints(layer, v.First, v.Last + 1);
      }
      if (v.Last < end - 1) addPoints(layer, end - 1, end);
    } else {
      addPoints(layer, first, end);
    }
  }
  // 5. Last polyline.
  flush();

  // 6. Text labels, label 1 ending on top.
  canvas.Pen.Width = 1;
  for (int i = NumTextLabels - 1; i >= 0; --i) {
    const TTextLabel& label = *textLabels_[i];
    if (label.Mode() != tlOff && label.Visible() && LayerVisible(label.Layer()))
      DrawTextLabel(canvas, label, XOffset, YOffset);
  }

  // 7. Render event after the items.
  if (OnDataRendered) OnDataRendered(this, canvas, marginTop_ - YOffset, marginLeft_ - XOffset);

  // 8. Frame of the data area, over everything.
  const int aw = width() - marginLeft_ - marginRight_ - shadowWidth_;
  const int ah = height() - marginTop_ - marginBottom_ - shadowWidth_;
  canvas.Pen.Color = chartFrameColor_;
  canvas.Pen.Style = psSolid;
  canvas.MoveTo(XOffset, YOffset);
  canvas.LineTo(XOffset + aw, YOffset);
  canvas.LineTo(XOffset + aw, YOffset + ah);
  canvas.LineTo(XOffset, YOffset + ah);
  canvas.LineTo(XOffset, YOffset);
}

// ============================================================================
// Grid
// ============================================================================

int TCustomRChart::GridValues(bool x, double* out) const {
  const int layer = std::clamp(currentLayer_, 1, NumLayers);
  const TScaleProps* p = x ? static_cast<const TScaleProps*>(propsX_[layer]) : propsY_[layer];
  const TScale* scale = x ? scaleX_[layer] : scaleY_[layer];
  const double step = x ? gridDx_ : gridDy_;
  double lo = p->RangeLow(), hi = p->RangeHigh();
  if (lo > hi) std::swap(lo, hi);
  const bool fromTicks = step == 0;
  const bool linearStep = step > 0 || (step != 0 && !p->Logarithmic());

  double v, k, m;
  if (fromTicks) {
    v = scale->NumTicks() >= 1 ? scale->TickPosition(1) : lo;
  } else if (linearStep) {
    v = CeilR(lo / step) * step;
  } else if (step == -1) {
    v = Pow10(CeilR(Log10(lo)));
  } else if (step == -2) {
    DecadeAndDigit(Log10(lo), k, m);
    v = Pow10(k) * (m <= 2 ? 2 : m <= 5 ? 5 : 10);
  } else if (step == -3) {
    DecadeAndDigit(Log10(lo), k, m);
    v = Pow10(k) * m;
  } else {
    v = lo;
  }

  // Every rule moves upwards; a value that is not finite (a logarithmic axis
  // reaching 0) ends the walk like the upper end does.
  int n = 0;
  while (n < MaxGridLines && std::isfinite(v) && v < hi) {
    out[n++] = v;
    if (fromTicks) {
      v = n + 1 <= scale->NumTicks() ? scale->TickPosition(n + 1)
                                     : std::max(p->RangeLow(), p->RangeHigh());
    } else if (linearStep) {
      v += std::fabs(step);
    } else if (step == -1) {
      v *= 10;
    } else {
      double t = Log10(v);
      if (std::fabs(t - RoundEven(t)) < 1e-14) t = RoundEven(t);
      DecadeAndDigit(t, k, m);
      if (step == -2) // 1, 2, 5 steps; any other digit goes on to the next decade
        v = Pow10(k) * (m <= 1 ? 2 : m <= 2 ? 5 : 10);
      else
        v = Pow10(k) * (m + 1);
    }
  }
  return n;
}

void TCustomRChart::DrawGrid(TCanvas& c, int XOffset, int YOffset) {
  c.Brush.Color = chartColor_; // fills the gaps of dotted lines
  c.Pen.Color = gridColor_;
  const int layer = std::clamp(currentLayer_, 1, NumLayers);
  const TScaleProps* xp = propsX_[layer];
  const TScaleProps* yp = propsY_[layer];
  const int nx = GridValues(true, gridX_.data());
  const int ny = GridValues(false, gridY_.data());
  auto at = [&](double x, double y) {
    const QPoint p = MapToPixel(layer, x, y);
    return QPoint(Shifted(p.x(), XOffset - marginLeft_), Shifted(p.y(), YOffset - marginTop_));
  };

  if (gridStyle_ == gsPoints) {
    int count = 0;
    for (int i = 0; i < nx && count < MaxGridLines; ++i)
      for (int j = 0; j < ny && count < MaxGridLines; ++j, ++count) {
        const QPoint p = at(gridX_[i], gridY_[j]);
        c.SetPixel(p.x(), p.y(), gridColor_);
      }
    return;
  }
  const bool vertical = gridStyle_ == gsVertLines || gridStyle_ == gsLines ||
                        gridStyle_ == gsVertDotLines || gridStyle_ == gsDotLines;
  const bool horizontal = gridStyle_ == gsHorizLines || gridStyle_ == gsLines ||
                          gridStyle_ == gsHorizDotLines || gridStyle_ == gsDotLines;
  const bool dotted = gridStyle_ == gsHorizDotLines || gridStyle_ == gsVertDotLines ||
                      gridStyle_ == gsDotLines;
  c.Pen.Style = dotted ? psDot : psSolid;
  if (vertical)
    for (int i = 0; i < nx; ++i) {
      const QPoint from = at(gridX_[i], yp->RangeLow()), to = at(gridX_[i], yp->RangeHigh());
      c.MoveTo(from.x(), from.y());
      c.LineTo(to.x(), to.y());
    }
  if (horizontal)
    for (int j = 0; j < ny; ++j) {
      const QPoint from = at(xp->RangeLow(), gridY_[j]), to = at(xp->RangeHigh(), gridY_[j]);
      c.MoveTo(from.x(), from.y());
      c.LineTo(to.x(), to.y());
    }
  c.Pen.Style = psSolid;
}

// ============================================================================
// Text labels
// ============================================================================

void TCustomRChart::DrawTextLabel(TCanvas& c, const TTextLabel& label, int XOffset, int YOffset) {
  // 1. Anchor in control pixels plus the offsets.
  const TTxtLblAttachMode attach = label.AttachToData();
  const QPoint mapped = attach == tlamNone ? QPoint()
                                           : MapToPixel(label.Layer(), label.PosX(), label.PosY());
  long long ax = (attach == tlamXOnly || attach == tlamBoth) ? mapped.x() : RoundPixel(label.PosX());
  long long ay = (attach == tlamYOnly || attach == tlamBoth) ? mapped.y() : RoundPixel(label.PosY());
  ax += XOffset;
  ay += YOffset;

  // 2. Font, pen and brush.
  const bool transparent = label.Transparent();
  c.Font = label.Font()->Data();
  c.Pen.Color = label.ColorBorder();
  c.Pen.Style = psSolid;
  c.Brush.Color = label.ColorBkg();
  c.Brush.Style = transparent ? bsClear : bsSolid;

  // 3. Lines and the block's size; the line feeds are neither drawn nor measured.
  const QString& caption = label.Caption();
  const QStringList lines = caption.split(QLatin1Char('\n'));
  const long long n = lines.size();
  long long tw = 0;
  for (const QString& line : lines) tw = std::max<long long>(tw, c.TextWidth(line));
  if (tw == 0) tw = c.TextWidth(caption);
  const long long th = c.TextHeight(caption);

  // 4., 5. The anchor moves to the bottom-left of the text block.
  if (label.VerticalAlignment() == vaTop)
    ay += th * n;
  else if (label.VerticalAlignment() == vaCenter)
    ay += (th * n) / 2;
  if (label.Alignment() == taRightJustify)
    ax -= tw;
  else if (label.Alignment() == taCenter)
    ax -= tw / 2;

  // Control pixels to data-image pixels.
  auto X = [&](long long x) { return Shifted(x, -marginLeft_); };
  auto Y = [&](long long y) { return Shifted(y, -marginTop_); };
  const long long bl = ax - 4, bt = ay - th * n - 2, br = ax + tw + 4, bb = ay + 2;
  auto box = [&](int dx, int dy) { c.Rectangle(X(bl + dx), Y(bt + dy), X(br + dx), Y(bb + dy)); };

  // 6. Box by mode.
  switch (label.Mode()) {
  case tlOff: return;
  case tlsimple:
  case tlUnderline:
    if (!transparent) {
      c.Pen.Color = label.ColorBkg();
      box(0, 0);
    }
    if (label.Mode() == tlUnderline) {
      c.Pen.Color = label.ColorBorder();
      c.MoveTo(X(ax), Y(ay));
      c.LineTo(X(ax + tw), Y(ay));
    }
    break;
  case tlBox: box(0, 0); break;
  case tlShadow:
    c.Pen.Color = label.ColorShadow();
    c.Brush.Color = label.ColorShadow();
    box(label.ShadowDx(), label.ShadowDy());
    c.Pen.Color = label.ColorBorder();
    c.Brush.Color = label.ColorBkg();
    box(0, 0);
    break;
  }

  // 7. Text, each line with the label's background behind it unless transparent.
  if (n == 1) {
    c.TextOut(X(ax), Y(ay - th), caption);
    return;
  }
  for (long long k = 0; k < n; ++k) {
    const QString& line = lines[static_cast<int>(k)];
    const long long w = c.TextWidth(line);
    long long dx = 0;
    if (label.Alignment() == taRightJustify)
      dx = tw - w;
    else if (label.Alignment() == taCenter)
      dx = (tw - w) / 2;
    c.TextOut(X(ax + dx), Y(ay - th * (n - k)), line);
  }
}

// ============================================================================
// Crosshairs and presenting
// ============================================================================

void TCustomRChart::DrawCrossHairs(TCanvas& c, int XPos, int YPos) {
  bool any = false;
  for (const TCrossHair* ch : crossHairs_) any = any || ch->Mode() != chOff;
  if (!any) return;
  const TColor savedPen = c.Pen.Color, savedBrush = c.Brush.Color;
  const int savedWidth = c.Pen.Width;
  const TPenStyle savedStyle = c.Pen.Style;
  const TBrushStyle savedBrushStyle = c.Brush.Style;
  const int right = width() - marginRight_ - shadowWidth_;
  const int bottom = height() - marginBottom_ - shadowWidth_;
  for (const TCrossHair* ch : crossHairs_) {
    if (ch->Mode() == chOff) continue;
    const QPoint p = MapToPixel(ch->Layer(), ch->PosX(), ch->PosY());
    c.Pen.Color = ch->Color();
    c.Pen.Width = ch->LineWid();
    c.Pen.Style = ch->LineType();
    c.Brush.Color = chartColor_; // fills the gaps of dashed and dotted lines
    c.Brush.Style = bsSolid;
    const int h = ch->LineWid() / 2;
    if ((ch->Mode() == chHoriz || ch->Mode() == chBoth) && marginTop_ + h < p.y() &&
        p.y() < bottom - h) {
      c.MoveTo(marginLeft_ + h + 1 - XPos, p.y() - YPos);
      c.LineTo(right - h - XPos, p.y() - YPos);
    }
    if ((ch->Mode() == chVert || ch->Mode() == chBoth) && marginLeft_ + h < p.x() &&
        p.x() < right - h) {
      c.MoveTo(p.x() - XPos, marginTop_ + h + 1 - YPos);
      c.LineTo(p.x() - XPos, bottom - h - YPos);
    }
  }
  c.Pen.Color = savedPen;
  c.Pen.Width = savedWidth;
  c.Pen.Style = savedStyle;
  c.Brush.Color = savedBrush;
  c.Brush.Style = savedBrushStyle;
}

void TCustomRChart::PresentImage(int XPos, int YPos, TBitmap& Image) {
  if (Image.Image().isNull()) return;
  DrawCrossHairs(Image.Canvas(), XPos, YPos);
  // The whole control image becomes the window surface without a copy; they share
  // pixels until the next paint composes into spare ones.
  if (&Image == &controlImage_ && XPos == 0 && YPos == 0) AdoptSurface(Image.Image());
  else WindowCanvas().Draw(XPos, YPos, Image.Image());
  if (!inPaintEvent_) PresentSurface(QRect(XPos, YPos, Image.Width(), Image.Height()));
}

void TCustomRChart::paintEvent(QPaintEvent* event) {
  inPaintEvent_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inPaintEvent_};
  TCustomControl::paintEvent(event);
}
